// The run protocol every benchmark button follows, checked on all 22: each
// writes the time it measured into its own result field and nothing else,
// reads the count the way _wtoi does, refuses a negative count before it
// allocates or times anything, and reports a record that agrees with the window.
#include "BenchFixture.h"
#include "framework/Crt.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

using benchtest::BenchTest;
using benchtest::kCountField;
using bench::kButtons;

class BenchProtocolTest : public BenchTest {
protected:
    // A text no handler ever writes, so that any write to a field shows.
    static CString Marker(int field) {
        CString text;
        text.Format(L"marker %d", field);
        return text;
    }
    void MarkAllResultFields() {
        for (const auto& b : kButtons) dlg.GetDlgItem(b.resultFieldId)->SetWindowTextW(Marker(b.resultFieldId));
    }
    void ExpectOtherFieldsMarked(int ownField) {
        for (const auto& b : kButtons) {
            if (b.resultFieldId == ownField) continue;
            EXPECT_EQ(drv.Text(b.resultFieldId), Marker(b.resultFieldId)) << "run of field " << ownField;
        }
    }
};

TEST_F(BenchProtocolTest, EveryButtonWritesOnlyItsOwnFieldTheTimeItMeasuredAndLeavesTheCountAlone) {
    // Each handler reads the field as _wtoi does (how each text reads: CountCheckTest.cpp);
    // a count of 0 times the empty loop.
    for (const wchar_t* count : {L"3abc", L"0"}) {
        SetCount(count);
        for (const auto& b : kButtons) {
            MarkAllResultFields();
            const dialog::RunRecord record = Run(b.buttonId);  // its text replaced the marker
            EXPECT_EQ(record.measurement.elementCount, b.readsCount ? _wtoi(count) : 100000) << b.buttonId;
            ExpectOtherFieldsMarked(b.resultFieldId);
            EXPECT_EQ(drv.Text(kCountField), CString(count)) << b.buttonId;
            // The time its kernel measured, truncated to whole microseconds: within
            // one of the raw nanoseconds / 1000, never above.
            const double shown = std::stod(Utf8(record.resultText)) * 1000.0;
            const double measured = std::chrono::duration<double, std::micro>(record.measurement.elapsed).count();
            EXPECT_LE(std::abs(shown), std::abs(measured) + 1e-6) << b.buttonId << ": " << Utf8(record.resultText);
            EXPECT_GT(std::abs(shown), std::abs(measured) - 1.0) << b.buttonId << ": " << Utf8(record.resultText);
        }
    }
    // The window as users have it, without an observer, runs the same.
    dlg.SetRunObserver(nullptr);
    for (const auto& b : kButtons) {
        Press(b.buttonId);
        EXPECT_TRUE(benchtest::IsResultText(drv.Text(b.resultFieldId))) << b.buttonId;
    }
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(BenchProtocolTest, ANegativeCountIsRefusedAndTheWindowGoesOn) {
    for (const wchar_t* negative : {L"-5", L"-99999999999"}) {
        SetCount(negative);
        ASSERT_EQ(drv.Text(kCountField), CString(negative));
        ASSERT_TRUE(Boxes().empty());
        for (const auto& b : kButtons) {
            if (!b.readsCount) continue;
            MarkAllResultFields();
            testing::internal::CaptureStderr();
            Press(b.buttonId);
            const std::string detail = testing::internal::GetCapturedStderr();
            // The previous result is gone, and no time was shown for work never done.
            EXPECT_TRUE(drv.Text(b.resultFieldId).IsEmpty()) << b.buttonId;
            ExpectOtherFieldsMarked(b.resultFieldId);
            EXPECT_EQ(drv.Text(kCountField), CString(negative));
            const auto boxes = Boxes();
            ASSERT_EQ(boxes.size(), 1u) << b.buttonId;
            const std::string text = Utf8(boxes[0].text);
            EXPECT_NE(text.find("コントロール " + std::to_string(b.buttonId) + " の処理を中止しました。"), std::string::npos)
                << text;
            EXPECT_NE(text.find("処理回数が正しくありません。"), std::string::npos) << text;
            EXPECT_NE(text.find("0 以上の数を入力してください。"), std::string::npos) << text;
            // The box speaks to the user; the technical detail goes to standard error.
            EXPECT_EQ(text.find("count is negative"), std::string::npos) << text;
            EXPECT_NE(detail.find("button " + std::to_string(b.buttonId) + ": count is negative: -"), std::string::npos)
                << detail;
            EXPECT_EQ(boxes[0].type, MB_ICONHAND);
        }
    }
    EXPECT_TRUE(runs.empty());

    // The window goes on: the next run with a good count works.
    SetCount(L"2");
    for (const auto& b : kButtons) EXPECT_EQ(Run(b.buttonId).measurement.elementCount, b.readsCount ? 2 : 100000);
    EXPECT_TRUE(Boxes().empty());
}

}  // namespace
