// The command line as one table: each list of arguments and what it asks
// for (the mode and every option that differs from its default), or the one
// line it is refused with; and texts made safe to print.
#include "batch/Options.h"
#include "batch/Runner.h"
#include "batch/Text.h"
#include "bench/Buttons.h"
#include "bench/Variants.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string Ids(const std::vector<int>& ids) {
    std::vector<int> all;
    for (const bench::ButtonSpec& b : bench::kButtons) all.push_back(b.buttonId);
    if (ids == all) return "all";
    std::string text;
    for (const int id : ids) text.append(text.empty() ? "" : ",").append(std::to_string(id));
    return text;
}

std::string Names(const std::vector<const bench::Variant*>& variants) {
    std::string text;
    for (const bench::Variant* v : variants) text.append(text.empty() ? "" : ",").append(v->name);
    return text;
}

// "error: " and the message, or the mode and the options that differ from their defaults.
std::string Parsed(const std::vector<std::string>& args) {
    const auto parsed = batch::ParseCommandLine(args);
    if (const auto* error = std::get_if<std::string>(&parsed)) return "error: " + *error;
    const batch::CommandLine& line = std::get<batch::CommandLine>(parsed);
    std::ostringstream out;
    if (line.mode == batch::Mode::Batch) {
        const batch::Options& o = line.options;
        std::vector<int> visible;
        for (const bench::ButtonSpec& b : bench::kButtons) {
            if (!b.hidden) visible.push_back(b.buttonId);
        }
        out << "batch";
        if (o.buttons != visible) out << " buttons=" << Ids(o.buttons);
        if (o.countText) out << " count=" << batch::Quoted(*o.countText);
        if (o.repetitions != 11) out << " repetitions=" << o.repetitions;
        if (o.order == batch::Order::Blocks) out << " order=blocks";
        if (o.seed) out << " seed=" << *o.seed;
        if (o.format != batch::Format::Table) out << " format=" << (o.format == batch::Format::Csv ? "csv" : "json");
        if (!o.output.empty()) out << " output=" << o.output;
        if (!o.plot.empty()) out << " plot=" << o.plot;
        if (Names(o.variants) != "O3") out << " variants=" << Names(o.variants);
        if (o.baseline) out << " baseline=" << o.baseline->buttonId << "/" << o.baseline->variant->name;
    } else if (line.mode == batch::Mode::Sweep) {
        const batch::Options& o = line.options;
        out << "sweep buttons=" << Ids(o.buttons);
        if (o.sizes) out << " sizes=" << o.sizes->from << ":" << o.sizes->to << ":" << o.sizes->perDoubling;
        if (o.clickBudget != bench::kSweepClickBudget) out << " budget=" << o.clickBudget.count();
        if (o.repetitions != bench::kSweepRepetitions) out << " repetitions=" << o.repetitions;
        if (o.seed) out << " seed=" << *o.seed;
        if (o.baseline) out << " baseline=" << o.baseline->buttonId;
    } else if (line.mode == batch::Mode::Disasm) {
        const batch::DisasmOptions& d = line.disasm;
        out << "disasm " << Ids(d.buttons) << (d.syntax == disasm::Syntax::Att ? " att" : "") << (d.json ? " json" : "")
            << (d.hot ? " hot" : "");
        if (Names(d.variants) != "O3") out << " variants=" << Names(d.variants);
    } else {
        const char* modes[] = {"window", "batch", "sweep", "disasm", "list", "help", "version"};
        out << modes[static_cast<int>(line.mode)];
    }
    return out.str();
}

struct Case {
    std::vector<std::string> args;
    /// What Parsed gives: all of it where the line is accepted, its start where refused.
    std::string expected;
    /// Whether the CPU runs AVX2; by default it does not, so that "all" is the same everywhere.
    bool avx2 = false;
};

const std::string kHuge(100000, '7');

const Case kCases[] = {
    // Modes; help wins wherever it stands.
    {{}, "window"},
    {{"--batch"}, "batch"},
    {{"--list"}, "list"},
    {{"--version"}, "version"},
    {{"--help"}, "help"},
    {{"-h"}, "help"},
    {{"--batch", "--buttons", "1000", "-h"}, "help"},
    {{"--batch", "--disasm", "1004"}, "error: --batch excludes --disasm"},
    {{"--frobnicate"}, "error: unknown option '--frobnicate' (try --help)"},
    {{"--batch", "--\x1b]0;title\x07"}, "error: unknown option '--\\x1b]0;title\\x07' (try --help)"},
    {{"--list", "extra"}, "error: unexpected argument 'extra' (try --help)"},
    {{"--buttons", "1000"}, "error: --buttons needs --batch or --sweep"},
    {{"--disasm", "1004", "--count", "5"}, "error: --count needs --batch"},
    {{"--hot"}, "error: --hot requires --disasm"},
    {{"--format", "json"}, "error: --format needs --batch, --sweep or --disasm"},
    {{"--variant", "O0"}, "error: --variant needs --batch or --disasm"},

    // A sweep: the buttons that can take another size, its own counts, interleaved rounds.
    {{"--sweep"}, "sweep buttons=1000,1002,1004,1006,1008,1010,1018,1016,1020,1035,1032,1030,1037,1039,1041,1043"},
    {{"--sweep", "--buttons", "all", "--sizes", "10:1000:3", "--budget", "50", "--repetitions", "5", "--seed", "9"},
     "sweep buttons=1000,1002,1004,1006,1008,1010,1018,1016,1020,1035,1032,1030,1037,1039,1041,1043,1053 sizes=10:1000:3 "
     "budget=50 repetitions=5 seed=9"},
    {{"--sweep", "--sizes", "1:2"}, "sweep buttons=1000,1002,1004,1006,1008,1010,1018,1016,1020,1035,1032,1030,1037,1039,1041,1043 sizes=1:2:4"},
    {{"--sweep", "--count", "5"}, "error: --count sets the window's count field, which a sweep does not read"},
    {{"--sweep", "--order", "blocks"}, "error: --order is for --batch: a sweep always runs its sizes in interleaved rounds"},
    {{"--sweep", "--variant", "O0"}, "error: --variant is for --batch and --disasm, not --sweep"},
    {{"--sweep", "--buttons", "1000,1022"}, "error: 1022 fills a fixed local array of 100000 elements on the stack"},
    {{"--sweep", "--buttons", "1055"}, "error: 1055 moves a pointer and stores nothing"},
    {{"--sweep", "--sizes", "10-100"}, "error: --sizes takes FROM:TO or FROM:TO:PER_DOUBLING, whole numbers of elements, not '10-100'"},
    {{"--sweep", "--budget", "0"}, "error: --budget must be a whole number of milliseconds from 1 to 600000, not '0'"},
    {{"--batch", "--sizes", "1:2"}, "error: --sizes needs --sweep"},
    {{"--sweep", "--buttons", "1004,1008", "--baseline", "1008"}, "sweep buttons=1004,1008 baseline=1008"},
    {{"--sweep", "--buttons", "1004", "--baseline", "1008"}, "error: --baseline 1008 is not among the buttons run"},

    // A flag takes no value; no option is given twice (a second would silently replace the first).
    {{"--disasm", "1000", "--hot=1"}, "error: --hot takes no value; remove '=1'"},
    {{"--disasm", "1000", "--disasm", "1002"}, "error: --disasm is given twice; give each option once"},
    {{"--disasm", "1000", "--syntax", "att", "--syntax=intel"}, "error: --syntax is given twice"},

    // --batch's options.
    {{"--batch", "--buttons", "all", "--count", "12abc", "--format", "json"}, "batch buttons=all count='12abc' format=json"},
    {{"--batch", "--buttons", "1055,1000", "--repetitions", "10000", "--format", "csv"},
     "batch buttons=1055,1000 repetitions=10000 format=csv"},
    {{"--batch", "--count", ""}, "batch count=''"},
    {{"--batch", "--count=-x", "--output", "r.json", "--plot", "c.png"}, "batch count='-x' output=r.json plot=c.png"},
    {{"--batch", "--count"}, "error: --count needs a value"},
    {{"--batch", "--buttons", "1000,1001"}, "error: unknown button id '1001'; valid ids: 1000, 1002, "},
    {{"--batch", "--buttons", "1000\x1b[2J,1002"}, "error: unknown button id '1000\\x1b[2J'"},
    {{"--batch", "--buttons", ""}, "error: --buttons needs at least one id; valid ids: 1000, "},
    {{"--batch", "--buttons", "1000,"}, "error: --buttons '1000,' has an empty id; separate the ids by single commas"},
    {{"--batch", "--buttons", "1000,1002,1000"}, "error: --buttons names 1000 twice; name each button once"},
    // An id is read as the decimal number it writes, in both modes alike.
    {{"--batch", "--buttons", "01000,1002"}, "batch buttons=1000,1002"},
    {{"--disasm", "01000"}, "disasm 1000"},
    {{"--batch", "--buttons", "0x3e8"}, "error: unknown button id '0x3e8'"},
    {{"--batch", "--repetitions", "10001"}, "error: --repetitions must be a whole number from 1 to 10000, not '10001'"},
    {{"--batch", "--repetitions", "5x"}, "error: --repetitions must be a whole number from 1 to 10000, not '5x'"},
    {{"--batch", "--repetitions", kHuge}, "error: --repetitions must be a whole number from 1 to 10000, not '" +
                                              std::string(batch::kQuotedCharacters, '7') + "…' (100000 bytes)"},
    {{"--batch", "--format", "xml"}, "error: unknown format 'xml'; use table, csv or json"},
    {{"--batch", "--output", ""}, "error: --output needs a file name"},
    {{"--batch", "--order", "blocks"}, "batch order=blocks"},
    {{"--batch", "--seed", "4294967295"}, "batch seed=4294967295"},
    {{"--batch", "--order", "rounds", "--seed", "0"}, "batch seed=0"},
    {{"--batch", "--order", "random"}, "error: unknown order 'random'; use rounds or blocks"},
    {{"--batch", "--seed", "-1"}, "error: --seed must be a whole number from 0 to 4294967295, not '-1'"},
    {{"--batch", "--seed", "4294967296"}, "error: --seed must be a whole number from 0 to 4294967295"},
    // Blocks have no random order: a seed would be recorded nowhere and change nothing.
    {{"--batch", "--order", "blocks", "--seed", "5"}, "error: --seed chooses the order of rounds; --order blocks runs"},

    // Build variants: a list in its order; "all" is what this CPU runs, and one it cannot run is refused by name.
    {{"--batch", "--variant", "O0,O3"}, "batch variants=O0,O3"},
    {{"--batch", "--variant", "O3,O0"}, "batch variants=O3,O0"},
    {{"--batch", "--variant", "all"}, "batch variants=O0,O2,O3"},
    {{"--batch", "--variant", "all"}, "batch variants=O0,O2,O3,avx2", true},
    {{"--batch", "--variant", "O0,avx2"}, "error: variant avx2 needs a CPU with x86-64-v3, which this one is not"},
    {{"--batch", "--variant", "O1"}, "error: unknown variant 'O1'; valid variants: O0, O2, O3, avx2, or all"},
    {{"--batch", "--variant", ""}, "error: --variant needs at least one variant; valid variants: O0, O2, O3, avx2, or all"},
    {{"--batch", "--variant", "O0,,O3"}, "error: --variant 'O0,,O3' has an empty variant; separate the variants by single commas"},
    {{"--batch", "--variant", "O3,O0,O3"}, "error: --variant names O3 twice; name each variant once"},

    // A baseline: a button and variant the run has, in rounds, two at least; an id alone means O3, or the one variant run.
    {{"--batch", "--baseline", "1008"}, "batch baseline=1008/O3"},
    {{"--batch", "--variant", "O0,O3", "--baseline", "1008"}, "batch variants=O0,O3 baseline=1008/O3"},
    {{"--batch", "--variant", "O0", "--baseline", "1008"}, "batch variants=O0 baseline=1008/O0"},
    {{"--batch", "--variant", "O0,O2", "--baseline", "1008/O2", "--repetitions", "4"}, "batch repetitions=4 variants=O0,O2 baseline=1008/O2"},
    {{"--batch", "--baseline", "1001"}, "error: --baseline '1001' names no button; give an id, as in 1008, or an id and a variant"},
    {{"--batch", "--baseline", "1008/O5"}, "error: --baseline '1008/O5' names no variant 'O5'; valid variants: O0, O2, O3, avx2"},
    {{"--batch", "--buttons", "1000,1004", "--baseline", "1008"}, "error: --baseline 1008 is not among the buttons run; add 1008 to --buttons"},
    {{"--batch", "--baseline", "1008/O0"}, "error: --baseline 1008/O0 is not among the variants run; add O0 to --variant"},
    {{"--batch", "--variant", "O0,O2", "--baseline", "1008"}, "error: --baseline 1008 leaves the variant open, and the run has several; name one, as in --baseline 1008/O0"},
    {{"--batch", "--repetitions", "3", "--baseline", "1008"}, "error: --baseline pairs the buttons round by round, and 3 repetitions make one round; give --repetitions 4 or more"},
    {{"--batch", "--order", "blocks", "--baseline", "1008"}, "error: --baseline pairs the buttons round by round, and --order blocks has no rounds"},
    {{"--batch", "--baseline", "1008", "--baseline", "1004"}, "error: --baseline is given twice"},

    // --disasm's options. A listing runs nothing, so it may list a variant this CPU lacks.
    {{"--disasm", "all"}, "disasm all"},
    {{"--hot", "--disasm", "1008,1004", "--syntax", "att", "--format", "json"}, "disasm 1008,1004 att json hot"},
    {{"--disasm", "1055", "--format", "text"}, "disasm 1055"},
    {{"--disasm", "1000", "--variant", "all"}, "disasm 1000 variants=O0,O2,O3,avx2"},
    {{"--disasm", "1000", "--variant", "avx2", "--hot"}, "disasm 1000 hot variants=avx2"},
    {{"--disasm", "1004", "--syntax", "gas"}, "error: unknown syntax 'gas'; use intel or att"},
    {{"--disasm", "1004", "--format", "csv"}, "error: unknown format 'csv' for --disasm; use text or json"},
};

TEST(CommandLineTest, EachLineGivesItsModeAndOptionsOrOneLineThatSaysWhatIsWrong) {
    for (const Case& c : kCases) {
        bench::SetCpuCheck([&c](std::string_view) { return c.avx2; });
        const std::string got = Parsed(c.args);
        std::string shown;
        for (const std::string& arg : c.args) shown += batch::Quoted(arg) + " ";
        SCOPED_TRACE(shown);
        if (c.expected.starts_with("error: ")) EXPECT_TRUE(got.starts_with(c.expected)) << got;
        else EXPECT_EQ(got, c.expected);
        // One short line that a terminal shows as it stands, however odd the value.
        EXPECT_LT(got.size(), 300u) << got;
        EXPECT_TRUE(std::none_of(got.begin(), got.end(), [](char ch) { return static_cast<unsigned char>(ch) < 0x20 || ch == 0x7f; }))
            << got;
    }
    bench::SetCpuCheck(nullptr);
}

// What the messages quote of a user's text: controls and broken UTF-8
// escaped, whole characters kept, a long value cut with its length told.
TEST(TextTest, ValuesArePrintableAndLongOnesCutAtWholeCharacters) {
    std::string japanese, shown;
    for (std::size_t i = 0; i < 50; ++i) (i < batch::kQuotedCharacters ? shown : japanese) += "あ";
    japanese = shown + japanese;
    const std::string forty(batch::kQuotedCharacters, 'x');
    const std::pair<std::string, std::string> cases[] = {
        {batch::Printable("a\tb\r\n\x1b[0m\x7f"), "a\\tb\\r\\n\\x1b[0m\\x7f"},
        {batch::Printable("処理回数 ①"), "処理回数 ①"},
        {batch::Printable("\xc2\x9b" "31m"), "\\u009b31m"},    // C1 CSI
        {batch::Printable("\xff\xe3\x81"), "\\xff\\xe3\\x81"},  // stray byte, cut character
        {batch::Printable("\xc0\xaf"), "\\xc0\\xaf"},          // overlong '/'
        {batch::Printable("\xed\xa0\x80"), "\\xed\\xa0\\x80"},  // surrogate
        {batch::Quoted(std::string_view("")), "''"},
        {batch::Quoted(forty), "'" + forty + "'"},
        {batch::Quoted(japanese), "'" + shown + "…' (150 bytes)"},
    };
    for (const auto& [got, expected] : cases) EXPECT_EQ(got, expected);
}

}  // namespace
