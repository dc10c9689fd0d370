#include "TextReport.h"

#include "Loops.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace disasm {

namespace {

// printf into a string; the formats are the ListingWords' own.
template <class... Args>
std::string Say(const char* format, Args... args) {
    char text[512];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

/// "1 store per iteration (16 bytes)", "3 stores per iteration (2 x 4 bytes, 1 x 8 bytes)".
std::string StoresText(const std::vector<int>& widthsBytes, const ListingWords& words) {
    if (widthsBytes.empty()) return words.noStores;
    std::map<int, std::size_t> byWidth;
    for (int width : widthsBytes) ++byWidth[width];
    std::string widths;
    for (const auto& [width, count] : byWidth) {
        if (!widths.empty()) widths += words.separator;
        widths += byWidth.size() == 1 && count == 1 ? Say(words.bytes, width) : Say(words.timesBytes, count, width);
    }
    return Say(words.stores[widthsBytes.size() == 1 ? 0 : 1], widthsBytes.size(), widths.c_str());
}

std::string CallsText(const std::vector<std::string>& callees, const ListingWords& words) {
    if (callees.empty()) return words.noCalls;
    std::vector<std::string> names;
    for (const std::string& callee : callees) {
        const std::string name = callee.empty() ? words.indirectCall : callee;
        if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
    }
    std::string list;
    for (std::size_t i = 0; i < names.size(); ++i) list += (i == 0 ? "" : words.separator) + names[i];
    return Say(words.calls[callees.size() == 1 ? 0 : 1], callees.size(), list.c_str());
}

/// Shares below this show as 0.0%.
constexpr double kRarePercent = 0.05;

std::string Share(const HotShares* shares, std::uint64_t samples) {
    if (shares == nullptr || !shares->refusal.empty()) return "";
    return Say("%5.1f%%", shares->Percent(samples));
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

const ListingWords& EnglishWords() {
    static constexpr ListingWords words{
        "%s: timed section, %s syntax",
        "the compiler folded this kernel into %s: the same machine code runs",
        "no listing: %s",
        {"no loop in the timed section (%zu instruction)", "no loop in the timed section (%zu instructions)"},
        "loop: %s, %s, %s",
        {"%zu instruction", "%zu instructions"},
        "no stores",
        {"%zu store per iteration (%s)", "%zu stores per iteration (%s)"},
        "%d bytes",
        "%zu x %d bytes",
        "no calls",
        {"%zu call (%s)", "%zu calls (%s)"},
        "an indirect call",
        ", ",
        "%llu samples (%llu lost)",
        ", %.1f%% in the loop",
        "after call %s",
        "loop head",
        "back to the loop head",
        "outside the timed section:",
        {"%zu more function, each under %.2f%%", "%zu more functions, each under %.2f%%"},
        "other",
    };
    return words;
}

const ListingWords& JapaneseWords() {
    static constexpr ListingWords words{
        "%s: 計測区間、%s 構文",
        "コンパイラがこのカーネルを %s にまとめています: 同じ機械語が実行されます",
        "機械語を表示できません: %s",
        {"計測区間にループはありません（命令 %zu 個）", "計測区間にループはありません（命令 %zu 個）"},
        "ループ: %s、%s、%s",
        {"命令 %zu 個", "命令 %zu 個"},
        "ストアなし",
        {"1 回あたりストア %zu 回（%s）", "1 回あたりストア %zu 回（%s）"},
        "%d バイト",
        "%zu × %d バイト",
        "呼び出しなし",
        {"呼び出し %zu 回（%s）", "呼び出し %zu 回（%s）"},
        "間接呼び出し",
        "、",
        "サンプル %llu 個（取りこぼし %llu）",
        "、ループ内 %.1f%%",
        "呼び出し %s の後",
        "ループの先頭",
        "ループの先頭へ戻る",
        "計測区間の外:",
        {"ほか %zu 関数（それぞれ %.2f%% 未満）", "ほか %zu 関数（それぞれ %.2f%% 未満）"},
        "その他",
    };
    return words;
}

std::string SummaryLine(const Listing& listing, const ListingWords& words) {
    if (!listing.error.empty()) return Say(words.noListing, listing.error.c_str());
    const std::size_t instructions = listing.instructions.size();
    if (!listing.mainLoop) return Say(words.noLoop[instructions == 1 ? 0 : 1], instructions);
    const LoopSummary summary = Summarize(listing, listing.loops[*listing.mainLoop]);
    return Say(words.loop, Say(words.instructions[summary.instructionCount == 1 ? 0 : 1], summary.instructionCount).c_str(),
               StoresText(summary.storeWidthsBytes, words).c_str(), CallsText(summary.callees, words).c_str());
}

void WriteListingText(std::ostream& out, const Listing& listing, const HotShares* shares, int barColumns,
                      const ListingWords& words) {
    out << Say(words.header, (listing.kernelName.empty() ? "kernel" : listing.kernelName.c_str()),
               listing.syntax == Syntax::Att ? "AT&T" : "Intel")
        << "\n";
    if (!listing.foldedInto.empty()) out << Say(words.folded, listing.foldedInto.c_str()) << "\n";
    out << SummaryLine(listing, words) << "\n";
    if (!listing.error.empty()) return;
    const bool sampled = shares != nullptr && shares->refusal.empty();
    if (shares != nullptr && !sampled) out << shares->refusal << "\n";
    if (sampled) {
        out << Say(words.samples, static_cast<unsigned long long>(shares->totalSamples),
                   static_cast<unsigned long long>(shares->lostSamples));
        if (listing.mainLoop)
            out << Say(words.inTheLoop, shares->Percent(LoopSamples(*shares, listing.loops[*listing.mainLoop])));
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
    if (!listing.startsAfterCall.empty()) out << indent << Say(words.afterCall, listing.startsAfterCall.c_str()) << "\n";

    for (std::size_t i = 0; i < listing.instructions.size(); ++i) {
        const Instruction& instruction = listing.instructions[i];
        if (instruction.afterGap) out << indent << "...\n";
        std::string mark = "  ";
        std::string comment;
        if (mainLoop != nullptr && std::binary_search(mainLoop->bodyIndices.begin(), mainLoop->bodyIndices.end(), i)) {
            mark = i == mainLoop->headIndex ? "L>" : i == mainLoop->backBranchIndex ? "L<" : "L ";
        }
        for (const Loop& loop : listing.loops) {
            if (i == loop.headIndex) comment = words.loopHead;
            if (i == loop.backBranchIndex) comment = words.backToLoopHead;
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
    out << words.outside << "\n";
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
        out << shareColumns(rareSamples) << "  " << Say(words.moreFunctions[rareFunctions == 1 ? 0 : 1], rareFunctions, kRarePercent)
            << "\n";
    }
    out << shareColumns(shares->otherSamples) << "  " << words.other << "\n";
}

}  // namespace disasm
