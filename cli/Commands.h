// The subcommands of mozaikon-cli. Each takes the arguments after its name and returns the
// process exit code.
#pragma once

#include <string>
#include <vector>

using Arguments = std::vector<std::string>;

int RunProbe(const Arguments& args);
int RunConvert(const Arguments& args);
int RunBuild(const Arguments& args);
int RunPrint(const Arguments& args);

// Exit codes shared by the commands.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
// A command stopped by Ctrl-C, SIGTERM or SIGHUP exits with 128 + the signal's number, as a shell
// reports it (CConsoleProgress::InterruptedExitCode).

// Prints "mozaikon-cli: message" on standard error.
void PrintError(const std::string& message);
// True when "--help" or "-h" comes before any "--" among args.
[[nodiscard]] bool WantsHelp(const Arguments& args);
