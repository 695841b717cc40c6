// mozaikon-cli print: builds the poster like `build` (or takes the main image alone) and prints
// it through the band loop onto a PDF file or a printer queue.
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "cli/BuildInputs.h"
#include "cli/BuildOptions.h"
#include "cli/Commands.h"
#include "cli/ConsoleProgress.h"
#include "cli/PlacementFile.h"
#include "engine/BuildPoster.h"
#include "engine/UseLimitCheck.h"
#include "formats/ImageFile.h"
#include "formats/OutputTarget.h"
#include "formats/JpegWriter.h"
#include "output/DiskSpace.h"
#include "output/PaperSize.h"
#include "output/PdfPrintDevice.h"
#include "output/PosterSpool.h"
#include "output/PrintEngine.h"
#include "resources/StringTable.h"
#if MOZAIKON_PRINTER_QUEUES
#include "output/QueuePrinter.h"
#endif

namespace {

const char* const kPrintUsage =
    "usage: mozaikon-cli print MAIN [TILE...] [build options] (--pdf OUT.pdf | --printer QUEUE)\n"
    "                          [--paper letter|a4|a3|legal|tabloid|WxHmm] [--printer-dpi N] [--page N]\n"
    "                          [--overlap LEN] [--cut-marks] [--labels] [--map] [--lossless]\n"
    "  Builds the poster as 'build' does (the main image alone when no tile is named) and prints\n"
    "  it at its print size across a grid of pages, centred, one PDF or printer page per page.\n"
    "  --pdf OUT.pdf        write the pages to a PDF file, its pictures JPEG-compressed at the\n"
    "                       poster's --quality\n"
    "  --lossless           keep the poster's pixels exact in the PDF file (larger)\n"
    "  --printer QUEUE      send the pages to a printer queue of the system\n"
    "  --paper NAME|WxH     paper size: a name, or a size such as 210x297mm, 21x29.7cm or 8.5x11in\n"
    "                       (default letter for a PDF, the queue's paper otherwise)\n"
    "  --printer-dpi N      printer resolution (default: --dpi, 600)\n"
    "  --page N             print only page N, counted row by row from the top-left page\n"
    "  --overlap LEN        neighbouring pages repeat LEN of the poster to glue (8mm, 1cm, 0.3in)\n"
    "  --cut-marks          short marks beside the poster where to cut; with an overlap of a\n"
    "                       cell or more the cuts follow the cells' borders\n"
    "  --labels             name each page (columns A, B, … from the left, rows 1, 2, … from the\n"
    "                       top) and its neighbours beside the poster\n"
    "  --map                one more page after all pages: the poster small with the pages over it\n"
    "  Build options: see 'mozaikon-cli build --help' (all but -o).\n";

struct PrintOptions {
  std::string pdf;
  std::string queue;
  std::optional<PaperSize> paper;
  std::optional<int> dpi;
  std::optional<int> page;
  // Pages people can assemble, and the PDF's compression.
  PrintExtras extras;
  bool lossless = false;
};

// The print options that take no value; false for any other argument.
bool TakeSwitch(const std::string& name, PrintOptions& o) {
  if (name == "--cut-marks") o.extras.cutMarks = true;
  else if (name == "--labels") o.extras.labels = true;
  else if (name == "--map") o.extras.map = true;
  else if (name == "--lossless") o.lossless = true;
  else return false;
  return true;
}

std::optional<int> ParsePositive(const std::string& text) {
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < 1) return std::nullopt;
  return value;
}

// Takes the print options out of args; what remains are build options. An error or nothing.
std::optional<std::string> TakePrintOptions(Arguments& args, PrintOptions& o) {
  Arguments rest;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& name = args[i];
    if (name == "-o") return std::string("print writes no poster file: use --pdf or --printer");
    if (TakeSwitch(name, o)) continue;
    if (name != "--pdf" && name != "--printer" && name != "--paper" && name != "--printer-dpi" &&
        name != "--page" && name != "--overlap") {
      rest.push_back(name);
      continue;
    }
    if (i + 1 >= args.size()) return "option " + name + " needs a value";
    const std::string& value = args[++i];
    bool valid = true;
    if (name == "--pdf")
      o.pdf = value;
    else if (name == "--printer")
      o.queue = value;
    else if (name == "--paper")
      valid = (o.paper = PaperSizeFromName(value)).has_value();
    else if (name == "--overlap") {
      const auto inches = ParseLengthInches(value);
      valid = inches.has_value();
      o.extras.overlapInches = inches.value_or(0);
    } else if (name == "--printer-dpi")
      valid = (o.dpi = ParsePositive(value)).has_value() && *o.dpi <= 100000;
    else
      valid = (o.page = ParsePositive(value)).has_value();
    if (!valid || value.empty()) return "invalid value '" + value + "' for " + name;
  }
  if (o.pdf.empty() == o.queue.empty())
    return std::string("name one output: --pdf OUT.pdf or --printer QUEUE");
  args = std::move(rest);
  return std::nullopt;
}

// The printer: a PDF file or a queue, kept alive for the whole job.
struct Printer {
  std::unique_ptr<CPdfPrintDevice> pdf;
#if MOZAIKON_PRINTER_QUEUES
  std::unique_ptr<CQueuePrinter> queue;
#endif
  CPrintDevice* device = nullptr;
};

bool OpenPrinter(const PrintOptions& options, const std::optional<COutputTarget>& pdf, int dpi,
                 int jpegQuality, Printer& printer) {
  if (pdf) {
    printer.pdf = std::make_unique<CPdfPrintDevice>(*pdf, options.paper.value_or(PaperSize{}), dpi,
                                                    dpi, options.lossless ? kPdfLossless : jpegQuality);
    printer.device = printer.pdf.get();
    return true;
  }
#if MOZAIKON_PRINTER_QUEUES
  std::string error;
  printer.queue = CQueuePrinter::Open(options.queue, options.paper, dpi, error);
  if (!printer.queue) {
    PrintError(error);
    return false;
  }
  printer.device = &printer.queue->Device();
  return true;
#else
  PrintError("this build of mozaikon-cli prints to PDF files only");
  return false;
#endif
}

// The grid's width and the tile of every cell, as the build laid them; none without tiles.
struct PlacedTiles {
  int across = 1;
  std::vector<int> cells;
};

// The placement file's checked name, taken before anything is built; false (after telling why)
// when it may not be written. Nothing is checked when none was asked for.
bool CheckPlacement(const BuildOptions& build, const TileList& tiles, const std::string& pdf,
                    std::optional<COutputTarget>& placement) {
  if (build.placement.empty()) return true;
  TargetCheck check = CheckPlacementTarget(build.placement, InputFiles(build, tiles), pdf);
  if (!check.target) PrintError(check.refusal);
  placement = std::move(check.target);
  return placement.has_value();
}

int WritePlacement(const COutputTarget& placement, const PlacedTiles& placed,
                   const TileList& tiles) {
  if (const auto failure =
          WritePlacementFile(placement, FormatPlacement(placed.across, placed.cells, tiles))) {
    PrintError(*failure);
    return kExitFailure;
  }
  std::printf("placement    %s\n", placement.Path().c_str());
  return kExitOk;
}

// Where the poster goes when it is laid a few rows at a time: a scratch file beside the PDF, or
// in the scratch folder for a queue.
std::string SpoolFolder(const PrintOptions& options) {
  if (options.pdf.empty()) return ScratchFolder();
  const std::string folder = std::filesystem::path(options.pdf).parent_path().string();
  return folder.empty() ? "." : folder;
}

// False (the reason printed) when the disk cannot hold the poster laid into its scratch file
// and, beside it, the PDF file.
bool DiskHoldsSpool(const PrintOptions& options, const PredictedPoster& poster,
                    unsigned jpegQuality) {
  if (!poster.laidIntoFile) return true;
  std::uint64_t bytes = static_cast<std::uint64_t>(poster.width) * poster.height * 3;
  if (!options.pdf.empty())
    bytes += PosterFileBytesAtMost(options.lossless ? PosterFormat::kPng : PosterFormat::kJpeg,
                                   poster.width, poster.height, jpegQuality);
  const auto refusal =
      CheckDiskSpace(options.pdf.empty() ? SpoolFolder(options) + "/" : options.pdf, bytes);
  if (refusal) PrintError(*refusal);
  return !refusal;
}

// A scratch file for the poster; nullptr (after telling why) when none can be made.
std::unique_ptr<CPosterSpool> OpenSpool(const PrintOptions& options) {
  const std::string folder = SpoolFolder(options);
  auto spool = CPosterSpool::Create(folder);
  if (!spool)
    PrintError(folder + ": the poster's scratch file cannot be made there: " + std::strerror(errno));
  return spool;
}

// Builds the poster into poster or, laid a few rows at a time, into spool, telling the job its
// cells and placed which tile went where; false (after telling why) when it was not built.
bool Build(PosterBuildInputs& inputs, CDibImage& poster, CPosterSpool& spool,
           CConsoleProgress& progress, PrintJob& job, PlacedTiles& placed, bool& streamed) {
  TileOrderShuffle order;
  inputs.rowSink = &spool;
  PosterBuildResult result = BuildPoster(inputs, poster, order, &progress);
  ReportPassedOver(result, progress);
  job.cellWidth = result.grid.tileWidth;
  job.cellHeight = result.grid.tileHeight;
  placed.across = result.grid.tilesAcross;
  placed.cells = std::move(result.cellTiles);
  streamed = result.streamed;
  if (result.built) return true;
  progress.Finish();
  if (CConsoleProgress::Interrupted()) return false;
  if (result.streamed && spool.Failure() != SaveResult::kSaved) {
    (void)spool.Finish(nullptr);  // errno tells why
    PrintError(spool.Folder() + ": the poster's scratch file cannot be written there: " +
               std::strerror(errno));
  } else {
    PrintError(result.messageId
                   ? res::FormatString(result.messageId, {result.messageArg})
                   : std::string("the poster was not built: no tile image can be read"));
  }
  return false;
}

int Report(PrintOutcome outcome, const std::string& target) {
  switch (outcome) {
    case PrintOutcome::kPrinted: std::printf("printed      %s\n", target.c_str()); return kExitOk;
    case PrintOutcome::kCancelled:
      if (CConsoleProgress::Interrupted()) return CConsoleProgress::InterruptedExitCode();
      PrintError("the printer abandoned the job");
      return kExitFailure;
    case PrintOutcome::kNotStarted:
    case PrintOutcome::kNotDelivered: break;
  }
  PrintError(res::FormatString(MessageId(outcome), {target}));
  return kExitFailure;
}

int PrintWith(const BuildOptions& build, TileList& tiles, const PrintOptions& options,
              CPrintDevice& device, const std::string& target) {
  CDibImage mainImage;
  PosterBuildInputs inputs = BuildInputsFor(build);
  inputs.setup.printer = MetricsOf(device.GetMetrics());
  if (!LoadMainImage(build.mainImage, mainImage, inputs.setup)) return kExitFailure;
  // The width is taken as typed: only derived inch values are cut to hundredths.
  if (build.printWidthInches) inputs.setup.printSize.width = *build.printWidthInches;
  ComputeInitialPrintSize(inputs.setup.printSize, inputs.setup.imageWidth, inputs.setup.imageHeight,
                          inputs.setup.printer);
  std::optional<COutputTarget> placement;
  if (!CheckPlacement(build, tiles, options.pdf, placement)) return kExitFailure;

  const unsigned jpegQuality = static_cast<unsigned>(build.params.JPEGQuality);
  if (tiles.GetCount() > 0 &&
      (!PosterFitsLimits(tiles, inputs.setup, PosterFileFormat::kNone, true) ||
       !DiskHoldsSpool(options, PredictPoster(tiles, inputs.setup), jpegQuality)))
    return kExitFailure;
  PrintJob job;
  job.mainImagePath = build.mainImage;
  job.dpiX = inputs.setup.printer.dpiX;
  job.dpiY = inputs.setup.printer.dpiY;
  job.extras = options.extras;
  job.pages = ComputePageCountWithExtras(inputs.setup.printSize, inputs.setup.printer, job.extras);
  if (job.pages.across < 1) {
    PrintError("the overlap leaves no poster on a page: choose a smaller --overlap");
    return kExitUsage;
  }
  job.printSize = inputs.setup.printSize;
  job.dpiDivisor = DPIFractionDivisor(build.params.DPIFraction);
  const int total = job.pages.across * job.pages.down;
  if (options.page && *options.page > total) {
    char text[128];
    std::snprintf(text, sizeof text, res::LoadString(res::IDS_PAGE_RANGE), total);
    PrintError(text);
    return kExitUsage;
  }
  job.range = {options.page ? FALSE : TRUE, options.page.value_or(1)};
  const PrintDeviceMetrics page = device.GetMetrics();
  std::printf(
      "print        %s x %s inches, %d x %d pages of %d x %d printer pixels at %d x %d dpi\n",
      FormatInches(job.printSize.width).c_str(), FormatInches(job.printSize.height).c_str(),
      job.pages.across, job.pages.down, page.pageWidthPx, page.pageHeightPx, page.dpiX, page.dpiY);
  std::fflush(stdout);

  CConsoleProgress progress(stderr, build.quiet);
  CDibImage poster;
  PlacedTiles cellTiles;
  double printScale = PosterPrintScale(build.params);
  job.posterBuilt = tiles.GetCount() > 0;
  std::unique_ptr<CPosterSpool> spool;
  bool streamed = false;
  if (job.posterBuilt) {
    inputs.mainImage = &mainImage;
    inputs.tiles = &tiles;
    if (const auto refusal = CheckUseLimit(tiles, inputs.setup)) {
      PrintError(*refusal);
      return kExitFailure;
    }
    if (!(spool = OpenSpool(options))) return kExitFailure;
    if (!Build(inputs, poster, *spool, progress, job, cellTiles, streamed))
      return CConsoleProgress::Interrupted() ? CConsoleProgress::InterruptedExitCode() : kExitFailure;
  }
  CDibImage& source = job.posterBuilt ? poster : mainImage;
  const PrintOutcome outcome = streamed ? PrintPoster(*spool, job, printScale, device, progress)
                                        : PrintPoster(source, job, printScale, device, progress);
  progress.Finish();
  const int exitCode = Report(outcome, target);
  if (exitCode != kExitOk || !placement) return exitCode;
  return WritePlacement(*placement, cellTiles, tiles);
}

}  // namespace

int RunPrint(const Arguments& arguments) {
  if (!arguments.empty() && (arguments[0] == "--help" || arguments[0] == "-h")) {
    std::fputs(kPrintUsage, stdout);
    return kExitOk;
  }
  Arguments args = arguments;
  PrintOptions options;
  if (const auto error = TakePrintOptions(args, options)) {
    PrintError(*error);
    std::fputs(kPrintUsage, stderr);
    return kExitUsage;
  }
  // The build options' parser asks for an output file, which printing does not have.
  args.insert(args.end(), {"-o", "unused.bmp"});
  auto parsed = ParseBuildOptions(args);
  if (const auto* error = std::get_if<std::string>(&parsed)) {
    PrintError(*error);
    std::fputs(kPrintUsage, stderr);
    return kExitUsage;
  }
  const BuildOptions& build = std::get<BuildOptions>(parsed);
  TileList tiles;
  if (!CollectTiles(build, tiles)) return kExitFailure;
  std::optional<COutputTarget> pdf;
  if (!options.pdf.empty()) {
    TargetCheck check = CheckOutputTarget(options.pdf, InputFiles(build, tiles));
    if (!check.target) {
      PrintError(check.refusal);
      return kExitFailure;
    }
    pdf = std::move(check.target);
  }
  Printer printer;
  if (!OpenPrinter(options, pdf, options.dpi.value_or(build.dpi),
                   JpegQualityFor(static_cast<unsigned>(build.params.JPEGQuality)), printer))
    return kExitFailure;
  return PrintWith(build, tiles, options, *printer.device,
                   options.pdf.empty() ? options.queue : options.pdf);
}
