// Runs the real program file as a child process, for the tests of its
// command line and start-up.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

struct Outcome {
    int exitCode = -1;
    std::string output;  ///< standard output
    std::string errors;  ///< standard error
};

/// Runs the program with exactly this environment, in the scratch folder's
/// files for its output; kills it after a minute.
Outcome RunProgram(const std::vector<std::string>& args, const std::vector<std::string>& env,
                   const std::filesystem::path& scratch);
