// mozaikon-cli print: builds the poster like `build` (or takes the main image alone) and prints
// it through the band loop onto a PDF file or a printer queue.
#include <charconv>
#include <cstdio>
#include <memory>

#include "cli/BuildInputs.h"
#include "cli/BuildOptions.h"
#include "cli/Commands.h"
#include "cli/ConsoleProgress.h"
#include "engine/BuildPoster.h"
#include "formats/ImageFile.h"
#include "formats/OutputTarget.h"
#include "output/PaperSize.h"
#include "output/PdfPrintDevice.h"
#include "output/PrintEngine.h"
#include "resources/StringTable.h"
#if MOZAIKON_PRINTER_QUEUES
#include "output/QueuePrinter.h"
#endif

namespace {

const char* const kPrintUsage =
    "usage: mozaikon-cli print MAIN [TILE...] [build options] (--pdf OUT.pdf | --printer QUEUE)\n"
    "                          [--paper letter|a4|a3|legal|tabloid] [--printer-dpi N] [--page N]\n"
    "  Builds the poster as 'build' does (the main image alone when no tile is named) and prints\n"
    "  it at its print size across a grid of pages, centred, one PDF or printer page per page.\n"
    "  --pdf OUT.pdf        write the pages to a PDF file (pages keep the poster's pixels)\n"
    "  --printer QUEUE      send the pages to a printer queue of the system\n"
    "  --paper NAME         paper size (default letter for a PDF, the queue's paper otherwise)\n"
    "  --printer-dpi N      printer resolution (default: --dpi, 600)\n"
    "  --page N             print only page N, counted row by row from the top-left page\n"
    "  Build options: see 'mozaikon-cli build --help' (all but -o).\n";

struct PrintOptions {
  std::string pdf;
  std::string queue;
  std::optional<PaperSize> paper;
  std::optional<int> dpi;
  std::optional<int> page;
};

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
    if (name != "--pdf" && name != "--printer" && name != "--paper" && name != "--printer-dpi" &&
        name != "--page") {
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
    else if (name == "--printer-dpi")
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

// The printer figures the geometry needs, from what the device reports.
PrinterMetrics MetricsOf(const PrintDeviceMetrics& device) {
  PrinterMetrics metrics;
  metrics.dpiX = device.dpiX;
  metrics.dpiY = device.dpiY;
  metrics.printableWidth = device.pageWidthPx * 1000 / device.dpiX;
  metrics.printableHeight = device.pageHeightPx * 1000 / device.dpiY;
  return metrics;
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
                 Printer& printer) {
  if (pdf) {
    printer.pdf =
        std::make_unique<CPdfPrintDevice>(*pdf, options.paper.value_or(PaperSize{}), dpi, dpi);
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

// Builds the poster into poster; false (after telling why) when it was not built.
bool Build(PosterBuildInputs& inputs, CDibImage& poster, CConsoleProgress& progress) {
  TileOrderShuffle order;
  const PosterBuildResult result = BuildPoster(inputs, poster, order, &progress);
  if (result.built) return true;
  progress.Finish();
  if (!CConsoleProgress::Interrupted())
    PrintError(result.messageId
                   ? res::FormatString(result.messageId, {result.messageArg})
                   : std::string("the poster was not built: no tile image can be read"));
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
  if (tiles.GetCount() > 0 && !PosterFitsLimits(tiles, inputs.setup, PosterFileFormat::kNone))
    return kExitFailure;
  PrintJob job;
  job.mainImagePath = build.mainImage;
  job.dpiX = inputs.setup.printer.dpiX;
  job.dpiY = inputs.setup.printer.dpiY;
  job.pages = ComputePageCount(inputs.setup.printSize, inputs.setup.printer, true);
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

  CConsoleProgress progress;
  CDibImage poster;
  double printScale = PosterPrintScale(build.params);
  job.posterBuilt = tiles.GetCount() > 0;
  if (job.posterBuilt) {
    inputs.mainImage = &mainImage;
    inputs.tiles = &tiles;
    if (!Build(inputs, poster, progress))
      return CConsoleProgress::Interrupted() ? CConsoleProgress::InterruptedExitCode() : kExitFailure;
  }
  CDibImage& source = job.posterBuilt ? poster : mainImage;
  const PrintOutcome outcome = PrintPoster(source, job, printScale, device, progress);
  progress.Finish();
  return Report(outcome, target);
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
  if (!OpenPrinter(options, pdf, options.dpi.value_or(build.dpi), printer)) return kExitFailure;
  return PrintWith(build, tiles, options, *printer.device,
                   options.pdf.empty() ? options.queue : options.pdf);
}
