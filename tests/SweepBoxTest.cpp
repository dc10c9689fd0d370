// The sweep box, opened from the buttons' right-click menu of the real main
// window with a tiny series of sizes: it measures a step at a time between
// the window's events, tabulates and draws what it has, stops when asked or
// when its window goes, and while it measures no other kernel runs.
#include "BenchFixture.h"
#include "bench/Protocol.h"
#include "dialog/SweepDlg.h"
#include "dialog/SweepTable.h"
#include "framework/LineChartPainter.h"

#include <QPointer>

#include <cstdio>
#include <iterator>
#include <sstream>

namespace {

using benchtest::BenchTest;
using benchtest::FieldOf;

/// The table's lines, each split at its blanks.
std::vector<std::vector<std::string>> Rows(const std::string& table) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(table);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        rows.emplace_back(std::istream_iterator<std::string>(words), std::istream_iterator<std::string>());
    }
    return rows;
}

class SweepBoxTest : public BenchTest {
protected:
    SweepBoxTest() {
        bench::SweepRequest tiny;
        tiny.sizes = bench::SweepRequest::Sizes{1000, 32000, 1};  // six sizes, 4 KB to 128 KB of int
        tiny.repetitions = 30;  // enough steps that a test acts mid-sweep
        dlg.SetSweepRequest(tiny);
    }
    /// Opens the box of a button through its menu; nullptr when none opened.
    CDialog* OpenBox(int buttonId) {
        const std::size_t before = drv.OwnedDialogs().size();
        drv.RightClick(buttonId, res::ID_KERNEL_SWEEP);
        const std::vector<CDialog*> boxes = drv.OwnedDialogs();
        return boxes.size() > before ? boxes.back() : nullptr;
    }
    static std::string Text(CDialog& box, int id) { return Utf8(afx::DialogDriver::Attach(box).Text(id)); }
    static bool Stopped(CDialog& box) { return !afx::DialogDriver::Attach(box).Enabled(res::IDC_SWEEP_STOP); }
    /// The clicks run and planned that the notice states.
    static std::pair<int, int> Clicks(CDialog& box) {
        const std::string notice = Text(box, res::IDC_SWEEP_NOTICE);
        const std::size_t at = notice.find("（");
        int done = -1, planned = -1;
        if (at != std::string::npos) std::sscanf(notice.c_str() + at + std::string("（").size(), "%d / %d", &done, &planned);
        return {done, planned};
    }
};

TEST_F(SweepBoxTest, TheMenuOpensABoxThatSweepsTheButtonAndTabulatesItsLevels) {
    CDialog* box = OpenBox(1004);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(Utf8(afx::DialogDriver::Attach(*box).Caption()), "要素数を変えて測る - 1004 vector<int>配列 at()");
    EXPECT_FALSE(Stopped(*box));
    EXPECT_FALSE(drv.Enabled(1000)) << "the buttons are greyed while it measures";

    ASSERT_TRUE(drv.RunUntil([&] { return Stopped(*box); }));
    EXPECT_EQ(Text(*box, res::IDC_SWEEP_NOTICE).rfind("測り終えました", 0), 0u) << Text(*box, res::IDC_SWEEP_NOTICE);
    EXPECT_EQ(Clicks(*box), std::make_pair(7 * 30, 7 * 30)) << "six sizes and the limit at the one of 64 KiB or more, 30 clicks each";
    // The smallest level holds the smallest sizes and has their median cost.
    const bool levels = !bench::DataCacheLevels(bench::MachineCaches().caches).empty();
    const std::vector<std::vector<std::string>> rows = Rows(Text(*box, res::IDC_SWEEP_TABLE));
    ASSERT_TRUE(rows.size() >= 2 && rows[1].size() >= 4);
    EXPECT_EQ(rows[1][0], levels ? "L1" : "メモリ");
    EXPECT_GT(std::stod(rows[1][levels ? 3 : 2]), 0) << "not measured: " << rows[1][levels ? 3 : 2];
    // Where memset ran too, the share is memset's speed over the fill's.
    int shares = 0;
    for (const std::vector<std::string>& row : rows) {
        if (row.size() < 5 || !row[row.size() - 2].ends_with("%")) continue;
        ++shares;
        const double expected = std::stod(row[row.size() - 3]) / std::stod(row[row.size() - 4]) * 100;
        EXPECT_NEAR(std::stod(row[row.size() - 2]), expected, 0.05 * expected + 0.1) << row[0];
    }
    EXPECT_GT(shares, 0);
    const auto* chart = dynamic_cast<afx::LineChartControl*>(box->GetDlgItem(res::IDC_SWEEP_CHART)->Widget());
    ASSERT_NE(chart, nullptr);
    ASSERT_FALSE(chart->Chart().lines.empty());
    EXPECT_EQ(chart->Chart().lines[0].points.size(), 6u);

    EXPECT_TRUE(drv.Enabled(1000));
    Run(1000);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(SweepBoxTest, StopKeepsWhatWasMeasuredAndMeasuresNoMore) {
    CDialog* box = OpenBox(1000);
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(afx::DialogDriver::Attach(*box).Click(res::IDC_SWEEP_STOP));
    const auto [done, planned] = Clicks(*box);
    EXPECT_EQ(Text(*box, res::IDC_SWEEP_NOTICE).rfind("中止しました", 0), 0u) << Text(*box, res::IDC_SWEEP_NOTICE);
    EXPECT_LT(done, planned);
    drv.RunUntil([] { return false; }, 50);
    EXPECT_EQ(Clicks(*box).first, done) << "a step posted before the stop runs nothing";
    EXPECT_TRUE(Stopped(*box));
    EXPECT_FALSE(CSweepDlg::Measuring());
    Run(1000);
}

TEST_F(SweepBoxTest, NoOtherKernelRunsWhileItMeasuresAndClosingItStopsIt) {
    drv.RightClick(1008, res::ID_KERNEL_VARIANTS);
    CDialog* variants = drv.OwnedDialogs().back();
    CDialog* box = OpenBox(1000);
    ASSERT_NE(box, nullptr);
    drv.RightClick(1004, res::ID_KERNEL_DISASM);  // a listing runs nothing: it still opens
    CDialog* disasm = drv.OwnedDialogs().back();
    EXPECT_FALSE(drv.Click(1004));
    const std::vector<CMenu::Item> menu = drv.RightClick(1004);
    ASSERT_EQ(menu.size(), 3u);
    EXPECT_EQ(menu[0].flags, MF_STRING);
    EXPECT_EQ(menu[1].flags & MF_GRAYED, MF_GRAYED);
    EXPECT_EQ(menu[2].flags & MF_GRAYED, MF_GRAYED);
    // Every way that is left to a kernel is refused in one line, and changes nothing.
    const std::function<void()> ways[] = {
        [&] { drv.Command(1004); },
        [&] { drv.Command(1055); },
        [&] { afx::DialogDriver::Attach(*variants).Click(res::IDC_VARIANTS_RERUN); },
        [&] { afx::DialogDriver::Attach(*disasm).Click(res::IDC_DISASM_SAMPLE); },
    };
    for (const auto& way : ways) {
        way();
        const std::vector<afx::ShownMessageBox> shown = Boxes();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_NE(Utf8(shown[0].text).find("ほかの計測はできません"), std::string::npos) << Utf8(shown[0].text);
    }
    EXPECT_TRUE(drv.Text(FieldOf(1004)).IsEmpty());
    EXPECT_TRUE(runs.empty());
    EXPECT_FALSE(Stopped(*box));

    // Its close button stops it; another opens and measures.
    const QPointer<QWidget> window = box->Widget();
    ASSERT_TRUE(afx::DialogDriver::Attach(*box).Click(IDCANCEL));
    EXPECT_TRUE(window.isNull());
    EXPECT_FALSE(CSweepDlg::Measuring());
    EXPECT_TRUE(drv.Enabled(1004));
    CDialog* again = OpenBox(1000);
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(CSweepDlg::Measuring());
    // The main window takes it with it, mid-sweep.
    const QPointer<QWidget> second = again->Widget();
    dlg.DestroyWindow();
    EXPECT_TRUE(second.isNull());
    EXPECT_FALSE(CSweepDlg::Measuring());
}

TEST_F(SweepBoxTest, AButtonWithoutAnArrayToGrowGetsOneLineAndNoBox) {
    for (int id : {1012, 1014, 1022, 1024}) {
        EXPECT_EQ(OpenBox(id), nullptr) << id;
        const std::vector<afx::ShownMessageBox> shown = Boxes();
        ASSERT_EQ(shown.size(), 1u) << id;
        EXPECT_NE(Utf8(shown[0].text).find("100000 要素に固定した配列"), std::string::npos) << Utf8(shown[0].text);
    }
    EXPECT_NE(Utf8(dialog::SweepRefusalText(*bench::FindButton(1055))).find("書き込まない"), std::string::npos);
}

TEST(SweepTableTest, EachWayAButtonStopsIsSaidUnderTheTable) {
    const bench::ButtonSpec& button = *bench::FindButton(1016);
    struct Case {
        bench::SweepStop::Reason reason;
        bench::ErrorKind error;
        const char* line;
    } cases[] = {
        {bench::SweepStop::Reason::Budget, {}, "打ち切り: 2000 要素から先は測っていません。1 回に約 250.0 ms かかる見込みで、1 回の上限 100 ms を超えます。"},
        {bench::SweepStop::Reason::Memory, {}, "打ち切り: 2000 要素から先は測っていません。1 回に約 3 GiB 要りますが、このプロセスが使えるのは 1.5 GiB です。"},
        {bench::SweepStop::Reason::Failed, bench::ErrorKind::OutOfMemory,
         "打ち切り: 2000 要素で失敗したため、そこで終えました（メモリが不足して配列を確保できませんでした）。"},
    };
    for (const Case& c : cases) {
        bench::SweepRun run;
        run.plan.subjects = {{&button, 1000, 8000}, {&button, 2000, 16000}};
        run.stops = {{&button, c.reason, 2000, std::chrono::milliseconds(250), 3LL << 30, 3LL << 29, "std::bad_alloc"}};
        run.clicks.push_back({1, 0, 0, false, bench::Measurement{}, 0});
        run.clicks.back().measurement.error = bench::KernelError{c.error, "std::bad_alloc", 0};
        const std::string table = Utf8(dialog::SweepTableText(run, button, {}));
        EXPECT_NE(table.find(std::string(c.line) + "\r\n"), std::string::npos) << table;
        EXPECT_NE(table.find("中央値の出たサイズはまだありません。"), std::string::npos);
    }
}

}  // namespace
