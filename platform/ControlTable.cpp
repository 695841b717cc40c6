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
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStyle>
#include <algorithm>
#include <cstring>

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

QWidget* MakeButton(QWidget* window, const QString& text, bool isDefault) {
  auto* button = new QPushButton(text, window);
  button->setDefault(isDefault);
  button->setAutoDefault(isDefault);
  return button;
}

// Option buttons of one group share a QButtonGroup, so that groups of one window stay apart.
QWidget* MakeRadio(QWidget* window, const ControlSpec& item, QButtonGroup*& group) {
  auto* radio = new QRadioButton(QString::fromUtf8(item.text), window);
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

QWidget* MakeControl(QWidget* window, const ControlSpec& item, QButtonGroup*& group) {
  const QString text = QString::fromUtf8(item.text ? item.text : "");
  switch (item.kind) {
    case ControlKind::Label: return MakeLabel(window, text, item.height);
    case ControlKind::Group: return new QGroupBox(text, window);
    case ControlKind::Frame: return MakeFrame(window);
    case ControlKind::Icon: return MakeIcon(window);
    case ControlKind::Edit: return MakeEdit(window, false);
    case ControlKind::ReadOnlyEdit: return MakeEdit(window, true);
    case ControlKind::Button: return MakeButton(window, text, false);
    case ControlKind::DefaultButton: return MakeButton(window, text, true);
    case ControlKind::Radio: return MakeRadio(window, item, group);
    case ControlKind::Check: return new QCheckBox(text, window);
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

}  // namespace

void BuildControls(QWidget* window, std::span<const ControlSpec> items,
                   const DialogBaseUnits& units) {
  QButtonGroup* group = nullptr;
  QLabel* mnemonicLabel = nullptr;  // a label's Alt key moves to the next control that takes focus
  for (const ControlSpec& item : items) {
    QWidget* control = MakeControl(window, item, group);
    if (mnemonicLabel != nullptr && TakesFocus(item.kind)) {
      mnemonicLabel->setBuddy(control);
      mnemonicLabel = nullptr;
    }
    if (item.kind == ControlKind::Label && item.text && std::strchr(item.text, '&'))
      mnemonicLabel = static_cast<QLabel*>(control);
    if (item.id != 0) control->setObjectName(QString::number(item.id));
    QRect place = MapDialogRect(units, QRect(item.x, item.y, item.width, item.height));
    if (GrowsWithText(item)) place.setWidth(std::max(place.width(), control->sizeHint().width()));
    control->setGeometry(place);
    if (item.kind == ControlKind::Group || item.kind == ControlKind::Frame) control->lower();
  }
}

void SetDialogSize(QWidget* window, int width, int height, const DialogBaseUnits& units) {
  window->setFixedSize(MapDialogRect(units, QRect(0, 0, width, height)).size());
}
