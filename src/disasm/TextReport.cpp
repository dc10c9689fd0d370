#include "TextReport.h"

#include "Loops.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace disasm {

namespace {

std::string Format(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string Plural(std::size_t count, const std::string& one, const std::string& many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

/// "1 store per iteration (16 bytes)", "3 stores per iteration (2 x 4 bytes, 1 x 8 bytes)".
std::string StoresText(const std::vector<int>& widthsBytes) {
    if (widthsBytes.empty()) return "no stores";
    std::map<int, std::size_t> byWidth;
    for (int width : widthsBytes) ++byWidth[width];
    std::string text = Plural(widthsBytes.size(), "store", "stores") + " per iteration (";
    bool first = true;
    for (const auto& [width, count] : byWidth) {
        if (!first) text += ", ";
        first = false;
        text += byWidth.size() == 1 && count == widthsBytes.size() && count == 1
                    ? std::to_string(width) + " bytes"
                    : std::to_string(count) + " x " + std::to_string(width) + " bytes";
    }
    return text + ")";
}

std::string CallsText(const std::vector<std::string>& callees) {
    if (callees.empty()) return "no calls";
    std::vector<std::string> names;
    for (const std::string& callee : callees) {
        const std::string name = callee.empty() ? "an indirect call" : callee;
        if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
    }
    std::string text = Plural(callees.size(), "call", "calls") + " (";
    for (std::size_t i = 0; i < names.size(); ++i) text += (i == 0 ? "" : ", ") + names[i];
    return text + ")";
}

/// Shares below this show as 0.0%.
constexpr double kRarePercent = 0.05;

std::string Share(const HotShares* shares, std::uint64_t samples) {
    if (shares == nullptr || !shares->refusal.empty()) return "";
    return Format("%5.1f%%", shares->Percent(samples));
}

/// percent as a bar of '#', columns wide at 100%, padded to its full width;
/// a share too small for one column still shows as '.', so that no sampled
/// instruction looks unsampled.
std::string Bar(double percent, int columns) {
    const int filled = static_cast<int>(percent * columns / 100.0 + 0.5);
    std::string bar(static_cast<std::size_t>(std::clamp(filled, 0, columns)), '#');
    if (bar.empty() && percent > 0.0) bar.push_back('.');
    bar.resize(static_cast<std::size_t>(columns), ' ');
    return bar;
}

}  // namespace

std::string SummaryLine(const Listing& listing) {
    if (!listing.error.empty()) return "no listing: " + listing.error;
    if (!listing.mainLoop)
        return "no loop in the timed section (" + Plural(listing.instructions.size(), "instruction", "instructions") +
               ")";
    const LoopSummary summary = Summarize(listing, listing.loops[*listing.mainLoop]);
    return "loop: " + Plural(summary.instructionCount, "instruction", "instructions") + ", " +
           StoresText(summary.storeWidthsBytes) + ", " + CallsText(summary.callees);
}

void WriteListingText(std::ostream& out, const Listing& listing, const HotShares* shares, int barColumns) {
    out << (listing.kernelName.empty() ? "kernel" : listing.kernelName) << ": timed section, "
        << (listing.syntax == Syntax::Att ? "AT&T" : "Intel") << " syntax\n";
    if (!listing.foldedInto.empty())
        out << "the compiler folded this kernel into " << listing.foldedInto << ": the same machine code runs\n";
    out << SummaryLine(listing) << "\n";
    if (!listing.error.empty()) return;
    const bool sampled = shares != nullptr && shares->refusal.empty();
    if (shares != nullptr && !sampled) out << shares->refusal << "\n";
    if (sampled) {
        out << shares->totalSamples << " samples (" << shares->lostSamples << " lost)";
        if (listing.mainLoop)
            out << ", " << Format("%.1f%%", shares->Percent(LoopSamples(*shares, listing.loops[*listing.mainLoop])))
                << " in the loop";
        out << "\n";
    }
    const Loop* mainLoop = listing.mainLoop ? &listing.loops[*listing.mainLoop] : nullptr;
    // The share column, and the bar after it where one is drawn.
    const auto shareColumns = [&](std::uint64_t samples) {
        if (!sampled) return std::string(6, ' ');
        std::string text = Share(shares, samples);
        if (barColumns > 0) {
            text += ' ';
            text += Bar(shares->Percent(samples), barColumns);
        }
        return text;
    };
    const std::string indent(shareColumns(0).size() + 2, ' ');
    if (!listing.startsAfterCall.empty()) out << indent << "after call " << listing.startsAfterCall << "\n";

    for (std::size_t i = 0; i < listing.instructions.size(); ++i) {
        const Instruction& instruction = listing.instructions[i];
        if (instruction.afterGap) out << indent << "...\n";
        std::string mark = "  ";
        std::string comment;
        if (mainLoop != nullptr && std::binary_search(mainLoop->bodyIndices.begin(), mainLoop->bodyIndices.end(), i)) {
            mark = i == mainLoop->headIndex ? "L>" : i == mainLoop->backBranchIndex ? "L<" : "L ";
        }
        for (const Loop& loop : listing.loops) {
            if (i == loop.headIndex) comment = "loop head";
            if (i == loop.backBranchIndex) comment = "back to the loop head";
        }
        if (!instruction.targetName.empty() && instruction.targetName != instruction.operands)
            comment = instruction.targetName;
        if (!instruction.dataName.empty()) comment = instruction.dataName;

        char offset[24];
        std::snprintf(offset, sizeof offset, "+0x%04llx", static_cast<unsigned long long>(instruction.offsetBytes));
        const std::string share = shareColumns(sampled ? shares->instructionSamples[i] : 0);
        std::string line = share + "  " + offset + " " + mark + " " + instruction.mnemonic;
        if (!instruction.operands.empty()) {
            line.resize(std::max(line.size() + 1, share.size() + 24), ' ');
            line += instruction.operands;
        }
        if (!comment.empty()) {
            line.resize(std::max(line.size() + 1, share.size() + 62), ' ');
            line += "; " + comment;
        }
        out << line << "\n";
    }

    if (!sampled) return;
    out << "outside the timed section:\n";
    // Functions with a share too small to show one digit share one line.
    std::uint64_t rareSamples = 0;
    std::size_t rareFunctions = 0;
    for (const FunctionSamples& function : shares->outside) {
        if (shares->Percent(function.samples) < kRarePercent) {
            rareSamples += function.samples;
            ++rareFunctions;
            continue;
        }
        out << shareColumns(function.samples) << "  " << function.name << "\n";
    }
    if (rareFunctions != 0) {
        out << shareColumns(rareSamples) << "  " << Plural(rareFunctions, "more function", "more functions")
            << ", each under " << Format("%.2f%%", kRarePercent) << "\n";
    }
    out << shareColumns(shares->otherSamples) << "  other\n";
}

}  // namespace disasm
