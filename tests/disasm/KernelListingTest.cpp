// Listing a timed section: functions written in assembly list as the
// instructions they were written with; the program's own ELF file and its
// symbols; the program's own kernels, each listing its own timed section,
// with what tells the containers apart; and the functions that are no kernel
// to list.
#include "AsmFunctions.h"
#include "bench/Buttons.h"
#include "disasm/Decoder.h"
#include "disasm/Listing.h"
#include "disasm/Loops.h"
#include "disasm/ProgramImage.h"
#include "disasm/TextReport.h"
#include "disasm/TimedMarkers.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using disasm::Flow;
using disasm::Listing;
using disasm::Syntax;

Listing ListOf(const void* function) { return disasm::ListTimedSection(function, disasm::Syntax::Intel); }

disasm::LoopSummary MainLoop(const Listing& listing) {
    return disasm::Summarize(listing, listing.loops.at(listing.mainLoop.value()));
}

bool InMainLoop(const Listing& listing, std::size_t index) {
    const auto& body = listing.loops.at(listing.mainLoop.value()).bodyIndices;
    return std::binary_search(body.begin(), body.end(), index);
}

/// Whether the path from index, along jumps and fall-through, calls a
/// function whose name starts with prefix within a few instructions.
bool PathCalls(const Listing& listing, std::size_t index, const std::string& prefix) {
    for (int step = 0; step < 24 && index < listing.instructions.size(); ++step) {
        const disasm::Instruction& instruction = listing.instructions[index];
        if (instruction.flow == Flow::Call && instruction.targetName.starts_with(prefix)) return true;
        if (instruction.successors.empty()) return false;
        index = instruction.successors.back();
    }
    return false;
}

/// Whether a conditional branch of the main loop leaves it for a path that
/// calls a function whose name starts with prefix.
bool LoopBranchesToCall(const Listing& listing, const std::string& prefix) {
    for (std::size_t i = 0; i < listing.instructions.size(); ++i) {
        const disasm::Instruction& instruction = listing.instructions[i];
        if (!InMainLoop(listing, i) || instruction.flow != Flow::ConditionalJump) continue;
        for (std::size_t target : instruction.successors) {
            if (!InMainLoop(listing, target) && PathCalls(listing, target, prefix)) return true;
        }
    }
    return false;
}

TEST(KernelListing, AFoldedKernelListsTheCodeItPassesItsCallsTo) {
    const Listing fill = ListOf(reinterpret_cast<const void*>(&velquor_asm_fill));
    const Listing folded = ListOf(reinterpret_cast<const void*>(&velquor_asm_folded));
    ASSERT_EQ(folded.error, "");
    EXPECT_EQ(folded.kernelName, "velquor_asm_folded");
    EXPECT_EQ(folded.foldedInto, "velquor_asm_fill");
    EXPECT_EQ(folded.kernelAddress, fill.kernelAddress);
    ASSERT_EQ(folded.instructions.size(), fill.instructions.size());
    for (std::size_t i = 0; i < fill.instructions.size(); ++i) {
        EXPECT_EQ(folded.instructions[i].address, fill.instructions[i].address);
    }
    // Code that does more than pass one call on is no thunk: never list another function's code for it.
    const Listing twoTargets = ListOf(reinterpret_cast<const void*>(&velquor_asm_two_targets));
    EXPECT_NE(twoTargets.error.find("no timed-section markers in velquor_asm_two_targets"), std::string::npos)
        << twoTargets.error;
    EXPECT_EQ(twoTargets.foldedInto, "");
    EXPECT_TRUE(twoTargets.instructions.empty());
}

TEST(KernelListing, SaysWhyItShowsNoSection) {
    const std::pair<const void*, const char*> cases[] = {
        // The machine-speed probe is timed, but has no markers: it is no kernel to list.
        {reinterpret_cast<const void*>(&bench::ProbeStoreLoop), "no timed-section markers"},
        {reinterpret_cast<const void*>(&velquor_asm_duplicated_marker), "2 begin and 1 end markers"},
        {reinterpret_cast<const void*>(&velquor_asm_unreachable_end), "cannot be reached"},
        // An address inside a function is no kernel: never list the code around it.
        {reinterpret_cast<const void*>(reinterpret_cast<std::uintptr_t>(&velquor_asm_fill) + 6), "is not the start of a function"},
    };
    for (const auto& [function, why] : cases) {
        const Listing listing = ListOf(function);
        EXPECT_NE(listing.error.find(why), std::string::npos) << listing.error;
        EXPECT_TRUE(listing.instructions.empty()) << why;
    }
}

// The decoder integration, exactly: functions written in assembly list as
// the instructions they were written with.
TEST(AsmListing, ListsExactlyTheInstructionsOfTheTimedSectionAndMarksItsLoop) {
    const Listing listing = ListOf(reinterpret_cast<const void*>(&velquor_asm_fill));
    ASSERT_EQ(listing.error, "");
    EXPECT_EQ(listing.kernelName, "velquor_asm_fill");
    // From the move that saves t0 (before the begin marker) to the t1 call,
    // and the failure path the loop jumps to, up to the call that never returns.
    std::vector<std::string> mnemonics;
    for (const auto& instruction : listing.instructions) mnemonics.push_back(instruction.mnemonic);
    EXPECT_EQ(mnemonics, (std::vector<std::string>{"mov", "xor", "test", "jz", "cmp", "jnb", "mov", "add", "cmp", "jnz", "mov",
                                                   "call", "call"}));
    EXPECT_EQ(listing.startsAfterCall, "velquor_asm_clock");
    EXPECT_EQ(listing.instructions[0].operands, "rbx, rax");
    EXPECT_EQ(listing.instructions[6].operands, "dword ptr [rdi+rax*4], eax");
    EXPECT_EQ(listing.instructions[11].targetName, "velquor_asm_clock");
    EXPECT_EQ(listing.instructions[12].targetName, "velquor_asm_fail");
    EXPECT_TRUE(listing.instructions[12].afterGap);
    // The jumps name their targets by offset in the function.
    EXPECT_EQ(listing.instructions[3].operands, "+0x21");
    EXPECT_EQ(listing.instructions[9].operands, "+0x10");
    EXPECT_EQ(listing.instructions[4].offsetBytes, 0x10u);
    // The loop, from its head to the backward branch.
    ASSERT_EQ(listing.loops.size(), 1u);
    ASSERT_EQ(listing.mainLoop, 0u);
    EXPECT_EQ(listing.loops[0].headIndex, 4u);
    EXPECT_EQ(listing.loops[0].backBranchIndex, 9u);
    EXPECT_EQ(listing.loops[0].bodyIndices, (std::vector<std::size_t>{4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(MainLoop(listing).storeWidthsBytes, std::vector<int>{4});
    EXPECT_TRUE(MainLoop(listing).callees.empty());
}

TEST(Decoder, StoreWidthsCountMemoryWritesButNotACallsPushAndACutInstructionIsNone) {
    const disasm::Decoder decoder(Syntax::Intel);
    const auto decode = [&](std::vector<std::uint8_t> bytes) { return decoder.Decode(bytes, 0x1000); };
    EXPECT_EQ(decode({0x0f, 0x11, 0x48, 0xf0})->storeWidthsBytes, std::vector<int>{16});  // movups [rax-0x10], xmm1
    EXPECT_EQ(decode({0xc5, 0xfe, 0x7f, 0x07})->storeWidthsBytes, std::vector<int>{32});  // vmovdqu [rdi], ymm0
    EXPECT_EQ(decode({0xf3, 0x48, 0xab})->storeWidthsBytes, std::vector<int>{8});         // rep stosq
    EXPECT_EQ(decode({0x8b, 0x07})->storeWidthsBytes, std::vector<int>{});                // mov eax, [rdi]
    const auto call = decode({0xe8, 0x10, 0, 0, 0});
    ASSERT_TRUE(call);
    EXPECT_EQ(call->flow, Flow::Call);
    EXPECT_EQ(call->storeWidthsBytes, std::vector<int>{});
    EXPECT_EQ(call->directTarget, 0x1015u);
    const auto slotJump = decode({0xff, 0x25, 0x00, 0x10, 0, 0});  // jmp [rip+0x1000]
    ASSERT_TRUE(slotJump);
    EXPECT_EQ(slotJump->flow, Flow::Jump);
    EXPECT_EQ(slotJump->ripTarget, 0x2006u);
    EXPECT_EQ(decode({0x0f, 0x0b})->flow, Flow::Stop);  // ud2
    EXPECT_FALSE(decode({0x0f, 0x11, 0x48}));            // movups cut short
    EXPECT_FALSE(decode({}));
}

// Reading ELF files that are damaged or no ELF at all. (The running program's
// own symbols: every listing here; a stripped program: DisasmCommandTest.)
TEST(ProgramImage, DamagedOrForeignFilesGiveAnErrorAndNoSymbols) {
    const fs::path directory = fs::temp_directory_path() / ("velquor-disasm-" + std::to_string(getpid()));
    fs::create_directories(directory);
    std::ifstream in("/proc/self/exe", std::ios::binary);
    const std::string self(std::istreambuf_iterator<char>(in), {});
    std::string badSectionTable = self;
    // e_shoff, the section table's offset, pointing past the end of the file.
    const std::uint64_t past = self.size() + 4096;
    badSectionTable.replace(0x28, 8, reinterpret_cast<const char*>(&past), 8);
    for (const auto& [name, bytes] :
         {std::pair{"empty", std::string()}, std::pair{"text", std::string("#!/bin/sh\n")},
          std::pair{"header-only", self.substr(0, 64)}, std::pair{"no-section-table", badSectionTable}}) {
        std::ofstream(directory / name, std::ios::binary) << bytes;
        const disasm::ProgramImage image = disasm::ProgramImage::Load(directory / name, 0);
        EXPECT_NE(image.Error(), "") << name;
        EXPECT_EQ(image.FunctionAt(reinterpret_cast<std::uint64_t>(&velquor_asm_fill)), nullptr) << name;
    }
    fs::remove_all(directory);
    const disasm::ProgramImage missing = disasm::ProgramImage::Load(directory / "missing", 0);
    EXPECT_NE(missing.Error().find("cannot open"), std::string::npos) << missing.Error();
    const disasm::Listing listing = disasm::ListTimedSection(
        missing, disasm::ProgramMarkers(), reinterpret_cast<const void*>(&velquor_asm_fill), disasm::Syntax::Intel);
    EXPECT_NE(listing.error.find("cannot read the program file"), std::string::npos) << listing.error;
}

}  // namespace

// The program's own kernels, as the button table names them and as the
// program runs them.
namespace {

const bench::ButtonSpec& Button(int id) {
    const bench::ButtonSpec* button = bench::FindButton(id);
    if (button == nullptr) throw std::logic_error("no button " + std::to_string(id));
    return *button;
}

Listing ListOf(const bench::ButtonSpec& button) { return ListOf(reinterpret_cast<const void*>(button.kernel)); }

/// The kernels that fill an array of int (or of unsigned long long) element by element.
constexpr int kIntFillButtons[] = {1000, 1002, 1004, 1006, 1008, 1012, 1014, 1018,
                                   1020, 1022, 1037, 1039, 1041, 1043, 1053};
/// The kernels whose elements are strings formatted from the index.
constexpr int kStringButtons[] = {1010, 1016, 1024, 1030, 1032, 1035};

TEST(ProgramKernels, EachListsTheTimedSectionOfTheCodeThatRunsAndItsOneLoop) {
    for (const bench::ButtonSpec& button : bench::kButtons) {
        SCOPED_TRACE(button.buttonId);
        const Listing listing = ListOf(button);
        ASSERT_EQ(listing.error, "");
        ASSERT_FALSE(listing.instructions.empty());
        if (button.buttonId != 1055) {
            ASSERT_TRUE(listing.mainLoop);
#if defined(__clang__)
            EXPECT_GE(listing.loops.size(), 1u);
#else
            EXPECT_EQ(listing.loops.size(), 1u);
#endif
        }
        for (const disasm::Instruction& instruction : listing.instructions) {
            EXPECT_GE(instruction.address, listing.kernelAddress);
            EXPECT_LE(instruction.address + instruction.lengthBytes, listing.kernelAddress + listing.kernelSizeBytes);
            // The section ends at the t1 clock reading, and a path ends at a call that never returns.
            const bool ends = instruction.flow == Flow::Call && (instruction.targetName.starts_with("std::__throw_") ||
                                                                 instruction.targetName.find("system_clock::now") !=
                                                                     std::string::npos);
            EXPECT_TRUE(!ends || instruction.successors.empty()) << "something follows " << instruction.targetName;
        }
        EXPECT_NE(listing.startsAfterCall.find("system_clock::now"), std::string::npos) << listing.startsAfterCall;
        if (listing.foldedInto.empty()) {
            EXPECT_EQ(listing.kernelAddress, reinterpret_cast<std::uint64_t>(button.kernel));
        } else {
            // A folded kernel lists the kernel it was folded into, and says so.
            const bench::ButtonSpec* twin = nullptr;
            for (const bench::ButtonSpec& other : bench::kButtons) {
                if (reinterpret_cast<std::uint64_t>(other.kernel) == listing.kernelAddress) twin = &other;
            }
            ASSERT_NE(twin, nullptr) << listing.foldedInto;
            EXPECT_EQ(listing.foldedInto, ListOf(*twin).kernelName);
            std::ostringstream text;
            disasm::WriteListingText(text, listing, nullptr);
            EXPECT_NE(text.str().find("the compiler folded this kernel into " + listing.foldedInto), std::string::npos);
        }
    }
    // 1055 moves g_pStaticArrayInit by 2 x count elements and writes no
    // element: its section is one addition, no loop.
    const Listing pointer = ListOf(Button(1055));
    EXPECT_TRUE(pointer.loops.empty());
    EXPECT_EQ(disasm::SummaryLine(pointer).rfind("no loop in the timed section", 0), 0u);
    EXPECT_TRUE(std::any_of(pointer.instructions.begin(), pointer.instructions.end(), [](const auto& i) {
        return i.dataName == "g_pStaticArrayInit" && !i.storeWidthsBytes.empty();
    }));
}

TEST(ProgramKernels, WhatTheLoopsDoTellsTheContainersApart) {
    for (int id : kIntFillButtons) {
        SCOPED_TRACE(id);
        const Listing listing = ListOf(Button(id));
        EXPECT_FALSE(MainLoop(listing).storeWidthsBytes.empty()) << "the loop stores its elements";
        // Nothing but the stores is timed: no call that returns into the
        // section (the t1 clock reading ends it, a bounds failure never
        // returns), but push_back's growth and a sanitizer's own checks.
        if (id == 1002 || id == 1006) continue;
        for (const disasm::Instruction& instruction : listing.instructions) {
            const std::string& callee = instruction.targetName;
            const bool sanitizer = callee.starts_with("__asan_") || callee.starts_with("__ubsan_");
            EXPECT_FALSE(instruction.flow == Flow::Call && !instruction.successors.empty() && !sanitizer) << callee;
        }
    }
    // at() compares the index with the size and leaves the loop for the
    // bounds failure; [] has neither.
    const Listing at = ListOf(Button(1004));
    const Listing index = ListOf(Button(1008));
    const auto& atLoop = at.loops.at(at.mainLoop.value()).bodyIndices;
    EXPECT_TRUE(
        std::any_of(atLoop.begin(), atLoop.end(), [&](std::size_t i) { return at.instructions[i].mnemonic == "cmp"; }));
    EXPECT_TRUE(LoopBranchesToCall(at, "std::__throw_out_of_range"));
    EXPECT_FALSE(LoopBranchesToCall(index, "std::__throw_"));
    // push_back without reserve grows inside the loop: it reaches a call.
    EXPECT_FALSE(MainLoop(ListOf(Button(1006))).callees.empty());
    for (int id : kStringButtons) {
        const std::vector<std::string> callees = MainLoop(ListOf(Button(id))).callees;
        EXPECT_TRUE(std::any_of(callees.begin(), callees.end(), [](const std::string& callee) {
            return callee.find("Format") != std::string::npos || callee.find("printf") != std::string::npos;
        })) << id << ": the loop formats each element";
    }
}

}  // namespace
