// The main window as a user meets it: its first state, the count field's
// check through real typing and pasting, the hidden row, the keyboard, the
// ways to close it, the system menu and the two boxes.
#include "TestUtil.h"
#include "bench/Buttons.h"
#include "dialog/VelquorDlg.h"
#include "framework/testing/Driver.h"
#include "framework/testing/Inspection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kCountField = 1033;
constexpr wchar_t kWarning[] = L"最大値を超えました。\r\n100000に書き換えました。";

class MainDialogTest : public ::testing::Test {
protected:
    CVelquorDlg dlg;
    afx::DialogDriver drv{dlg};
};

TEST_F(MainDialogTest, OpensWithTheDefaultCountEmptyResultsAndTheFocusOnQuit) {
    EXPECT_EQ(drv.Caption(), CString(L"Lumorak"));
    EXPECT_EQ(drv.Text(kCountField), CString(L"100000"));
    for (const bench::ButtonSpec& b : bench::kButtons) {
        EXPECT_TRUE(drv.Text(b.resultFieldId).IsEmpty()) << b.resultFieldId;
        EXPECT_TRUE(drv.ReadOnly(b.resultFieldId)) << b.resultFieldId;
    }
    EXPECT_EQ(drv.FocusId(), 1);
    EXPECT_TRUE(drv.Boxes().Take().empty());
    EXPECT_EQ(afx::testing::ClippedTexts(dlg), std::vector<std::string>{});
    // Result fields take no typing.
    drv.Type(1001, L"123");
    drv.Paste(1003, L"456");
    EXPECT_TRUE(drv.Text(1001).IsEmpty());
    EXPECT_TRUE(drv.Text(1003).IsEmpty());
}

TEST_F(MainDialogTest, TheHiddenRowNeverShowsAndTabSkipsIt) {
    for (int id : {1053, 1054, 1055, 1056}) {
        ASSERT_TRUE(drv.Exists(id));
        EXPECT_FALSE(drv.Visible(id)) << id;
        EXPECT_FALSE(drv.Enabled(id)) << id;
    }
    EXPECT_FALSE(drv.Click(1053));
    EXPECT_FALSE(drv.Click(1055));

    // Tab follows the template's order: "終了", the first button and its field, ...
    std::vector<int> order{drv.FocusId()};
    for (int i = 0; i < 60; ++i) {
        drv.Press(afx::Key::Tab);
        order.push_back(drv.FocusId());
    }
    EXPECT_EQ(std::vector<int>(order.begin(), order.begin() + 4), (std::vector<int>{1, 1000, 1001, 1002}));
    for (int id : order) {
        EXPECT_TRUE(id != 0 && (id < 1053 || id > 1056)) << id;
    }
    // The count field comes after the third link, as in the template.
    const auto link = std::find(order.begin(), order.end(), 1029);
    ASSERT_NE(link, order.end());
    EXPECT_EQ(*(link + 1), kCountField);
}

TEST_F(MainDialogTest, TheCountFieldKeepsWhatTheUserEntersUpToTheLimit) {
    enum class Edit { Type, Paste, Backspace, Return };
    // Each edit acts on the field as the one before left it.
    const struct {
        bool overWholeField;  // else at its end
        Edit edit;
        const wchar_t* text;
        const wchar_t* expected;
        bool warned;
    } steps[] = {
        {true, Edit::Type, L"12ab-c 3", L"123", false},  // typing takes digits only
        {true, Edit::Type, L"100000", L"100000", false},
        {false, Edit::Type, L"0", L"100000", true},  // one digit too many
        {false, Edit::Backspace, L"", L"10000", false},
        {false, Edit::Type, L"0", L"100000", false},   // the limit itself passes
        {false, Edit::Return, L"", L"100000", false},  // kept by the field: no new line, no quitting
        {true, Edit::Paste, L"12abc", L"12abc", false},  // pasting is not filtered
        {true, Edit::Paste, L"-5", L"-5", false},
        {true, Edit::Paste, L"0000000000000000001", L"100000", true},
        {true, Edit::Paste, L"", L"", false},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(Utf8(CString(s.text)) + " -> " + Utf8(CString(s.expected)));
        drv.Press(s.overWholeField ? afx::Key::SelectAll : afx::Key::End, kCountField);
        switch (s.edit) {
        case Edit::Type:
            if (s.overWholeField) drv.Press(afx::Key::Delete, kCountField);
            drv.Type(kCountField, s.text);
            break;
        case Edit::Paste:
            if (*s.text == L'\0') drv.Press(afx::Key::Delete, kCountField);
            else drv.Paste(kCountField, s.text);
            break;
        case Edit::Backspace: drv.Press(afx::Key::Backspace, kCountField); break;
        case Edit::Return: drv.Press(afx::Key::Return, kCountField); break;
        }
        EXPECT_EQ(drv.Text(kCountField), CString(s.expected));
        const std::vector<afx::ShownMessageBox> boxes = drv.Boxes().Take();
        ASSERT_EQ(boxes.size(), s.warned ? 1u : 0u);
        if (s.warned) {
            EXPECT_EQ(boxes[0].text, CString(kWarning));
            EXPECT_EQ(boxes[0].type, MB_ICONHAND);
            EXPECT_EQ(boxes[0].caption, CString(L"Velquor"));
        }
    }
    EXPECT_FALSE(dlg.HasEnded());
}

TEST(MainDialogModalTest, EveryWayToCloseTheWindowEndsItsModalRun) {
    const struct {
        const char* way;
        std::function<void(afx::DialogDriver&)> close;
        INT_PTR result;
    } ways[] = {
        {"終了", [](afx::DialogDriver& d) { d.Click(1); }, IDOK},
        {"Return on 終了, after one the count field keeps",
         [](afx::DialogDriver& d) {
             d.Press(afx::Key::Return, kCountField);
             d.Press(afx::Key::Return, 1);
         },
         IDOK},
        {"Esc", [](afx::DialogDriver& d) { d.Press(afx::Key::Escape, kCountField); }, IDCANCEL},
        {"the close box", [](afx::DialogDriver& d) { d.CloseBox(); }, IDCANCEL},
        {"the system menu's Close", [](afx::DialogDriver& d) { d.ChooseSystemMenuItem(SC_CLOSE); }, IDCANCEL},
    };
    for (const auto& way : ways) {
        afx::MessageBoxRecorder boxes;
        const afx::ModalHook previous = afx::SetModalHook([&](CDialog& d) {
            auto drv = afx::DialogDriver::Attach(d);
            way.close(drv);
            EXPECT_TRUE(d.HasEnded()) << way.way;
        });
        CVelquorDlg dlg;
        EXPECT_EQ(dlg.DoModal(), way.result) << way.way;
        afx::SetModalHook(previous);
        EXPECT_TRUE(boxes.Shown().empty()) << way.way;
    }
}

TEST_F(MainDialogTest, TheAboutAndVersionBoxesOpenWhereTheyShouldAndChangeNothing) {
    constexpr UINT kAbout = 100, kVersion = 130, kNone = 0;
    const std::vector<std::string> about{"Velquor について", "Velquor、バージョン 1.0"};
    const std::vector<std::string> version{"バージョン情報", "Lumorak ver2.0.7"};
    const struct {
        const char* how;
        std::function<void()> open;
        UINT expected;
    } cases[] = {
        {"the About item by keyboard", [&] { drv.ChooseSystemMenuItem(16, true); }, kAbout},
        {"the About item by mouse", [&] { drv.ChooseSystemMenuItem(16, false); }, kAbout},
        // The low four bits of a system command are the platform's, the upper 16 dropped.
        {"system command 31", [&] { dlg.CallWindowProc(WM_SYSCOMMAND, 31, 0); }, kAbout},
        {"system command 0x10010", [&] { dlg.CallWindowProc(WM_SYSCOMMAND, 0x10010, 0); }, kAbout},
        {"system command 32", [&] { dlg.CallWindowProc(WM_SYSCOMMAND, 32, 0); }, kNone},
        {"the version button", [&] { drv.Click(1026); }, kVersion},
        {"the version button again", [&] { drv.Click(1026); }, kVersion},
    };
    drv.Press(afx::Key::SelectAll, kCountField);
    drv.Paste(kCountField, L"42");
    int closeWith = 0;  // each box is closed another way: OK, Esc, the close box
    std::vector<UINT> opened;
    std::vector<std::string> shown;
    const afx::ModalHook previous = afx::SetModalHook([&](CDialog& d) {
        auto nested = afx::DialogDriver::Attach(d);
        opened.push_back(d.TemplateId());
        shown = {Utf8(nested.Caption())};
        for (const CString& s : afx::testing::StaticTexts(d)) shown.push_back(Utf8(s));
        const int way = closeWith++ % 3;
        if (way == 0) nested.Click(IDOK);
        else if (way == 1) nested.Press(afx::Key::Escape);
        else nested.CloseBox();
        EXPECT_TRUE(d.HasEnded());
    });
    const auto caption = [&] { return std::vector<std::string>(shown.begin(), shown.begin() + std::min<std::size_t>(2, shown.size())); };
    for (const auto& c : cases) {
        opened.clear();
        shown.clear();
        c.open();
        EXPECT_EQ(opened, c.expected == kNone ? std::vector<UINT>{} : std::vector<UINT>{c.expected}) << c.how;
        if (c.expected == kAbout) {
            EXPECT_EQ(caption(), about) << c.how;
        }
        if (c.expected == kVersion) {
            EXPECT_EQ(caption(), version) << c.how;
            EXPECT_EQ(shown.size(), 11u) << "the caption and ten lines";
        }
        EXPECT_EQ(drv.Text(kCountField), CString(L"42")) << c.how;
        EXPECT_FALSE(dlg.HasEnded()) << c.how;
    }
    afx::SetModalHook(previous);
    EXPECT_TRUE(drv.Boxes().Take().empty());
    // The system menu: Close, then the About item.
    const auto items = drv.OpenSystemMenu();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].id, SC_CLOSE);
    EXPECT_EQ(items[1].flags, MF_SEPARATOR);
    EXPECT_EQ(items[2].text, CString(L"Velquorについて(&A)..."));
}

}  // namespace
