// The box that runs one benchmark button's kernel in each build variant,
// opened from the buttons' right-click menu of the real main window: one
// line per variant with the window's own time format, the ratio to O3 and
// the share of the store limit; a variant this CPU cannot run shown but
// never called; a refused count told as a click tells it, with no box; and
// the main window working, and its result fields untouched, meanwhile.
#include "BenchFixture.h"
#include "bench/Protocol.h"
#include "bench/Variants.h"
#include "dialog/DisplayWidth.h"
#include "dialog/VariantTable.h"

#include <QPointer>
#include <QWidget>

#include <sstream>

namespace {

using benchtest::BenchTest;
using benchtest::FieldOf;
using benchtest::IsResultText;

/// The table's lines, without their line ends.
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
std::wstring TimeIn(const std::wstring& line) {
    const std::size_t end = line.find(L"ms");
    if (end == std::wstring::npos) return {};
    const std::size_t start = line.rfind(L' ', end) + 1;
    return line.substr(start, end + 2 - start);
}

class VariantsBoxTest : public BenchTest {
protected:
    ~VariantsBoxTest() override {
        bench::SetCpuCheck(nullptr);
        bench::SetInspector(nullptr);
    }

    /// Opens the box of a button through its menu; nullptr when none opened.
    CDialog* OpenBox(int buttonId) {
        const std::size_t before = drv.OwnedDialogs().size();
        drv.RightClick(buttonId, res::ID_KERNEL_VARIANTS);
        const std::vector<CDialog*> boxes = drv.OwnedDialogs();
        return boxes.size() > before ? boxes.back() : nullptr;
    }
    static std::wstring Text(CDialog& box, int id) {
        return afx::DialogDriver::Attach(box).Text(id).GetString();
    }
    void CountKernelRuns() {
        bench::SetInspector([this](const bench::Measurement&) { ++kernelRuns; });
    }

    int kernelRuns = 0;
};

TEST_F(VariantsBoxTest, TheBoxShowsOneLinePerVariantWithTheWindowsTimesAndO3AsTheMeasure) {
    CDialog* box = OpenBox(1008);
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(box->Widget()->isModal());
    EXPECT_EQ(Utf8(afx::DialogDriver::Attach(*box).Caption()), "ビルドの違いを比べる - 1008 vector<int>配列 []");
    const std::vector<std::wstring> lines = Lines(afx::DialogDriver::Attach(*box).Text(res::IDC_VARIANTS_TABLE));
    ASSERT_EQ(lines.size(), 1 + bench::Variants().size()) << "a heading and a line per variant";
    EXPECT_TRUE(lines[0].starts_with(L"ビルド")) << Utf8(CString(lines[0].c_str()));
    for (const bench::Variant& v : bench::Variants()) {
        const std::wstring line = LineOf(lines, v.name);
        ASSERT_FALSE(line.empty()) << v.name;
        if (!bench::IsAvailable(v)) continue;
        EXPECT_TRUE(IsResultText(CString(TimeIn(line).c_str()))) << Utf8(CString(line.c_str()));
    }
    EXPECT_NE(LineOf(lines, "O3").find(L"基準"), std::wstring::npos) << Utf8(CString(LineOf(lines, "O3").c_str()));
    EXPECT_NE(LineOf(lines, "O0").find(L"デバッグビルド相当 -O0"), std::wstring::npos);
    EXPECT_NE(LineOf(lines, "O3").find(L"既定 (このプログラムのビルド)"), std::wstring::npos);
    // The times line up, whatever the widths of the descriptions before them.
    const std::size_t o3Column = dialog::DisplayWidth(LineOf(lines, "O3").substr(0, LineOf(lines, "O3").find(L"ms")));
    EXPECT_EQ(static_cast<std::size_t>(dialog::DisplayWidth(LineOf(lines, "O0").substr(0, LineOf(lines, "O0").find(L"ms")))),
              o3Column);
    EXPECT_NE(Text(*box, res::IDC_VARIANTS_NOTICE).find(L"処理回数 100000"), std::wstring::npos);

    // The box measures for itself: the window's result fields and its record of runs stay as they were.
    EXPECT_TRUE(drv.Text(FieldOf(1008)).IsEmpty());
    EXPECT_TRUE(runs.empty());
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(VariantsBoxTest, AVariantTheCpuCannotRunIsShownWithTheReasonAndItsKernelNeverRuns) {
    bench::SetCpuCheck([](std::string_view level) { return level != "x86-64-v3"; });
    CountKernelRuns();
    CDialog* box = OpenBox(1000);
    ASSERT_NE(box, nullptr);
    const std::vector<std::wstring> lines = Lines(afx::DialogDriver::Attach(*box).Text(res::IDC_VARIANTS_TABLE));
    const std::wstring avx2 = LineOf(lines, "avx2");
    EXPECT_NE(avx2.find(L"このCPUでは実行できません（x86-64-v3 が必要）"), std::wstring::npos) << Utf8(CString(avx2.c_str()));
    EXPECT_EQ(avx2.find(L"ms"), std::wstring::npos);
    // The click that checks the count, then O0, O2 and O3 in a round that is
    // not counted and in the counted ones; one run of avx2 would add more.
    EXPECT_EQ(kernelRuns, 1 + 3 * (1 + bench::kComparisonClicks));

    // Measuring again runs the same variants again.
    ASSERT_TRUE(afx::DialogDriver::Attach(*box).Click(res::IDC_VARIANTS_RERUN));
    EXPECT_EQ(kernelRuns, 1 + 2 * 3 * (1 + bench::kComparisonClicks));
    EXPECT_TRUE(IsResultText(CString(TimeIn(LineOf(Lines(afx::DialogDriver::Attach(*box).Text(res::IDC_VARIANTS_TABLE)),
                                                   "O2")).c_str())));
}

TEST_F(VariantsBoxTest, ARefusedCountGetsTheClicksFailureAndNoBox) {
    ForceCount(L"-5");
    CountKernelRuns();
    EXPECT_EQ(OpenBox(1004), nullptr);
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
    CDialog* fixed = OpenBox(1022);
    ASSERT_NE(fixed, nullptr);
    EXPECT_NE(Text(*fixed, res::IDC_VARIANTS_NOTICE).find(L"固定の 100000 要素"), std::wstring::npos);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(VariantsBoxTest, TheWindowTakesClicksWhileTheBoxIsOpenAndTheBoxGoesWithIt) {
    CDialog* box = OpenBox(1041);
    ASSERT_NE(box, nullptr);
    const QPointer<QWidget> boxWindow = box->Widget();
    Run(1041);
    Run(1000);
    EXPECT_EQ(drv.OwnedDialogs().size(), 1u);

    // Its own button closes it; the window stays.
    ASSERT_TRUE(afx::DialogDriver::Attach(*box).Click(IDCANCEL));
    EXPECT_TRUE(boxWindow.isNull());
    EXPECT_TRUE(drv.OwnedDialogs().empty());
    Run(1004);

    // Boxes still open when the main window goes go with it.
    const QPointer<QWidget> first = OpenBox(1012)->Widget();
    const QPointer<QWidget> second = OpenBox(1000)->Widget();
    ASSERT_FALSE(first.isNull());
    dlg.DestroyWindow();
    EXPECT_TRUE(first.isNull());
    EXPECT_TRUE(second.isNull());
}

TEST(VariantTableTest, RatiosToO3RoundByRoundAndNoneWithoutO3OrBelowAMicrosecond) {
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

}  // namespace
