// Whether the system offers a printer, and the Print Setup dialog.
#pragma once

class QWidget;

// TRUE when a default printer exists. Tests may decide the answer with SetPrinterProbe.
[[nodiscard]] bool HasDefaultPrinter();
// Replaces the system's answer (nullptr restores it).
void SetPrinterProbe(bool (*probe)());

// Runs the system's printer setup dialog on the default printer; TRUE when it ends with OK.
[[nodiscard]] bool RunPrinterSetupDialog(QWidget* parent);
