// The main window: every command of the program is one of its buttons.
//
// The window owns the main image, the poster image, the tile list, the poster options, the
// print size, the printer's metrics and the tile order. It keeps the derived figures (image
// size, print size, pages, tile grid) on display and enables each command only when its inputs
// exist. builtFlag records that the poster image matches the current inputs: every change of an
// input clears it, only a completed build sets it.
#pragma once

#include <QDialog>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/PosterSettings.h"
#include "engine/BuildPoster.h"
#include "engine/PosterLimits.h"
#include "engine/PosterParams.h"
#include "engine/PrintSize.h"
#include "engine/PrinterMetrics.h"
#include "engine/ShapedTileCache.h"
#include "engine/TileGrid.h"
#include "engine/TileList.h"
#include "engine/TileOrder.h"
#include "formats/OutputTarget.h"
#include "image/DibImage.h"
#include "output/PageLayout.h"
#include "output/PosterSaver.h"
#include "output/PreviewWnd.h"
#include "output/PrintEngine.h"
#include "output/PrinterSettings.h"

class CProgressDlg;
class CProgressScope;
class QLineEdit;
class QListWidget;

class CPosterDlg : public QDialog {
 public:
  // Looks for a printer (message 120 when there is none) and loads the settings.
  explicit CPosterDlg(QWidget* parent = nullptr);
  // Saves the settings.
  ~CPosterDlg() override;

  [[nodiscard]] BOOL IsBuilt() const { return builtFlag; }
  [[nodiscard]] const CDibImage& PosterImage() const { return m_poster; }
  [[nodiscard]] const CDibImage& MainImage() const { return m_mainImage; }
  [[nodiscard]] const TileList& Tiles() const { return m_tiles; }
  [[nodiscard]] const PosterParams& Params() const { return m_params; }
  [[nodiscard]] const PrintSize& GetPrintSize() const { return m_printSize; }
  [[nodiscard]] bool HasPrinter() const { return m_printerSettings.IsPrinterAvailable(); }
  [[nodiscard]] CPreviewWnd& Preview() { return m_preview; }
  // The file the last build laid the poster straight into, when it was too large to hold in
  // memory; empty otherwise.
  [[nodiscard]] const std::string& PosterFile() const { return m_posterFile; }
  // The memory that the poster's limits count on: what the process may take unless set here.
  void SetMemoryBytes(std::uint64_t bytes) { m_memoryBytes = bytes; }
  [[nodiscard]] std::uint64_t MemoryBytes() const;
  // The dialog of the long command running now, or nullptr.
  [[nodiscard]] CProgressDlg* Progress() const;

  // Loads path as the main image, as choosing it in the file dialog does.
  void LoadMainImage(const std::string& path);
  // Adds dropped paths to the tile list; folders and files without a picture are refused.
  void AddDroppedFiles(const std::vector<std::string>& paths);

  // Long commands show the progress dialog and disable this window in between.
  void BeginProgress(unsigned captionId);
  void EndProgress();

  void reject() override;  // Escape: asks to leave, as the close box does

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildWindow();
  void ConnectCommands();
  void OnInitDialog();

  // Enabling, the tile list's selection and every display text, from the members.
  void UpdateControls();
  bool ReadControls();
  void WriteControls();
  void RefreshTileDisplay();
  void RefreshPagesDisplay();
  void RefreshImageSizeDisplay();
  void SyncTileListBox(int selectRow);
  void ComputeInitialPrintSize();
  [[nodiscard]] PosterSetup Setup() const;
  // What a build of the poster reads: the main image, the tiles and their cache, the setup.
  [[nodiscard]] PosterBuildInputs BuildInputs();

  // Main image and print size.
  void OnBrowseMain();
  void OnPrintWidthEdited(const QString& text);
  void OnPrintHeightEdited(const QString& text);
  void OnPrintSizeFocusOut(bool isWidth);

  // Tile list.
  void OnAddTiles();
  void OnDeleteTile();
  void OnEmptyTiles();
  void OnOpenList();
  void OnSaveList();
  // Adds every path; TRUE when all were taken. The first one taken, when firstTaken is given,
  // is stored there.
  bool AddTileFiles(const std::vector<std::string>& paths, std::string* firstTaken);
  void TileListChanged();
  [[nodiscard]] std::string TileListStartPath() const;

  // Commands.
  void OnTileSize(int buttonId);
  void OnOptions();
  void OnPrinterSetup();
  void OnBuildPoster();
  // TRUE when the format path names holds the poster, or when the user took the offer of
  // another format that does (path then names that file); FALSE when the user declined.
  [[nodiscard]] bool ChooseFormatThatHolds(std::string& path);
  // A poster past the memory that fits when laid straight into its file: refused with refusal,
  // the user is offered to build it so, into a file chosen in Save Poster's dialog.
  void OfferBuildIntoFile(const std::string& refusal);
  // The refusal of a file of format for this poster, laid straight into it: its format's limits,
  // the memory its encoder keeps, the free disk space; nothing when it fits.
  [[nodiscard]] std::optional<std::string> IntoFileRefusal(const std::string& path,
                                                           PosterFormat format);
  void BuildIntoFile(const COutputTarget& target, PosterFormat format);

  // Output: preview, print and save (the poster, or the main image without tiles).
  void OnPreviewPoster();
  void OnPrintPoster();
  void OnSavePoster();
  // TRUE when the poster is built or, asked with questionId, the user let it be built now.
  [[nodiscard]] bool BuildFirst(unsigned questionId);
  [[nodiscard]] bool ChoosePrintRange(const PageCount& pages, PrintExtras& extras);
  void PrintToQueue(CDibImage& source);
  void PrintToPdfFile(CDibImage& source);
  void PrintWithExtras(CDibImage& source, CPrintDevice& device, const PrinterMetrics& metrics,
                       const QString& destination);
  // Prints source on device under the progress dialog; destination names it in messages.
  void PrintSource(CDibImage& source, CPrintDevice& device, const PageCount& pages,
                   const PrintExtras& extras, const QString& destination);
  void SavePosterTo(std::string path);
  // The name chosen in Save Poster's dialog, nothing when it was cancelled.
  [[nodiscard]] std::optional<std::string> AskSavePath();
  // The files the poster is made of: no file the window writes may be one of them.
  [[nodiscard]] std::vector<std::string> InputPaths() const;
  // The checked target for path, or nothing after telling the user why it is refused: with the
  // message failedId (its %s the path) where the file could not have been made anyway.
  [[nodiscard]] std::optional<COutputTarget> CheckedTarget(const std::string& path,
                                                           unsigned failedId);
  void OnHelp();
  void OnAbout();

  [[nodiscard]] QLineEdit* Edit(int id) const;
  [[nodiscard]] QListWidget* ListBox() const;

  CDibImage m_mainImage;
  CDibImage m_poster;
  TileList m_tiles;
  TileOrderShuffle m_order;
  PosterParams m_params;
  PrintSize m_printSize;
  PrinterMetrics m_printer;
  CPrinterSettings m_printerSettings;
  PrintRange m_printRange;
  ShapedTileCache m_tileCache;  // shaped tiles kept from one build to the next
  CPreviewWnd m_preview;
  std::string m_strFileName;  // main image path, empty without one
  int m_imageWidth = 0;
  int m_imageHeight = 0;
  BOOL builtFlag = FALSE;
  std::string m_posterFile;  // see PosterFile
  std::optional<std::uint64_t> m_memoryBytes;  // see SetMemoryBytes
  BOOL m_widthFocus = FALSE;
  BOOL m_heightFocus = FALSE;
  BOOL confirmOnClose = TRUE;
  bool m_initialised = false;
  RememberedPaths m_readPaths;     // as read from the settings
  RememberedPaths m_currentPaths;  // set during this run; empty until then
  std::string m_tileListPath;      // the tile list file of the last Open or Save
  std::unique_ptr<CProgressScope> m_progress;
};
