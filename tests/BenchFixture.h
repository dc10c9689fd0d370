// What the benchmark tests share: the main window driven offscreen, with the
// record of every run collected, and the table of buttons and result fields.
#pragma once

#include "TestUtil.h"
#include "bench/Run.h"
#include "dialog/VelquorDlg.h"
#include "framework/Driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace benchtest {

struct Button {
    int id;
    int field;        // its result field
    bool readsCount;  // false: a fixed array of 100000 elements
};

inline constexpr Button kButtons[] = {
    {1000, 1001, true},  {1018, 1019, true},  {1020, 1021, true},  {1030, 1031, true},  {1032, 1034, true},
    {1002, 1003, true},  {1006, 1007, true},  {1004, 1005, true},  {1008, 1009, true},  {1010, 1011, true},
    {1016, 1017, true},  {1024, 1025, false}, {1035, 1036, true},  {1012, 1013, false}, {1014, 1015, false},
    {1022, 1023, false}, {1037, 1038, true},  {1039, 1040, true},  {1041, 1042, true},  {1043, 1044, true},
    {1053, 1054, true},  {1055, 1056, true},
};

inline int FieldOf(int button) {
    for (const Button& b : kButtons) {
        if (b.id == button) return b.field;
    }
    ADD_FAILURE() << "no benchmark button " << button;
    return 0;
}

/// "%.6f" of whole microseconds in milliseconds, then "ms": the last three decimals are zeros.
inline bool IsResultText(const CString& text) {
    const std::wstring s(text.GetString());
    const auto isDigit = [](wchar_t c) { return c >= L'0' && c <= L'9'; };
    std::size_t i = s.starts_with(L'-') ? 1 : 0;
    const std::size_t integerStart = i;
    while (i < s.size() && isDigit(s[i])) ++i;
    if (i == integerStart || s.compare(i, 1, L".") != 0) return false;
    const std::wstring decimals = s.substr(i + 1);
    return decimals.size() == 8 && std::all_of(decimals.begin(), decimals.begin() + 3, isDigit) &&
           decimals.ends_with(L"000ms");
}

inline std::string Describe(const std::optional<CString>& sink) {
    return sink ? Utf8(*sink) : std::string("(nothing)");
}

class BenchTest : public ::testing::Test, public bench::RunObserver {
protected:
    BenchTest() { dlg.SetRunObserver(this); }

    void OnRun(const bench::RunRecord& record) override {
        if (whileRunning) whileRunning(record);
        runs.push_back(record);
    }

    /// Replaces the count field's text as a user does: select all, then paste.
    void SetCount(const std::wstring& text) {
        drv.Press(afx::Key::SelectAll, 1033);
        if (text.empty()) {
            drv.Press(afx::Key::Delete, 1033);
        } else {
            drv.Paste(1033, text);
        }
    }

    /// Puts text into the count field the way the program itself could, past the field's check.
    void ForceCount(const wchar_t* text) { dlg.GetDlgItem(1033)->SetWindowTextW(text); }

    /// Presses the button (the hidden row by command, as no user can) and
    /// returns the record of its run; the record's text must be the field's.
    bench::RunRecord Run(int button) {
        const std::size_t before = runs.size();
        Press(button);
        if (runs.size() != before + 1) {
            ADD_FAILURE() << "button " << button << " reported " << runs.size() - before << " runs";
            return {button, -1, {}, CString(), std::nullopt};
        }
        const bench::RunRecord& record = runs.back();
        EXPECT_EQ(record.buttonId, button);
        EXPECT_EQ(record.resultText, drv.Text(FieldOf(button))) << button;
        EXPECT_TRUE(IsResultText(record.resultText)) << button << ": " << Utf8(record.resultText);
        return record;
    }

    /// Presses the button without expecting a run.
    void Press(int button) {
        if (button == 1053 || button == 1055) {
            drv.Command(button);
        } else {
            EXPECT_TRUE(drv.Click(button)) << button;
        }
    }

    std::vector<afx::ShownMessageBox> Boxes() { return drv.Boxes().Take(); }

    CVelquorDlg dlg;
    afx::DialogDriver drv{dlg};
    std::vector<bench::RunRecord> runs;
    /// Called with each record while its handler still holds its data.
    std::function<void(const bench::RunRecord&)> whileRunning;
};

}  // namespace benchtest
