// The button table against the window it describes: every benchmark button
// of the main window's template is in the table, with its result field,
// its visibility, and a report name made of its caption and the label above.
#include "TestUtil.h"
#include "bench/Buttons.h"
#include "res/Resource.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>

namespace {

const afx::ControlTemplate* Control(const afx::DialogTemplate& dlg, int id) {
    for (const afx::ControlTemplate& c : dlg.controls) {
        if (c.id == id) return &c;
    }
    return nullptr;
}

/// The label standing just above a button in its column, if any.
const afx::ControlTemplate* LabelAbove(const afx::DialogTemplate& dlg, const afx::ControlTemplate& button) {
    for (const afx::ControlTemplate& c : dlg.controls) {
        if (c.kind == afx::ControlClass::Static && c.id == -1 && c.text && c.x == button.x && c.y < button.y &&
            button.y - c.y <= 12) {
            return &c;
        }
    }
    return nullptr;
}

TEST(ButtonTableTest, TheTableAgreesWithTheMainWindowTemplate) {
    const afx::DialogTemplate* dlg = afx::FindDialog(res::IDD_VELQUOR_DIALOG);
    ASSERT_NE(dlg, nullptr);
    for (const bench::ButtonSpec& b : bench::kButtons) {
        const afx::ControlTemplate* button = Control(*dlg, b.buttonId);
        const afx::ControlTemplate* field = Control(*dlg, b.resultFieldId);
        ASSERT_NE(button, nullptr) << b.buttonId;
        ASSERT_NE(field, nullptr) << b.resultFieldId;
        EXPECT_EQ(button->kind, afx::ControlClass::Button) << b.buttonId;
        EXPECT_EQ(field->kind, afx::ControlClass::Edit) << b.resultFieldId;
        EXPECT_EQ(b.hidden, (button->style & WS_VISIBLE) == 0) << b.buttonId;
        // The report name: the caption, and the label above where there is one.
        std::wstring title = button->text;
        const afx::ControlTemplate* label = LabelAbove(*dlg, *button);
        if (label != nullptr) title += std::wstring(L" (") + label->text + L")";
        EXPECT_EQ(Utf8(CString(title.c_str())), std::string(bench::Title(b))) << b.buttonId;
    }
    // Every push button of the template but "終了" and the version button runs a kernel.
    std::set<int> ids;
    for (const afx::ControlTemplate& c : dlg->controls) {
        if (c.kind == afx::ControlClass::Button && c.id != IDOK && bench::FindButton(c.id) == nullptr) ids.insert(c.id);
    }
    EXPECT_EQ(ids.size(), 1u) << "push buttons without a kernel: only the version button";
}

TEST(ButtonTableTest, ReportNamesStayAsOlderReportsHaveThem) {
    // Reports are compared across versions by name: a name that changes
    // breaks every comparison with an older report.
    std::ifstream pinned(VELQUOR_SOURCE_DIR "/tests/data/benchmark-names.txt");
    ASSERT_TRUE(pinned) << "tests/data/benchmark-names.txt";
    std::size_t line = 0;
    for (std::string name; std::getline(pinned, name); ++line) {
        ASSERT_LT(line, bench::kButtons.size());
        EXPECT_EQ(std::string(bench::kButtons[line].name), name);
    }
    EXPECT_EQ(line, bench::kButtons.size());
}

}  // namespace
