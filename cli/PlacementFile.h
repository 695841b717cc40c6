// The placement file: which tile went into which cell of the poster, so that people can find
// their own photos on it. A CSV file (RFC 4180): the header "row,column,tile", then one line per
// cell, rows from the top and columns from the left, both from 0, each row's cells in turn; tile
// is the file's path as it was listed.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/TileList.h"
#include "formats/OutputTarget.h"

// Whether path may take the placement file, checked before the build like the poster's name.
// inputs are the files the build reads, otherOutput the poster or PDF it writes besides.
[[nodiscard]] TargetCheck CheckPlacementTarget(
    const std::string& path, const std::vector<std::string>& inputs,
    const std::string& otherOutput);

// The file's text for a grid of cellsAcross cells in a row: cellTiles holds the tile list entry
// of every cell, rows from the top.
[[nodiscard]] std::string FormatPlacement(int cellsAcross, const std::vector<int>& cellTiles,
                                          const TileList& tiles);

// Writes text to target whole or not at all; the message for the user when it fails.
[[nodiscard]] std::optional<std::string> WritePlacementFile(const COutputTarget& target,
                                                            const std::string& text);
