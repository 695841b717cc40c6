#include "platform/ControlTable.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QStyle>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

// A label one dialog-unit line high keeps to one line; taller ones break into lines.
QWidget* MakeLabel(QWidget* window, const QString& text, int heightDu) {
  auto* label = new QLabel(text, window);
  label->setWordWrap(heightDu > 10);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

QWidget* MakeFrame(QWidget* window) {
  auto* frame = new QFrame(window);
  frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
  return frame;
}

QWidget* MakeIcon(QWidget* window) {
  auto* label = new QLabel(window);
  const int side = window->style()->pixelMetric(QStyle::PM_LargeIconSize);
  label->setPixmap(QApplication::windowIcon().pixmap(side, side));
  return label;
}

QWidget* MakeEdit(QWidget* window, bool readOnly) {
  auto* edit = new QLineEdit(window);
  edit->setReadOnly(readOnly);
  return edit;
}

// In a window with a default button, a focused push button takes Enter itself and Enter
// elsewhere presses the default one. A window without one (the progress dialog) ignores Enter.
QWidget* MakeButton(QWidget* window, const QString& text, bool isDefault, bool takesEnter) {
  auto* button = new QPushButton(text, window);
  button->setDefault(isDefault);
  button->setAutoDefault(takesEnter);
  return button;
}

// A group box whose title has an Alt key moves the focus to the first control of its group.
class MnemonicGroupBox : public QGroupBox {
 public:
  using QGroupBox::QGroupBox;
  void SetBuddy(QWidget* buddy) { m_buddy = buddy; }

 protected:
  bool event(QEvent* event) override {
    if (event->type() == QEvent::Shortcut && m_buddy != nullptr) {
      m_buddy->setFocus(Qt::ShortcutFocusReason);
      return true;
    }
    return QGroupBox::event(event);
  }

 private:
  QPointer<QWidget> m_buddy;
};

// Option buttons and check boxes answer a click anywhere in their place, not only on their
// text, as the template's controls do.
template <class Button>
class WholeAreaButton : public Button {
 public:
  using Button::Button;

 protected:
  bool hitButton(const QPoint& pos) const override { return this->rect().contains(pos); }
};

// Option buttons of one group share a QButtonGroup, so that groups of one window stay apart.
QWidget* MakeRadio(QWidget* window, const ControlSpec& item, QButtonGroup*& group) {
  auto* radio = new WholeAreaButton<QRadioButton>(QString::fromUtf8(item.text), window);
  if (group == nullptr || (item.flags & kGroupStart)) group = new QButtonGroup(window);
  group->addButton(radio, item.id);
  return radio;
}

QWidget* MakeList(QWidget* window) {
  auto* list = new QListWidget(window);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  return list;
}

QWidget* MakeSlider(QWidget* window) {
  auto* slider = new QSlider(Qt::Horizontal, window);
  slider->setTickPosition(QSlider::TicksBothSides);
  slider->setTickInterval(1);
  slider->setPageStep(1);
  return slider;
}

QWidget* MakeProgress(QWidget* window) {
  auto* bar = new QProgressBar(window);
  bar->setRange(0, 100);
  bar->setValue(0);
  bar->setTextVisible(false);
  return bar;
}

struct MakeState {
  QButtonGroup* radioGroup = nullptr;
  bool takesEnter = false;  // the window has a default button
};

QWidget* MakeControl(QWidget* window, const ControlSpec& item, MakeState& state) {
  const QString text = QString::fromUtf8(item.text ? item.text : "");
  switch (item.kind) {
    case ControlKind::Label: return MakeLabel(window, text, item.height);
    case ControlKind::Group: return new MnemonicGroupBox(text, window);
    case ControlKind::Frame: return MakeFrame(window);
    case ControlKind::Icon: return MakeIcon(window);
    case ControlKind::Edit: return MakeEdit(window, false);
    case ControlKind::ReadOnlyEdit: return MakeEdit(window, true);
    case ControlKind::Button: return MakeButton(window, text, false, state.takesEnter);
    case ControlKind::DefaultButton: return MakeButton(window, text, true, true);
    case ControlKind::Radio: return MakeRadio(window, item, state.radioGroup);
    case ControlKind::Check: return new WholeAreaButton<QCheckBox>(text, window);
    case ControlKind::List: return MakeList(window);
    case ControlKind::Slider: return MakeSlider(window);
    case ControlKind::DropList: return new QComboBox(window);
    case ControlKind::Progress: return MakeProgress(window);
  }
  return nullptr;
}

// Texts on one line are never cut: a font wider than the template's widens the control.
bool GrowsWithText(const ControlSpec& item) {
  return (item.kind == ControlKind::Radio || item.kind == ControlKind::Check ||
          (item.kind == ControlKind::Label && item.height <= 10));
}

bool TakesFocus(ControlKind kind) {
  return kind != ControlKind::Label && kind != ControlKind::Group && kind != ControlKind::Frame &&
         kind != ControlKind::Icon && kind != ControlKind::Progress;
}

bool HasAltKey(const ControlSpec& item) { return item.text && std::strchr(item.text, '&'); }

// The widgets of items in table order. A label's or a group's Alt key moves the focus to the
// next control that takes it, as in a dialog template.
std::vector<QWidget*> MakeControls(QWidget* window, std::span<const ControlSpec> items) {
  MakeState state;
  state.takesEnter = std::any_of(items.begin(), items.end(), [](const ControlSpec& item) {
    return item.kind == ControlKind::DefaultButton;
  });
  QLabel* mnemonicLabel = nullptr;
  MnemonicGroupBox* mnemonicGroup = nullptr;
  std::vector<QWidget*> controls;
  for (const ControlSpec& item : items) {
    QWidget* control = MakeControl(window, item, state);
    if (TakesFocus(item.kind)) {
      if (mnemonicLabel != nullptr) mnemonicLabel->setBuddy(control);
      if (mnemonicGroup != nullptr) mnemonicGroup->SetBuddy(control);
      mnemonicLabel = nullptr;
      mnemonicGroup = nullptr;
    }
    if (item.kind == ControlKind::Label && HasAltKey(item))
      mnemonicLabel = static_cast<QLabel*>(control);
    if (item.kind == ControlKind::Group && HasAltKey(item))
      mnemonicGroup = static_cast<MnemonicGroupBox*>(control);
    if (item.id != 0) control->setObjectName(QString::number(item.id));
    controls.push_back(control);
  }
  return controls;
}

void PlaceControls(std::span<const ControlSpec> items, const std::vector<QWidget*>& controls,
                   const DialogBaseUnits& units) {
  for (std::size_t i = 0; i < items.size(); ++i) {
    const ControlSpec& item = items[i];
    QWidget* control = controls[i];
    QRect place = MapDialogRect(units, QRect(item.x, item.y, item.width, item.height));
    if (GrowsWithText(item)) place.setWidth(std::max(place.width(), control->sizeHint().width()));
    control->setGeometry(place);
    if (item.kind == ControlKind::Group || item.kind == ControlKind::Frame) control->lower();
  }
}

// The pixels a control needs across to show its whole text on one line; 0 when it wraps or
// shows no text of its own.
int WholeTextWidth(const ControlSpec& item, const QWidget* control) {
  if (item.kind == ControlKind::Group) return control->minimumSizeHint().width();
  return GrowsWithText(item) ? control->sizeHint().width() : 0;
}

// How much wider than its template place the widest text of the window needs to be; 1 when
// every text fits.
double TextOverflow(std::span<const ControlSpec> items, const std::vector<QWidget*>& controls,
                    const DialogBaseUnits& units) {
  double overflow = 1;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const int needed = WholeTextWidth(items[i], controls[i]);
    const int room = MapDialogRect(units, QRect(items[i].x, 0, items[i].width, 1)).width();
    if (needed > 0 && room > 0) overflow = std::max(overflow, static_cast<double>(needed) / room);
  }
  return overflow;
}

// The base units of the window's font, widened until every one-line text fits its place: a
// font wider than the template's for its size would otherwise run labels into their
// neighbours.
DialogBaseUnits UnitsForTexts(const QWidget* window, std::span<const ControlSpec> items,
                              const std::vector<QWidget*>& controls) {
  DialogBaseUnits units = BaseUnitsOf(window->font());
  for (double overflow = TextOverflow(items, controls, units); overflow > 1;
       overflow = TextOverflow(items, controls, units))
    units.x = std::max(units.x + 1, static_cast<int>(std::ceil(units.x * overflow)));
  return units;
}

// The room a window has on its screen, leaving space for the frame the window manager adds.
QSize RoomOnScreen(const QWidget* window) {
  constexpr int kFrameAcross = 16, kFrameDown = 48;  // borders, and a title bar
  const QScreen* screen = window->screen();
  if (screen == nullptr) return QSize(INT_MAX, INT_MAX);
  const QRect available = screen->availableGeometry();
  return QSize(available.width() - kFrameAcross, available.height() - kFrameDown);
}

void StoreUnits(QWidget* window, const DialogBaseUnits& units) {
  window->setProperty("dialogUnitX", units.x);
  window->setProperty("dialogUnitY", units.y);
}

}  // namespace

DialogBaseUnits LayOutDialog(QWidget* window, std::span<const ControlSpec> items, int widthDu,
                             int heightDu) {
  constexpr double kSmallestPoints = 6;
  const std::vector<QWidget*> controls = MakeControls(window, items);
  DialogBaseUnits units = UnitsForTexts(window, items, controls);
  // A window larger than the screen gets a smaller font, all its controls shrinking alike.
  for (int round = 0; round < 4; ++round) {
    const QSize size = MapDialogRect(units, QRect(0, 0, widthDu, heightDu)).size();
    const QSize room = RoomOnScreen(window);
    const double shrink = std::min(static_cast<double>(room.width()) / size.width(),
                                   static_cast<double>(room.height()) / size.height());
    QFont font = window->font();
    if (shrink >= 1 || font.pointSizeF() <= kSmallestPoints) break;
    font.setPointSizeF(std::max(kSmallestPoints, std::floor(font.pointSizeF() * shrink * 4) / 4));
    window->setFont(font);
    units = UnitsForTexts(window, items, controls);
  }
  PlaceControls(items, controls, units);
  SetDialogSize(window, widthDu, heightDu, units);
  StoreUnits(window, units);
  return units;
}

DialogBaseUnits DialogUnitsOf(const QWidget* window) {
  const QVariant x = window->property("dialogUnitX"), y = window->property("dialogUnitY");
  if (!x.isValid() || !y.isValid()) return BaseUnitsOf(window->font());
  return {x.toInt(), y.toInt()};
}

void BuildControls(QWidget* window, std::span<const ControlSpec> items,
                   const DialogBaseUnits& units) {
  PlaceControls(items, MakeControls(window, items), units);
}

void SetDialogSize(QWidget* window, int width, int height, const DialogBaseUnits& units) {
  window->setFixedSize(MapDialogRect(units, QRect(0, 0, width, height)).size());
}
