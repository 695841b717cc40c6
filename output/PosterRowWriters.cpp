#include "output/PosterRowWriters.h"

#include "formats/BmpWriter.h"
#include "formats/JpegRowWriter.h"
#include "formats/PngWriter.h"

std::unique_ptr<CPosterRowSink> MakePosterRowWriter(PosterFormat format,
                                                    const COutputTarget& target,
                                                    unsigned jpegQualityCode) {
  switch (format) {
    case PosterFormat::kBmp: return std::make_unique<CBmpRowWriter>(target);
    case PosterFormat::kPng: return std::make_unique<CPngRowWriter>(target);
    case PosterFormat::kJpeg: return std::make_unique<CJpegRowWriter>(target, jpegQualityCode);
  }
  return nullptr;
}
