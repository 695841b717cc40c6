// The placement file of `build` and `print`, and the matched order's rules read back from it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>

#include "formats/BmpWriter.h"
#include "support/TestSupport.h"

using test::RunCli;

namespace {

constexpr int kTiles = 20;  // they hold a repetition distance of 2

struct Placement {
  int across = 0, down = 0;                 // from the printed geometry
  std::vector<std::string> header;
  std::vector<std::vector<std::string>> lines;  // row, column, tile
};

// The fields of one CSV record starting at at, which is left after its line end.
std::vector<std::string> ReadRecord(const std::string& text, std::size_t& at) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (; at < text.size(); ++at) {
    const char c = text[at];
    if (quoted && c == '"' && at + 1 < text.size() && text[at + 1] == '"') {
      fields.back() += '"';
      ++at;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (!quoted && c == ',') {
      fields.emplace_back();
    } else if (!quoted && c == '\r' && text.compare(at, 2, "\r\n") == 0) {
      at += 2;
      return fields;
    } else {
      fields.back() += c;
    }
  }
  ADD_FAILURE() << "a record without its CR LF";
  return fields;
}

Placement ReadPlacement(const std::string& path, const std::string& printed) {
  Placement p;
  std::smatch grid;
  if (std::regex_search(printed, grid, std::regex(R"((\d+) across x (\d+) down)")))
    p.across = std::stoi(grid[1]), p.down = std::stoi(grid[2]);
  const test::Bytes bytes = test::ReadFile(path);
  const std::string text(bytes.begin(), bytes.end());
  std::size_t at = 0;
  p.header = ReadRecord(text, at);
  while (at < text.size()) p.lines.push_back(ReadRecord(text, at));
  return p;
}

std::string SavedFlat(const std::string& path, int w, int h, test::Bgr colour) {
  CDibImage image;
  test::Fill(image, w, h, [&](int, int) { return colour; });
  EXPECT_EQ(WriteBmpFile(image, test::Target(path), nullptr), SaveResult::kSaved);
  return path;
}

// A flat main image whose colour is that of the first tile, so that every cell wants it, and
// twenty tiles of clearly different colours; one tile's name holds a comma and quotes.
struct MatchScene {
  std::string dir, main;
  std::vector<std::string> tiles;
  explicit MatchScene(const std::string& name) : dir(test::FreshDir(name)) {
    main = SavedFlat(dir + "/main.bmp", 60, 45, {40, 200, 90});
    for (int i = 0; i < kTiles; ++i) {
      const std::string file = i == 7 ? "odd, \"named\".bmp" : "tile" + std::to_string(i) + ".bmp";
      const auto shade = static_cast<std::uint8_t>(12 * i);
      tiles.push_back(SavedFlat(dir + "/" + file, 16, 12,
                                {static_cast<std::uint8_t>(40 + shade), 200,
                                 static_cast<std::uint8_t>(90 + shade)}));
    }
  }
  std::vector<std::string> Args(const std::string& output, const std::string& placement) const {
    std::vector<std::string> args = {"build", main, "--print-width", "2", "--dpi", "120",
                                     "--fraction", "1", "--size", "small", "--seed", "3",
                                     "-o", output, "--placement", placement};
    args.insert(args.end(), tiles.begin(), tiles.end());
    return args;
  }
};

// Fails on two cells within distance of each other that hold the same tile.
void ExpectRepeatDistanceHeld(const Placement& p, int distance) {
  std::map<std::pair<int, int>, std::string> at;
  for (const auto& line : p.lines) at[{std::stoi(line[0]), std::stoi(line[1])}] = line[2];
  for (const auto& [cell, tile] : at)
    for (int dr = -distance; dr <= distance; ++dr)
      for (int dc = -distance; dc <= distance; ++dc) {
        const auto other = at.find({cell.first + dr, cell.second + dc});
        if ((dr != 0 || dc != 0) && other != at.end()) {
          ASSERT_NE(other->second, tile) << cell.first << "," << cell.second << " and " << dr
                                         << "," << dc << " away";
        }
      }
}

std::map<std::string, int> UsesOfEachTile(const Placement& p) {
  std::map<std::string, int> uses;
  for (const auto& line : p.lines) ++uses[line[2]];
  return uses;
}

}  // namespace

// Every order writes the header and one line per cell, rows from the top, each row's columns
// from the left, naming the tiles as they were listed.
TEST(CliPlacement, OneLinePerCellInEveryOrder) {
  MatchScene scene("placement-orders");
  for (const char* order : {"random", "sequential", "matched"}) {
    const std::string csv = scene.dir + "/" + order + ".csv";
    auto args = scene.Args(scene.dir + "/poster.bmp", csv);
    args.insert(args.end(), {"--order", order});
    const auto r = RunCli(args);
    ASSERT_EQ(r.exitCode, 0) << order << r.err;
    const Placement p = ReadPlacement(csv, r.out);
    EXPECT_EQ(p.header, (std::vector<std::string>{"row", "column", "tile"}));
    ASSERT_GT(p.across * p.down, kTiles) << r.out;
    ASSERT_EQ(p.lines.size(), static_cast<std::size_t>(p.across * p.down)) << order;
    for (std::size_t cell = 0; cell < p.lines.size(); ++cell) {
      ASSERT_EQ(p.lines[cell].size(), 3u);
      EXPECT_EQ(p.lines[cell][0], std::to_string(cell / p.across));
      EXPECT_EQ(p.lines[cell][1], std::to_string(cell % p.across));
      EXPECT_NE(std::find(scene.tiles.begin(), scene.tiles.end(), p.lines[cell][2]),
                scene.tiles.end())
          << p.lines[cell][2];
    }
    EXPECT_NE(r.out.find("placement    " + csv), std::string::npos);
    // Sequential order walks the list over and over.
    if (std::string(order) == "sequential") {
      for (std::size_t cell = 1; cell < p.lines.size(); ++cell)
        EXPECT_NE(p.lines[cell][2], p.lines[cell - 1][2]);
    }
  }
  // The name with a comma and quotes is written quoted, its quotes doubled.
  const test::Bytes bytes = test::ReadFile(scene.dir + "/sequential.csv");
  EXPECT_NE(std::string(bytes.begin(), bytes.end()).find(",\"" + scene.dir + "/odd, \"\"named\"\".bmp\"\r\n"),
            std::string::npos);
}

// Every cell wants the same tile: the placement shows the rules the user chose, and only those.
TEST(CliPlacement, MatchedOrderKeepsTheDistanceAndTheLimitsAskedFor) {
  MatchScene scene("placement-rules");
  const std::string poster = scene.dir + "/poster.bmp", csv = scene.dir + "/cells.csv";
  const auto matched = [&](std::vector<std::string> extra) {
    auto args = scene.Args(poster, csv);
    args.insert(args.end(), {"--order", "matched", "--repeat-distance", "2"});
    args.insert(args.end(), extra.begin(), extra.end());
    const auto r = RunCli(args);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return ReadPlacement(csv, r.out);
  };

  // No limit: the wanted tile as often as the distance lets it, far beyond a fair share.
  const Placement free = matched({});
  const int cells = free.across * free.down;
  ExpectRepeatDistanceHeld(free, 2);
  std::map<std::string, int> uses = UsesOfEachTile(free);
  EXPECT_GE(uses[scene.tiles[0]], cells / 9);
  EXPECT_GT(uses[scene.tiles[0]], 2 * cells / kTiles);
  EXPECT_LT(uses.size(), static_cast<std::size_t>(kTiles)) << "far tiles stay out";

  const int limit = cells / kTiles + 2;
  const Placement limited = matched({"--max-uses", std::to_string(limit)});
  ExpectRepeatDistanceHeld(limited, 2);
  for (const auto& [tile, count] : UsesOfEachTile(limited)) EXPECT_LE(count, limit) << tile;

  const Placement all = matched({"--use-all"});
  ExpectRepeatDistanceHeld(all, 2);
  EXPECT_EQ(UsesOfEachTile(all).size(), static_cast<std::size_t>(kTiles));
}

// A limit under which the tiles cannot fill the cells, and a placement file that could not be
// written, are refused before anything is built or written.
TEST(CliPlacement, ImpossibleLimitsAndTargetsAreRefusedBeforeTheBuild) {
  MatchScene scene("placement-refused");
  const std::string poster = scene.dir + "/poster.bmp", csv = scene.dir + "/cells.csv";
  auto args = scene.Args(poster, csv);
  args.insert(args.end(), {"--order", "matched", "--max-uses", "2"});
  auto r = RunCli(args);
  EXPECT_EQ(r.exitCode, 1);
  std::smatch m;
  ASSERT_TRUE(std::regex_search(r.err, m, std::regex(R"(The poster has (\d+) cells, more than 20 photos used at most 2 times each can fill\. Use each photo at most (\d+) times or more)")))
      << r.err;
  const int cells = std::stoi(m[1]);
  EXPECT_EQ(std::stoi(m[2]), (cells + kTiles - 1) / kTiles);
  EXPECT_EQ(r.err.find("Matching tiles"), std::string::npos) << "refused before the build";
  EXPECT_FALSE(test::Exists(poster));
  EXPECT_FALSE(test::Exists(csv));
  // The smallest limit it names builds; a random order keeps no limit at all.
  args.back() = m[2];
  EXPECT_EQ(RunCli(args).exitCode, 0);
  args.insert(args.end(), {"--order", "random", "--max-uses", "1"});
  EXPECT_EQ(RunCli(args).exitCode, 0);

  const std::vector<std::pair<std::string, std::string>> refusals = {
      {scene.main, "The placement file '" + scene.main + "' is also one of the inputs"},
      {poster, "is also the output"},
      {scene.dir, "The placement file cannot be written to '" + scene.dir + "': is a folder"}};
  for (const auto& [target, why] : refusals) {
    std::filesystem::remove(poster);
    r = RunCli(scene.Args(poster, target));
    EXPECT_EQ(r.exitCode, 1) << target;
    EXPECT_NE(r.err.find(why), std::string::npos) << r.err;
    EXPECT_FALSE(test::Exists(poster)) << target;
  }
}

TEST(CliPlacement, PrintWritesThePlacementOfThePosterItPrints) {
  MatchScene scene("placement-print");
  const std::string pdf = scene.dir + "/poster.pdf", csv = scene.dir + "/cells.csv";
  std::vector<std::string> args = {"print", scene.main, "--print-width", "2", "--dpi", "120",
                                   "--fraction", "1", "--size", "small", "--order", "matched",
                                   "--pdf", pdf, "--placement", csv};
  args.insert(args.end(), scene.tiles.begin(), scene.tiles.end());
  const auto r = RunCli(args);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(test::Exists(pdf));
  const Placement p = ReadPlacement(csv, "");
  ASSERT_FALSE(p.lines.empty());
  ExpectRepeatDistanceHeld(p, 2);
  const auto& last = p.lines.back();
  EXPECT_EQ(p.lines.size(),
            static_cast<std::size_t>((std::stoi(last[0]) + 1) * (std::stoi(last[1]) + 1)));
}
