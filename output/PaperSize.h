// The paper sizes the command line prints on, and lengths as people type them.
#pragma once

#include <optional>
#include <string>

struct PaperSize {
  double widthInches = 8.5;
  double heightInches = 11.0;
};

// The unprintable border kept on every side of a sheet, as most printers have one.
constexpr double kPaperMarginInches = 0.25;

// "letter", "a4", "a3", "legal" or "tabloid", or a size such as "210x297mm" or "8.5x11in" (a
// number, "x", a number and a unit: mm, cm or in) that leaves a printable area on every side;
// nothing for anything else.
[[nodiscard]] std::optional<PaperSize> PaperSizeFromName(const std::string& name);

// A length such as "8mm", "1cm" or "0.3in" in inches: a number of 0 or more and a unit; nothing
// for anything else.
[[nodiscard]] std::optional<double> ParseLengthInches(const std::string& text);
