// The machine code of a kernel's timed section, as data: the instructions the
// processor can run between the t0 and t1 clock readings, the loop among them,
// and what one iteration of it does.
//
// How the timed section is found. Each kernel leaves two markers
// (bench/TimedSection.h): right after its t0 clock reading and right before
// its t1 reading, an asm statement places a label and records the label's
// address in the section velquor_timed, which is read here through the
// linker's __start_/__stop_ symbols. The records are relative to themselves,
// so a position-independent program needs no relocation for them, and a
// record sits in its function's section group, so it goes where the function
// goes. This does not depend on what the compiler makes of the code around
// the clock calls: searching the function for two calls to
// system_clock::now() through the PLT would fail where the compiler inlines,
// duplicates or reorders them, calls through the GOT (-fno-plt), or where a
// kernel calls the clock for another reason. The markers emit no instruction
// and their memory clobber adds no constraint the clock call does not already
// impose: with clang++ the kernels' loops are the same instruction for
// instruction with and without them; g++ at times picks other registers for
// the same instructions, or lays out the preparation before t0 otherwise
// (scripts/check-timed-markers compares them).
//
// From the markers, the section is followed as the processor would: from the
// instruction after the t0 call (the begin label, extended back over the
// moves that save the clock's result) along every branch that stays in the
// kernel's function, up to and including the t1 call. Out-of-line blocks (a
// bounds failure, a growth path) are included wherever the compiler put them;
// code the section cannot reach is not. A kernel whose markers are missing,
// duplicated by the compiler, or that cannot be followed gets an error that
// says so, never some other code.
//
// Two kernels with identical bodies may be folded by the compiler (g++'s
// -fipa-icf): as both addresses are taken, one of them becomes a thunk that
// only calls or jumps to the other. Its own code holds no markers; the code
// that runs when it is called is the other function's, so that one is listed,
// and the listing names the fold.
//
// Decoding uses Zydis (Debian's libzydis-dev, Zydis 4): it decodes the whole
// x86-64 instruction set through AVX-512 from current tables, says for every
// operand whether it is read or written and how wide it is (what the store
// count of a loop needs), and formats both Intel and AT&T syntax, without
// allocating. Capstone 4, the other choice in Debian, also formats both
// syntaxes, but its per-operand access flags, which the store count would
// rest on, have a record of wrong entries for vector stores (a movups or
// vmovups to memory reported as a read).
#pragma once

#include "Decoder.h"
#include "ProgramImage.h"
#include "bench/TimedSection.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace disasm {

/// One instruction of a timed section.
struct Instruction {
    /// Address of its first byte in this process.
    std::uint64_t address = 0;
    /// Bytes from the kernel function's first instruction to this one.
    std::uint64_t offsetBytes = 0;
    /// Encoded length in bytes.
    std::uint8_t lengthBytes = 0;
    /// Prefixes and mnemonic in the listing's syntax.
    std::string mnemonic;
    /// Operands in the listing's syntax. A direct call or jump names its
    /// target instead: a demangled symbol, or an offset in the kernel ("+0x70").
    std::string operands;
    /// What a call or jump reaches by name: the callee (also through the PLT
    /// or a GOT slot), or the kernel offset of a jump; empty when unknown.
    std::string targetName;
    /// The global a rip-relative operand addresses; empty if none.
    std::string dataName;
    /// How control goes on.
    Flow flow = Flow::Next;
    /// Indices of the instructions of this listing that can run next.
    std::vector<std::size_t> successors;
    /// Width in bytes of each memory write (4, 16, 32, ...).
    std::vector<int> storeWidthsBytes;
    /// True when the instruction before it in the listing is not the one
    /// before it in memory: the section continues elsewhere in the function.
    bool afterGap = false;
};

/// A loop of the timed section: its head, which every way into the loop
/// passes, and every instruction from which control can come back to the
/// head without leaving the loop.
struct Loop {
    /// Index of the loop's first instruction (the back branch's target).
    std::size_t headIndex = 0;
    /// Index of the instruction that goes back to the head: the last in
    /// address order where several do. Usually a backward branch; a
    /// fall-through where the compiler placed the head after the body.
    std::size_t backBranchIndex = 0;
    /// Indices of the instructions of one iteration, ascending.
    std::vector<std::size_t> bodyIndices;
};

/// What one iteration of a loop does.
struct LoopSummary {
    /// Instructions of the loop's body.
    std::size_t instructionCount = 0;
    /// Width in bytes of each memory write of the body.
    std::vector<int> storeWidthsBytes;
    /// The callee of each call in the body ("" for an indirect call).
    std::vector<std::string> callees;
};

/// The timed section of one kernel, or why there is none.
struct Listing {
    /// The kernel function's demangled name; empty if it has none.
    std::string kernelName;
    /// The demangled name of the function the compiler folded the kernel
    /// into, whose code runs when the kernel is called; empty when the
    /// kernel's own code holds its timed section.
    std::string foldedInto;
    /// Address of the code that runs: the kernel function, or the function
    /// it was folded into.
    std::uint64_t kernelAddress = 0;
    /// Size in bytes of the function at kernelAddress.
    std::uint64_t kernelSizeBytes = 0;
    /// The syntax of mnemonic and operands.
    Syntax syntax = Syntax::Intel;
    /// Why there is no listing; empty when there is one.
    std::string error;
    /// The callee of the call just before the section (the t0 clock
    /// reading); empty where the section starts at its marker.
    std::string startsAfterCall;
    /// The section's instructions in address order; the t1 call is among
    /// them where the end marker stands right before a call.
    std::vector<Instruction> instructions;
    /// Index of the instruction the section starts with (the first after the
    /// t0 call); not always the one at the lowest address.
    std::size_t entryIndex = 0;
    /// The loops, by head address.
    std::vector<Loop> loops;
    /// Index into loops of the main loop: the one with the largest body.
    std::optional<std::size_t> mainLoop;
};

/// The timed section of kernelFunction in the running program, found through
/// the program's markers and symbols.
Listing ListTimedSection(const void* kernelFunction, Syntax syntax = Syntax::Intel);

/// The same with the symbols of image and the given marker records.
Listing ListTimedSection(const ProgramImage& image, std::span<const bench::TimedMarker> markers,
                         const void* kernelFunction, Syntax syntax);

}  // namespace disasm
