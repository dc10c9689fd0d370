// Where a run's report and chart go: settled before the run, so that a path
// that cannot be written costs no run, and written after it. The batch mode
// and the sweep share it.
#pragma once

#include "Options.h"
#include "OutputFile.h"

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <variant>

namespace batch {

class RunOutputs {
public:
    /// The destinations --output and --plot name (standard output without
    /// --output, no chart without --plot); on error the line that says why.
    static std::variant<RunOutputs, std::string> Open(const Options& options);

    /// Writes the report that report produces, then, when a chart was asked
    /// for, the PNG that drawPng draws with Qt started on its offscreen
    /// platform (no display is needed). 0, or 2 after each failure was printed.
    int Write(const std::function<void(std::ostream&)>& report, const std::function<std::optional<std::string>()>& drawPng,
              int& argc, char** argv);

private:
    RunOutputs(OutputFile report, std::optional<OutputFile> chart);

    OutputFile m_report;
    std::optional<OutputFile> m_chart;
};

/// Prints "velquor: why" on standard error and gives 2.
int BadRun(const std::string& why);

}  // namespace batch
