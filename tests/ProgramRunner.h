// Runs the real program file as a child process, for the tests of its
// command line and start-up.
#pragma once

#include <sys/resource.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

struct Outcome {
    int exitCode = -1;   ///< -1 when a signal ended the program
    int signal = 0;      ///< the signal that ended it, else 0
    std::string output;  ///< standard output
    std::string errors;  ///< standard error
};

/// Resource limits the child starts with, as `ulimit` would set them.
struct Limits {
    std::optional<rlim_t> stackSoftBytes;  ///< soft RLIMIT_STACK
    std::optional<rlim_t> stackHardBytes;  ///< hard RLIMIT_STACK
    std::optional<rlim_t> addressBytes;    ///< RLIMIT_AS, soft and hard
};

/// Runs the program with exactly this environment and these limits, in the
/// scratch folder's files for its output; kills it after a minute.
Outcome RunProgram(const std::vector<std::string>& args, const std::vector<std::string>& env,
                   const std::filesystem::path& scratch, const Limits& limits = {});
/// The same for another program file: a copy of the program, say.
Outcome RunProgramFile(const std::string& file, const std::vector<std::string>& args, const std::vector<std::string>& env,
                       const std::filesystem::path& scratch);

/// HOME and XDG_RUNTIME_DIR in the scratch folder, a plain PATH, and the
/// sanitizers' options this test runs with: a run that touches nothing of the user's.
std::vector<std::string> ScratchEnvironment(const std::filesystem::path& scratch);
/// The file's bytes; empty when it cannot be read.
std::string ReadFile(const std::filesystem::path& file);

/// What Google Benchmark's compare.py prints for two reports, with its exit
/// status; none where the tool or SciPy is not installed.
std::optional<Outcome> CompareReports(const std::filesystem::path& a, const std::filesystem::path& b);
