#include "output/PaperSize.h"

#include <charconv>
#include <cmath>

namespace {

struct NamedPaper {
  const char* name;
  PaperSize size;
};

constexpr double kMmPerInch = 25.4;
// Beyond any paper a printer or plotter takes; keeps the page arithmetic far from overflow.
constexpr double kLargestPaperInches = 1000;

constexpr NamedPaper kPapers[] = {
    {"letter", {8.5, 11.0}},
    {"a4", {210 / kMmPerInch, 297 / kMmPerInch}},
    {"a3", {297 / kMmPerInch, 420 / kMmPerInch}},
    {"legal", {8.5, 14.0}},
    {"tabloid", {11.0, 17.0}},
};

struct Unit {
  const char* suffix;
  double perInch;
};

constexpr Unit kUnits[] = {{"mm", kMmPerInch}, {"cm", kMmPerInch / 10}, {"in", 1.0}};

std::optional<double> ParseNumber(const std::string& text) {
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value) || value < 0)
    return std::nullopt;
  return value;
}

// The unit at the end of text and the text before it.
const Unit* SplitUnit(const std::string& text, std::string& number) {
  for (const Unit& unit : kUnits) {
    const std::string suffix = unit.suffix;
    if (text.size() > suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0) {
      number = text.substr(0, text.size() - suffix.size());
      return &unit;
    }
  }
  return nullptr;
}

}  // namespace

std::optional<double> ParseLengthInches(const std::string& text) {
  std::string number;
  const Unit* unit = SplitUnit(text, number);
  if (unit == nullptr) return std::nullopt;
  const auto value = ParseNumber(number);
  if (!value) return std::nullopt;
  return *value / unit->perInch;
}

std::optional<PaperSize> PaperSizeFromName(const std::string& name) {
  for (const NamedPaper& paper : kPapers)
    if (name == paper.name) return paper.size;
  std::string numbers;
  const Unit* unit = SplitUnit(name, numbers);
  const auto times = numbers.find('x');
  if (unit == nullptr || times == std::string::npos) return std::nullopt;
  const auto width = ParseNumber(numbers.substr(0, times));
  const auto height = ParseNumber(numbers.substr(times + 1));
  if (!width || !height) return std::nullopt;
  const PaperSize paper{*width / unit->perInch, *height / unit->perInch};
  // At least a hundredth of an inch printable each way, and no larger than any printer takes.
  const double smallest = 2 * kPaperMarginInches + 0.01;
  if (paper.widthInches < smallest || paper.heightInches < smallest ||
      paper.widthInches > kLargestPaperInches || paper.heightInches > kLargestPaperInches)
    return std::nullopt;
  return paper;
}
