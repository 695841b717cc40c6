#include "output/PaperSize.h"

namespace {

struct NamedPaper {
  const char* name;
  PaperSize size;
};

constexpr double kMmPerInch = 25.4;

constexpr NamedPaper kPapers[] = {
    {"letter", {8.5, 11.0}},
    {"a4", {210 / kMmPerInch, 297 / kMmPerInch}},
    {"a3", {297 / kMmPerInch, 420 / kMmPerInch}},
    {"legal", {8.5, 14.0}},
    {"tabloid", {11.0, 17.0}},
};

}  // namespace

std::optional<PaperSize> PaperSizeFromName(const std::string& name) {
  for (const NamedPaper& paper : kPapers)
    if (name == paper.name) return paper.size;
  return std::nullopt;
}
