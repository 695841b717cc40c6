// The writer that takes a poster's rows as they are laid, for the format a file name chose.
#pragma once

#include <memory>

#include "formats/OutputTarget.h"
#include "formats/PosterRowSink.h"
#include "output/PosterSaver.h"

// jpegQualityCode is the stored quality code, used only for JPEG.
[[nodiscard]] std::unique_ptr<CPosterRowSink> MakePosterRowWriter(PosterFormat format,
                                                                  const COutputTarget& target,
                                                                  unsigned jpegQualityCode);
