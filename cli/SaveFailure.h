// The message for a poster file that could not be saved.
#pragma once

#include <string>

#include "formats/SaveResult.h"

// The user's message for saved (not kSaved or kCancelled) writing output; error is errno as the
// writer left it (0 when unknown), which names the system's reason for a write error.
[[nodiscard]] std::string DescribeSaveFailure(SaveResult saved, bool jpeg,
                                              const std::string& output, int error);
