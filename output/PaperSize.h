// The paper sizes the command line prints on.
#pragma once

#include <optional>
#include <string>

struct PaperSize {
  double widthInches = 8.5;
  double heightInches = 11.0;
};

// The unprintable border kept on every side of a sheet, as most printers have one.
constexpr double kPaperMarginInches = 0.25;

// "letter", "a4", "a3", "legal" or "tabloid"; nothing for any other name.
[[nodiscard]] std::optional<PaperSize> PaperSizeFromName(const std::string& name);
