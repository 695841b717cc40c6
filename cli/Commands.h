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
constexpr int kExitInterrupted = 130;  // 128 + SIGINT, as a shell reports it

// Prints "mozaikon-cli: message" on standard error.
void PrintError(const std::string& message);
