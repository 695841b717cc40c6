// Whether the tiles can fill the poster's cells under the user's limit of uses per tile, checked
// before a matched build starts.
#pragma once

#include <optional>
#include <string>

#include "engine/TileGrid.h"
#include "engine/TileList.h"

// The message that refuses the build, or nothing when it may go on: a limit of uses per tile
// under which the tiles of the list cannot fill the cells of the grid the setup gives. Only the
// matched order keeps to a limit; every other order passes.
[[nodiscard]] std::optional<std::string> CheckUseLimit(TileList& tiles, const PosterSetup& setup);
