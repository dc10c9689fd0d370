#include "JsonReport.h"

#include "Loops.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

namespace disasm {

namespace {

/// A JSON string: quotes, backslashes and control characters escaped, other
/// bytes (UTF-8 in symbol names) as they are.
std::string Quoted(std::string_view text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
            quoted += escape;
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

std::string OrNull(const std::string& text) { return text.empty() ? "null" : Quoted(text); }

std::string Percent(const HotShares& shares, std::uint64_t samples) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", shares.Percent(samples));
    return text;
}

template <typename T, typename Write>
void Array(std::ostream& out, const std::vector<T>& items, Write write) {
    out << "[";
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i != 0) out << ", ";
        write(items[i]);
    }
    out << "]";
}

}  // namespace

void WriteListingJson(std::ostream& out, const Listing& listing, const HotShares* shares) {
    const bool sampled = shares != nullptr && shares->refusal.empty() && listing.error.empty();
    const Loop* mainLoop = listing.mainLoop ? &listing.loops[*listing.mainLoop] : nullptr;
    out << "{\n  \"kernel\": " << OrNull(listing.kernelName) << ",\n  \"folded_into\": " << OrNull(listing.foldedInto)
        << ",\n  \"size_bytes\": " << listing.kernelSizeBytes
        << ",\n  \"syntax\": " << (listing.syntax == Syntax::Att ? "\"att\"" : "\"intel\"")
        << ",\n  \"error\": " << OrNull(listing.error)
        << ",\n  \"starts_after_call\": " << OrNull(listing.startsAfterCall) << ",\n  \"loop\": ";
    if (mainLoop != nullptr) {
        const LoopSummary summary = Summarize(listing, *mainLoop);
        out << "{\"head_offset\": " << listing.instructions[mainLoop->headIndex].offsetBytes
            << ", \"back_branch_offset\": " << listing.instructions[mainLoop->backBranchIndex].offsetBytes
            << ", \"instructions\": " << summary.instructionCount << ", \"stores_bytes\": ";
        Array(out, summary.storeWidthsBytes, [&](int width) { out << width; });
        out << ", \"calls\": ";
        Array(out, summary.callees, [&](const std::string& callee) { out << OrNull(callee); });
        if (sampled) out << ", \"share_percent\": " << Percent(*shares, LoopSamples(*shares, *mainLoop));
        out << "}";
    } else {
        out << "null";
    }
    out << ",\n  \"loops\": ";
    Array(out, listing.loops, [&](const Loop& loop) {
        out << "{\"head_offset\": " << listing.instructions[loop.headIndex].offsetBytes
            << ", \"back_branch_offset\": " << listing.instructions[loop.backBranchIndex].offsetBytes
            << ", \"instructions\": " << loop.bodyIndices.size() << "}";
    });
    out << ",\n  \"instructions\": [";
    for (std::size_t i = 0; i < listing.instructions.size(); ++i) {
        const Instruction& instruction = listing.instructions[i];
        const bool inLoop =
            mainLoop != nullptr && std::binary_search(mainLoop->bodyIndices.begin(), mainLoop->bodyIndices.end(), i);
        out << (i == 0 ? "\n" : ",\n") << "    {\"offset\": " << instruction.offsetBytes
            << ", \"mnemonic\": " << Quoted(instruction.mnemonic) << ", \"operands\": " << Quoted(instruction.operands)
            << ", \"target\": " << OrNull(instruction.targetName) << ", \"data\": " << OrNull(instruction.dataName)
            << ", \"in_loop\": " << (inLoop ? "true" : "false")
            << ", \"after_gap\": " << (instruction.afterGap ? "true" : "false") << ", \"stores_bytes\": ";
        Array(out, instruction.storeWidthsBytes, [&](int width) { out << width; });
        if (sampled) {
            out << ", \"samples\": " << shares->instructionSamples[i]
                << ", \"share_percent\": " << Percent(*shares, shares->instructionSamples[i]);
        }
        out << "}";
    }
    out << (listing.instructions.empty() ? "]" : "\n  ]") << ",\n  \"hot\": ";
    if (shares == nullptr || !listing.error.empty()) {
        out << "null";
    } else if (!sampled) {
        out << "{\"refusal\": " << Quoted(shares->refusal) << "}";
    } else {
        out << "{\"refusal\": null, \"samples\": " << shares->totalSamples << ", \"lost\": " << shares->lostSamples
            << ", \"outside\": ";
        Array(out, shares->outside, [&](const FunctionSamples& function) {
            out << "{\"name\": " << Quoted(function.name) << ", \"samples\": " << function.samples
                << ", \"share_percent\": " << Percent(*shares, function.samples) << "}";
        });
        out << ", \"other_samples\": " << shares->otherSamples
            << ", \"other_share_percent\": " << Percent(*shares, shares->otherSamples) << "}";
    }
    out << "\n}\n";
}

}  // namespace disasm
