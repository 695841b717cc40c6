#include "app/PrintPageDlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QShowEvent>
#include <algorithm>
#include <cmath>

#include "platform/ControlTable.h"
#include "platform/MessageBox.h"
#include "resources/StringTable.h"

namespace {

constexpr int kDialogWidthDu = 204;
constexpr int kDialogHeightDu = 226;
constexpr double kMmPerInch = 25.4;

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
    {0, ControlKind::Group, 7, 152, 190, 67, "Pages to assemble"},
    {0, ControlKind::Label, 16, 167, 90, 10, "&Glue overlap (mm):"},
    {CPrintPageDlg::kIdOverlapEdit, ControlKind::Edit, 108, 165, 30, 14, ""},
    {CPrintPageDlg::kIdCutMarks, ControlKind::Check, 16, 183, 170, 10, "&Cut marks on the cells' borders"},
    {CPrintPageDlg::kIdLabels, ControlKind::Check, 16, 195, 170, 10, "Page &labels and neighbours"},
    {CPrintPageDlg::kIdMap, ControlKind::Check, 16, 207, 170, 10, "Assembly &map as the last page"},
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
  m_overlapEdit = Control<QLineEdit>(this, kIdOverlapEdit);
  m_overlapEdit->setValidator(
      new QRegularExpressionValidator(QRegularExpression("[0-9]{0,3}"), m_overlapEdit));
  m_cutMarks = Control<QCheckBox>(this, kIdCutMarks);
  m_labels = Control<QCheckBox>(this, kIdLabels);
  m_map = Control<QCheckBox>(this, kIdMap);
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

void CPrintPageDlg::SetExtras(const PrintExtras& extras) { m_extras = extras; }

PrintExtras CPrintPageDlg::GetExtras() const { return m_extras; }

int CPrintPageDlg::DoModal() { return exec() == QDialog::Accepted ? IDOK : IDCANCEL; }

void CPrintPageDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) OnInitDialog();
}

void CPrintPageDlg::OnInitDialog() {
  m_pageEdit->setText(QString::number(m_nPageNumber));
  m_allButton->setChecked(m_bAllPages);
  m_onlyButton->setChecked(!m_bAllPages);
  m_overlapEdit->setText(QString::number(std::lround(m_extras.overlapInches * kMmPerInch)));
  m_cutMarks->setChecked(m_extras.cutMarks);
  m_labels->setChecked(m_extras.labels);
  m_map->setChecked(m_extras.map);
}

void CPrintPageDlg::ReadExtras() {
  m_extras.overlapInches = m_overlapEdit->text().toInt() / kMmPerInch;
  m_extras.cutMarks = m_cutMarks->isChecked();
  m_extras.labels = m_labels->isChecked();
  m_extras.map = m_map->isChecked();
}

// The edit as a signed number; empty or not a number gives 0.
int CPrintPageDlg::ReadPageEdit() const {
  bool ok = false;
  const int n = m_pageEdit->text().toInt(&ok);
  return ok ? n : 0;
}

void CPrintPageDlg::accept() {
  ReadExtras();
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
