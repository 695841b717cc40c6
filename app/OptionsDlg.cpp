#include "app/OptionsDlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include "platform/ControlTable.h"
#include "platform/HelpWindow.h"
#include "platform/MessageBox.h"
#include "resources/StringTable.h"

namespace {

constexpr int kIdOk = 1, kIdCancel = 2, kIdDefaults = 3, kIdHelp = 1025;
constexpr int kCustom = 1035, kEmphasis = 1055, kBorders = 1056;
constexpr int kRandom = 1028, kMatched = 1057, kDpiWhole = 1039, kJpegHigh = 1045;
constexpr int kMaxUses = 1058, kUseAll = 1059;
constexpr unsigned kMinCustom = 10, kMaxCustom = 500;

constexpr ControlSpec kTemplate[] = {
    {0, ControlKind::Group, 7, 7, 166, 56, "Tile order"},
    {1028, ControlKind::Radio, 16, 19, 43, 10, "&Random", kGroupStart},
    {1027, ControlKind::Radio, 16, 33, 108, 10, "&Sequential (loops through list)"},
    {1057, ControlKind::Radio, 16, 47, 108, 10, "M&atched to the picture"},
    {0, ControlKind::Group, 7, 64, 166, 88, "C&ustom tile size"},
    {0, ControlKind::Label, 20, 76, 146, 18,
     "Select tile width as a percentage of\nposter resolution:"},
    {kCustom, ControlKind::Edit, 20, 100, 40, 14, ""},
    {0, ControlKind::Label, 64, 103, 10, 8, "%"},
    {0, ControlKind::Label, 20, 122, 146, 8, "Preset values are:"},
    {0, ControlKind::Label, 20, 134, 146, 8, "Small: 10%, Medium: 33%, Large: 66%"},
    {0, ControlKind::Group, 7, 153, 166, 42, "&Emphasis on:"},
    {kEmphasis, ControlKind::Slider, 28, 164, 124, 15, ""},
    {0, ControlKind::Label, 12, 182, 44, 8, "Main Image"},
    {0, ControlKind::Label, 80, 182, 24, 8, "Equal"},
    {0, ControlKind::Label, 146, 182, 22, 8, "Tiles"},
    {0, ControlKind::Group, 7, 196, 166, 38, "Tile &Borders"},
    {kBorders, ControlKind::DropList, 17, 212, 143, 14, ""},
    {0, ControlKind::Group, 172, 7, 132, 112, "Printer resolution (fraction of DPI)"},
    {1041, ControlKind::Radio, 186, 20, 45, 10, "1/1&6", kGroupStart},
    {1037, ControlKind::Radio, 237, 20, 45, 10, "1/&3"},
    {1040, ControlKind::Radio, 186, 33, 45, 10, "1/&8"},
    {1038, ControlKind::Radio, 237, 33, 45, 10, "1/&2"},
    {1036, ControlKind::Radio, 186, 47, 45, 10, "1/&4"},
    {1039, ControlKind::Radio, 237, 47, 62, 10, "1/&1 (highest)"},
    {0, ControlKind::Label, 180, 62, 118, 54,
     "Higher selections produce better image quality but require large amounts of memory, disk "
     "space and processing time. Use lower settings for drafts and to work around resource "
     "limitations."},
    {0, ControlKind::Group, 172, 123, 132, 56, "JPEG quality (when saving poster)"},
    {1045, ControlKind::Radio, 186, 135, 114, 10, "&High (larger files, better image)",
     kGroupStart},
    {1046, ControlKind::Radio, 186, 148, 114, 10, "&Medium"},
    {1047, ControlKind::Radio, 186, 161, 114, 10, "&Low (smaller files)"},
    {1030, ControlKind::Check, 186, 190, 110, 10, "Allow tile &cropping"},
    {1031, ControlKind::Check, 186, 211, 110, 10, "Allow tile ro&tation"},
    {1048, ControlKind::Check, 186, 226, 110, 10, "Turn photos u&pright"},
    {kIdDefaults, ControlKind::Button, 309, 7, 50, 14, "Defaults"},
    {kIdHelp, ControlKind::Button, 309, 27, 50, 14, "Help"},
    {kIdOk, ControlKind::DefaultButton, 309, 201, 50, 14, "OK"},
    {kIdCancel, ControlKind::Button, 309, 221, 50, 14, "Cancel"},
    {0, ControlKind::Group, 7, 238, 297, 42, "Matched order"},
    {0, ControlKind::Label, 16, 252, 84, 8, "Use each photo at most"},
    {kMaxUses, ControlKind::Edit, 100, 250, 30, 14, ""},
    {0, ControlKind::Label, 134, 252, 90, 8, "times (0: no limit)"},
    {kUseAll, ControlKind::Check, 16, 266, 150, 10, "Use e&very photo at least once"},
};

// The check boxes and the options they switch; a new on/off option is one more row here.
struct CheckBinding {
  int id;
  int PosterParams::*field;
};
constexpr CheckBinding kChecks[] = {
    {1030, &PosterParams::Crop},
    {1031, &PosterParams::Rotate},
    {1048, &PosterParams::Orientation},
    {kUseAll, &PosterParams::UseAll},
};

const char* const kBorderItems[] = {"Transparent button frame", "Single line",
                                    "Don't use tile borders"};

// The exclusive group of the option button id.
QButtonGroup* GroupOf(const QWidget* dialog, int id) {
  return Control<QRadioButton>(dialog, id)->group();
}

void CheckRadio(const QWidget* dialog, int groupMember, int id) {
  if (QAbstractButton* button = GroupOf(dialog, groupMember)->button(id))
    button->setChecked(true);
}

int CheckedRadio(const QWidget* dialog, int groupMember) {
  return GroupOf(dialog, groupMember)->checkedId();
}

}  // namespace

COptionsDlg::COptionsDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Options"));
  LayOutDialog(this, kTemplate, 366, 288);
  auto* borders = Control<QComboBox>(this, kBorders);
  for (const char* item : kBorderItems) borders->addItem(QString::fromUtf8(item));
  auto* emphasis = Control<QSlider>(this, kEmphasis);
  emphasis->setRange(1, 7);
  connect(Control<QPushButton>(this, kIdOk), &QPushButton::clicked, this, &COptionsDlg::accept);
  connect(Control<QPushButton>(this, kIdCancel), &QPushButton::clicked, this, &QDialog::reject);
  connect(Control<QPushButton>(this, kIdDefaults), &QPushButton::clicked, this,
          &COptionsDlg::OnDefaults);
  connect(Control<QPushButton>(this, kIdHelp), &QPushButton::clicked, this, &COptionsDlg::OnHelp);
  connect(Control<QRadioButton>(this, kMatched), &QRadioButton::toggled, this,
          &COptionsDlg::UpdateMatchedControls);
}

// The limit and the use of every photo belong to the matched order alone.
void COptionsDlg::UpdateMatchedControls() {
  const bool matched = Control<QRadioButton>(this, kMatched)->isChecked();
  Control<QLineEdit>(this, kMaxUses)->setEnabled(matched);
  Control<QCheckBox>(this, kUseAll)->setEnabled(matched);
}

void COptionsDlg::SetValues(const PosterParams& params) {
  m_params = params;
  WriteControls();
}

void COptionsDlg::WriteControls() {
  Control<QLineEdit>(this, kCustom)->setText(QString::number(m_params.Custom));
  for (const CheckBinding& check : kChecks)
    Control<QCheckBox>(this, check.id)->setChecked(m_params.*check.field != 0);
  Control<QSlider>(this, kEmphasis)->setValue(m_params.Emphasis);
  Control<QComboBox>(this, kBorders)->setCurrentIndex(static_cast<int>(m_params.Borders));
  CheckRadio(this, kRandom, static_cast<int>(m_params.TileOrder));
  CheckRadio(this, kDpiWhole, static_cast<int>(m_params.DPIFraction));
  CheckRadio(this, kJpegHigh, static_cast<int>(m_params.JPEGQuality));
  Control<QLineEdit>(this, kMaxUses)->setText(QString::number(m_params.MaxUses));
  UpdateMatchedControls();
}

// The number in the edit id if it lies in low..high; otherwise the message is shown, the edit
// focused and nothing returned.
std::optional<uint> COptionsDlg::ReadNumber(int id, uint low, uint high) {
  auto* edit = Control<QLineEdit>(this, id);
  bool isNumber = false;
  const uint value = edit->text().trimmed().toUInt(&isNumber);
  if (isNumber && value >= low && value <= high) return value;
  ShowMessage(this, QString::asprintf(res::LoadString(res::IDS_RANGE_UINT), low, high));
  edit->setFocus();
  edit->selectAll();
  return std::nullopt;
}

bool COptionsDlg::ReadControls() {
  const std::optional<uint> percent = ReadNumber(kCustom, kMinCustom, kMaxCustom);
  if (!percent) return false;
  // The limit is read only where it counts: another order leaves it as it was.
  std::optional<uint> maxUses = static_cast<uint>(m_params.MaxUses);
  if (Control<QLineEdit>(this, kMaxUses)->isEnabled())
    maxUses = ReadNumber(kMaxUses, 0, static_cast<uint>(kMaxUsesLimit));
  if (!maxUses) return false;
  m_params.Custom = *percent;
  m_params.MaxUses = static_cast<int>(*maxUses);
  for (const CheckBinding& check : kChecks)
    m_params.*check.field = Control<QCheckBox>(this, check.id)->isChecked() ? 1 : 0;
  m_params.Emphasis = Control<QSlider>(this, kEmphasis)->value();
  m_params.Borders = static_cast<BorderStyle>(Control<QComboBox>(this, kBorders)->currentIndex());
  m_params.TileOrder = static_cast<TileOrderMode>(CheckedRadio(this, kRandom));
  m_params.DPIFraction = static_cast<DPIFractionCode>(CheckedRadio(this, kDpiWhole));
  m_params.JPEGQuality = static_cast<JPEGQualityLevel>(CheckedRadio(this, kJpegHigh));
  return true;
}

void COptionsDlg::accept() {
  if (ReadControls()) QDialog::accept();
}

// Every option but the emphasis goes back to its default; the slider goes back to the emphasis
// the dialog opened with, as every control is written afresh.
void COptionsDlg::OnDefaults() {
  PosterParams defaults;
  defaults.Borders = BorderStyle::ButtonFrame;
  defaults.Custom = 33;
  defaults.Emphasis = m_params.Emphasis;
  defaults.TileSize = m_params.TileSize;
  m_params = defaults;
  WriteControls();
}

void COptionsDlg::OnHelp() { OpenHelpContents(); }

bool OptionsChangePoster(const PosterParams& before, const PosterParams& after) {
  return before.Crop != after.Crop || before.Rotate != after.Rotate ||
         before.Borders != after.Borders || before.Custom != after.Custom ||
         before.TileOrder != after.TileOrder || before.DPIFraction != after.DPIFraction ||
         before.Emphasis != after.Emphasis || before.Orientation != after.Orientation ||
         (after.TileOrder == TileOrderMode::Matched &&
          (before.MaxUses != after.MaxUses || before.UseAll != after.UseAll));
}
