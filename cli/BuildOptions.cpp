#include "cli/BuildOptions.h"

#include <charconv>
#include <cmath>
#include <cerrno>
#include <cstdio>

#include "formats/InputFile.h"

const char* const kBuildUsage =
    "usage: mozaikon-cli build MAIN [TILE...] -o OUT.bmp|OUT.jpg|OUT.png [options] [--] [FILE...]\n"
    "  -o FILE              the poster file; .bmp, .jpg, .jpeg or .png in any letter case\n"
    "  --tile-list FILE     add the files named in FILE, one per line\n"
    "  --tiles-dir DIR      add the images of a folder (hidden files passed over)\n"
    "  --recursive          with --tiles-dir: the images of every subfolder as well\n"
    "  --print-width IN     print width in inches, 0.01 to 1,000,000 (height follows the main\n"
    "                       image; default: one image pixel per printer dot)\n"
    "  --dpi N              printer resolution (default 600)\n"
    "  --fraction 1|2|3|4|8|16   printer dots per poster pixel (default 4)\n"
    "  --size small|medium|large|custom:PERCENT   tile size, PERCENT 10 to 500 (default medium)\n"
    "  --order random|sequential|matched   tile order (default random); matched puts each\n"
    "                       tile where its colours fit the main image\n"
    "  --repeat-distance N  matched order: no tile again within N cells (default 4)\n"
    "  --max-uses N         matched order: each tile at most N times (default 0: no limit)\n"
    "  --use-all            matched order: use every tile at least once\n"
    "  --placement FILE.csv write the tile of every cell, one row,column,tile line each\n"
    "  --seed N             fixed start for the random order: the same inputs give the same poster\n"
    "  --emphasis 1..7      weight of the tiles in eighths (default 4, equal)\n"
    "  --borders frame|line|none   tile borders (default line)\n"
    "  --no-crop            do not cut tiles to the cell's shape\n"
    "  --no-rotate          do not turn tiles to the majority orientation\n"
    "  --quality high|medium|low   JPEG quality (default medium)\n"
    "  --threads N          threads to build with (default: one per core; the poster is the\n"
    "                       same whatever the number)\n"
    "  --ignore-orientation read photos as stored, not turned upright by their orientation tag\n"
    "  -q, --quiet          no progress lines\n"
    "  -h, --help           this text\n"
    "Options take their value as --option VALUE or --option=VALUE; after -- every argument\n"
    "is a file.\n";

namespace {

// Far beyond what any tile set can hold (41 tiles hold 4, 1,000 tiles 21).
constexpr int kMaxRepeatDistance = 1000;

template <typename T>
std::optional<T> ParseNumber(const std::string& text) {
  T value{};
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<DPIFractionCode> FractionCode(const std::string& text) {
  const auto divisor = ParseNumber<int>(text);
  if (!divisor) return std::nullopt;
  return DPIFractionFromDivisor(*divisor);
}

bool ParseSize(const std::string& text, PosterParams& params) {
  if (text == "small") params.TileSize = TileSizePreset::Small;
  else if (text == "medium") params.TileSize = TileSizePreset::Medium;
  else if (text == "large") params.TileSize = TileSizePreset::Large;
  else if (text.rfind("custom:", 0) == 0) {
    const auto percent = ParseNumber<unsigned>(text.substr(7));
    if (!percent || *percent < 10 || *percent > 500) return false;
    params.TileSize = TileSizePreset::Custom;
    params.Custom = *percent;
  } else {
    return false;
  }
  return true;
}

// Applies one option that takes a value; false when the value is not one the option takes.
bool ApplyValueOption(const std::string& name, const std::string& value, BuildOptions& o) {
  PosterParams& p = o.params;
  if (name == "-o") o.output = value;
  else if (name == "--tiles-dir") o.tileDirs.push_back(value);
  else if (name == "--print-width") {
    // Below a hundredth the width would truncate to none and silently become the default.
    const auto inches = ParseNumber<double>(value);
    if (!inches || !(*inches >= 0.01 && *inches <= kMaxPrintWidthInches)) return false;
    o.printWidthInches = inches;
  } else if (name == "--dpi") {
    const auto dpi = ParseNumber<int>(value);
    if (!dpi || *dpi < 1 || *dpi > 100000) return false;
    o.dpi = *dpi;
  } else if (name == "--fraction") {
    const auto code = FractionCode(value);
    if (!code) return false;
    p.DPIFraction = *code;
  } else if (name == "--size") return ParseSize(value, p);
  else if (name == "--order") {
    if (value == "random") p.TileOrder = TileOrderMode::Random;
    else if (value == "sequential") p.TileOrder = TileOrderMode::Sequential;
    else if (value == "matched") p.TileOrder = TileOrderMode::Matched;
    else return false;
  } else if (name == "--repeat-distance") {
    const auto cells = ParseNumber<int>(value);
    if (!cells || *cells < 0 || *cells > kMaxRepeatDistance) return false;
    o.repeatDistance = *cells;
  } else if (name == "--max-uses") {
    const auto uses = ParseNumber<int>(value);
    if (!uses || *uses < 0 || *uses > kMaxUsesLimit) return false;
    p.MaxUses = *uses;
  } else if (name == "--placement") {
    if (value.empty()) return false;
    o.placement = value;
  } else if (name == "--seed") {
    o.seed = ParseNumber<std::uint64_t>(value);
    return o.seed.has_value();
  } else if (name == "--emphasis") {
    const auto emphasis = ParseNumber<int>(value);
    if (!emphasis || *emphasis < 1 || *emphasis > 7) return false;
    p.Emphasis = *emphasis;
  } else if (name == "--borders") {
    if (value == "frame") p.Borders = BorderStyle::ButtonFrame;
    else if (value == "line") p.Borders = BorderStyle::SingleLine;
    else if (value == "none") p.Borders = BorderStyle::NoBorders;
    else return false;
  } else if (name == "--threads") {
    const auto threads = ParseNumber<int>(value);
    if (!threads || *threads < 1 || *threads > 64) return false;
    o.threads = *threads;
  } else if (name == "--quality") {
    if (value == "high") p.JPEGQuality = JPEGQualityLevel::High;
    else if (value == "medium") p.JPEGQuality = JPEGQualityLevel::Medium;
    else if (value == "low") p.JPEGQuality = JPEGQualityLevel::Low;
    else return false;
  }
  return true;
}

bool TakesValue(const std::string& name) {
  for (const char* option : {"-o", "--tile-list", "--tiles-dir", "--print-width", "--dpi",
                             "--fraction", "--size", "--order", "--repeat-distance", "--seed",
                             "--emphasis", "--borders", "--quality", "--threads", "--max-uses",
                             "--placement"})
    if (name == option) return true;
  return false;
}

}  // namespace

std::optional<std::vector<std::string>> ReadTileListFile(const std::string& path,
                                                        std::string& why) {
  int error = 0;
  std::FILE* in = OpenInputFile(path, error);
  if (in == nullptr) {
    why = DescribeFileError(error);
    return std::nullopt;
  }
  std::vector<std::string> files;
  std::string line;
  constexpr const char* kBlanks = " \t\r\n\f\v";
  const auto takeLine = [&] {
    const auto first = line.find_first_not_of(kBlanks);
    if (first != std::string::npos)
      files.push_back(line.substr(first, line.find_last_not_of(kBlanks) - first + 1));
    line.clear();
  };
  for (int c; (c = std::fgetc(in)) != EOF;) {
    if (c == '\n')
      takeLine();
    else
      line.push_back(static_cast<char>(c));
  }
  takeLine();
  const bool failed = std::ferror(in) != 0;
  std::fclose(in);
  if (failed) {
    why = DescribeFileError(EIO);
    return std::nullopt;
  }
  return files;
}

namespace {

// Splits "--name=value" into its halves; nothing for any other argument.
std::optional<std::pair<std::string, std::string>> SplitJoinedValue(const std::string& arg) {
  if (arg.rfind("--", 0) != 0) return std::nullopt;
  const auto equals = arg.find('=');
  if (equals == std::string::npos) return std::nullopt;
  return std::make_pair(arg.substr(0, equals), arg.substr(equals + 1));
}

// Applies one value option: an error for the user, or empty.
std::string ApplyOption(const std::string& name, const std::string& value, BuildOptions& o) {
  if (name == "--tile-list") {
    std::string why;
    const auto files = ReadTileListFile(value, why);
    if (!files) return "cannot read the tile list file '" + value + "': " + why;
    o.tileListFiles.push_back(value);
    o.tileFiles.insert(o.tileFiles.end(), files->begin(), files->end());
    return {};
  }
  if (ApplyValueOption(name, value, o)) return {};
  if (name == "--print-width")
    return "invalid value '" + value + "' for --print-width: give 0.01 to 1,000,000 inches";
  if (name == "--size")
    return "invalid value '" + value +
           "' for --size: give small, medium, large or custom:PERCENT with PERCENT 10 to 500";
  return "invalid value '" + value + "' for " + name;
}

}  // namespace

std::variant<BuildOptions, std::string> ParseBuildOptions(const Arguments& args) {
  BuildOptions options;
  std::vector<std::string> positional;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const auto joined = SplitJoinedValue(arg);
    if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') positional.push_back(arg);
    else if (arg == "--") optionsEnded = true;
    else if (arg == "--no-crop") options.params.Crop = 0;
    else if (arg == "--no-rotate") options.params.Rotate = 0;
    else if (arg == "--recursive") options.recursive = true;
    else if (arg == "--use-all") options.params.UseAll = 1;
    else if (arg == "--ignore-orientation") options.params.Orientation = 0;
    else if (arg == "-q" || arg == "--quiet") options.quiet = true;
    else if (joined && TakesValue(joined->first)) {
      if (auto error = ApplyOption(joined->first, joined->second, options); !error.empty())
        return error;
    } else if (TakesValue(arg)) {
      if (i + 1 >= args.size()) return "option " + arg + " needs a value";
      if (auto error = ApplyOption(arg, args[++i], options); !error.empty()) return error;
    } else {
      return "unknown option " + arg;
    }
  }
  if (positional.empty()) return std::string("no main image given");
  if (options.output.empty()) return std::string("no output file given (-o OUT.bmp|OUT.jpg|OUT.png)");
  if (options.recursive && options.tileDirs.empty())
    return std::string("--recursive needs a --tiles-dir folder");
  options.mainImage = positional.front();
  options.tileFiles.insert(options.tileFiles.begin(), positional.begin() + 1, positional.end());
  return options;
}
