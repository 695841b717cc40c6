// The print range dialog: all pages of a poster, or one page to replace a spoiled sheet or to
// print a large poster a page at a time.
#pragma once

#include <QDialog>

#include "image/Types.h"
#include "output/PageLayout.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

class CPrintPageDlg : public QDialog {
  Q_OBJECT

 public:
  static constexpr int IDOK = 1;
  static constexpr int IDCANCEL = 2;
  // Control identifiers of the dialog's template; each control's object name is its number.
  static constexpr int kIdAllPages = 1042;
  static constexpr int kIdOnlyPage = 1043;
  static constexpr int kIdPageEdit = 1044;
  // The choices that help assemble the printed pages.
  static constexpr int kIdOverlapEdit = 1060;
  static constexpr int kIdCutMarks = 1061;
  static constexpr int kIdLabels = 1062;
  static constexpr int kIdMap = 1063;

  explicit CPrintPageDlg(QWidget* parent = nullptr);

  // The choice shown; the page is held between 1 and pageCount.
  void SetRange(BOOL allPages, int pageNumber, int pageCount);
  // The confirmed choice, after DoModal returned IDOK.
  void GetRange(BOOL& allPages, int& pageNumber) const;
  // The overlap (shown in whole millimetres), cut marks, labels and map shown; the confirmed
  // ones after DoModal returned IDOK.
  void SetExtras(const PrintExtras& extras);
  [[nodiscard]] PrintExtras GetExtras() const;
  // IDOK when the user confirmed a valid choice, IDCANCEL otherwise.
  int DoModal();

 protected:
  void showEvent(QShowEvent* event) override;
  void accept() override;

 private:
  void OnInitDialog();
  void BuildControls();
  [[nodiscard]] int ReadPageEdit() const;
  void ReadExtras();

  QLineEdit* m_pageEdit = nullptr;
  QRadioButton* m_allButton = nullptr;
  QRadioButton* m_onlyButton = nullptr;
  QLineEdit* m_overlapEdit = nullptr;
  QCheckBox* m_cutMarks = nullptr;
  QCheckBox* m_labels = nullptr;
  QCheckBox* m_map = nullptr;
  PrintExtras m_extras;
  BOOL m_bAllPages = TRUE;
  int m_nPageCount = 1;
  int m_nPageNumber = 1;
};
