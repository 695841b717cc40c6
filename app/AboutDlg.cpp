#include "app/AboutDlg.h"

#include <QPushButton>

#include "platform/ControlTable.h"

namespace {

constexpr int kIdOk = 1;

constexpr ControlSpec kTemplate[] = {
    {0, ControlKind::Frame, 7, 7, 212, 74, ""},
    {0, ControlKind::Icon, 11, 17, 32, 32, ""},
    {0, ControlKind::Label, 60, 16, 143, 8,
     sizeof(void*) == 8 ? "Quillet Poster, 64-bit, Version 1.0"
                        : "Quillet Poster, 32-bit, Version 1.0"},
    {0, ControlKind::Label, 60, 40, 143, 8, "For Linux and other systems with Qt 6"},
    {0, ControlKind::Frame, 7, 88, 212, 33, ""},
    {0, ControlKind::Label, 46, 95, 150, 8, "This software is based in part on the work"},
    {0, ControlKind::Label, 60, 107, 120, 8, "of the Independent JPEG Group."},
    {kIdOk, ControlKind::DefaultButton, 169, 128, 50, 14, "OK"},
};

}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("About Quillet Poster"));
  LayOutDialog(this, kTemplate, 226, 149);
  auto* ok = Control<QPushButton>(this, kIdOk);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  ok->setFocus();
}
