// The poster program's settings: the poster options and four remembered file names, kept in
// the per-user store under the section "Options".
#pragma once

#include <string>

#include "engine/PosterParams.h"

class CProfile;

// The four remembered file names; each starts as a pattern the file dialogs accept.
struct RememberedPaths {
  std::string mainImage = "*.jpg";    // "MainImage"
  std::string tileList = "*.txt";     // "TileList"
  std::string saveName = "*.jpg";     // "SaveName"
  std::string tileAddName = "*.jpg";  // "TileAddName"
};

struct PosterSettings {
  PosterParams params;
  RememberedPaths paths;  // as read at start-up
};

// Reads the sixteen keys (missing ones take their defaults) and corrects the options into
// their ranges.
[[nodiscard]] PosterSettings LoadPosterSettings(CProfile& profile);

// Writes the sixteen keys. Each remembered name is written from current when it is not empty,
// otherwise the value read at start-up is written back.
void SavePosterSettings(CProfile& profile, const PosterParams& params,
                        const RememberedPaths& current, const RememberedPaths& read);
