// The options dialog: tile order, custom tile size, emphasis, borders, printer resolution
// fraction, JPEG quality, cropping, rotation, turning photos upright, and for the matched order
// a limit of uses per photo and the use of every photo.
//
// The dialog edits a copy of the options; the caller takes them back when it ends with OK.
#pragma once

#include <QDialog>
#include <optional>

#include "engine/PosterParams.h"

class COptionsDlg : public QDialog {
 public:
  explicit COptionsDlg(QWidget* parent = nullptr);

  // The options shown when the dialog opens; the tile size preset is not among them.
  void SetValues(const PosterParams& params);
  // The options as the user left them (valid after OK).
  [[nodiscard]] PosterParams GetValues() const { return m_params; }

  void accept() override;  // OK: checks the custom size, then takes the controls

 private:
  void WriteControls();
  // FALSE, with the message shown and the edit focused, when the custom size or the limit of
  // uses is refused.
  bool ReadControls();
  std::optional<uint> ReadNumber(int id, uint low, uint high);
  void UpdateMatchedControls();
  void OnDefaults();
  void OnHelp();

  PosterParams m_params;
};

// TRUE when going from before to after changes the poster a build makes: any option but the
// JPEG quality, which only matters when a poster is saved.
[[nodiscard]] bool OptionsChangePoster(const PosterParams& before, const PosterParams& after);
