// velquor --disasm: the listings as text and JSON, a sampled run, a refused
// or failed one, and the program's exit status (its options:
// CommandLineTest.cpp).
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
#include <new>
#include <sstream>
#include <string>
#include <vector>

namespace {

using batch::DisasmOptions;

std::vector<int> AllIds() {
    std::vector<int> ids;
    for (const bench::ButtonSpec& b : bench::kButtons) ids.push_back(b.buttonId);
    return ids;
}

std::pair<int, std::string> RunDisasm(const batch::DisasmOptions& options) {
    std::ostringstream out;
    const int status = batch::DisasmMain(options, out);
    return {status, out.str()};
}

TEST(DisasmCommandTest, TextGivesEachKernelsNameSummaryAndListing) {
    const auto [status, text] = RunDisasm(DisasmOptions{.buttons = {1004, 1014}, .syntax = disasm::Syntax::Att});
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
    const auto [status, text] = RunDisasm(DisasmOptions{.buttons = AllIds(), .json = true});
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
    const auto [status, text] = RunDisasm(DisasmOptions{.buttons = {1000, 1006}, .hot = true});
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

int RefusePerf(perf_event_attr&) {
    errno = EACCES;
    return -1;
}

int RunOutOfMemory(perf_event_attr&) {
    throw std::bad_alloc();
}

// Sampling the system refuses, or that runs out of memory: each kernel keeps
// its listing, with one line that says why in place of the shares.
TEST(DisasmCommandTest, AFailedSampleIsOneLinePerKernelAndTheListingsStay) {
    const std::pair<disasm::PerfEventOpen, std::string> cases[] = {
        {RefusePerf, "sampling refused: perf_event_open: "},
        {RunOutOfMemory, "not sampled: out of memory while sampling"},
    };
    const auto [plainStatus, plain] = RunDisasm(DisasmOptions{.buttons = {1004, 1008}});
    EXPECT_EQ(plainStatus, 0);
    for (const auto& [open, reason] : cases) {
        const disasm::PerfEventOpen previous = disasm::SetPerfEventOpen(open);
        const auto [status, hot] = RunDisasm(DisasmOptions{.buttons = {1004, 1008}, .hot = true});
        disasm::SetPerfEventOpen(previous);
        EXPECT_EQ(status, 0);
        // The plain listings with one line under each summary.
        std::istringstream hotLines(hot);
        std::istringstream plainLines(plain);
        std::string hotLine;
        std::string plainLine;
        int reasons = 0;
        while (std::getline(hotLines, hotLine)) {
            if (hotLine.starts_with(reason)) {
                ++reasons;
                continue;
            }
            ASSERT_TRUE(std::getline(plainLines, plainLine)) << hot;
            EXPECT_EQ(hotLine, plainLine);
        }
        EXPECT_FALSE(std::getline(plainLines, plainLine));
        EXPECT_EQ(reasons, 2) << hot;
    }
}

// Each button's listings follow one another variant by variant; a variant's
// listing is of its own build's kernel, not of the default's.
TEST(DisasmCommandTest, VariantsAreListedButtonByButtonEachFromItsOwnBuild) {
    const DisasmOptions options{.buttons = {1000, 1004}, .variants = {bench::FindVariant("O0"), bench::FindVariant("O3")}};
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
    std::vector<const bench::Variant*> every;
    for (const bench::Variant& v : bench::Variants()) every.push_back(&v);
    const DisasmOptions all{.buttons = {1000}, .json = true, .variants = every};
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
    const auto [status, text] = RunDisasm(DisasmOptions{.buttons = {1000}, .hot = true, .variants = {bench::FindVariant("avx2")}});
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
