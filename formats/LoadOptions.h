// How image files are read, and what a reader reports to the dispatch besides the pixels.
#pragma once

// The defaults are what the program does unless the user chose otherwise, so callers that pass
// nothing get upright pictures.
struct LoadOptions {
  // Applies the EXIF orientation stored with a JPEG or PNG photo, so probe and load deliver the
  // upright picture. False reads the stored pixels as they are, as the program did before it
  // knew orientations. (HEIF files are always read with their rotation and mirroring, which
  // belong to the picture itself.)
  bool turnUpright = true;
};

class CRowReceiver;

// Handed by the dispatch to a reader for one probe or load.
struct ReadContext {
  LoadOptions options;
  // The EXIF orientation (1..8) the reader found and left for the dispatch to apply; 1, upright,
  // when the file has none, when options.turnUpright is false, or when the reader applied the
  // file's transform itself.
  int orientation = 1;
  // A reader that can hand its rows over as it decodes them offers them here, when it is set and
  // the picture needs no turning; the image then gets no pixels.
  CRowReceiver* receiver = nullptr;
  // Set by a reader whose rows the receiver accepted: the picture's height; 0 otherwise. The
  // image's m_currentRow then counts the rows handed over.
  int streamedHeight = 0;
};
