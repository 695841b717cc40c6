// The print range dialog: all pages of a poster, or one page to replace a spoiled sheet or to
// print a large poster a page at a time.
#pragma once

#include <QDialog>

#include "image/Types.h"

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

  explicit CPrintPageDlg(QWidget* parent = nullptr);

  // The choice shown; the page is held between 1 and pageCount.
  void SetRange(BOOL allPages, int pageNumber, int pageCount);
  // The confirmed choice, after DoModal returned IDOK.
  void GetRange(BOOL& allPages, int& pageNumber) const;
  // IDOK when the user confirmed a valid choice, IDCANCEL otherwise.
  int DoModal();

 protected:
  void showEvent(QShowEvent* event) override;
  void accept() override;

 private:
  void OnInitDialog();
  void BuildControls();
  [[nodiscard]] int ReadPageEdit() const;

  QLineEdit* m_pageEdit = nullptr;
  QRadioButton* m_allButton = nullptr;
  QRadioButton* m_onlyButton = nullptr;
  BOOL m_bAllPages = TRUE;
  int m_nPageCount = 1;
  int m_nPageNumber = 1;
};
