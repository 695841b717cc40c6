#include "engine/UseLimitCheck.h"

#include <cstdint>

#include "engine/TileMatch.h"
#include "image/NumberUtils.h"
#include "resources/StringTable.h"

namespace {

std::string Thousands(long long value) {
  return FormatThousands(static_cast<std::uint32_t>(value));
}

}  // namespace

std::optional<std::string> CheckUseLimit(TileList& tiles, const PosterSetup& setup) {
  const PosterParams& params = setup.params;
  if (params.TileOrder != TileOrderMode::Matched || params.MaxUses <= 0) return std::nullopt;
  const TileGridResult result = ComputeTileGrid(tiles, FALSE, setup);
  if (!result.success) return std::nullopt;
  const long long cells = static_cast<long long>(result.grid.tilesAcross) * result.grid.tilesDown;
  const std::optional<int> fitting =
      SmallestFittingMaxUses(cells, tiles.GetCount(), params.MaxUses);
  if (!fitting) return std::nullopt;
  return res::FormatString(res::IDS_MAX_USES_TOO_FEW,
                           {Thousands(cells), Thousands(tiles.GetCount()),
                            Thousands(params.MaxUses), Thousands(*fitting)});
}
