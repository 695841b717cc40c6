// Printing a poster across a grid of pages, band by band.
//
// The poster is centred on the grid of pages (pages across × down) and each page is sent in
// square bands of at most 100 × 100 printer pixels, so no page-sized bitmap is ever held. The
// loop works in horizontal printer pixels on both axes, so that a poster pixel covers a square
// of paper whatever the printer's two resolutions; vertical figures become device rows only
// when a band is drawn.
#pragma once

#include <functional>
#include <string>

#include "engine/PrintSize.h"
#include "engine/PrinterMetrics.h"
#include "image/DibImage.h"
#include "image/Types.h"
#include "output/PageLayout.h"
#include "output/PrintDevice.h"
#include "output/PrintSource.h"

class CPrintDevice;
class CPrintAbort;
class CProgress;

// All pages, or the one page printPage (1-based, row by row from the top-left page).
struct PrintRange {
  BOOL printAll = TRUE;
  int printPage = 1;
};

// What the main window knows of the job.
struct PrintJob {
  std::string mainImagePath;  // the document is named after its file name
  int dpiX = 600;             // the stored printer resolutions
  int dpiY = 600;
  PageCount pages;
  PrintRange range;
  // The source is the built poster. When false it is the main image, first resampled to the
  // print size at the poster resolution (print size in inches, dpiX, the DPI-fraction divisor).
  bool posterBuilt = true;
  PrintSize printSize;
  int dpiDivisor = 1;
  // Overlap, cut marks, labels and map; pages as ComputePageCountWithExtras gives them.
  PrintExtras extras;
  // One cell of the built poster in its pixels, so that cuts can follow the cell borders; 0 when
  // there are no cells (the main image alone).
  int cellWidth = 0;
  int cellHeight = 0;
};

enum class PrintOutcome {
  kPrinted,       // the job was completed and handed over
  kCancelled,     // the user cancelled, or the device failed: the job was abandoned
  kNotStarted,    // the device refused to start the job (the not-enough-memory message)
  kNotDelivered,  // the device could not complete the job (the output could not be written)
};

// The range of a print command. The page starts at 1 each time; a poster of one page is printed
// whole without asking; otherwise askUser (the print range dialog) is given the range with the
// all-pages choice of the last command and page 1, and answers whether to go ahead.
[[nodiscard]] bool ChoosePrintRange(const PageCount& pages, PrintRange& range,
                                    const std::function<bool(PrintRange&)>& askUser);

// The job's name: the main image's file name, with " (all pages)" or " (page N)" when the
// poster has more than one page.
[[nodiscard]] std::string PrintDocumentName(const std::string& mainImagePath,
                                            const PageCount& pages, const PrintRange& range);

// Runs one print job on device under progress: the band loop, then the end or the abandoning
// of the document. source is the built poster or, with job.posterBuilt false, the main image
// (left unchanged). printScale is the main window's printer pixels per source pixel: read for a
// built poster, set when the main image is printed. Reports "Printing poster . . ." and a detail
// line per page and the percentage of bands done.
[[nodiscard]] PrintOutcome PrintPoster(CDibImage& source, const PrintJob& job, double& printScale,
                                       CPrintDevice& device, CProgress& progress);
// The same for a built poster read from source, such as one laid into a scratch file; printScale
// is the printer pixels per poster pixel.
[[nodiscard]] PrintOutcome PrintPoster(CPrintSource& poster, const PrintJob& job, double printScale,
                                       CPrintDevice& device, CProgress& progress);

// The string-table id of the message a user is shown for an outcome, 0 for none.
[[nodiscard]] unsigned MessageId(PrintOutcome outcome);

// The printer figures the page geometry needs, from what a print device reports.
[[nodiscard]] PrinterMetrics MetricsOf(const PrintDeviceMetrics& device);
