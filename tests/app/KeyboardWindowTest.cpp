// The windows driven by keys alone: which button Enter presses, where the Alt keys of group
// boxes lead, the Delete key in the tile list, and what typing into edits does.
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <filesystem>

#include "GuiHarness.h"
#include "TestRegistry.h"
#include "WindowSteps.h"
#include "app/OptionsDlg.h"
#include "app/PosterControls.h"
#include "app/PrintPageDlg.h"
#include "support/TestSupport.h"

namespace {

using gui::Shown;

constexpr int kIdOk = 1, kIdCancel = 2, kIdDefaults = 3;
constexpr int kCustom = 1035, kEmphasis = 1055, kBorders = 1056;

void Key(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
}

// Focus onto control as the Tab key puts it there, then Enter.
void EnterOn(QWidget* control) {
  QApplication::setActiveWindow(control->window());
  control->setFocus(Qt::TabFocusReason);
  Key(control, Qt::Key_Return);
}

void Alt(QWidget* window, int key) {
  QApplication::setActiveWindow(window);
  Key(window, key, Qt::AltModifier);
}

// Opens the options and lets act work in them; act must close the dialog.
void InOptions(CPosterDlg& dlg, std::function<void(COptionsDlg*)> act) {
  bool acted = false;
  gui::WhenModal<COptionsDlg>([&acted, act](COptionsDlg* options) {
    acted = true;
    act(options);
  });
  gui::Click(dlg, IDC_OPTIONS);
  QVERIFY(acted);
}

class KeyboardWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void init() { gui::ClearSettings(); }

  // A focused button takes Enter; Enter anywhere else presses the window's default button.
  void EnterPressesTheFocusedButtonElseTheDefault() {
    std::filesystem::create_directories(test::ScratchPath("keys"));
    gui::MessageRecorder messages;
    gui::FileDialogAnswers files;
    CPosterDlg dlg;
    gui::Show(dlg);
    dlg.LoadMainImage(gui::MakePicture("keys/main.bmp", 64, 48));
    dlg.AddDroppedFiles({gui::MakePicture("keys/tile.bmp", 8, 6)});
    gui::TypeInto(dlg, IDC_PRINT_WIDTH, QStringLiteral("1"));
    EnterOn(Control(&dlg, IDC_BUILD));
    QVERIFY(dlg.IsBuilt());
    QVERIFY(files.requests.empty());
    files.Cancel();
    EnterOn(Control(&dlg, IDC_PRINT_WIDTH));  // "..." is the default button
    QCOMPARE(files.requests.size(), std::size_t{1});

    const int emphasis = dlg.Params().Emphasis;
    InOptions(dlg, [](COptionsDlg* o) {
      Control<QSlider>(o, kEmphasis)->setValue(1);
      EnterOn(Control(o, kIdCancel));
    });
    QCOMPARE(dlg.Params().Emphasis, emphasis);
    QVERIFY(dlg.IsBuilt());
    InOptions(dlg, [](COptionsDlg* o) {
      gui::TypeInto(*o, kCustom, QStringLiteral("40"));
      Key(Control(o, kCustom), Qt::Key_Return);  // OK
    });
    QCOMPARE(dlg.Params().Custom, 40u);
  }

  // Alt+E, Alt+U and Alt+B lead into their groups; Defaults puts the slider back where the
  // dialog opened it.
  void GroupKeysLeadIntoTheirGroupsAndDefaultsRestoresTheSlider() {
    gui::MessageRecorder messages;
    CPosterDlg dlg;
    gui::Show(dlg);
    const int opening = dlg.Params().Emphasis;
    InOptions(dlg, [opening](COptionsDlg* o) {
      auto* slider = Control<QSlider>(o, kEmphasis);
      Alt(o, Qt::Key_E);
      QCOMPARE(o->focusWidget(), slider);
      Key(slider, Qt::Key_Right);
      QCOMPARE(slider->value(), opening + 1);
      Alt(o, Qt::Key_U);
      QCOMPARE(o->focusWidget(), Control(o, kCustom));
      Alt(o, Qt::Key_B);
      QCOMPARE(o->focusWidget(), Control(o, kBorders));
      gui::Click(*o, kIdDefaults);
      QCOMPARE(slider->value(), opening);
      gui::Click(*o, kIdOk);
    });
    QCOMPARE(dlg.Params().Emphasis, opening);
  }

  void DeleteKeyDeletesTheSelectedTile() {
    std::filesystem::create_directories(test::ScratchPath("delkey"));
    gui::MessageRecorder messages;
    CPosterDlg dlg;
    gui::Show(dlg);
    dlg.AddDroppedFiles({gui::MakePicture("delkey/a.bmp", 4, 4),
                         gui::MakePicture("delkey/b.bmp", 4, 4)});
    auto* list = Control<QListWidget>(&dlg, IDC_TILE_LIST);
    list->setCurrentRow(0);
    Key(list, Qt::Key_Delete);
    QCOMPARE(gui::ListedTiles(dlg, IDC_TILE_LIST),
             QStringList{QString::fromStdString(test::ScratchPath("delkey/b.bmp"))});
    Key(list, Qt::Key_Delete);
    QCOMPARE(list->count(), 0);
    Key(list, Qt::Key_Delete);  // nothing left: nothing happens
    QCOMPARE(dlg.Tiles().GetCount(), 0);
  }

  // Five characters is a limit on typing: a derived 123.45 shows whole and is read back whole.
  void TypingLimitLeavesDerivedSizesWhole() {
    gui::MessageRecorder messages;
    CPosterDlg dlg;
    gui::Show(dlg);
    dlg.LoadMainImage(gui::MakePicture("long-strip.bmp", 2469, 20));
    gui::TypeInto(dlg, IDC_PRINT_HEIGHT, QStringLiteral("1"));
    QCOMPARE(Shown(dlg, IDC_PRINT_WIDTH), QStringLiteral("123.45"));
    gui::Click(dlg, IDC_SIZE_LARGE);  // reads the edits back
    QCOMPARE(dlg.GetPrintSize().width, 123.45);
    QCOMPARE(Shown(dlg, IDC_PRINT_WIDTH), QStringLiteral("123.45"));
    gui::TypeInto(dlg, IDC_PRINT_WIDTH, QStringLiteral("1234567"));
    QCOMPARE(Shown(dlg, IDC_PRINT_WIDTH), QStringLiteral("12345"));
  }

  void TypingAPageNumberChoosesThatPage() {
    CPrintPageDlg range;
    range.SetRange(TRUE, 1, 4);
    range.show();
    auto* edit = Control<QLineEdit>(&range, CPrintPageDlg::kIdPageEdit);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("3"));
    QVERIFY(Control<QRadioButton>(&range, CPrintPageDlg::kIdOnlyPage)->isChecked());
    Key(edit, Qt::Key_Return);
    QCOMPARE(range.result(), int(QDialog::Accepted));
    BOOL all = TRUE;
    int page = 0;
    range.GetRange(all, page);
    QVERIFY(!all);
    QCOMPARE(page, 3);
  }
};

const gui::Register<KeyboardWindowTest> registered("KeyboardWindowTest");

}  // namespace

#include "KeyboardWindowTest.moc"
