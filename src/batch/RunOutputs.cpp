#include "RunOutputs.h"

#include "framework/QtApplication.h"

#include <cstdio>
#include <cstdlib>

namespace batch {

int BadRun(const std::string& why) {
    std::fprintf(stderr, "velquor: %s\n", why.c_str());
    return 2;
}

RunOutputs::RunOutputs(OutputFile report, std::optional<OutputFile> chart)
    : m_report(std::move(report)), m_chart(std::move(chart)) {}

std::variant<RunOutputs, std::string> RunOutputs::Open(const Options& options) {
    auto report = options.output.empty() ? OutputFile::StandardOutput() : OutputFile::Open(options.output);
    if (const auto* why = std::get_if<std::string>(&report)) return *why;
    std::optional<OutputFile> chart;
    if (!options.plot.empty()) {
        auto opened = OutputFile::Open(options.plot);
        if (const auto* why = std::get_if<std::string>(&opened)) return *why;
        chart.emplace(std::move(std::get<OutputFile>(opened)));
        if (chart->SameFileAs(std::get<OutputFile>(report))) {
            return "cannot write " + options.plot + ": the report goes to the same file";
        }
    }
    return RunOutputs(std::move(std::get<OutputFile>(report)), std::move(chart));
}

int RunOutputs::Write(const std::function<void(std::ostream&)>& report, const std::function<std::optional<std::string>()>& drawPng,
                      int& argc, char** argv) {
    int status = 0;
    if (const std::string why = m_report.WriteReport(report); !why.empty()) status = BadRun(why);
    if (m_chart) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        afx::QtApplication application(argc, argv);
        const std::optional<std::string> png = drawPng();
        const std::string why = png ? m_chart->Write(*png) : "cannot draw the chart: the PNG encoder failed";
        if (!why.empty()) status = BadRun(why);
    }
    return status;
}

}  // namespace batch
