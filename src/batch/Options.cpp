#include "Options.h"

#include "Baseline.h"
#include "Schedule.h"
#include "Text.h"
#include "bench/Buttons.h"
#include "framework/AfxString.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <optional>
#include <sstream>

namespace batch {
namespace {

std::string ValidIds() {
    std::ostringstream out;
    for (const bench::ButtonSpec& b : bench::kButtons) out << (out.tellp() > 0 ? ", " : "") << b.buttonId;
    return out.str() + ", or all";
}

template <class Number>
std::optional<Number> ParseNumber(std::string_view text) {
    Number value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || text.empty()) return std::nullopt;
    return value;
}

// A refused value: CLI11 passes the message on as it stands.
[[noreturn]] void Refuse(const std::string& message) {
    throw CLI::ValidationError(message);
}

// The items of option's list. Every comma separates two items: "1000," and
// ",1000" both hold an empty one (an empty id or name: noun).
std::vector<std::string_view> SplitList(const std::string& option, const std::string& list, const std::string& noun,
                                        const std::string& valid) {
    if (list.empty()) Refuse(option + " needs at least one " + noun + "; valid " + noun + "s: " + valid);
    std::vector<std::string_view> items;
    for (std::size_t begin = 0; begin <= list.size();) {
        const std::size_t comma = std::min(list.find(',', begin), list.size());
        items.push_back(std::string_view(list).substr(begin, comma - begin));
        begin = comma + 1;
        if (items.back().empty()) {
            Refuse(option + " " + Quoted(list) + " has an empty " + noun + "; separate the " + noun + "s by single commas");
        }
    }
    return items;
}

/// The ids of option's LIST: ids separated by commas, or "all".
std::vector<int> ParseButtons(const std::string& option, const std::string& list) {
    std::vector<int> ids;
    if (list == "all") {
        for (const bench::ButtonSpec& b : bench::kButtons) ids.push_back(b.buttonId);
        return ids;
    }
    for (const std::string_view item : SplitList(option, list, "id", ValidIds())) {
        const std::optional<int> id = ParseNumber<int>(item);
        if (!id || !bench::FindButton(*id)) Refuse("unknown button id " + Quoted(item) + "; valid ids: " + ValidIds());
        if (std::find(ids.begin(), ids.end(), *id) != ids.end()) {
            Refuse(option + " names " + std::to_string(*id) + " twice; name each button once");
        }
        ids.push_back(*id);
    }
    return ids;
}

int ParseRepetitions(const std::string& text) {
    const std::optional<int> n = ParseNumber<int>(text);
    if (!n || *n < 1 || *n > kMaxRepetitions) {
        Refuse("--repetitions must be a whole number from 1 to " + std::to_string(kMaxRepetitions) + ", not " + Quoted(text));
    }
    return *n;
}

// --format serves both modes; the mode flags' callbacks have run by then.
void ParseFormat(const std::string& text, CommandLine& line) {
    if (line.mode == Mode::Disasm) {
        if (text != "text" && text != "json") Refuse("unknown format " + Quoted(text) + " for --disasm; use text or json");
        line.disasm.json = text == "json";
        return;
    }
    if (line.mode != Mode::Batch && line.mode != Mode::Sweep) Refuse("--format needs --batch, --sweep or --disasm");
    if (text == "table") line.options.format = Format::Table;
    else if (text == "csv") line.options.format = Format::Csv;
    else if (text == "json") line.options.format = Format::Json;
    else Refuse("unknown format " + Quoted(text) + "; use table, csv or json");
}

disasm::Syntax ParseSyntax(const std::string& text) {
    if (text == "intel") return disasm::Syntax::Intel;
    if (text == "att") return disasm::Syntax::Att;
    Refuse("unknown syntax " + Quoted(text) + "; use intel or att");
}

Order ParseOrder(const std::string& text) {
    if (text == "rounds") return Order::Rounds;
    if (text == "blocks") return Order::Blocks;
    Refuse("unknown order " + Quoted(text) + "; use rounds or blocks");
}

std::uint32_t ParseSeed(const std::string& text) {
    const std::optional<std::uint32_t> seed = ParseNumber<std::uint32_t>(text);
    if (!seed) Refuse("--seed must be a whole number from 0 to 4294967295, not " + Quoted(text));
    return *seed;
}

std::string VariantNames(bool orAll = true) {
    std::string names;
    for (const bench::Variant& v : bench::Variants()) names += (names.empty() ? "" : ", ") + std::string(v.name);
    return orAll ? names + ", or all" : names;
}

// For runs, "all" is every variant this CPU can run, and one it cannot run is
// refused when named, so that a report never lacks a variant the user asked
// for. A listing runs nothing unless sampled, so it shows every variant.
std::vector<const bench::Variant*> ParseVariants(const std::string& list, bool toRun) {
    std::vector<const bench::Variant*> variants;
    if (list == "all") {
        for (const bench::Variant& v : bench::Variants()) {
            if (!toRun || bench::IsAvailable(v)) variants.push_back(&v);
        }
        return variants;
    }
    for (const std::string_view item : SplitList("--variant", list, "variant", VariantNames())) {
        const bench::Variant* v = bench::FindVariant(item);
        if (v == nullptr) Refuse("unknown variant " + Quoted(item) + "; valid variants: " + VariantNames());
        if (toRun && !bench::IsAvailable(*v)) Refuse(UnavailableVariant(*v));
        if (std::find(variants.begin(), variants.end(), v) != variants.end()) {
            Refuse("--variant names " + std::string(v->name) + " twice; name each variant once");
        }
        variants.push_back(v);
    }
    return variants;
}

// --variant serves both modes, as --format does.
void ParseVariantOption(const std::string& list, CommandLine& line) {
    if (line.mode == Mode::Disasm) line.disasm.variants = ParseVariants(list, false);
    else if (line.mode == Mode::Batch) line.options.variants = ParseVariants(list, true);
    else if (line.mode == Mode::Sweep) Refuse("--variant is for --batch and --disasm, not --sweep");
    else Refuse("--variant needs --batch or --disasm");
}

// "ID" or "ID/VARIANT"; whether the run has them CheckBaseline says.
BaselineName ParseBaseline(const std::string& text) {
    const std::size_t slash = text.find('/');
    const std::string_view id = std::string_view(text).substr(0, slash);
    const std::optional<int> number = ParseNumber<int>(id);
    if (!number || !bench::FindButton(*number)) {
        Refuse("--baseline " + Quoted(text) + " names no button; give an id, as in 1008, or an id and a variant, as in 1008/O0");
    }
    if (slash == std::string::npos) return {*number, nullptr};
    const std::string_view name = std::string_view(text).substr(slash + 1);
    const bench::Variant* variant = bench::FindVariant(name);
    if (variant == nullptr) {
        Refuse("--baseline " + Quoted(text) + " names no variant " + Quoted(name) + "; valid variants: " + VariantNames(false));
    }
    return {*number, variant};
}

// Where a report can go is settled by OutputFile before the run; here only
// that there is a name.
std::string ParseOutputFile(const std::string& option, const std::string& path) {
    if (path.empty()) Refuse(option + " needs a file name");
    return path;
}

// FROM:TO or FROM:TO:PER_DOUBLING, whole numbers; their order and range are
// the sweep's plan to judge, which knows the arrays and the memory.
bench::SweepRequest::Sizes ParseSizes(const std::string& text) {
    std::vector<std::optional<int>> parts;
    for (std::size_t begin = 0; begin <= text.size();) {
        const std::size_t colon = std::min(text.find(':', begin), text.size());
        parts.push_back(ParseNumber<int>(std::string_view(text).substr(begin, colon - begin)));
        begin = colon + 1;
    }
    if ((parts.size() != 2 && parts.size() != 3) || std::find(parts.begin(), parts.end(), std::nullopt) != parts.end()) {
        Refuse("--sizes takes FROM:TO or FROM:TO:PER_DOUBLING, whole numbers of elements, not " + Quoted(text));
    }
    bench::SweepRequest::Sizes sizes{*parts[0], *parts[1], bench::kSweepPointsPerDoubling};
    if (parts.size() == 3) sizes.perDoubling = *parts[2];
    return sizes;
}

constexpr int kMaxBudgetMilliseconds = 600000;

std::chrono::milliseconds ParseBudget(const std::string& text) {
    const std::optional<int> ms = ParseNumber<int>(text);
    if (!ms || *ms < 1 || *ms > kMaxBudgetMilliseconds) {
        Refuse("--budget must be a whole number of milliseconds from 1 to " + std::to_string(kMaxBudgetMilliseconds) + ", not " +
               Quoted(text));
    }
    return std::chrono::milliseconds(*ms);
}

// Options that only one of the two running modes takes, and what each is for.
void RefuseOtherModesOptions(const CLI::App& app, Mode mode) {
    const bool running = mode == Mode::Batch || mode == Mode::Sweep;
    for (const char* name : {"--buttons", "--repetitions", "--seed", "--output", "--plot"}) {
        if (!running && app.count(name) > 0) Refuse(std::string(name) + " needs --batch or --sweep");
    }
    for (const char* name : {"--count", "--order"}) {
        if (app.count(name) == 0 || mode == Mode::Batch) continue;
        if (mode == Mode::Sweep) {
            Refuse(std::string(name) + (std::string_view(name) == "--count"
                                            ? " sets the window's count field, which a sweep does not read: its counts "
                                              "come from --sizes"
                                            : " is for --batch: a sweep always runs its sizes in interleaved rounds"));
        }
        Refuse(std::string(name) + " needs --batch");
    }
    for (const char* name : {"--sizes", "--budget"}) {
        if (app.count(name) > 0 && mode != Mode::Sweep) Refuse(std::string(name) + " needs --sweep");
    }
}

// A sweep's buttons: the visible ones that can take another size unless
// --buttons names them, and then each must.
void SettleSweep(const CLI::App& app, Options& o) {
    if (app.count("--repetitions") == 0) o.repetitions = bench::kSweepRepetitions;
    if (!o.buttonsGiven) {
        std::erase_if(o.buttons, [](int id) { return bench::SweepRefusal(*bench::FindButton(id)).has_value(); });
        return;
    }
    for (int id : o.buttons) {
        if (auto why = bench::SweepRefusal(*bench::FindButton(id))) Refuse(*why + "; leave it out of --sweep");
    }
}

// The help lists each option with the name of its value and its text; which
// options go together the groups and the usage line say.
class HelpFormatter : public CLI::Formatter {
public:
    std::string make_usage(const CLI::App*, std::string) const override {
        return "Usage: velquor [--batch [OPTIONS] | --sweep [OPTIONS] | --disasm LIST [OPTIONS] | --list | --help |\n"
               "               --version]\n"
               "Without arguments velquor starts the window.\n";
    }
    std::string make_option_opts(const CLI::Option* option) const override {
        return option->get_type_size() != 0 ? " " + option->get_type_name() : std::string();
    }
};

// Declares the whole command line on app, storing into line.
void Describe(CLI::App& app, CommandLine& line) {
    app.formatter(std::make_shared<HelpFormatter>());
    app.get_formatter()->column_width(21);
    app.allow_extras();
    app.footer("Reports and charts: a file is replaced whole, a character device or FIFO written through;\n"
               "both are checked before the run.\n"
               "Exit status: 2 for bad arguments, or where standard output or a report file cannot be\n"
               "written (the cause is printed). Else --batch: 0 when every run succeeded, 1 when a run\n"
               "failed; --disasm: 0 when every kernel was listed (also where sampling was refused or\n"
               "failed: one line says why), 1 when a kernel's code could not be found (the listing says why).");
    const char* modes = "Modes (one at most)";
    auto mode = [&](const char* name, Mode value, const char* text) {
        return app.add_flag_callback(name, [&line, value] { line.mode = value; }, text)
            ->group(modes)
            ->disable_flag_override();
    };
    CLI::Option* batchFlag = mode("--batch", Mode::Batch, "run buttons without a window and report");
    CLI::Option* sweepFlag = mode("--sweep", Mode::Sweep,
                                  "run each button's fill over a series of array sizes, from the first cache\n"
                                  "level to main memory, without a window, and report");
    CLI::Option* listFlag = mode("--list", Mode::List,
                                 "print one line per button, all 22 (hidden ones marked): id, caption,\n"
                                 "whether it reads the count field");
    CLI::Option* disasmFlag =
        app.add_option_function<std::string>(
               "--disasm",
               [&line](const std::string& v) {
                   line.mode = Mode::Disasm;
                   line.disasm.buttons = ParseButtons("--disasm", v);
               },
               "print the machine code of the timed section of each button's kernel, button ids\n"
               "separated by commas or \"all\", with the loop and a summary of one iteration")
            ->type_name("LIST")
            ->group(modes);
    app.set_help_flag("-h,--help", "print this text")->group(modes);
    CLI::Option* versionFlag = mode("--version", Mode::Version, "print the version block");
    batchFlag->excludes(listFlag)->excludes(versionFlag)->excludes(disasmFlag)->excludes(sweepFlag);
    sweepFlag->excludes(listFlag)->excludes(versionFlag)->excludes(disasmFlag);
    listFlag->excludes(versionFlag)->excludes(disasmFlag);
    disasmFlag->excludes(versionFlag);

    Options& o = line.options;
    auto option = [&](const char* name, const char* valueName, const std::string& text, auto store) {
        return app.add_option_function<std::string>(name, store, text)
            ->type_name(valueName)
            ->group("Options of --batch and --sweep");
    };
    option("--buttons", "LIST",
           "button ids separated by commas, each at most once, or \"all\"; default: the 20 visible\n"
           "buttons (1053 and 1055 run only when named); --sweep: those of them that read the count",
           [&o](const std::string& v) {
               o.buttons = ParseButtons("--buttons", v);
               // "all" asks for every button the mode can run, not for each one by name.
               o.buttonsGiven = v != "all";
           });
    option("--count", "TEXT",
           "text pasted into the count field before the runs; default: the field's own \"100000\"",
           [&o](const std::string& v) { o.countText = std::wstring(CString(v.c_str()).GetString()); });
    option("--repetitions", "N", "clicks per button (--sweep: per size), 1 to " + std::to_string(kMaxRepetitions) +
               "; default 11 (--sweep: " + std::to_string(bench::kSweepRepetitions) + ")",
           [&o](const std::string& v) { o.repetitions = ParseRepetitions(v); });
    option("--order", "ORDER",
           "rounds (default): each button's clicks in rounds of up to " + std::to_string(kClicksPerRound) +
               ", the buttons and their variants\nin a new random order every round; blocks: all clicks of one "
               "button, variant by variant,\nthen the next",
           [&o](const std::string& v) { o.order = ParseOrder(v); });
    option("--seed", "N",
           "the seed of the rounds' random order, 0 to 4294967295 (not with blocks); default: a new one,\n"
           "printed",
           [&o](const std::string& v) { o.seed = ParseSeed(v); });
    app.add_option_function<std::string>(
           "--format", [&line](const std::string& v) { ParseFormat(v, line); },
           "--batch: table (default), csv or json; --disasm: text (default) or json")
        ->type_name("F")
        ->group("Options of --batch and --disasm");
    app.add_option_function<std::string>(
           "--variant", [&line](const std::string& v) { ParseVariantOption(v, line); },
           "build variants of the kernels: O0, O2, O3, avx2, or \"all\"; default: O3, the program's\n"
           "own build. --batch runs each button in each (\"all\": those this CPU runs); --disasm\n"
           "lists each (\"all\": every one; --hot samples only those this CPU runs)")
        ->type_name("LIST")
        ->group("Options of --batch and --disasm");
    option("--baseline", "ID[/V]",
           "every button's time as a ratio to button ID's (in variant V; default: " + std::string(bench::DefaultVariant().name) +
               ", or the one\nvariant run), round by round, with a 95 % interval from " + std::to_string(bench::kIntervalRounds) +
               " rounds on (--repetitions " + std::to_string((bench::kIntervalRounds - 1) * kClicksPerRound + 1) +
               "); needs\nrounds, at least 2 (--repetitions " + std::to_string(kClicksPerRound + 1) +
               "). --plot then draws the ratios. --sweep: each size against\nthe baseline's of the same bytes, and each cache level",
           [&o](const std::string& v) { o.baseline = ParseBaseline(v); });
    option("--output", "FILE", "write the report to FILE instead of standard output",
           [&o](const std::string& v) { o.output = ParseOutputFile("--output", v); });
    option("--plot", "FILE",
           "also draw a chart of the results as a PNG image (--sweep: ns per element against\n"
           "the array's bytes, one line per button, with the store limit and the cache sizes)",
           [&o](const std::string& v) { o.plot = ParseOutputFile("--plot", v); });
    auto sweepOption = [&](const char* name, const char* valueName, const std::string& text, auto store) {
        return app.add_option_function<std::string>(name, store, text)
            ->type_name(valueName)
            ->group("Options of --sweep");
    };
    sweepOption("--sizes", "FROM:TO[:P]",
                "the array sizes in elements: from FROM to TO, P per doubling (default " +
                    std::to_string(bench::kSweepPointsPerDoubling) + "); default: from " +
                    std::to_string(bench::kSweepFirstBytes / 1024) + " KiB of array to " +
                    std::to_string(bench::kSweepLastCacheMultiple) +
                    " times the last-level cache.\nThe count field's limit does not apply; the global arrays hold " +
                    std::to_string(bench::kGlobalArrayLength) + " elements",
                [&o](const std::string& v) { o.sizes = ParseSizes(v); });
    sweepOption("--budget", "MS",
                "the longest one click may take, in milliseconds (default " +
                    std::to_string(bench::kSweepClickBudget.count()) +
                    "): a button's sizes stop\nwhere its next click would take longer",
                [&o](const std::string& v) { o.clickBudget = ParseBudget(v); });

    DisasmOptions& d = line.disasm;
    const char* disasmOptions = "Options of --disasm";
    app.add_option_function<std::string>(
           "--syntax", [&d](const std::string& v) { d.syntax = ParseSyntax(v); },
           "intel (default, as objdump -M intel) or att (the GNU assembler's)")
        ->type_name("S")
        ->group(disasmOptions)
        ->needs(disasmFlag);
    app.add_flag("--hot", d.hot,
                 "run each kernel again and again for about half a second (count 100000, as the\n"
                 "window's field has it) while sampling, and show each instruction's share of the\n"
                 "samples and the functions the other samples fell in")
        ->group(disasmOptions)
        ->disable_flag_override()
        ->needs(disasmFlag);
    app.final_callback([&app, &line] {
        RefuseOtherModesOptions(app, line.mode);
        if (line.mode == Mode::Sweep) SettleSweep(app, line.options);
    });
}

// The one place where an option is refused for how it is given rather than
// for what it holds: each option at most once (a second one would silently
// replace the first), and a flag without a value. Like the parser, it takes
// every argument that starts with "--" for an option; help wins wherever it
// stands.
std::optional<std::string> MisgivenOption(const CLI::App& app, const std::vector<std::string>& args) {
    if (std::find_if(args.begin(), args.end(), [](const std::string& a) { return a == "-h" || a == "--help"; }) !=
        args.end()) {
        return std::nullopt;
    }
    std::vector<const CLI::Option*> given;
    for (const std::string& arg : args) {
        if (!arg.starts_with("--")) continue;
        const std::size_t equals = arg.find('=');
        const CLI::Option* option = app.get_option_no_throw(arg.substr(0, equals));
        if (option == nullptr) continue;  // an unknown option: the parser says so
        if (equals != std::string::npos && option->get_expected_max() == 0) {
            return option->get_name() + " takes no value; remove " + Quoted(std::string_view(arg).substr(equals));
        }
        if (std::find(given.begin(), given.end(), option) != given.end()) {
            return option->get_name() + " is given twice; give each option once";
        }
        given.push_back(option);
    }
    return std::nullopt;
}

// What no single option can tell: options that contradict each other.
std::optional<std::string> Contradiction(const CommandLine& line) {
    if (line.mode == Mode::Batch && line.options.order == Order::Blocks && line.options.seed) {
        return "--seed chooses the order of rounds; --order blocks runs the buttons in the order given and takes no "
               "seed";
    }
    return std::nullopt;
}

}  // namespace

std::string UnavailableVariant(const bench::Variant& variant) {
    return "variant " + std::string(variant.name) + " needs a CPU with " + std::string(variant.cpuRequirement) +
           ", which this one is not";
}

std::variant<CommandLine, std::string> ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    for (const bench::ButtonSpec& b : bench::kButtons) {
        if (!b.hidden) line.options.buttons.push_back(b.buttonId);
    }
    CLI::App app("", "velquor");
    Describe(app, line);
    if (std::optional<std::string> misgiven = MisgivenOption(app, args)) return *std::move(misgiven);
    try {
        std::vector<std::string> reversed(args.rbegin(), args.rend());
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        line.mode = Mode::Help;
        return line;
    } catch (const CLI::ArgumentMismatch& e) {
        // "--count: 1 required TEXT missing"
        const std::string what = e.what();
        return Printable(what.substr(0, what.find(':'))) + " needs a value";
    } catch (const CLI::ParseError& e) {
        // CLI11's own messages name options, but may quote what was typed.
        return Printable(e.what());
    }
    if (const std::vector<std::string> extras = app.remaining(); !extras.empty()) {
        const std::string& first = extras.front();
        return (first.size() > 1 && first[0] == '-' ? "unknown option " : "unexpected argument ") + Quoted(first) +
               " (try --help)";
    }
    if (std::optional<std::string> contradiction = Contradiction(line)) return *std::move(contradiction);
    if (std::string why = CheckBaseline(line.options); !why.empty()) return why;
    return line;
}

std::string HelpText() {
    CommandLine unused;
    CLI::App app("", "velquor");
    Describe(app, unused);
    return app.help();
}

}  // namespace batch
