#include "app/PrintPageDlg.h"

#include <QButtonGroup>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QShowEvent>
#include <algorithm>

#include "platform/ControlTable.h"
#include "platform/MessageBox.h"
#include "resources/StringTable.h"

namespace {

constexpr int kDialogWidthDu = 204;
constexpr int kDialogHeightDu = 153;

constexpr ControlSpec kTemplate[] = {
    {0, ControlKind::Label, 7, 7, 190, 36,
     "Printing a single page of a multi-page poster is useful when the poster has previously "
     "been printed and some, but not all, pages need to be replaced."},
    {0, ControlKind::Label, 7, 45, 190, 36,
     "Also, printing large posters requires large amounts of memory and disk space. Without "
     "sufficient resources it may only be possible to print a large poster one page at a time."},
    {0, ControlKind::Group, 7, 83, 111, 62, "Print"},
    {CPrintPageDlg::kIdAllPages, ControlKind::Radio, 16, 102, 45, 10, "&All pages", kGroupStart},
    {CPrintPageDlg::kIdOnlyPage, ControlKind::Radio, 16, 123, 50, 10, "Only page:"},
    {CPrintPageDlg::kIdPageEdit, ControlKind::Edit, 68, 121, 40, 14, ""},
    {CPrintPageDlg::IDOK, ControlKind::DefaultButton, 147, 115, 50, 14, "OK"},
    {CPrintPageDlg::IDCANCEL, ControlKind::Button, 147, 132, 50, 14, "Cancel"},
};

}  // namespace

CPrintPageDlg::CPrintPageDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Print Poster");
  BuildControls();
}

void CPrintPageDlg::BuildControls() {
  LayOutDialog(this, kTemplate, kDialogWidthDu, kDialogHeightDu);
  m_allButton = Control<QRadioButton>(this, kIdAllPages);
  m_onlyButton = Control<QRadioButton>(this, kIdOnlyPage);
  m_pageEdit = Control<QLineEdit>(this, kIdPageEdit);
  // Digits only, as the template's number style allows.
  m_pageEdit->setValidator(
      new QRegularExpressionValidator(QRegularExpression("[0-9]*"), m_pageEdit));
  connect(Control<QPushButton>(this, IDOK), &QPushButton::clicked, this, &CPrintPageDlg::accept);
  connect(Control<QPushButton>(this, IDCANCEL), &QPushButton::clicked, this,
          &CPrintPageDlg::reject);
  connect(m_allButton, &QRadioButton::clicked, this, [this] { m_bAllPages = TRUE; });
  connect(m_onlyButton, &QRadioButton::clicked, this, [this] { m_bAllPages = FALSE; });
  // A page number typed means that page alone; emptying the field chooses nothing.
  connect(m_pageEdit, &QLineEdit::textEdited, this, [this](const QString& text) {
    if (text.isEmpty()) return;
    m_onlyButton->setChecked(true);
    m_bAllPages = FALSE;
  });
}

void CPrintPageDlg::SetRange(BOOL allPages, int pageNumber, int pageCount) {
  m_bAllPages = allPages;
  m_nPageNumber = pageNumber;
  m_nPageCount = pageCount;
  if (m_nPageNumber < 1) m_nPageNumber = 1;
  if (m_nPageNumber > m_nPageCount) m_nPageNumber = m_nPageCount;
}

void CPrintPageDlg::GetRange(BOOL& allPages, int& pageNumber) const {
  allPages = m_bAllPages;
  pageNumber = m_nPageNumber;
}

int CPrintPageDlg::DoModal() { return exec() == QDialog::Accepted ? IDOK : IDCANCEL; }

void CPrintPageDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) OnInitDialog();
}

void CPrintPageDlg::OnInitDialog() {
  m_pageEdit->setText(QString::number(m_nPageNumber));
  m_allButton->setChecked(m_bAllPages);
  m_onlyButton->setChecked(!m_bAllPages);
}

// The edit as a signed number; empty or not a number gives 0.
int CPrintPageDlg::ReadPageEdit() const {
  bool ok = false;
  const int n = m_pageEdit->text().toInt(&ok);
  return ok ? n : 0;
}

void CPrintPageDlg::accept() {
  const int n = ReadPageEdit();
  if (m_bAllPages) {
    m_nPageNumber = std::clamp(n, 1, std::max(m_nPageCount, 1));
    QDialog::accept();
    return;
  }
  if (n < 1 || n > m_nPageCount) {
    const QString message = QString::asprintf(res::LoadString(res::IDS_PAGE_RANGE), m_nPageCount);
    ShowMessage(this, message, MessageButtons::Ok, MessageIcon::Exclamation);
    m_pageEdit->setFocus();
    return;
  }
  m_nPageNumber = n;
  QDialog::accept();
}
