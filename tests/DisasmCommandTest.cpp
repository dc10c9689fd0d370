// velquor --disasm: its options and what a bad one is told, the listings as
// text and JSON, a sampled run, a refused one, and the program's exit status.
#include "ProgramRunner.h"
#include "TestUtil.h"
#include "batch/Disasm.h"
#include "batch/Options.h"
#include "bench/Buttons.h"
#include "bench/Variants.h"
#include "disasm/KernelProfile.h"
#include "disasm/Listing.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::variant<batch::CommandLine, std::string> Parse(std::vector<std::string> args) {
    return batch::ParseCommandLine(args);
}

batch::DisasmOptions DisasmOf(const std::vector<std::string>& args) {
    auto parsed = Parse(args);
    if (const auto* error = std::get_if<std::string>(&parsed)) {
        ADD_FAILURE() << *error;
        return {};
    }
    const batch::CommandLine& line = std::get<batch::CommandLine>(parsed);
    EXPECT_EQ(line.mode, batch::Mode::Disasm);
    return line.disasm;
}

std::string ErrorOf(const std::vector<std::string>& args) {
    auto parsed = Parse(args);
    const auto* error = std::get_if<std::string>(&parsed);
    return error ? *error : std::string("(accepted)");
}

std::pair<int, std::string> RunDisasm(const batch::DisasmOptions& options) {
    std::ostringstream out;
    const int status = batch::DisasmMain(options, out);
    return {status, out.str()};
}

TEST(DisasmOptionsTest, ListsSyntaxFormatAndHot) {
    const batch::DisasmOptions all = DisasmOf({"--disasm", "all"});
    ASSERT_EQ(all.buttons.size(), bench::kButtons.size());
    EXPECT_EQ(all.buttons.front(), bench::kButtons.front().buttonId);
    EXPECT_EQ(all.syntax, disasm::Syntax::Intel);
    EXPECT_FALSE(all.json);
    EXPECT_FALSE(all.hot);

    const batch::DisasmOptions some =
        DisasmOf({"--hot", "--disasm", "1008,1004", "--syntax", "att", "--format", "json"});
    EXPECT_EQ(some.buttons, (std::vector<int>{1008, 1004}));
    EXPECT_EQ(some.syntax, disasm::Syntax::Att);
    EXPECT_TRUE(some.json);
    EXPECT_TRUE(some.hot);
    EXPECT_FALSE(DisasmOf({"--disasm", "1055", "--format", "text"}).json);
    EXPECT_NE(batch::HelpText().find("--disasm LIST"), std::string::npos);
}

TEST(DisasmOptionsTest, ABadArgumentIsOneLineThatSaysWhatIsWrong) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"--disasm", "1001"}, "unknown button id '1001'; valid ids: 1000, "},
        {{"--disasm", "1004,,1008"}, "--disasm '1004,,1008' has an empty id"},
        {{"--disasm", "1004,1004"}, "--disasm names 1004 twice"},
        {{"--disasm"}, "--disasm needs a value"},
        {{"--disasm", "1004", "--syntax", "gas"}, "unknown syntax 'gas'; use intel or att"},
        {{"--disasm", "1004", "--format", "csv"}, "unknown format 'csv' for --disasm; use text or json"},
        {{"--hot"}, "--hot requires --disasm"},
        {{"--syntax", "att"}, "--syntax requires --disasm"},
        {{"--format", "json"}, "--format needs --batch, --sweep or --disasm"},
        {{"--variant", "O0"}, "--variant needs --batch or --disasm"},
        {{"--disasm", "1004", "--variant", "O1"}, "unknown variant 'O1'"},
        {{"--disasm", "1004", "--variant", "O0,O0"}, "--variant names O0 twice"},
        {{"--batch", "--disasm", "1004"}, "excludes"},
        {{"--disasm", "1004", "--count", "5"}, "--count needs --batch"},
        {{"--disasm", "1004", "extra"}, "unexpected argument 'extra'"},
    };
    for (const auto& [args, expected] : cases) {
        const std::string error = ErrorOf(args);
        EXPECT_NE(error.find(expected), std::string::npos) << args.front() << " ...: " << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    }
    // The batch mode's own formats are untouched by --disasm's.
    auto batch = Parse({"--batch", "--format", "csv"});
    ASSERT_TRUE(std::holds_alternative<batch::CommandLine>(batch)) << std::get<std::string>(batch);
    EXPECT_EQ(std::get<batch::CommandLine>(batch).options.format, batch::Format::Csv);
}

TEST(DisasmCommandTest, TextGivesEachKernelsNameSummaryAndListing) {
    const auto [status, text] = RunDisasm(DisasmOf({"--disasm", "1004,1014", "--syntax", "att"}));
    EXPECT_EQ(status, 0);
    const std::size_t at = text.find("== 1004 vector<int>配列 at()\nbench::FillVectorAt(int): timed section, AT&T syntax\nloop: ");
    const std::size_t folded = text.find("\n\n== 1014 ");
    ASSERT_NE(at, std::string::npos) << text;
    ASSERT_NE(folded, std::string::npos) << text;
    EXPECT_EQ(at, 0u);
    EXPECT_LT(at, folded);
    EXPECT_NE(text.find(",4)"), std::string::npos) << "AT&T memory operands";
    // Whether the compiler folded 1014 into 1012 depends on the build; the text says so where it did.
    const disasm::Listing listing =
        disasm::ListTimedSection(reinterpret_cast<const void*>(bench::FindButton(1014)->kernel));
    const std::string fold = "the compiler folded this kernel into " + listing.foldedInto;
    EXPECT_EQ(text.find(fold, folded) != std::string::npos, !listing.foldedInto.empty());
    EXPECT_EQ(text.find(" samples ("), std::string::npos) << "no shares without --hot";
    EXPECT_EQ(text.find("outside the timed section"), std::string::npos);
}

TEST(DisasmCommandTest, JsonIsOneArrayWithAnObjectPerButton) {
    const auto [status, text] = RunDisasm(DisasmOf({"--disasm", "all", "--format", "json"}));
    EXPECT_EQ(status, 0);
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    const QJsonArray kernels = doc.array();
    ASSERT_EQ(kernels.size(), static_cast<qsizetype>(bench::kButtons.size()));
    for (qsizetype i = 0; i < kernels.size(); ++i) {
        const QJsonObject entry = kernels[i].toObject();
        EXPECT_EQ(entry["button"].toInt(), bench::kButtons[static_cast<std::size_t>(i)].buttonId);
        const QJsonObject listing = entry["listing"].toObject();
        EXPECT_TRUE(listing["error"].isNull()) << entry["button"].toInt();
        EXPECT_FALSE(listing["instructions"].toArray().isEmpty());
        EXPECT_TRUE(listing["hot"].isNull());
    }
}

TEST(DisasmCommandTest, HotSharesEveryKernelWithItsCallees) {
    const auto [status, text] = RunDisasm(DisasmOf({"--disasm", "1000,1006", "--hot"}));
    EXPECT_EQ(status, 0);
    if (text.find("sampling refused") != std::string::npos) GTEST_SKIP() << text.substr(0, text.find("\n\n"));
    const std::size_t growth = text.find("== 1006 ");
    ASSERT_NE(growth, std::string::npos);
    // Both kernels were sampled; the one that grows spends samples in the allocator.
    EXPECT_NE(text.find(" samples (", 0), std::string::npos);
    EXPECT_NE(text.find(" samples (", growth), std::string::npos);
    EXPECT_NE(text.find("outside the timed section:\n", growth), std::string::npos);
    EXPECT_NE(text.find("% in the loop"), std::string::npos);
}

TEST(DisasmCommandTest, ARefusedSampleIsOneLinePerKernelAndTheListingsStay) {
    const disasm::PerfEventOpen previous = disasm::SetPerfEventOpen([](perf_event_attr&) {
        errno = EACCES;
        return -1;
    });
    const auto [status, hot] = RunDisasm(DisasmOf({"--disasm", "1004,1008", "--hot"}));
    disasm::SetPerfEventOpen(previous);
    const auto [plainStatus, plain] = RunDisasm(DisasmOf({"--disasm", "1004,1008"}));
    EXPECT_EQ(status, 0);
    EXPECT_EQ(plainStatus, 0);

    // The plain listings with one line under each summary.
    std::istringstream hotLines(hot);
    std::istringstream plainLines(plain);
    std::string hotLine;
    std::string plainLine;
    int refusals = 0;
    while (std::getline(hotLines, hotLine)) {
        if (hotLine.starts_with("sampling refused: perf_event_open: ")) {
            ++refusals;
            continue;
        }
        ASSERT_TRUE(std::getline(plainLines, plainLine));
        EXPECT_EQ(hotLine, plainLine);
    }
    EXPECT_FALSE(std::getline(plainLines, plainLine));
    EXPECT_EQ(refusals, 2);
}

// Each button's listings follow one another variant by variant; a variant's
// listing is of its own build's kernel, not of the default's.
TEST(DisasmCommandTest, VariantsAreListedButtonByButtonEachFromItsOwnBuild) {
    const batch::DisasmOptions options = DisasmOf({"--disasm", "1000,1004", "--variant", "O0,O3"});
    ASSERT_EQ(options.variants.size(), 2u);
    const auto [status, text] = RunDisasm(options);
    EXPECT_EQ(status, 0);
    std::vector<std::size_t> headers;
    for (const char* name : {"== 1000 int[] new　動的配列/O0\n", "== 1000 int[] new　動的配列\n",
                             "== 1004 vector<int>配列 at()/O0\n", "== 1004 vector<int>配列 at()\n"}) {
        headers.push_back(text.find(name));
        ASSERT_NE(headers.back(), std::string::npos) << name << "\n" << text;
    }
    EXPECT_TRUE(std::is_sorted(headers.begin(), headers.end())) << text;
    // The debug build's at() is a call per element; the default build's is inlined.
    const std::string atO0 = text.substr(headers[2], headers[3] - headers[2]);
    const std::string atO3 = text.substr(headers[3]);
    EXPECT_NE(atO0.find("bench::O0::"), std::string::npos) << atO0;
    EXPECT_EQ(atO3.find("bench::O0::"), std::string::npos) << atO3;
    EXPECT_NE(atO0.substr(0, atO0.find('\n', atO0.find('\n') + 1)), atO3.substr(0, atO3.find('\n', atO3.find('\n') + 1)))
        << "the summaries differ";

    // JSON names the variant of every listing; "all" lists even a variant this CPU lacks.
    bench::SetCpuCheck([](std::string_view) { return false; });
    const batch::DisasmOptions all = DisasmOf({"--disasm", "1000", "--variant", "all", "--format", "json"});
    const auto [jsonStatus, json] = RunDisasm(all);
    bench::SetCpuCheck(nullptr);
    EXPECT_EQ(jsonStatus, 0);
    const QJsonArray entries = QJsonDocument::fromJson(QByteArray::fromStdString(json)).array();
    ASSERT_EQ(entries.size(), static_cast<qsizetype>(bench::Variants().size())) << json;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QJsonObject entry = entries[i].toObject();
        EXPECT_EQ(entry["button"].toInt(), 1000);
        EXPECT_EQ(entry["variant"].toString().toStdString(), bench::Variants()[static_cast<std::size_t>(i)].name);
        EXPECT_TRUE(entry["listing"].toObject()["error"].isNull());
    }
}

// Listing a variant runs nothing, so a CPU without its instructions may list
// it; sampling would run it, so there it is refused in one line.
TEST(DisasmCommandTest, AVariantTheCpuLacksIsListedButNeverSampled) {
    bench::SetCpuCheck([](std::string_view) { return false; });
    const auto [status, text] = RunDisasm(DisasmOf({"--disasm", "1000", "--variant", "avx2", "--hot"}));
    bench::SetCpuCheck(nullptr);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(text.starts_with("== 1000 int[] new　動的配列/avx2\n")) << text;
    EXPECT_NE(text.find("\nnot sampled: variant avx2 needs a CPU with x86-64-v3, which this one is not\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find(" samples ("), std::string::npos) << text;
    EXPECT_NE(text.find("bench::avx2::"), std::string::npos) << "the listing is the avx2 build's";
}

TEST(DisasmCommandTest, TheProgramExitsZeroWithListingsAndTwoForABadId) {
    const ScratchFolder scratch("velquor-disasm");
    std::vector<std::string> env{"HOME=" + scratch.path().string(), "PATH=/usr/bin:/bin"};
    for (const char* name : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"}) {
        if (const char* value = std::getenv(name)) env.push_back(std::string(name) + "=" + value);
    }
    const Outcome listed = RunProgram({"--disasm", "1004,1008"}, env, scratch.path());
    EXPECT_EQ(listed.exitCode, 0) << listed.errors;
    EXPECT_TRUE(listed.output.starts_with("== 1004 ")) << listed.output;
    EXPECT_NE(listed.output.find("\n== 1008 "), std::string::npos);
    EXPECT_EQ(listed.errors, "");

    const Outcome bad = RunProgram({"--disasm", "1004,9"}, env, scratch.path());
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_EQ(bad.output, "");
    EXPECT_TRUE(bad.errors.starts_with("velquor: unknown button id '9'")) << bad.errors;
    EXPECT_EQ(std::count(bad.errors.begin(), bad.errors.end(), '\n'), 1);
}

}  // namespace
