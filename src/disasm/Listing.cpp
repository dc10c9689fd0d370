#include "Listing.h"

#include "Loops.h"
#include "Symbols.h"
#include "TimedMarkers.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace disasm {

namespace {

std::string Hex(std::uint64_t value, const char* prefix = "0x") {
    char text[32];
    std::snprintf(text, sizeof text, "%s%llx", prefix, static_cast<unsigned long long>(value));
    return text;
}

/// Calls that never return, by name: the standard library's throw helpers,
/// the C library's ends and the sanitizers' reports. Without knowing them the
/// section would run on into whatever block the compiler placed after the call.
bool NamedNeverReturns(std::string_view callee) {
    static constexpr std::array<std::string_view, 4> kPrefixes{"std::__throw_", "__asan_report_", "__cxa_throw",
                                                               "__cxa_rethrow"};
    static constexpr std::array<std::string_view, 12> kNames{"abort",
                                                             "exit",
                                                             "_exit",
                                                             "quick_exit",
                                                             "std::terminate()",
                                                             "_Unwind_Resume",
                                                             "__stack_chk_fail",
                                                             "__assert_fail",
                                                             "__cxa_pure_virtual",
                                                             "__cxa_bad_cast",
                                                             "__cxa_bad_typeid",
                                                             "__fortify_fail"};
    for (std::string_view prefix : kPrefixes) {
        if (callee.starts_with(prefix)) return true;
    }
    // UBSan's handlers return unless they are the aborting ones.
    if (callee.starts_with("__ubsan_handle_") && callee.ends_with("_abort")) return true;
    return std::find(kNames.begin(), kNames.end(), callee) != kNames.end();
}

/// A function of the program decoded from its first byte to its last.
class FunctionCode {
public:
    FunctionCode(const Symbol& symbol, const Decoder& decoder)
        : begin_(symbol.address), end_(symbol.address + symbol.sizeBytes) {
        for (std::uint64_t at = begin_; at < end_;) {
            // The function's own code in this process, read within its bounds.
            const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(at), end_ - at);
            std::optional<DecodedInstruction> instruction = decoder.Decode(bytes, at);
            if (!instruction) {
                error_ = "cannot decode the instruction at " + Hex(at - begin_, "+0x");
                return;
            }
            indexByAddress_[at] = code_.size();
            if (instruction->directTarget && Holds(*instruction->directTarget))
                jumpTargets_.insert(*instruction->directTarget);
            // clang's -fsanitize=function puts the function's type signature,
            // data, right after a jump over it at the function's start.
            const bool jumpsOverData = at == begin_ && instruction->flow == Flow::Jump && instruction->directTarget &&
                                       *instruction->directTarget > at && Holds(*instruction->directTarget);
            at = jumpsOverData ? *instruction->directTarget : at + instruction->lengthBytes;
            code_.push_back(std::move(*instruction));
        }
    }

    const std::string& Error() const { return error_; }
    const std::vector<DecodedInstruction>& Code() const { return code_; }
    bool Holds(std::uint64_t address) const { return address >= begin_ && address < end_; }
    std::uint64_t Offset(std::uint64_t address) const { return address - begin_; }
    bool IsJumpTarget(std::size_t index) const { return jumpTargets_.count(code_[index].address) != 0; }
    /// The index of the instruction that starts at address.
    std::optional<std::size_t> IndexAt(std::uint64_t address) const {
        const auto it = indexByAddress_.find(address);
        if (it == indexByAddress_.end()) return std::nullopt;
        return it->second;
    }

private:
    std::uint64_t begin_;
    std::uint64_t end_;
    std::string error_;
    std::vector<DecodedInstruction> code_;
    std::unordered_map<std::uint64_t, std::size_t> indexByAddress_;
    std::unordered_set<std::uint64_t> jumpTargets_;
};

/// Builds the listing of one kernel; each step that fails sets the error and
/// leaves no instructions.
class SectionBuilder {
public:
    SectionBuilder(const ProgramImage& image, Syntax syntax, Listing& listing)
        : image_(image), symbolizer_(image), decoder_(syntax), listing_(listing) {}

    void Build(std::span<const bench::TimedMarker> markers) {
        const Symbol* symbol = FindKernel();
        if (symbol == nullptr) return;
        TimedLabels labels = LabelsWithin(markers, symbol->address, symbol->address + symbol->sizeBytes);
        if (labels.begins.empty() && labels.ends.empty()) {
            if (const Symbol* target = FoldedInto(*symbol)) {
                symbol = target;
                listing_.foldedInto = Demangle(target->name);
                listing_.kernelAddress = target->address;
                listing_.kernelSizeBytes = target->sizeBytes;
                labels = LabelsWithin(markers, target->address, target->address + target->sizeBytes);
            }
        }
        if (labels.begins.empty() && labels.ends.empty()) {
            Fail("no timed-section markers in " +
                 (listing_.foldedInto.empty() ? listing_.kernelName
                                              : listing_.foldedInto + ", into which the compiler folded " +
                                                    listing_.kernelName));
            return;
        }
        if (labels.begins.size() != 1 || labels.ends.size() != 1) {
            Fail("the compiler left " + std::to_string(labels.begins.size()) + " begin and " +
                 std::to_string(labels.ends.size()) + " end markers in " + listing_.kernelName +
                 " (one of each expected): the timed section is not shown");
            return;
        }
        const FunctionCode code(*symbol, decoder_);
        if (!code.Error().empty()) {
            Fail(code.Error() + " of " + listing_.kernelName);
            return;
        }
        const std::optional<std::size_t> beginIndex = code.IndexAt(labels.begins.front());
        const std::optional<std::size_t> endIndex = code.IndexAt(labels.ends.front());
        if (!beginIndex || !endIndex) {
            Fail("a timed-section marker of " + listing_.kernelName + " is not on an instruction boundary");
            return;
        }
        Follow(code, *beginIndex, *endIndex);
    }

private:
    void Fail(const std::string& why) {
        listing_.error = why;
        listing_.instructions.clear();
    }

    const Symbol* FindKernel() {
        if (!image_.Error().empty()) {
            Fail("cannot read the program file: " + image_.Error());
            return nullptr;
        }
        const Symbol* symbol = image_.FunctionAt(listing_.kernelAddress);
        if (symbol == nullptr) {
            Fail(image_.HasSymbolTable()
                     ? "no function of the program holds " + Hex(listing_.kernelAddress)
                     : "the program file is stripped (it has no .symtab): the kernel's code cannot be bounded");
            return nullptr;
        }
        listing_.kernelName = Demangle(symbol->name);
        listing_.kernelSizeBytes = symbol->sizeBytes;
        if (symbol->address != listing_.kernelAddress) {
            Fail(Hex(listing_.kernelAddress) + " is not the start of a function: it lies in " + listing_.kernelName);
            return nullptr;
        }
        return symbol;
    }

    /// The function a thunk passes every call on to: straight code of a few
    /// instructions (saving registers, moving arguments) around one call or
    /// jump to the start of another function. nullptr for any other code.
    /// A sanitizer's build checks the memory of the result before it passes
    /// the call on, and branches to its run-time library's report where that
    /// fails: such checks are allowed too, where they are there.
    const Symbol* FoldedInto(const Symbol& symbol) const {
        static constexpr std::size_t kMostThunkInstructions = 8;
        static constexpr std::size_t kMostCheckedThunkInstructions = 48;
        const FunctionCode code(symbol, decoder_);
        if (!code.Error().empty() || code.Code().size() > kMostCheckedThunkInstructions) return nullptr;
        const auto reports = [&](const DecodedInstruction& instruction) {
            if (instruction.flow != Flow::Call || !instruction.directTarget) return false;
            const std::optional<AddressName> callee = symbolizer_.FunctionAt(*instruction.directTarget);
            return callee && (callee->name.starts_with("__asan_report") || callee->name.starts_with("__ubsan_handle"));
        };
        const bool checked = std::any_of(code.Code().begin(), code.Code().end(), reports);
        if (!checked && code.Code().size() > kMostThunkInstructions) return nullptr;
        const Symbol* target = nullptr;
        for (const DecodedInstruction& instruction : code.Code()) {
            if (instruction.flow == Flow::Next || instruction.flow == Flow::Return) continue;
            if (checked && (reports(instruction) || (instruction.directTarget && code.Holds(*instruction.directTarget)))) {
                continue;
            }
            const bool passesOn = (instruction.flow == Flow::Call || instruction.flow == Flow::Jump) &&
                                  instruction.directTarget && !code.Holds(*instruction.directTarget);
            if (!passesOn || target != nullptr) return nullptr;
            target = image_.FunctionAt(*instruction.directTarget);
            if (target == nullptr || target->address != *instruction.directTarget) return nullptr;
        }
        return target;
    }

    /// The callee of a call or the destination of a jump, by name.
    std::string TargetName(const FunctionCode& code, const DecodedInstruction& instruction) const {
        if (instruction.directTarget) {
            const std::uint64_t target = *instruction.directTarget;
            if (code.Holds(target)) return Hex(code.Offset(target), "+0x");
            const std::optional<AddressName> name = symbolizer_.FunctionAt(target);
            return name ? name->ToString() : Hex(target);
        }
        if (instruction.ripTarget) return symbolizer_.ImportAt(*instruction.ripTarget).value_or("");
        return "";
    }

    /// True when a call to target never comes back: by name, or, for a
    /// function of the program, because its code has no return and no jump
    /// out of it.
    bool CallNeverReturns(const DecodedInstruction& call, const std::string& callee) {
        if (NamedNeverReturns(callee)) return true;
        if (!call.directTarget) return false;
        const Symbol* symbol = image_.FunctionAt(*call.directTarget);
        if (symbol == nullptr || symbol->address != *call.directTarget) return false;
        const auto known = noReturnByFunction_.find(symbol->address);
        if (known != noReturnByFunction_.end()) return known->second;
        const FunctionCode calleeCode(*symbol, decoder_);
        bool neverReturns = calleeCode.Error().empty();
        for (const DecodedInstruction& instruction : calleeCode.Code()) {
            const bool leaves = instruction.flow == Flow::Return ||
                                ((instruction.flow == Flow::Jump || instruction.flow == Flow::ConditionalJump) &&
                                 !(instruction.directTarget && calleeCode.Holds(*instruction.directTarget)));
            if (leaves) neverReturns = false;
        }
        noReturnByFunction_[symbol->address] = neverReturns;
        return neverReturns;
    }

    /// Where the section starts: right after the t0 call, where the
    /// instructions between the call and the begin label run straight on
    /// (moves that keep the clock's result, a sanitizer's check of the slot
    /// it goes to) and no other path joins them.
    std::size_t StartIndex(const FunctionCode& code, std::size_t beginIndex) {
        for (std::size_t k = beginIndex; k > 0; --k) {
            const DecodedInstruction& previous = code.Code()[k - 1];
            if (previous.flow == Flow::Call) {
                listing_.startsAfterCall = TargetName(code, previous);
                return k;
            }
            const bool straight = previous.flow == Flow::Next || previous.flow == Flow::ConditionalJump;
            if (!straight || code.IsJumpTarget(k)) break;
        }
        return beginIndex;
    }

    /// Where the section stops: at the t1 call, where the instructions after
    /// the end label run straight on to a call (the call is part of the
    /// section); otherwise at the end label.
    std::pair<std::size_t, bool> StopIndex(const FunctionCode& code, std::size_t endIndex) {
        for (std::size_t k = endIndex; k < code.Code().size(); ++k) {
            const Flow flow = code.Code()[k].flow;
            if (flow == Flow::Call) return {k, true};
            if (flow != Flow::Next && flow != Flow::ConditionalJump) break;
        }
        return {endIndex, false};
    }

    void Follow(const FunctionCode& code, std::size_t beginIndex, std::size_t endIndex) {
        const std::vector<DecodedInstruction>& instructions = code.Code();
        const std::size_t start = StartIndex(code, beginIndex);
        const auto [stop, stopIsCall] = StopIndex(code, endIndex);

        std::vector<std::vector<std::size_t>> successors(instructions.size());
        std::vector<std::string> targetNames(instructions.size());
        std::vector<char> reached(instructions.size(), 0);
        std::vector<std::size_t> work{start};
        while (!work.empty()) {
            const std::size_t at = work.back();
            work.pop_back();
            if (reached[at]) continue;
            reached[at] = 1;
            const DecodedInstruction& instruction = instructions[at];
            if (instruction.flow == Flow::Call || instruction.flow == Flow::Jump ||
                instruction.flow == Flow::ConditionalJump) {
                targetNames[at] = TargetName(code, instruction);
            }
            if (at == stop) continue;

            std::vector<std::size_t>& next = successors[at];
            const bool fallsThrough =
                instruction.flow == Flow::Next || instruction.flow == Flow::ConditionalJump ||
                (instruction.flow == Flow::Call && !CallNeverReturns(instruction, targetNames[at]));
            if (fallsThrough && at + 1 < instructions.size()) next.push_back(at + 1);
            if (instruction.flow == Flow::Jump || instruction.flow == Flow::ConditionalJump) {
                if (instruction.directTarget && code.Holds(*instruction.directTarget)) {
                    const std::optional<std::size_t> target = code.IndexAt(*instruction.directTarget);
                    if (!target) {
                        Fail("a jump at " + Hex(code.Offset(instruction.address), "+0x") + " of " +
                             listing_.kernelName + " lands inside an instruction: the code cannot be followed");
                        return;
                    }
                    next.push_back(*target);
                } else if (!instruction.directTarget && targetNames[at].empty()) {
                    // A jump table: its targets are data this reader does not follow.
                    Fail("an indirect jump at " + Hex(code.Offset(instruction.address), "+0x") + " of " +
                         listing_.kernelName + " cannot be followed");
                    return;
                }
            }
            for (std::size_t following : next) work.push_back(following);
        }
        if (!reached[stop]) {
            Fail("the end marker of " + listing_.kernelName + " cannot be reached from its begin marker");
            return;
        }
        if (!stopIsCall) reached[stop] = 0;
        Collect(code, start, successors, targetNames, reached);
    }

    void Collect(const FunctionCode& code, std::size_t start, const std::vector<std::vector<std::size_t>>& successors,
                 const std::vector<std::string>& targetNames, const std::vector<char>& reached) {
        const std::vector<DecodedInstruction>& instructions = code.Code();
        std::vector<std::size_t> listingIndex(instructions.size(), instructions.size());
        std::size_t previous = instructions.size();
        for (std::size_t i = 0; i < instructions.size(); ++i) {
            if (!reached[i]) continue;
            const DecodedInstruction& decoded = instructions[i];
            listingIndex[i] = listing_.instructions.size();
            Instruction& instruction = listing_.instructions.emplace_back();
            instruction.address = decoded.address;
            instruction.offsetBytes = code.Offset(decoded.address);
            instruction.lengthBytes = decoded.lengthBytes;
            instruction.mnemonic = decoded.mnemonic;
            instruction.operands = decoded.operands;
            instruction.targetName = targetNames[i];
            instruction.flow = decoded.flow;
            instruction.storeWidthsBytes = decoded.storeWidthsBytes;
            instruction.afterGap = previous != instructions.size() && previous + 1 != i;
            if (decoded.directTarget && !instruction.targetName.empty()) instruction.operands = instruction.targetName;
            if (decoded.ripTarget && decoded.flow == Flow::Next) {
                if (const std::optional<AddressName> data = symbolizer_.DataAt(*decoded.ripTarget)) {
                    instruction.dataName = data->ToString();
                }
            }
            previous = i;
        }
        for (std::size_t i = 0; i < instructions.size(); ++i) {
            if (!reached[i]) continue;
            for (std::size_t successor : successors[i]) {
                if (reached[successor])
                    listing_.instructions[listingIndex[i]].successors.push_back(listingIndex[successor]);
            }
        }
        listing_.entryIndex = listingIndex[start];
        listing_.loops = FindLoops(listing_.instructions, listing_.entryIndex);
        for (std::size_t i = 0; i < listing_.loops.size(); ++i) {
            if (!listing_.mainLoop ||
                listing_.loops[i].bodyIndices.size() > listing_.loops[*listing_.mainLoop].bodyIndices.size()) {
                listing_.mainLoop = i;
            }
        }
    }

    const ProgramImage& image_;
    Symbolizer symbolizer_;
    Decoder decoder_;
    Listing& listing_;
    std::unordered_map<std::uint64_t, bool> noReturnByFunction_;
};

}  // namespace

Listing ListTimedSection(const ProgramImage& image, std::span<const bench::TimedMarker> markers,
                         const void* kernelFunction, Syntax syntax) {
    Listing listing;
    listing.syntax = syntax;
    listing.kernelAddress = reinterpret_cast<std::uint64_t>(kernelFunction);
    SectionBuilder(image, syntax, listing).Build(markers);
    return listing;
}

Listing ListTimedSection(const void* kernelFunction, Syntax syntax) {
    return ListTimedSection(ProgramImage::Self(), ProgramMarkers(), kernelFunction, syntax);
}

}  // namespace disasm
