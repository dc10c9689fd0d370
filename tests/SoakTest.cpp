// A seeded run of random actions on the main window, as a restless user would
// make them: any text typed or pasted into the count field, clicks on any of
// the 22 buttons (the hidden row by command), the About and version boxes
// opened and closed. After every action: a click changed its own result field
// and no other, the count field holds nothing above 100000 after a change by
// the user, the moving pointer is back at its array's start, and the window
// is still open.
//
// VELQUOR_SOAK_SEED sets the seed (default 1: every run the same) and
// VELQUOR_SOAK_ACTIONS the number of actions (default 300); scripts/soak runs
// a long one. A failure names both, so that it can be repeated.
#include "BenchFixture.h"
#include "bench/GlobalData.h"
#include "dialog/CountCheck.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <random>
#include <string>

namespace {

using benchtest::kCountField;
using bench::kButtons;

unsigned long long EnvNumber(const char* name, unsigned long long fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::strtoull(value, nullptr, 10) : fallback;
}

class SoakTest : public benchtest::BenchTest {
protected:
    SoakTest() {
        previousHook = afx::SetModalHook([this](CDialog& d) {
            modalTemplate = d.TemplateId();
            auto nested = afx::DialogDriver::Attach(d);
            switch (Below(3)) {  // the three ways a user closes a box
            case 0: nested.Click(IDOK); break;
            case 1: nested.Press(afx::Key::Escape); break;
            default: nested.CloseBox(); break;
            }
            EXPECT_TRUE(d.HasEnded());
        });
    }
    ~SoakTest() override { afx::SetModalHook(previousHook); }

    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); }

    /// Mostly small numbers, so that most clicks are quick; now and then
    /// anything a paste can bring.
    std::wstring CountText() {
        const wchar_t* odd[] = {L"", L"100000", L"100001", L"0000000000000000001", L"999999999999999999",
                                L"１２", L"\n", L"\u3000" L"123456", L"-7", L"+42", L" 9", L"12abc", L"3\r\n4"};
        if (Below(3) == 0) return odd[Below(static_cast<int>(std::size(odd)))];
        return std::to_wstring(Below(Below(4) == 0 ? 200001 : 1000));
    }

    std::string EditCount() {
        const std::wstring text = CountText();
        const bool replace = Below(4) != 0;  // else the text goes in at the caret
        if (replace) drv.Press(afx::Key::SelectAll, kCountField);
        std::string what = replace ? "over the field: " : "at the caret: ";
        switch (Below(4)) {
        case 0: drv.Type(kCountField, text); what = "type " + what; break;
        case 1: drv.Press(afx::Key::Backspace, kCountField); return "backspace " + what;
        default:
            if (text.empty()) drv.Press(afx::Key::Delete, kCountField);
            else drv.Paste(kCountField, text);
            what = "paste " + what;
        }
        const CString count = drv.Text(kCountField);
        EXPECT_FALSE(dialog::CountExceedsLimit(count)) << "the count field holds \"" << Utf8(count) << "\"";
        for (const afx::ShownMessageBox& box : Boxes()) {
            EXPECT_EQ(box.text, CString(dialog::kCountLimitWarning));
            EXPECT_EQ(count, CString(dialog::kCountLimitText));
        }
        return what + '"' + Utf8(CString(text.c_str())) + '"';
    }

    std::string ClickButton(const bench::ButtonSpec& b) {
        const std::size_t runsBefore = runs.size();
        Press(b.buttonId);
        const std::vector<afx::ShownMessageBox> boxes = Boxes();
        const CString field = drv.Text(b.resultFieldId);
        if (runs.size() == runsBefore + 1) {
            EXPECT_EQ(field, runs.back().resultText);
            EXPECT_TRUE(boxes.empty());
        } else {
            // A refused count: the field stays empty and the user is told.
            EXPECT_TRUE(field.IsEmpty()) << Utf8(field);
            EXPECT_EQ(boxes.size(), 1u);
        }
        return "click " + std::to_string(b.buttonId);
    }

    std::string OpenBox() {
        const bool about = Below(2) == 0;
        modalTemplate = 0;
        if (about) drv.ChooseSystemMenuItem(16, Below(2) == 0);
        else drv.Click(1026);
        EXPECT_EQ(modalTemplate, about ? 100u : 130u);
        return about ? "About box" : "version box";
    }

    const unsigned long long seed = EnvNumber("VELQUOR_SOAK_SEED", 1);
    const unsigned long long actions = EnvNumber("VELQUOR_SOAK_ACTIONS", 300);
    std::mt19937_64 random{seed};
    afx::ModalHook previousHook;
    UINT modalTemplate = 0;
};

TEST_F(SoakTest, RandomActionsKeepEveryInvariant) {
    for (unsigned long long n = 0; n < actions && !HasFailure(); ++n) {
        std::map<int, CString> fields;
        for (const auto& b : kButtons) fields[b.resultFieldId] = drv.Text(b.resultFieldId);
        const CString count = drv.Text(kCountField);
        const int kind = Below(100);
        const bench::ButtonSpec& b = kButtons[static_cast<std::size_t>(Below(static_cast<int>(kButtons.size())))];
        const std::string what = kind < 45 ? EditCount() : kind < 92 ? ClickButton(b) : OpenBox();
        for (const auto& [field, before] : fields) {
            const bool mayChange = kind >= 45 && kind < 92 && field == b.resultFieldId;
            EXPECT_TRUE(mayChange || drv.Text(field) == before) << field;
        }
        EXPECT_TRUE(kind < 45 || drv.Text(kCountField) == count) << "only the user changes the count field";
        EXPECT_TRUE(g_pStaticArrayInit == g_staticArrayInit) << "the moving pointer was not put back";
        EXPECT_FALSE(dlg.HasEnded());
        if (HasFailure()) {
            ADD_FAILURE() << "after action " << n << " (" << what << "); repeat with VELQUOR_SOAK_SEED=" << seed
                          << " VELQUOR_SOAK_ACTIONS=" << n + 1;
        }
    }
}

}  // namespace
