#include "cli/PlacementFile.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "formats/AtomicFile.h"
#include "formats/InputFile.h"

namespace {

// A field as RFC 4180 has it: in double quotes, each quote doubled, when it holds a comma, a
// quote or a line break; as it is otherwise.
void AppendField(std::string& text, const std::string& field) {
  if (field.find_first_of(",\"\r\n") == std::string::npos) {
    text += field;
    return;
  }
  text += '"';
  for (const char c : field) {
    if (c == '"') text += '"';
    text += c;
  }
  text += '"';
}

}  // namespace

TargetCheck CheckPlacementTarget(const std::string& path, const std::vector<std::string>& inputs,
                                 const std::string& otherOutput) {
  // The other output need not exist yet, so its name is compared, not its file.
  std::error_code pathError, otherError;
  const auto placement = std::filesystem::weakly_canonical(path, pathError);
  const auto other = std::filesystem::weakly_canonical(otherOutput, otherError);
  if (!pathError && !otherError && placement == other) {
    TargetCheck same;
    same.why = TargetRefusal::kIsInput;
    same.refusal = "the placement file '" + path + "' is also the output '" + otherOutput +
                   "'; please choose another name";
    return same;
  }
  TargetCheck check = CheckOutputTarget(path, inputs);
  // The check speaks of the output file; this one is the placement file.
  const std::string output = "The output file";
  if (check.refusal.compare(0, output.size(), output) == 0)
    check.refusal.replace(0, output.size(), "The placement file");
  return check;
}

std::string FormatPlacement(int cellsAcross, const std::vector<int>& cellTiles,
                            const TileList& tiles) {
  std::string text = "row,column,tile\r\n";
  for (std::size_t cell = 0; cell < cellTiles.size(); ++cell) {
    text += std::to_string(cell / cellsAcross) + ',' + std::to_string(cell % cellsAcross) + ',';
    AppendField(text, tiles.GetText(cellTiles[cell]));
    text += "\r\n";
  }
  return text;
}

std::optional<std::string> WritePlacementFile(const COutputTarget& target,
                                              const std::string& text) {
  CAtomicFile file(target);
  std::FILE* out = file.Open();
  if (out != nullptr && std::fwrite(text.data(), 1, text.size(), out) == text.size() &&
      file.Commit())
    return std::nullopt;
  const int error = errno != 0 ? errno : EIO;
  return "the placement file could not be written: '" + target.Path() +
         "': " + DescribeFileError(error);
}
