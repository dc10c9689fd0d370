// The main window as a user meets it: its first state, the count field's
// check through real typing and pasting, the hidden row, the keyboard, the
// system menu and the two boxes.
#include "TestUtil.h"
#include "bench/Buttons.h"
#include "dialog/VelquorDlg.h"
#include "framework/testing/Driver.h"
#include "framework/testing/Inspection.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace {

constexpr wchar_t kWarning[] = L"最大値を超えました。\r\n100000に書き換えました。";

class MainDialogTest : public ::testing::Test {
protected:
    void ReplaceCount(const std::wstring& text, bool paste) {
        drv.Press(afx::Key::SelectAll, 1033);
        if (paste) {
            drv.Paste(1033, text);
        } else {
            drv.Press(afx::Key::Delete, 1033);
            drv.Type(1033, text);
        }
    }
    std::vector<afx::ShownMessageBox> Boxes() { return drv.Boxes().Take(); }

    CVelquorDlg dlg;
    afx::DialogDriver drv{dlg};
};

TEST_F(MainDialogTest, OpensWithDefaultCountEmptyResultsAndFocusOnQuit) {
    EXPECT_EQ(drv.Caption(), CString(L"Lumorak"));
    EXPECT_EQ(drv.Text(1033), CString(L"100000"));
    for (const bench::ButtonSpec& b : bench::kButtons) {
        EXPECT_TRUE(drv.Text(b.resultFieldId).IsEmpty()) << b.resultFieldId;
        EXPECT_TRUE(drv.ReadOnly(b.resultFieldId)) << b.resultFieldId;
    }
    EXPECT_EQ(drv.FocusId(), 1);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(MainDialogTest, HiddenRowNeverShowsAndCannotBeClicked) {
    for (int id : {1053, 1054, 1055, 1056}) {
        ASSERT_TRUE(drv.Exists(id));
        EXPECT_FALSE(drv.Visible(id)) << id;
        EXPECT_FALSE(drv.Enabled(id)) << id;
    }
    EXPECT_FALSE(drv.Click(1053));
    EXPECT_FALSE(drv.Click(1055));
    EXPECT_TRUE(drv.Text(1054).IsEmpty());
}

TEST_F(MainDialogTest, TabFollowsCreationOrderAndSkipsTheHiddenRow) {
    // From "終了" the next tab stops are the first benchmark button and its field.
    std::vector<int> order{drv.FocusId()};
    for (int i = 0; i < 60; ++i) {
        drv.Press(afx::Key::Tab);
        order.push_back(drv.FocusId());
    }
    ASSERT_GE(order.size(), 4u);
    EXPECT_EQ(order[0], 1);
    EXPECT_EQ(order[1], 1000);
    EXPECT_EQ(order[2], 1001);
    EXPECT_EQ(order[3], 1002);
    for (int id : order) {
        EXPECT_NE(id, 1053);
        EXPECT_NE(id, 1054);
        EXPECT_NE(id, 1055);
        EXPECT_NE(id, 1056);
        EXPECT_NE(id, 0) << "focus left the controls";
    }
    // The count field comes after the third link, as in the template.
    const auto link = std::find(order.begin(), order.end(), 1029);
    ASSERT_NE(link, order.end());
    EXPECT_EQ(*(link + 1), 1033);
}

TEST_F(MainDialogTest, ResultFieldsRefuseTyping) {
    drv.Type(1001, L"123");
    drv.Paste(1003, L"456");
    EXPECT_TRUE(drv.Text(1001).IsEmpty());
    EXPECT_TRUE(drv.Text(1003).IsEmpty());
}

TEST_F(MainDialogTest, TypedNonDigitsAreRefusedButPastedTextPassesUnfiltered) {
    ReplaceCount(L"12ab-c 3", false);
    EXPECT_EQ(drv.Text(1033), CString(L"123"));
    ReplaceCount(L"12abc", true);
    EXPECT_EQ(drv.Text(1033), CString(L"12abc"));
    ReplaceCount(L"-5", true);
    EXPECT_EQ(drv.Text(1033), CString(L"-5"));
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(MainDialogTest, TypingOneDigitTooManyRewritesTheFieldAndWarns) {
    drv.Press(afx::Key::End, 1033);
    drv.Type(1033, L"0");
    EXPECT_EQ(drv.Text(1033), CString(L"100000"));
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, CString(kWarning));
    EXPECT_EQ(boxes[0].type, MB_ICONHAND);
    EXPECT_EQ(boxes[0].caption, CString(L"Velquor"));
}

TEST_F(MainDialogTest, CountCheckThroughTheField) {
    struct Case {
        const wchar_t* text;
        bool paste;
        const wchar_t* expected;
        bool warned;
    };
    const Case cases[] = {
        {L"100000", false, L"100000", false},
        {L"100001", false, L"100000", true},
        {L"99999", false, L"99999", false},
        {L"0100000", false, L"0100000", false},
        {L"", false, L"", false},
        {L"999999999999999999", true, L"100000", true},   // 18 characters: converted
        {L"0000000000000000001", true, L"100000", true},  // 19 characters: never converted
        {L"000000000000000001", true, L"000000000000000001", false},
        {L"12abc", true, L"12abc", false},
        {L" 7", true, L" 7", false},
        {L"-5", true, L"-5", false},
        {L"１２３４５６７", true, L"１２３４５６７", false},  // full-width digits are no number
        {L"2\r\n00000", true, L"2\r\n00000", false},
        {L"+100001", true, L"100000", true},
    };
    for (const Case& c : cases) {
        ReplaceCount(c.text, c.paste);
        EXPECT_EQ(drv.Text(1033), CString(c.expected)) << Utf8(CString(c.text));
        const auto boxes = Boxes();
        // Emptying the field first may itself be checked; only the final text matters.
        const bool warned = !boxes.empty();
        EXPECT_EQ(warned, c.warned) << Utf8(CString(c.text));
        if (warned) {
            EXPECT_EQ(boxes.back().text, CString(kWarning));
        }
    }
}

TEST_F(MainDialogTest, AClampedFieldPassesTheNextCheckSilently) {
    ReplaceCount(L"500000", true);
    ASSERT_EQ(Boxes().size(), 1u);
    drv.Press(afx::Key::End, 1033);
    drv.Press(afx::Key::Backspace, 1033);
    drv.Type(1033, L"0");
    EXPECT_EQ(drv.Text(1033), CString(L"100000"));
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(MainDialogTest, ReturnInTheCountFieldNeitherQuitsNorChangesIt) {
    drv.Press(afx::Key::End, 1033);
    drv.Press(afx::Key::Return, 1033);
    EXPECT_FALSE(dlg.HasEnded());
    EXPECT_EQ(drv.Text(1033), CString(L"100000"));
    EXPECT_TRUE(drv.Visible(1));
}

TEST_F(MainDialogTest, QuitEndsWithOkEscapeAndCloseBoxWithCancel) {
    EXPECT_TRUE(drv.Click(1));
    EXPECT_TRUE(dlg.HasEnded());
    EXPECT_EQ(dlg.ModalResult(), IDOK);
}

TEST_F(MainDialogTest, EscapeEndsWithCancel) {
    drv.Press(afx::Key::Escape, 1033);
    EXPECT_TRUE(dlg.HasEnded());
    EXPECT_EQ(dlg.ModalResult(), IDCANCEL);
}

TEST_F(MainDialogTest, CloseBoxEndsWithCancel) {
    drv.CloseBox();
    EXPECT_TRUE(dlg.HasEnded());
    EXPECT_EQ(dlg.ModalResult(), IDCANCEL);
}

TEST_F(MainDialogTest, SystemMenuHoldsCloseThenTheAboutItem) {
    for (bool byKeyboard : {true, false}) {
        const auto items = drv.OpenSystemMenu(byKeyboard);
        ASSERT_EQ(items.size(), 3u);
        EXPECT_EQ(items[0].id, SC_CLOSE);
        EXPECT_EQ(items[1].flags, MF_SEPARATOR);
        EXPECT_EQ(items[2].id, 16u);
        EXPECT_EQ(items[2].text, CString(L"Velquorについて(&A)..."));
    }
}

TEST_F(MainDialogTest, SystemMenuCloseEndsTheRunWithCancel) {
    ASSERT_TRUE(drv.ChooseSystemMenuItem(SC_CLOSE));
    EXPECT_TRUE(dlg.HasEnded());
    EXPECT_EQ(dlg.ModalResult(), IDCANCEL);
}

// Collects what each nested modal run showed, then closes it one of three ways.
struct ModalRecorder {
    std::vector<UINT> templates;
    std::vector<std::vector<std::string>> texts;
    int closeWith = 0;  // 0: OK button, 1: Escape, 2: close box
    afx::ModalHook previous;
    ModalRecorder() {
        previous = afx::SetModalHook([this](CDialog& d) {
            auto nested = afx::DialogDriver::Attach(d);
            templates.push_back(d.TemplateId());
            std::vector<std::string> shown{Utf8(nested.Caption())};
            for (const CString& s : afx::testing::StaticTexts(d)) shown.push_back(Utf8(s));
            texts.push_back(shown);
            if (closeWith == 0) nested.Click(IDOK);
            else if (closeWith == 1) nested.Press(afx::Key::Escape);
            else nested.CloseBox();
            EXPECT_TRUE(d.HasEnded());
        });
    }
    ~ModalRecorder() { afx::SetModalHook(previous); }
};

TEST_F(MainDialogTest, AboutOpensOnlyFromTheSystemMenuAndChangesNothing) {
    ReplaceCount(L"42", true);
    ModalRecorder modal;
    for (int way = 0; way < 3; ++way) {
        modal.closeWith = way;
        ASSERT_TRUE(drv.ChooseSystemMenuItem(16));
    }
    ASSERT_EQ(modal.templates.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(modal.templates[i], 100u);
        EXPECT_EQ(modal.texts[i], modal.texts[0]);
    }
    EXPECT_EQ(modal.texts[0][0], "Velquor について");
    EXPECT_EQ(modal.texts[0][1], "Velquor、バージョン 1.0");
    EXPECT_FALSE(dlg.HasEnded());
    EXPECT_EQ(drv.Text(1033), CString(L"42"));
}

TEST_F(MainDialogTest, SystemCommandsSixteenToThirtyOneOpenAboutOthersGetDefaults) {
    ModalRecorder modal;
    for (UINT id = 16; id <= 31; ++id) dlg.CallWindowProc(WM_SYSCOMMAND, id, 0);
    EXPECT_EQ(modal.templates.size(), 16u);
    dlg.CallWindowProc(WM_SYSCOMMAND, 32, 0);
    dlg.CallWindowProc(WM_SYSCOMMAND, 0x10010, 0);  // upper bits are dropped: About again
    EXPECT_EQ(modal.templates.size(), 17u);
    EXPECT_FALSE(dlg.HasEnded());
    dlg.CallWindowProc(WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(dlg.HasEnded());
    EXPECT_EQ(dlg.ModalResult(), IDCANCEL);
}

TEST_F(MainDialogTest, VersionButtonShowsTheVersionBoxAndChangesNothing) {
    ModalRecorder modal;
    modal.closeWith = 1;
    ASSERT_TRUE(drv.Click(1026));
    ASSERT_TRUE(drv.Click(1026));
    ASSERT_EQ(modal.templates.size(), 2u);
    EXPECT_EQ(modal.templates[0], 130u);
    EXPECT_EQ(modal.texts[0], modal.texts[1]);
    EXPECT_EQ(modal.texts[0][0], "バージョン情報");
    EXPECT_EQ(modal.texts[0][1], "Lumorak ver2.0.7");
    EXPECT_EQ(modal.texts[0].size(), 11u);  // caption and ten lines
    EXPECT_EQ(drv.Text(1033), CString(L"100000"));
    EXPECT_FALSE(dlg.HasEnded());
}

TEST_F(MainDialogTest, EveryTextFitsItsControl) {
    EXPECT_EQ(afx::testing::ClippedTexts(dlg), std::vector<std::string>{});
}

TEST(MainDialogModalTest, ModalRunReturnsHowItWasClosed) {
    struct Way {
        std::function<void(afx::DialogDriver&)> close;
        INT_PTR expected;
    };
    const Way ways[] = {
        {[](afx::DialogDriver& d) { d.Click(1); }, IDOK},
        {[](afx::DialogDriver& d) { d.Press(afx::Key::Escape); }, IDCANCEL},
        {[](afx::DialogDriver& d) { d.CloseBox(); }, IDCANCEL},
        {[](afx::DialogDriver& d) {
             d.Press(afx::Key::Return, 1033);  // kept by the count field
             d.Press(afx::Key::Return, 1);     // presses the focused "終了"
         },
         IDOK},
    };
    for (const Way& way : ways) {
        afx::MessageBoxRecorder boxes;
        const afx::ModalHook previous = afx::SetModalHook([&](CDialog& d) {
            auto drv = afx::DialogDriver::Attach(d);
            way.close(drv);
        });
        CVelquorDlg dlg;
        EXPECT_EQ(dlg.DoModal(), way.expected);
        afx::SetModalHook(previous);
        EXPECT_TRUE(boxes.Shown().empty());
    }
}

}  // namespace
