// The benchmark buttons' right-click menu on the real main window and the
// three boxes it opens: what the menu offers where; each box modeless, the
// window working beside it, gone when closed or with the window. The
// machine-code box shows its button's kernel and what sampling says. The
// builds box: a line per variant with the window's own time format, the ratio
// to O3 and the share of the store limit; a variant this CPU cannot run shown
// but never called; a refused count told as a click tells it. The sweep box,
// with a tiny series of sizes: it measures a step at a time between the
// window's events, tabulates and draws what it has, stops when asked, and
// while it measures no other kernel runs.
#include "BenchFixture.h"
#include "bench/Protocol.h"
#include "bench/Variants.h"
#include "dialog/DisplayWidth.h"
#include "dialog/SweepDlg.h"
#include "dialog/SweepTable.h"
#include "dialog/VariantTable.h"
#include "disasm/KernelProfile.h"
#include "framework/LineChartPainter.h"

#include <QPointer>
#include <QWidget>

#include <cerrno>
#include <cstdio>
#include <functional>
#include <iterator>
#include <sstream>

namespace {

using benchtest::FieldOf;
using benchtest::IsResultText;

/// A table's lines, without their line ends.
std::vector<std::wstring> Lines(const CString& text) {
    std::vector<std::wstring> lines;
    std::wistringstream in(text.GetString());
    for (std::wstring line; std::getline(in, line);) {
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

/// The line of the variant (its name, then blanks); empty when there is none.
std::wstring LineOf(const std::vector<std::wstring>& lines, std::string_view variant) {
    const std::wstring name(variant.begin(), variant.end());
    for (const std::wstring& line : lines) {
        if (line.starts_with(name + L" ")) return line;
    }
    return {};
}

/// The "…ms" time in a line, or empty.
CString TimeIn(const std::wstring& line) {
    const std::size_t end = line.find(L"ms");
    if (end == std::wstring::npos) return {};
    const std::size_t start = line.rfind(L' ', end) + 1;
    return line.substr(start, end + 2 - start).c_str();
}

/// A table's lines, each split at its blanks.
std::vector<std::vector<std::string>> Rows(const std::string& table) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(table);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        rows.emplace_back(std::istream_iterator<std::string>(words), std::istream_iterator<std::string>());
    }
    return rows;
}

class KernelBoxTest : public benchtest::BenchTest {
protected:
    KernelBoxTest() {
        bench::SweepRequest tiny;
        tiny.sizes = bench::SweepRequest::Sizes{1000, 32000, 1};  // six sizes, 4 KB to 128 KB of int
        tiny.repetitions = 30;  // enough steps that a test acts mid-sweep
        dlg.SetSweepRequest(tiny);
    }
    ~KernelBoxTest() override {
        bench::SetCpuCheck(nullptr);
        bench::SetInspector(nullptr);
    }
    /// Opens the box of a button through its menu; nullptr when none opened.
    CDialog* OpenBox(int buttonId, UINT item) {
        const std::size_t before = drv.OwnedDialogs().size();
        drv.RightClick(buttonId, item);
        const std::vector<CDialog*> boxes = drv.OwnedDialogs();
        return boxes.size() > before ? boxes.back() : nullptr;
    }
    static std::string Text(CDialog& box, int id) { return Utf8(afx::DialogDriver::Attach(box).Text(id)); }
    static bool Stopped(CDialog& box) { return !afx::DialogDriver::Attach(box).Enabled(res::IDC_SWEEP_STOP); }
    /// The clicks run and planned that the sweep box's notice states.
    static std::pair<int, int> Clicks(CDialog& box) {
        const std::string notice = Text(box, res::IDC_SWEEP_NOTICE);
        const std::size_t at = notice.find("（");
        int done = -1, planned = -1;
        if (at != std::string::npos) std::sscanf(notice.c_str() + at + std::string("（").size(), "%d / %d", &done, &planned);
        return {done, planned};
    }
    void CountKernelRuns() {
        bench::SetInspector([this](const bench::Measurement&) { ++kernelRuns; });
    }
    int kernelRuns = 0;
};

TEST_F(KernelBoxTest, ABenchmarkButtonsMenuOffersItsMachineCodeBuildsAndSweepAndAnywhereElseTheSystemMenu) {
    // By mouse and by the menu key on the focused control; the edit fields keep their own menus (QtApplicationTest).
    for (int id : {1000, 1004, 1014, 1043, 0, 1026, 1}) {
        for (const bool byKeyboard : {false, true}) {
            const std::vector<CMenu::Item> items = drv.RightClick(id, 0, byKeyboard);
            ASSERT_FALSE(items.empty()) << id;
            if (id < 1000 || id == 1026) {
                EXPECT_EQ(items.front().id, SC_CLOSE) << id;
                EXPECT_EQ(items.back().id, res::IDM_ABOUTBOX) << id;
                continue;
            }
            ASSERT_EQ(items.size(), 3u) << id;
            EXPECT_EQ(items[0].id, res::ID_KERNEL_DISASM);
            EXPECT_EQ(items[0].text, CString(L"計測ループの機械語を表示(&M)..."));
            EXPECT_EQ(items[1].id, res::ID_KERNEL_VARIANTS);
            EXPECT_EQ(items[1].text, CString(L"ビルドの違いを比べる(&B)..."));
            EXPECT_EQ(items[2].id, res::ID_KERNEL_SWEEP);
        }
    }
    EXPECT_TRUE(drv.OwnedDialogs().empty()) << "a dismissed menu opens nothing";
}

// The three boxes alike: modeless, the window working beside them, gone when
// their own button, Esc or the close box closes them, or with the window.
TEST(KernelBoxesTest, EachBoxLeavesTheWindowWorkingAndGoesWhenClosedOrWithTheWindow) {
    const struct {
        UINT item;
        const char* caption;
        std::function<void(afx::DialogDriver&)> close;
        bool measures;  // a sweep holds the window's kernels while it measures
    } boxes[] = {
        {res::ID_KERNEL_DISASM, "計測ループの機械語 - 1008 vector<int>配列 []", [](afx::DialogDriver& d) { d.Press(afx::Key::Escape); }, false},
        {res::ID_KERNEL_VARIANTS, "ビルドの違いを比べる - 1008 vector<int>配列 []", [](afx::DialogDriver& d) { d.Click(IDCANCEL); }, false},
        {res::ID_KERNEL_SWEEP, "要素数を変えて測る - 1008 vector<int>配列 []", [](afx::DialogDriver& d) { d.CloseBox(); }, true},
    };
    for (const auto& b : boxes) {
        SCOPED_TRACE(b.caption);
        CVelquorDlg dlg;
        afx::DialogDriver drv(dlg);
        bench::SweepRequest tiny;  // a sweep of a few milliseconds
        tiny.sizes = bench::SweepRequest::Sizes{1000, 2000, 1};
        dlg.SetSweepRequest(tiny);
        drv.RightClick(1008, b.item);
        ASSERT_EQ(drv.OwnedDialogs().size(), 1u);
        CDialog& box = *drv.OwnedDialogs().back();
        const QPointer<QWidget> boxWindow = box.Widget();
        EXPECT_FALSE(boxWindow->isModal());
        EXPECT_EQ(Utf8(afx::DialogDriver::Attach(box).Caption()), b.caption);
        EXPECT_EQ(drv.Click(1000), !b.measures);
        auto boxDriver = afx::DialogDriver::Attach(box);
        b.close(boxDriver);
        EXPECT_TRUE(boxWindow.isNull());
        EXPECT_TRUE(drv.OwnedDialogs().empty());
        EXPECT_FALSE(CSweepDlg::Measuring());
        ASSERT_TRUE(drv.Click(1004));
        EXPECT_TRUE(Utf8(drv.Text(1005)).ends_with("ms"));
        EXPECT_TRUE(drv.Boxes().Take().empty());
        // Boxes still open when the main window goes go with it, a sweep mid-sweep.
        drv.RightClick(1002, b.item);
        drv.RunUntil([] { return !CSweepDlg::Measuring(); });  // one sweep at a time
        drv.RightClick(1000, b.item);
        ASSERT_EQ(drv.OwnedDialogs().size(), 2u);
        const QPointer<QWidget> first = drv.OwnedDialogs()[0]->Widget(), second = drv.OwnedDialogs()[1]->Widget();
        dlg.DestroyWindow();
        EXPECT_TRUE(first.isNull() && second.isNull());
        EXPECT_FALSE(CSweepDlg::Measuring());
    }
}

TEST_F(KernelBoxTest, TheMachineCodeBoxSamplesAndShowsTheSharesOrInOneLineWhyNot) {
    const disasm::PerfEventOpen refuse = [](perf_event_attr&) {
        errno = EACCES;
        return -1;
    };
    for (const bool refused : {false, true}) {
        SCOPED_TRACE(refused ? "refused" : "sampled");
        const disasm::PerfEventOpen previous = refused ? disasm::SetPerfEventOpen(refuse) : nullptr;
        CDialog* box = OpenBox(1022, res::ID_KERNEL_DISASM);
        ASSERT_NE(box, nullptr);
        const std::string before = Text(*box, res::IDC_DISASM_LISTING);
        EXPECT_EQ(before.rfind("bench::FillLocalIntArray(int): 計測区間、Intel 構文\r\nループ: 命令 ", 0), 0u) << before;
        EXPECT_NE(Text(*box, res::IDC_DISASM_NOTICE).find("処理回数 100000"), std::string::npos);
        afx::DialogDriver::Attach(*box).Click(res::IDC_DISASM_SAMPLE);
        if (refused) disasm::SetPerfEventOpen(previous);
        const std::string notice = Text(*box, res::IDC_DISASM_NOTICE);
        const std::string after = Text(*box, res::IDC_DISASM_LISTING);
        if (!refused) {
            if (notice.find("sampling refused") != std::string::npos) continue;  // this machine does not sample
            EXPECT_NE(notice.find("サンプル"), std::string::npos) << notice;
            EXPECT_NE(notice.find("計測ループ内"), std::string::npos) << notice;
            EXPECT_NE(after.find("サンプル "), std::string::npos);
            continue;
        }
        EXPECT_EQ(notice.rfind("時間の内訳は測れませんでした: sampling refused: perf_event_open: ", 0), 0u) << notice;
        EXPECT_EQ(notice.find('\n'), std::string::npos);
        // The listing is as it was, with the one line of the refusal under the summary.
        const std::size_t summaryEnd = before.find("\r\n", before.find("\r\n") + 2) + 2;
        EXPECT_EQ(after, before.substr(0, summaryEnd) + notice.substr(notice.find("sampling refused")) + "\r\n" +
                             before.substr(summaryEnd));
    }
}

TEST_F(KernelBoxTest, TheBuildsBoxShowsALinePerVariantInTheWindowsFormatAndNeverRunsOneTheCpuCannot) {
    bench::SetCpuCheck([](std::string_view level) { return level != "x86-64-v3"; });
    CountKernelRuns();
    CDialog* box = OpenBox(1008, res::ID_KERNEL_VARIANTS);
    ASSERT_NE(box, nullptr);
    auto table = [&] { return Lines(afx::DialogDriver::Attach(*box).Text(res::IDC_VARIANTS_TABLE)); };
    const std::vector<std::wstring> lines = table();
    ASSERT_EQ(lines.size(), 1 + bench::Variants().size()) << "a heading and a line per variant";
    EXPECT_TRUE(lines[0].starts_with(L"ビルド")) << Utf8(CString(lines[0].c_str()));
    const std::wstring o3 = LineOf(lines, "O3"), o0 = LineOf(lines, "O0"), avx2 = LineOf(lines, "avx2");
    for (const std::wstring& line : {o3, o0, LineOf(lines, "O2")}) EXPECT_TRUE(IsResultText(TimeIn(line))) << Utf8(CString(line.c_str()));
    EXPECT_NE(o3.find(L"既定 (このプログラムのビルド)"), std::wstring::npos);
    EXPECT_NE(o3.find(L"基準"), std::wstring::npos) << Utf8(CString(o3.c_str()));
    EXPECT_NE(o0.find(L"デバッグビルド相当 -O0"), std::wstring::npos);
    EXPECT_NE(avx2.find(L"このCPUでは実行できません（x86-64-v3 が必要）"), std::wstring::npos) << Utf8(CString(avx2.c_str()));
    EXPECT_EQ(avx2.find(L"ms"), std::wstring::npos);
    // The times line up, whatever the widths of the descriptions before them.
    EXPECT_EQ(dialog::DisplayWidth(o0.substr(0, o0.find(L"ms"))), dialog::DisplayWidth(o3.substr(0, o3.find(L"ms"))));
    EXPECT_NE(Text(*box, res::IDC_VARIANTS_NOTICE).find("処理回数 100000"), std::string::npos);
    // The click that checks the count, then O0, O2 and O3 in a round that is
    // not counted and in the counted ones; one run of avx2 would add more.
    EXPECT_EQ(kernelRuns, 1 + 3 * (1 + bench::kComparisonClicks));
    // The box measures for itself: the window's result fields and its record of runs stay as they were.
    EXPECT_TRUE(drv.Text(FieldOf(1008)).IsEmpty());
    EXPECT_TRUE(runs.empty());
    EXPECT_TRUE(Boxes().empty());

    // Measuring again runs the same variants again.
    ASSERT_TRUE(afx::DialogDriver::Attach(*box).Click(res::IDC_VARIANTS_RERUN));
    EXPECT_EQ(kernelRuns, 1 + 2 * 3 * (1 + bench::kComparisonClicks));
    EXPECT_TRUE(IsResultText(TimeIn(LineOf(table(), "O2"))));
}

TEST_F(KernelBoxTest, ARefusedCountGetsTheClicksFailureAndAFixedArrayNoSweep) {
    ForceCount(L"-5");
    CountKernelRuns();
    EXPECT_EQ(OpenBox(1004, res::ID_KERNEL_VARIANTS), nullptr);
    const std::vector<afx::ShownMessageBox> shown = Boxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].type, MB_ICONHAND);
    // The very text a click on the button shows.
    Press(1004);
    const std::vector<afx::ShownMessageBox> byClick = Boxes();
    ASSERT_EQ(byClick.size(), 1u);
    EXPECT_EQ(shown[0].text, byClick[0].text);
    EXPECT_NE(Utf8(shown[0].text).find("負の数"), std::string::npos) << Utf8(shown[0].text);
    EXPECT_EQ(kernelRuns, 0) << "nothing timed";
    EXPECT_TRUE(drv.OwnedDialogs().empty());

    // A fixed-size array does not read the field: its box opens and fills its 100000 elements.
    CDialog* fixed = OpenBox(1022, res::ID_KERNEL_VARIANTS);
    ASSERT_NE(fixed, nullptr);
    EXPECT_NE(Text(*fixed, res::IDC_VARIANTS_NOTICE).find("固定の 100000 要素"), std::string::npos);
    EXPECT_TRUE(Boxes().empty());

    // Nor does a fixed-size array grow: no sweep for it, and one line that says why.
    for (int id : {1012, 1014, 1022, 1024}) {
        EXPECT_EQ(OpenBox(id, res::ID_KERNEL_SWEEP), nullptr) << id;
        const std::vector<afx::ShownMessageBox> refusal = Boxes();
        ASSERT_EQ(refusal.size(), 1u) << id;
        EXPECT_NE(Utf8(refusal[0].text).find("100000 要素に固定した配列"), std::string::npos) << Utf8(refusal[0].text);
    }
    EXPECT_NE(Utf8(dialog::SweepRefusalText(*bench::FindButton(1055))).find("書き込まない"), std::string::npos);
}

TEST(KernelBoxesTest, TheBuildsTableHasRatiosToO3RoundByRoundAndNoneWithoutO3OrBelowAMicrosecond) {
    bench::VariantComparison c;
    for (const bench::Variant& v : bench::Variants()) {
        bench::VariantRun r;
        r.variant = &v;
        r.available = true;
        // The machine's speed moves from round to round; O2 takes twice O3's time in each.
        for (int speed : {1, 3, 1, 2, 1, 3, 2}) r.elapsed.emplace_back(speed * (v.name == "O2" ? 2 : 1) * 1'234'567);
        r.median = bench::Median(r.elapsed);
        r.fractionOfLimit = 0.5;
        c.runs.push_back(r);
    }
    c.runs[0].median.reset();
    c.runs[0].fractionOfLimit.reset();
    c.runs[0].error = bench::KernelError{bench::ErrorKind::OutOfMemory, "std::bad_alloc", 0};
    std::vector<std::wstring> lines = Lines(dialog::VariantTableText(c));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_NE(lines[1].find(L"メモリが不足して配列を確保できませんでした"), std::wstring::npos);
    EXPECT_EQ(lines[1].find(L"ms"), std::wstring::npos);
    const std::wstring o2 = LineOf(lines, "O2");
    EXPECT_NE(o2.find(L"4.938000ms  2.00× (2.00–2.00)  "), std::wstring::npos) << Utf8(CString(o2.c_str()));
    EXPECT_NE(o2.find(L"50.0%"), std::wstring::npos);
    EXPECT_NE(LineOf(lines, "avx2").find(L"1.00× (1.00–1.00) 差なし"), std::wstring::npos);
    EXPECT_NE(LineOf(lines, "O3").find(L"基準"), std::wstring::npos);

    // Without a time for O3 there is nothing to set the others against.
    for (bench::VariantRun& r : c.runs) r.median = r.variant->isDefault ? std::nullopt : r.median;
    lines = Lines(dialog::VariantTableText(c));
    EXPECT_NE(LineOf(lines, "O3").find(L"計測していません"), std::wstring::npos);
    EXPECT_EQ(LineOf(lines, "O2").find(L"×"), std::wstring::npos);

    // Clicks of an empty fill, some 40 ns: "0.000000ms", and no ratio of them.
    for (bench::VariantRun& r : c.runs) {
        r.elapsed.assign(bench::kComparisonClicks, std::chrono::nanoseconds(r.variant->isDefault ? 58 : 40));
        if (!r.error) r.median = bench::Median(r.elapsed);
    }
    EXPECT_NE(LineOf(Lines(dialog::VariantTableText(c)), "O2").find(L"0.000000ms  -"), std::wstring::npos);
}

TEST_F(KernelBoxTest, TheSweepBoxSweepsTheButtonAndTabulatesItsLevels) {
    CDialog* box = OpenBox(1004, res::ID_KERNEL_SWEEP);
    ASSERT_NE(box, nullptr);
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
}

TEST_F(KernelBoxTest, StoppingASweepKeepsWhatWasMeasuredAndMeasuresNoMore) {
    CDialog* box = OpenBox(1000, res::ID_KERNEL_SWEEP);
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

TEST_F(KernelBoxTest, NoOtherKernelRunsWhileASweepMeasures) {
    drv.RightClick(1008, res::ID_KERNEL_VARIANTS);
    CDialog* variants = drv.OwnedDialogs().back();
    CDialog* box = OpenBox(1000, res::ID_KERNEL_SWEEP);
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
}

TEST(KernelBoxesTest, EachWayASweepStopsIsSaidUnderItsTable) {
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
