// velquor --disasm: the listings as text and JSON, each variant's, a sampled
// run, a refused or failed one (its options: CommandLineTest.cpp; its exit
// status: BatchTest.cpp; every kernel's listing: disasm/KernelListingTest.cpp).
#include "batch/Disasm.h"
#include "batch/Options.h"
#include "bench/Buttons.h"
#include "bench/Variants.h"
#include "disasm/KernelProfile.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cerrno>
#include <new>
#include <sstream>
#include <string>
#include <vector>

namespace {

using batch::DisasmOptions;

std::pair<int, std::string> RunDisasm(const batch::DisasmOptions& options) {
    std::ostringstream out;
    const int status = batch::DisasmMain(options, out);
    return {status, out.str()};
}

TEST(DisasmCommandTest, TextAndJsonListEachKernelUnderItsButtonsName) {
    const auto [status, text] = RunDisasm(DisasmOptions{.buttons = {1004, 1014}, .syntax = disasm::Syntax::Att});
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(text.starts_with("== 1004 vector<int>配列 at()\nbench::FillVectorAt(int): timed section, AT&T syntax\nloop: ")) << text;
    EXPECT_NE(text.find("\n\n== 1014 "), std::string::npos) << text;
    EXPECT_NE(text.find(",4)"), std::string::npos) << "AT&T memory operands";
    EXPECT_EQ(text.find(" samples ("), std::string::npos) << "no shares without --hot";

    const auto [jsonStatus, json] = RunDisasm(DisasmOptions{.buttons = {1008, 1000}, .json = true});
    EXPECT_EQ(jsonStatus, 0);
    const QJsonArray kernels = QJsonDocument::fromJson(QByteArray::fromStdString(json)).array();
    ASSERT_EQ(kernels.size(), 2) << json;
    for (qsizetype i = 0; i < kernels.size(); ++i) {
        const QJsonObject entry = kernels[i].toObject();
        EXPECT_EQ(entry["button"].toInt(), i == 0 ? 1008 : 1000);
        EXPECT_EQ(entry["variant"].toString(), QStringLiteral("O3"));
        EXPECT_TRUE(entry["listing"].toObject()["error"].isNull());
        EXPECT_FALSE(entry["listing"].toObject()["instructions"].toArray().isEmpty());
        EXPECT_TRUE(entry["listing"].toObject()["hot"].isNull());
    }
}

// Sampled, refused by the system or out of memory: each kernel keeps its
// listing, with one line under its summary that says how many samples its
// shares are of, or why it has none. (Where samples go: disasm/ReportTest.cpp.)
TEST(DisasmCommandTest, HotGivesEachKernelOneLineOfItsSamplesOrWhyNone) {
    const std::pair<disasm::PerfEventOpen, std::string> cases[] = {
        {nullptr, "sampling refused"},  // this machine's own sampling, or its refusal
        {[](perf_event_attr&) { errno = EACCES; return -1; }, "sampling refused: perf_event_open: "},
        {[](perf_event_attr&) -> int { throw std::bad_alloc(); }, "not sampled: out of memory while sampling"},
    };
    const auto [plainStatus, plain] = RunDisasm(DisasmOptions{.buttons = {1004, 1008}});
    EXPECT_EQ(plainStatus, 0);
    for (const auto& [open, reason] : cases) {
        SCOPED_TRACE(reason);
        const disasm::PerfEventOpen previous = open ? disasm::SetPerfEventOpen(open) : nullptr;
        const auto [status, hot] = RunDisasm(DisasmOptions{.buttons = {1004, 1008}, .hot = true});
        if (open) disasm::SetPerfEventOpen(previous);
        EXPECT_EQ(status, 0);
        // How many samples a busy machine gives is its own affair: only the layout is checked.
        const bool sampled = !open && hot.find(" samples (") != std::string::npos;
        std::istringstream hotLines(hot), plainLines(plain);
        std::string hotLine, plainLine;
        int notes = 0;
        for (int line = 0; std::getline(hotLines, hotLine); ++line) {
            if (hotLine.starts_with("== ")) line = 0;
            if (line == 3) {  // under "== button", the title and the summary
                ++notes;
                EXPECT_TRUE(sampled ? hotLine.find(" samples (") != std::string::npos : hotLine.starts_with(reason)) << hotLine;
            } else if (!sampled) {  // shares stand beside a sampled listing's instructions
                ASSERT_TRUE(std::getline(plainLines, plainLine)) << hot;
                EXPECT_EQ(hotLine, plainLine);
            }
        }
        EXPECT_EQ(notes, 2) << hot;
    }
}

// Each button's listings follow one another variant by variant; a variant's
// listing is of its own build's kernel, not of the default's. Listing runs
// nothing, so a CPU without a variant's instructions may list it; sampling
// would run it, so there it is refused in one line.
TEST(DisasmCommandTest, VariantsAreListedButtonByButtonEachFromItsOwnBuild) {
    bench::SetCpuCheck([](std::string_view) { return false; });
    const auto [status, text] = RunDisasm(
        DisasmOptions{.buttons = {1000, 1004}, .variants = {bench::FindVariant("O0"), bench::FindVariant("avx2"), &bench::DefaultVariant()}});
    const auto [hotStatus, hot] = RunDisasm(DisasmOptions{.buttons = {1000}, .hot = true, .variants = {bench::FindVariant("avx2")}});
    bench::SetCpuCheck(nullptr);
    EXPECT_EQ(status, 0);
    std::vector<std::size_t> headers;
    for (const char* name : {"== 1000 int[] new　動的配列/O0\n", "== 1000 int[] new　動的配列/avx2\n", "== 1000 int[] new　動的配列\n",
                             "== 1004 vector<int>配列 at()/O0\n", "== 1004 vector<int>配列 at()/avx2\n", "== 1004 vector<int>配列 at()\n"}) {
        headers.push_back(text.find(name));
        ASSERT_NE(headers.back(), std::string::npos) << name << "\n" << text;
    }
    EXPECT_TRUE(std::is_sorted(headers.begin(), headers.end())) << text;
    // The debug build's at() is a call per element; the default build's is inlined.
    const std::string atO0 = text.substr(headers[3], headers[4] - headers[3]);
    const std::string atO3 = text.substr(headers[5]);
    EXPECT_NE(atO0.find("bench::O0::"), std::string::npos) << atO0;
    EXPECT_NE(text.substr(headers[4], headers[5] - headers[4]).find("bench::avx2::"), std::string::npos);
    EXPECT_EQ(atO3.find("bench::O0::"), std::string::npos) << atO3;
    EXPECT_NE(atO0.substr(0, atO0.find('\n', atO0.find('\n') + 1)), atO3.substr(0, atO3.find('\n', atO3.find('\n') + 1)))
        << "the summaries differ";
    EXPECT_EQ(hotStatus, 0);
    EXPECT_NE(hot.find("\nnot sampled: variant avx2 needs a CPU with x86-64-v3, which this one is not\n"), std::string::npos) << hot;
    EXPECT_EQ(hot.find(" samples ("), std::string::npos) << hot;
}

}  // namespace
