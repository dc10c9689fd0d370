// The program's command line: which mode to run, and the options of the
// batch mode and of the listing of the kernels' machine code.
#pragma once

#include "bench/Sweep.h"
#include "bench/Variants.h"
#include "disasm/Decoder.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace batch {

enum class Format { Table, Csv, Json };

/// How the clicks of the buttons follow each other.
enum class Order {
    /// Each button's clicks split into rounds of a few; the buttons run in a
    /// new random order every round, so that every button meets the
    /// machine's slow and fast moments alike.
    Rounds,
    /// All clicks of one button, then all of the next, in the order given.
    Blocks,
};

/// A button in one build variant of its kernel, as --baseline names it ("1008", "1008/O0").
struct BaselineName {
    int buttonId = 0;
    /// None when only the id was given: CheckBaseline settles it.
    const bench::Variant* variant = nullptr;
};

struct Options {
    std::vector<int> buttons;               ///< in the order they run; each id once
    std::optional<std::wstring> countText;  ///< pasted into the count field; none keeps "100000"
    int repetitions = 11;                   ///< clicks per button
    Order order = Order::Rounds;
    std::optional<std::uint32_t> seed;      ///< of the rounds' order; none: a new one each run
    Format format = Format::Table;
    std::string output;                     ///< report file; empty for standard output
    std::string plot;                       ///< PNG file; empty for none
    /// Build variants of the kernels each button runs in, side by side, in
    /// the order given; the default variant alone unless --variant chooses.
    std::vector<const bench::Variant*> variants{&bench::DefaultVariant()};
    /// False when the buttons are the mode's default list.
    bool buttonsGiven = false;
    /// --sweep: the element counts; none: the default series, by bytes of array.
    std::optional<bench::SweepRequest::Sizes> sizes;
    /// --sweep: the longest one click may take; a button's sizes stop before it.
    std::chrono::milliseconds clickBudget = bench::kSweepClickBudget;
    /// Every button's ratio to this one, round by round; none for no ratios.
    std::optional<BaselineName> baseline;
};

inline constexpr int kMaxRepetitions = 10000;

struct DisasmOptions {
    std::vector<int> buttons;                   ///< whose kernels to list, in this order; each id once
    disasm::Syntax syntax = disasm::Syntax::Intel;
    bool json = false;                          ///< the listings as JSON instead of text
    bool hot = false;                           ///< sample each kernel as it runs and show the shares
    /// Build variants whose kernels to list, each button's in this order.
    std::vector<const bench::Variant*> variants{&bench::DefaultVariant()};
};

/// What the command line asks the program to do.
enum class Mode {
    Window,   ///< no arguments: the window
    Batch,    ///< --batch: run buttons without a window
    Sweep,    ///< --sweep: run buttons over a series of array sizes
    Disasm,   ///< --disasm LIST: the machine code of kernels' timed sections
    List,     ///< --list
    Help,     ///< --help, also after --batch
    Version,  ///< --version
};

struct CommandLine {
    Mode mode = Mode::Window;
    Options options;        ///< for Mode::Batch and Mode::Sweep
    DisasmOptions disasm;   ///< for Mode::Disasm
};

/// Parses the program's arguments (without the program's name). On error:
/// the message to print, one line, with any value the user gave quoted
/// (control characters escaped, long values cut).
std::variant<CommandLine, std::string> ParseCommandLine(const std::vector<std::string>& args);

/// Why a variant this CPU cannot run is refused, on one line.
std::string UnavailableVariant(const bench::Variant& variant);

/// What velquor --help prints.
std::string HelpText();

}  // namespace batch
