// The run protocol every benchmark button follows, checked on all 22: each
// writes its own result field and nothing else, reads the count the way
// _wtoi does, refuses a negative count before it allocates or times
// anything, and reports a record that agrees with the window.
#include "BenchFixture.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

using benchtest::BenchTest;
using benchtest::kButtons;

class BenchProtocolTest : public BenchTest {
protected:
    // A text no handler ever writes, so that any write to a field shows.
    static CString Marker(int field) {
        CString text;
        text.Format(L"marker %d", field);
        return text;
    }
    void MarkAllResultFields() {
        for (const auto& b : kButtons) dlg.GetDlgItem(b.field)->SetWindowTextW(Marker(b.field));
    }
    void ExpectOtherFieldsMarked(int ownField) {
        for (const auto& b : kButtons) {
            if (b.field == ownField) continue;
            EXPECT_EQ(drv.Text(b.field), Marker(b.field)) << "run of field " << ownField;
        }
    }
};

TEST_F(BenchProtocolTest, EveryButtonWritesOnlyItsOwnFieldAndLeavesTheCountAlone) {
    SetCount(L"3");
    for (const auto& b : kButtons) {
        MarkAllResultFields();
        const bench::RunRecord record = Run(b.id);
        EXPECT_EQ(record.elementCount, b.readsCount ? 3 : 100000) << b.id;
        ExpectOtherFieldsMarked(b.field);
        EXPECT_EQ(drv.Text(1033), CString(L"3")) << b.id;
    }
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(BenchProtocolTest, TheRecordAgreesWithTheWindowAndTheClock) {
    for (const auto& b : kButtons) {
        const bench::RunRecord record = Run(b.id);
        // The same arithmetic turns the raw difference into the text shown.
        CString expected;
        bench::FormatResultText(expected, record.elapsed);
        EXPECT_EQ(record.resultText, expected) << b.id;
        // The wall clock may be set back during a run, but not by a second here.
        EXPECT_GT(record.elapsed, -std::chrono::seconds(1)) << b.id;
        EXPECT_LT(record.elapsed, std::chrono::seconds(60)) << b.id;
    }
}

TEST_F(BenchProtocolTest, ASecondPressReplacesTheFirstResult) {
    for (const auto& b : kButtons) {
        dlg.GetDlgItem(b.field)->SetWindowTextW(Marker(b.field));
        Run(b.id);
        const bench::RunRecord second = Run(b.id);
        EXPECT_EQ(drv.Text(b.field), second.resultText);
    }
}

TEST_F(BenchProtocolTest, TheCountIsTheLeadingNumberOfTheField) {
    const std::map<std::wstring, int> cases = {
        {L"12abc", 12}, {L" 7", 7}, {L"+4", 4}, {L"", 0}, {L"abc", 0}, {L"0", 0}, {L"00009", 9},
    };
    for (const auto& [text, count] : cases) {
        SetCount(text);
        ASSERT_EQ(drv.Text(1033), CString(text.c_str()));
        for (const auto& b : kButtons) {
            if (!b.readsCount) continue;
            EXPECT_EQ(Run(b.id).elementCount, count) << b.id << " with \"" << Utf8(CString(text.c_str())) << '"';
        }
    }
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(BenchProtocolTest, ACountOfZeroTimesTheEmptyLoopAndSinksNothing) {
    SetCount(L"0");
    for (const auto& b : kButtons) {
        if (!b.readsCount) continue;
        const bench::RunRecord record = Run(b.id);
        EXPECT_EQ(record.elementCount, 0);
        if (b.id == 1020) {
            // Its sink takes count - 1 from the count, never from the array.
            EXPECT_EQ(record.sink, std::optional<CString>(L"-1"));
        } else {
            EXPECT_EQ(record.sink, std::nullopt) << b.id << ": " << benchtest::Describe(record.sink);
        }
    }
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(BenchProtocolTest, ANegativeCountIsRefusedAndTheWindowGoesOn) {
    for (const wchar_t* negative : {L"-5", L"-99999999999"}) {
        SetCount(negative);
        ASSERT_EQ(drv.Text(1033), CString(negative));
        ASSERT_TRUE(Boxes().empty());
        for (const auto& b : kButtons) {
            if (!b.readsCount) continue;
            MarkAllResultFields();
            Press(b.id);
            // The previous result is gone, and no time was shown for work never done.
            EXPECT_TRUE(drv.Text(b.field).IsEmpty()) << b.id;
            ExpectOtherFieldsMarked(b.field);
            EXPECT_EQ(drv.Text(1033), CString(negative));
            const auto boxes = Boxes();
            ASSERT_EQ(boxes.size(), 1u) << b.id;
            const std::string text = Utf8(boxes[0].text);
            EXPECT_NE(text.find("コントロール " + std::to_string(b.id) + " の処理を中止しました。"), std::string::npos)
                << text;
            EXPECT_NE(text.find("処理回数が正しくありません。"), std::string::npos) << text;
            EXPECT_NE(text.find("count is negative: -"), std::string::npos) << text;
            EXPECT_EQ(boxes[0].type, MB_ICONHAND);
        }
    }
    EXPECT_TRUE(runs.empty());

    // The window goes on: the next run with a good count works.
    SetCount(L"2");
    for (const auto& b : kButtons) EXPECT_EQ(Run(b.id).elementCount, b.readsCount ? 2 : 100000);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(BenchProtocolTest, WithoutAnObserverTheRunsAreTheSame) {
    dlg.SetRunObserver(nullptr);
    SetCount(L"4");
    for (const auto& b : kButtons) {
        Press(b.id);
        EXPECT_TRUE(benchtest::IsResultText(drv.Text(b.field))) << b.id;
    }
    EXPECT_TRUE(runs.empty());
    EXPECT_TRUE(Boxes().empty());
}

}  // namespace
