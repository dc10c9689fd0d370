// What the window's benchmark tests share: the main window driven offscreen,
// with the record of every run collected.
#pragma once

#include "TestUtil.h"
#include "bench/Buttons.h"
#include "dialog/RunRecord.h"
#include "dialog/VelquorDlg.h"
#include "framework/testing/Driver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace benchtest {

/// The count field.
inline constexpr int kCountField = 1033;

inline int FieldOf(int button) {
    const bench::ButtonSpec* b = bench::FindButton(button);
    if (b == nullptr) ADD_FAILURE() << "no benchmark button " << button;
    return b ? b->resultFieldId : 0;
}

/// "%.6f" of whole microseconds in milliseconds, then "ms": the last three decimals are zeros.
inline bool IsResultText(const CString& text) {
    std::wstring s(text.GetString());
    if (s.starts_with(L'-')) s.erase(0, 1);
    const std::wstring digits = L"0123456789";
    const std::size_t dot = s.find_first_not_of(digits);
    return dot > 0 && dot != std::wstring::npos && s[dot] == L'.' && s.size() == dot + 9 &&
           s.find_first_not_of(digits, dot + 1) == dot + 7 && s.ends_with(L"000ms");
}

class BenchTest : public ::testing::Test, public dialog::RunObserver {
protected:
    BenchTest() { dlg.SetRunObserver(this); }

    void OnRun(const dialog::RunRecord& record) override { runs.push_back(record); }

    /// Replaces the count field's text as a user does: select all, then paste.
    void SetCount(const std::wstring& text) {
        drv.Press(afx::Key::SelectAll, kCountField);
        if (text.empty()) {
            drv.Press(afx::Key::Delete, kCountField);
        } else {
            drv.Paste(kCountField, text);
        }
    }

    /// Puts text into the count field the way the program itself could, past the field's check.
    void ForceCount(const wchar_t* text) { dlg.GetDlgItem(kCountField)->SetWindowTextW(text); }

    /// Presses the button (the hidden row by command, as no user can) and
    /// returns the record of its run; the record's text must be the field's.
    dialog::RunRecord Run(int button) {
        const std::size_t before = runs.size();
        Press(button);
        if (runs.size() != before + 1) {
            ADD_FAILURE() << "button " << button << " reported " << runs.size() - before << " runs";
            dialog::RunRecord none;
            none.buttonId = button;
            none.measurement.elementCount = -1;
            return none;
        }
        const dialog::RunRecord& record = runs.back();
        EXPECT_EQ(record.buttonId, button);
        EXPECT_EQ(record.resultText, drv.Text(FieldOf(button))) << button;
        EXPECT_TRUE(IsResultText(record.resultText)) << button << ": " << Utf8(record.resultText);
        return record;
    }

    /// Presses the button without expecting a run.
    void Press(int button) {
        const bench::ButtonSpec* b = bench::FindButton(button);
        if (b != nullptr && b->hidden) {
            drv.Command(button);
        } else {
            EXPECT_TRUE(drv.Click(button)) << button;
        }
    }

    std::vector<afx::ShownMessageBox> Boxes() { return drv.Boxes().Take(); }

    CVelquorDlg dlg;
    afx::DialogDriver drv{dlg};
    std::vector<dialog::RunRecord> runs;
};

}  // namespace benchtest
