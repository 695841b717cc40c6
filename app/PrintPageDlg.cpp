#include "app/PrintPageDlg.h"

#include <QButtonGroup>
#include <QShowEvent>
#include <algorithm>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>

#include "resources/StringTable.h"

namespace {

enum class Kind { kText, kGroup, kRadio, kEdit, kButton, kDefaultButton };

// One control of the dialog's template: dialog units, as the template gives them.
struct ControlTemplate {
  int id;
  Kind kind;
  int x, y, width, height;
  const char* text;
};

constexpr int kNoId = -1;
constexpr int kDialogWidthDu = 204;
constexpr int kDialogHeightDu = 153;

constexpr ControlTemplate kTemplate[] = {
    {kNoId, Kind::kText, 7, 7, 190, 36,
     "Printing a single page of a multi-page poster is useful when the poster has previously "
     "been printed and some, but not all, pages need to be replaced."},
    {kNoId, Kind::kText, 7, 45, 190, 36,
     "Also, printing large posters requires large amounts of memory and disk space. Without "
     "sufficient resources it may only be possible to print a large poster one page at a time."},
    {kNoId, Kind::kGroup, 7, 83, 111, 62, "Print"},
    {CPrintPageDlg::kIdAllPages, Kind::kRadio, 16, 102, 45, 10, "&All pages"},
    {CPrintPageDlg::kIdOnlyPage, Kind::kRadio, 16, 123, 50, 10, "Only page:"},
    {CPrintPageDlg::kIdPageEdit, Kind::kEdit, 68, 121, 40, 14, ""},
    {CPrintPageDlg::IDOK, Kind::kDefaultButton, 147, 115, 50, 14, "OK"},
    {CPrintPageDlg::IDCANCEL, Kind::kButton, 147, 132, 50, 14, "Cancel"},
};

// Dialog units to pixels with the dialog font: a quarter of the average character width
// across, an eighth of the character height down.
QRect ToPixels(const QFontMetrics& metrics, int x, int y, int width, int height) {
  const int baseX =
      metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 52;
  const int baseY = metrics.height();
  return {x * baseX / 4, y * baseY / 8, width * baseX / 4, height * baseY / 8};
}

}  // namespace

CPrintPageDlg::CPrintPageDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Print Poster");
  BuildControls();
}

void CPrintPageDlg::BuildControls() {
  const QFontMetrics metrics(font());
  resize(ToPixels(metrics, 0, 0, kDialogWidthDu, kDialogHeightDu).size());
  auto* choices = new QButtonGroup(this);
  for (const ControlTemplate& control : kTemplate) {
    QWidget* widget = nullptr;
    const QString text = QString::fromUtf8(control.text);
    switch (control.kind) {
      case Kind::kText: {
        auto* label = new QLabel(text, this);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        widget = label;
        break;
      }
      case Kind::kGroup: widget = new QGroupBox(text, this); break;
      case Kind::kRadio: {
        auto* radio = new QRadioButton(text, this);
        choices->addButton(radio, control.id);
        (control.id == kIdAllPages ? m_allButton : m_onlyButton) = radio;
        widget = radio;
        break;
      }
      case Kind::kEdit:
        // Digits only, as the template's number style allows.
        m_pageEdit = new QLineEdit(this);
        m_pageEdit->setValidator(
            new QRegularExpressionValidator(QRegularExpression("[0-9]*"), m_pageEdit));
        widget = m_pageEdit;
        break;
      case Kind::kButton:
      case Kind::kDefaultButton: {
        auto* button = new QPushButton(text, this);
        button->setDefault(control.kind == Kind::kDefaultButton);
        connect(button, &QPushButton::clicked, this,
                control.id == IDOK ? &CPrintPageDlg::accept : &CPrintPageDlg::reject);
        widget = button;
        break;
      }
    }
    if (control.id != kNoId) widget->setObjectName(QString::number(control.id));
    widget->setGeometry(ToPixels(metrics, control.x, control.y, control.width, control.height));
  }
  connect(m_allButton, &QRadioButton::clicked, this, [this] { m_bAllPages = TRUE; });
  connect(m_onlyButton, &QRadioButton::clicked, this, [this] { m_bAllPages = FALSE; });
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
    QMessageBox::warning(this, QString::fromUtf8(res::LoadString(res::IDS_APP_NAME)), message);
    m_pageEdit->setFocus();
    return;
  }
  m_nPageNumber = n;
  QDialog::accept();
}
