// mozaikon-cli: the poster engine without a window, for scripts, batch work and tests.
#include <cstdio>
#include <new>
#include <string>

#include "cli/Commands.h"

namespace {

constexpr const char* kUsage =
    "usage: mozaikon-cli COMMAND ...\n"
    "  probe [--ignore-orientation] FILE...   print \"FILE: WIDTH x HEIGHT FORMAT\" for each file\n"
    "  convert IN OUT.bmp|OUT.jpg|OUT.png [--quality high|medium|low] [--ignore-orientation]\n"
    "                                      load any supported image and write BMP, JPEG or PNG\n"
    "  build MAIN [TILE...] -o OUT [options]   make a poster (see 'build --help')\n"
    "  print MAIN [TILE...] (--pdf OUT.pdf | --printer QUEUE) [options]\n"
    "                                      print a poster across pages (see 'print --help')\n"
    "  --version                           print the version\n"
    "run 'mozaikon-cli COMMAND --help' for the options of a command\n";

}  // namespace

void PrintError(const std::string& message) {
  std::fprintf(stderr, "mozaikon-cli: %s\n", message.c_str());
}

bool WantsHelp(const Arguments& args) {
  for (const std::string& arg : args) {
    if (arg == "--") return false;
    if (arg == "--help" || arg == "-h") return true;
  }
  return false;
}

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs(kUsage, stderr);
    return kExitUsage;
  }
  const std::string command = argv[1];
  const Arguments args(argv + 2, argv + argc);
  try {
    if (command == "probe") return RunProbe(args);
    if (command == "convert") return RunConvert(args);
    if (command == "build") return RunBuild(args);
    if (command == "print") return RunPrint(args);
    if (command == "--help" || command == "-h" || command == "help") {
      std::fputs(kUsage, stdout);
      return kExitOk;
    }
    if (command == "--version") {
      std::printf("mozaikon-cli %s\n", MOZAIKON_VERSION);
      return kExitOk;
    }
  } catch (const std::bad_alloc&) {
    PrintError("not enough memory");
    return kExitFailure;
  }
  PrintError("unknown command '" + command + "'");
  std::fputs(kUsage, stderr);
  return kExitUsage;
}
