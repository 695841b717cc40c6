// Steps the window tests take on the main window: showing it, clicking by identifier, typing.
#pragma once

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "GuiHarness.h"
#include "app/PosterDlg.h"
#include "app/PrintDestinationDlg.h"
#include "platform/ControlTable.h"
#include "platform/HelpWindow.h"

namespace gui {

inline QString Shown(const QWidget& window, int id) {
  return Control<QLineEdit>(&window, id)->text();
}

inline bool Enabled(const QWidget& window, int id) { return Control(&window, id)->isEnabled(); }

// Shows the window and, once the help contents it opens at start are up, makes it active again.
inline void Show(CPosterDlg& dlg) {
  dlg.show();
  QVERIFY(QTest::qWaitForWindowExposed(&dlg));
  QTRY_VERIFY(HelpWindow() != nullptr);
  QApplication::setActiveWindow(&dlg);
  QVERIFY(QTest::qWaitForWindowActive(&dlg));
}

// Puts the focus into the edit the way the Tab key does, and types text over what it holds.
inline void TypeInto(QWidget& window, int id, const QString& text) {
  QLineEdit* edit = Control<QLineEdit>(&window, id);
  edit->setFocus(Qt::TabFocusReason);
  QCoreApplication::processEvents();
  edit->selectAll();
  QTest::keyClicks(edit, text);
}

inline void Click(QWidget& window, int id) {
  QTest::mouseClick(Control<QAbstractButton>(&window, id), Qt::LeftButton);
}

// The entries of the tile list box, top to bottom.
inline QStringList ListedTiles(const CPosterDlg& dlg, int id) {
  QStringList texts;
  auto* list = Control<QListWidget>(&dlg, id);
  for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
  return texts;
}

// Print Poster first asks where to: the printer, offered first, is taken.
inline void ToThePrinter() {
  WhenModal<CPrintDestinationDlg>([](CPrintDestinationDlg* destination) {
    Control<QPushButton>(destination, CPrintDestinationDlg::IDOK)->click();
  });
}

}  // namespace gui
