// The options dialog opened from the main window: Defaults, Cancel, OK, the custom size check,
// which changes make a built poster stale, and the keys of the main window and the dialog.
#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QSlider>
#include <QSettings>
#include <QTest>
#include <filesystem>

#include "GuiHarness.h"
#include "TestRegistry.h"
#include "WindowSteps.h"
#include "app/OptionsDlg.h"
#include "app/PosterControls.h"
#include "support/TestSupport.h"

namespace {

using gui::Click;

constexpr int kIdOk = 1, kIdCancel = 2, kIdDefaults = 3;

// A window with a built poster, its options set away from every default.
void BuiltWindow(CPosterDlg& dlg) {
  std::filesystem::create_directories(test::ScratchPath("options"));
  dlg.LoadMainImage(gui::MakePicture("options/main.bmp", 120, 90));
  dlg.AddDroppedFiles({gui::MakePicture("options/t1.bmp", 10, 8),
                       gui::MakePicture("options/t2.bmp", 9, 8)});
  gui::TypeInto(dlg, IDC_PRINT_WIDTH, QStringLiteral("1"));
  Click(dlg, IDC_BUILD);
  QVERIFY(dlg.IsBuilt());
}

// Opens the options from the main window and lets act work in the dialog.
void InOptions(CPosterDlg& dlg, std::function<void(COptionsDlg*)> act) {
  gui::WhenModal<COptionsDlg>(std::move(act));
  Click(dlg, IDC_OPTIONS);
}

void Choose(COptionsDlg* options, int radioId) { Click(*options, radioId); }

// A key pressed in target: with the focus put there as the Tab key does, or with a modifier
// anywhere in its window.
void Key(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QApplication::setActiveWindow(target->window());
  if (modifiers == Qt::NoModifier) target->setFocus(Qt::TabFocusReason);
  QTest::keyClick(target, key, modifiers);
}

class OptionsWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void init() {
    gui::ClearSettings();
    QSettings settings(QStringLiteral("Velkamo"), QStringLiteral("Quillet Poster 1.0"));
    const std::pair<const char*, int> stored[] = {
        {"Rotate", 0}, {"Crop", 0}, {"Borders", 2}, {"Emphasis", 6}, {"Custom", 250},
        {"TileOrder", 1027}, {"DPIFraction", 1039}, {"JPEGQuality", 1047}};
    for (const auto& [key, value] : stored) settings.setValue(QStringLiteral("Options/") + key, value);
  }

  void DialogShowsTheWindowsOptions() {
    gui::MessageRecorder messages;
    CPosterDlg dlg;
    gui::Show(dlg);
    bool looked = false;
    InOptions(dlg, [&looked](COptionsDlg* o) {
      QCOMPARE(Control<QLineEdit>(o, 1035)->text(), QStringLiteral("250"));
      QVERIFY(!Control<QCheckBox>(o, 1030)->isChecked() && !Control<QCheckBox>(o, 1031)->isChecked());
      QCOMPARE(Control<QSlider>(o, 1055)->value(), 6);
      QCOMPARE(Control<QSlider>(o, 1055)->minimum(), 1);
      QCOMPARE(Control<QSlider>(o, 1055)->maximum(), 7);
      QCOMPARE(Control<QComboBox>(o, 1056)->currentText(), QStringLiteral("Don't use tile borders"));
      for (int id : {1027, 1039, 1047}) QVERIFY(Control<QRadioButton>(o, id)->isChecked());
      for (int id : {1028, 1036, 1037, 1038, 1040, 1041, 1045, 1046})
        QVERIFY(!Control<QRadioButton>(o, id)->isChecked());
      looked = true;
      Click(*o, kIdCancel);
    });
    QVERIFY(looked);
  }

  void DefaultsThenCancelChangesNothing() {
    gui::MessageRecorder messages;
    CPosterDlg dlg;
    gui::Show(dlg);
    BuiltWindow(dlg);
    const PosterParams before = dlg.Params();
    InOptions(dlg, [](COptionsDlg* o) {
      Click(*o, kIdDefaults);
      QVERIFY(Control<QRadioButton>(o, 1028)->isChecked());
      Click(*o, kIdCancel);
    });
    QCOMPARE(dlg.Params().Custom, before.Custom);
    QCOMPARE(dlg.Params().TileOrder, before.TileOrder);
    QVERIFY(dlg.IsBuilt());
  }

  void DefaultsThenOkKeepsTheEmphasisAndMakesThePosterStale() {
    gui::MessageRecorder messages;
    CPosterDlg dlg;
    gui::Show(dlg);
    BuiltWindow(dlg);
    InOptions(dlg, [](COptionsDlg* o) {
      Click(*o, kIdDefaults);
      Click(*o, kIdOk);
    });
    const PosterParams& p = dlg.Params();
    QCOMPARE(p.TileOrder, TileOrderMode::Random);
    QCOMPARE(p.DPIFraction, DPIFractionCode::Quarter);
    QCOMPARE(p.JPEGQuality, JPEGQualityLevel::Medium);
    QCOMPARE(p.Crop, 1);
    QCOMPARE(p.Rotate, 1);
    QCOMPARE(p.Borders, BorderStyle::ButtonFrame);
    QCOMPARE(p.Custom, 33u);
    QCOMPARE(p.Emphasis, 6);
    QVERIFY(!dlg.IsBuilt());
  }

  void OnlyTheJpegQualityKeepsTheBuiltPoster() {
    gui::MessageRecorder messages;
    CPosterDlg dlg;
    gui::Show(dlg);
    BuiltWindow(dlg);
    InOptions(dlg, [](COptionsDlg* o) {
      Choose(o, 1045);
      Click(*o, kIdOk);
    });
    QCOMPARE(dlg.Params().JPEGQuality, JPEGQualityLevel::High);
    QVERIFY(dlg.IsBuilt());

    // Each other option, changed alone, makes the poster stale.
    const std::vector<std::function<void(COptionsDlg*)>> changes = {
        [](COptionsDlg* o) { Choose(o, 1028); },
        [](COptionsDlg* o) { Choose(o, 1057); },
        [](COptionsDlg* o) { Choose(o, 1040); },
        [](COptionsDlg* o) { Control<QCheckBox>(o, 1030)->click(); },
        [](COptionsDlg* o) { Control<QCheckBox>(o, 1031)->click(); },
        [](COptionsDlg* o) { Control<QSlider>(o, 1055)->setValue(2); },
        [](COptionsDlg* o) { Control<QComboBox>(o, 1056)->setCurrentIndex(1); },
        [](COptionsDlg* o) { gui::TypeInto(*o, 1035, QStringLiteral("120")); },
    };
    for (std::size_t i = 0; i < changes.size(); ++i) {
      Click(dlg, IDC_BUILD);
      QVERIFY(dlg.IsBuilt());
      InOptions(dlg, [&changes, i](COptionsDlg* o) {
        changes[i](o);
        Click(*o, kIdOk);
      });
      QVERIFY2(!dlg.IsBuilt(), qPrintable(QString::number(i)));
    }
    QCOMPARE(dlg.Params().TileOrder, TileOrderMode::Matched);
  }

  // The limit of uses and the use of every photo: open only with the matched order, kept in the
  // settings, and a limit the tiles cannot fill the poster with refuses the build.
  void MatchedOrderLimitsAreStoredAndRefuseAPosterTheyCannotFill() {
    gui::MessageRecorder messages;
    {
      CPosterDlg dlg;
      gui::Show(dlg);
      BuiltWindow(dlg);
      InOptions(dlg, [](COptionsDlg* o) {
        QVERIFY(!Control(o, 1058)->isEnabled() && !Control(o, 1059)->isEnabled());
        Choose(o, 1057);
        QVERIFY(Control(o, 1058)->isEnabled() && Control(o, 1059)->isEnabled());
        QCOMPARE(Control<QLineEdit>(o, 1058)->text(), QStringLiteral("0"));
        gui::TypeInto(*o, 1058, QStringLiteral("1"));
        Control<QCheckBox>(o, 1059)->click();
        Click(*o, kIdOk);
      });
      QCOMPARE(dlg.Params().MaxUses, 1);
      QCOMPARE(dlg.Params().UseAll, 1);
      messages.requests.clear();
      Click(dlg, IDC_BUILD);
      QVERIFY(!dlg.IsBuilt());
      QCOMPARE(messages.Texts().size(), 1);
      QVERIFY2(messages.Texts()[0].contains(QStringLiteral("more than 2 photos used at most 1 "
                                                           "times each can fill")),
               qPrintable(messages.Texts()[0]));
    }
    CPosterDlg again;
    gui::Show(again);
    QCOMPARE(again.Params().MaxUses, 1);
    InOptions(again, [](COptionsDlg* o) {
      QCOMPARE(Control<QLineEdit>(o, 1058)->text(), QStringLiteral("1"));
      QVERIFY(Control<QCheckBox>(o, 1059)->isChecked());
      gui::TypeInto(*o, 1058, QStringLiteral("100000"));
      Click(*o, kIdOk);
      QVERIFY(o->isVisible());
      Click(*o, kIdCancel);
    });
    QCOMPARE(messages.Texts().last(), QStringLiteral("Please enter an integer between 0 and 99999."));
  }

  // A focused button takes Enter, Enter elsewhere presses the default button; the Alt keys of
  // the group boxes lead into their groups; Defaults puts the slider back where it opened.
  void KeysWorkAsInTheDialogTemplates() {
    gui::MessageRecorder messages;
    gui::FileDialogAnswers files;
    CPosterDlg dlg;
    gui::Show(dlg);
    BuiltWindow(dlg);
    files.Cancel();
    Key(Control(&dlg, IDC_PRINT_WIDTH), Qt::Key_Return);  // "...", the default button
    QCOMPARE(files.requests.size(), std::size_t{1});
    gui::TypeInto(dlg, IDC_PRINT_WIDTH, QStringLiteral("2"));
    Key(Control(&dlg, IDC_BUILD), Qt::Key_Return);
    QVERIFY(dlg.IsBuilt() && files.requests.size() == 1);
    const int opening = dlg.Params().Emphasis;
    InOptions(dlg, [opening](COptionsDlg* o) {
      auto* slider = Control<QSlider>(o, 1055);
      Key(o, Qt::Key_E, Qt::AltModifier);
      QCOMPARE(o->focusWidget(), slider);
      QTest::keyClick(slider, Qt::Key_Right);
      QCOMPARE(slider->value(), opening + 1);
      Key(o, Qt::Key_U, Qt::AltModifier);
      QCOMPARE(o->focusWidget(), Control(o, 1035));
      Key(o, Qt::Key_B, Qt::AltModifier);
      QCOMPARE(o->focusWidget(), Control(o, 1056));
      Click(*o, kIdDefaults);
      QCOMPARE(slider->value(), opening);
      slider->setValue(1);
      Key(Control(o, kIdCancel), Qt::Key_Return);
    });
    QCOMPARE(dlg.Params().Emphasis, opening);
    InOptions(dlg, [](COptionsDlg* o) {
      gui::TypeInto(*o, 1035, QStringLiteral("40"));
      Key(Control(o, 1035), Qt::Key_Return);  // OK
    });
    QCOMPARE(dlg.Params().Custom, 40u);
  }

  void CustomSizeOutsideItsRangeKeepsTheDialogOpen() {
    gui::MessageRecorder messages;
    CPosterDlg dlg;
    gui::Show(dlg);
    messages.requests.clear();
    bool closed = false;
    InOptions(dlg, [&](COptionsDlg* o) {
      gui::TypeInto(*o, 1035, QStringLiteral("5"));
      Click(*o, kIdOk);
      QVERIFY(o->isVisible());
      QCOMPARE(messages.Texts(), QStringList{QStringLiteral("Please enter an integer between 10 and 500.")});
      QCOMPARE(QApplication::focusWidget(), Control(o, 1035));
      gui::TypeInto(*o, 1035, QStringLiteral("500"));
      Click(*o, kIdOk);
      closed = !o->isVisible();
    });
    QVERIFY(closed);
    QCOMPARE(dlg.Params().Custom, 500u);
  }
};

const gui::Register<OptionsWindowTest> registered("OptionsWindowTest");

}  // namespace

#include "OptionsWindowTest.moc"
