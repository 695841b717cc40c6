// Probing and loading image files, the format recognised by the first byte of the file.
#pragma once

#include <cstddef>
#include <string>

#include "formats/LoadOptions.h"
#include "image/DibImage.h"

// How many bytes of a file's start the dispatch looks at; at least 10 must be there.
constexpr std::size_t kFormatHeadBytes = 64;

// Reports the size of the image in fileName without decoding its pixels. The image's pixels are
// not freed, but it counts as empty afterwards (IsValid FALSE). With options.turnUpright the size
// is that of the upright picture: width and height exchanged for a photo stored turned. A
// picture past the area limit (kMaxImagePixels) is refused, width and height left unchanged.
[[nodiscard]] BOOL Probe(CDibImage& image, const std::string& fileName, int& width, int& height,
                         const LoadOptions& options = {});

// Probe without the area limit: the size the file's header declares, so that a refusal can
// say how large the picture is.
[[nodiscard]] BOOL ProbeDeclaredSize(CDibImage& image, const std::string& fileName, int& width,
                                     int& height, const LoadOptions& options = {});

// Decodes fileName into image as a 24-bit picture; TRUE exactly when the reader created the new
// pixels (a file that ends early still loads, with the missing rows black). With
// options.turnUpright a photo stored turned or mirrored is delivered upright.
[[nodiscard]] BOOL Load(CDibImage& image, const std::string& fileName,
                        const LoadOptions& options = {});

class CRowReceiver;

// How LoadOrStream delivered a picture.
enum class Delivery {
  kNone,   // not loaded: as Load's FALSE
  kImage,  // loaded into the image, as Load does
  kRows,   // handed to the receiver row by row; the image has no pixels
};
struct LoadOutcome {
  Delivery delivery = Delivery::kNone;
  bool whole = false;  // every row was read from undamaged data (see LoadedWhole)
};

// Load, except that a reader able to hand its rows over as it decodes them (JPEG) offers them to
// receiver, for a picture that needs no turning upright.
[[nodiscard]] LoadOutcome LoadOrStream(CDibImage& image, const std::string& fileName,
                                       const LoadOptions& options, CRowReceiver& receiver);

// After a successful Load: FALSE when the file's data ended early or was damaged, so that part of
// the picture is filled in plain rather than read.
[[nodiscard]] BOOL LoadedWhole(const CDibImage& image);

// The format names the command line prints ("JPEG", "PNG", "HEIC"...), from the first size
// bytes of a file (kFormatHeadBytes tell every format apart); nullptr for an unknown start.
[[nodiscard]] const char* FormatName(const unsigned char* head, std::size_t size);
// The same from the first byte alone; nullptr also where several formats share that byte.
[[nodiscard]] const char* FormatName(unsigned char firstByte);
