// The benchmark buttons' right-click menu and the machine-code box it opens,
// on the real main window: what the menu offers where, that the box belongs
// to the button clicked and leaves the window working, and what the box says
// when it samples or may not.
#include "TestUtil.h"
#include "dialog/VelquorDlg.h"
#include "disasm/KernelProfile.h"
#include "framework/testing/Driver.h"
#include "res/Resource.h"

#include <gtest/gtest.h>

#include <QPointer>
#include <QWidget>

#include <cerrno>
#include <string>
#include <vector>

namespace {

const CString kMenuText = L"計測ループの機械語を表示(&M)...";

class KernelMenuTest : public ::testing::Test {
protected:
    /// Opens the box of a button through its menu; nullptr when none opened.
    CDialog* OpenBox(int buttonId) {
        drv.RightClick(buttonId, res::ID_KERNEL_DISASM);
        const std::vector<CDialog*> boxes = drv.OwnedDialogs();
        return boxes.empty() ? nullptr : boxes.back();
    }
    static std::string Text(CDialog& box, int id) { return Utf8(afx::DialogDriver::Attach(box).Text(id)); }

    CVelquorDlg dlg;
    afx::DialogDriver drv{dlg};
};

TEST_F(KernelMenuTest, ARightClickOnABenchmarkButtonOffersItsMachineCodeAndItsBuilds) {
    for (int id : {1000, 1004, 1014, 1043}) {
        const std::vector<CMenu::Item> items = drv.RightClick(id);
        ASSERT_EQ(items.size(), 3u) << id;
        EXPECT_EQ(items[0].id, res::ID_KERNEL_DISASM);
        EXPECT_EQ(items[0].text, kMenuText);
        EXPECT_EQ(items[1].id, res::ID_KERNEL_VARIANTS);
        EXPECT_EQ(items[1].text, CString(L"ビルドの違いを比べる(&B)..."));
        EXPECT_EQ(items[2].id, res::ID_KERNEL_SWEEP);
    }
    // The menu key on a focused button offers the same.
    const std::vector<CMenu::Item> byKey = drv.RightClick(1008, 0, true);
    ASSERT_EQ(byKey.size(), 3u);
    EXPECT_EQ(byKey[0].id, res::ID_KERNEL_DISASM);
    EXPECT_EQ(byKey[1].id, res::ID_KERNEL_VARIANTS);
    EXPECT_TRUE(drv.OwnedDialogs().empty()) << "a dismissed menu opens nothing";
}

TEST_F(KernelMenuTest, AnywhereElseTheSystemMenuOpensWithTheAboutItem) {
    // The edit fields keep their own menus (QtApplicationTest).
    for (int id : {0, 1026, 1}) {
        const std::vector<CMenu::Item> items = drv.RightClick(id);
        ASSERT_FALSE(items.empty()) << id;
        EXPECT_EQ(items.front().id, SC_CLOSE) << id;
        EXPECT_EQ(items.back().id, res::IDM_ABOUTBOX) << id;
    }
    EXPECT_TRUE(drv.OwnedDialogs().empty());
}

TEST_F(KernelMenuTest, TheItemOpensAModelessBoxWithThatButtonsKernel) {
    CDialog* at = OpenBox(1004);
    ASSERT_NE(at, nullptr);
    EXPECT_FALSE(at->Widget()->isModal());
    const std::string caption = Utf8(afx::DialogDriver::Attach(*at).Caption());
    EXPECT_EQ(caption, "計測ループの機械語 - 1004 vector<int>配列 at()");
    const std::string listing = Text(*at, res::IDC_DISASM_LISTING);
    EXPECT_EQ(listing.rfind("bench::FillVectorAt(int): 計測区間、Intel 構文\r\nループ: 命令 ", 0), 0u) << listing;
    EXPECT_NE(listing.find("std::__throw_out_of_range"), std::string::npos);
    EXPECT_NE(Text(*at, res::IDC_DISASM_NOTICE).find("処理回数 100000"), std::string::npos);

    // A second box, for another button, stands beside the first.
    CDialog* index = OpenBox(1008);
    ASSERT_NE(index, nullptr);
    EXPECT_NE(index, at);
    EXPECT_EQ(drv.OwnedDialogs().size(), 2u);
    EXPECT_NE(Text(*index, res::IDC_DISASM_LISTING).find("bench::FillVectorIndex(int)"), std::string::npos);
}

TEST_F(KernelMenuTest, TheWindowRunsClicksWhileTheBoxIsOpenAndClosesIt) {
    CDialog* box = OpenBox(1000);
    ASSERT_NE(box, nullptr);
    const QPointer<QWidget> boxWindow = box->Widget();
    ASSERT_TRUE(drv.Click(1000));
    ASSERT_TRUE(drv.Click(1008));
    EXPECT_TRUE(Utf8(drv.Text(1001)).ends_with("ms"));
    EXPECT_TRUE(Utf8(drv.Text(1009)).ends_with("ms"));
    EXPECT_EQ(drv.OwnedDialogs().size(), 1u);

    // Its own button closes it; the window stays.
    ASSERT_TRUE(afx::DialogDriver::Attach(*box).Click(IDCANCEL));
    EXPECT_TRUE(boxWindow.isNull());
    EXPECT_TRUE(drv.OwnedDialogs().empty());
    EXPECT_TRUE(drv.Click(1004));

    // A box still open when the main window goes goes with it.
    const QPointer<QWidget> second = OpenBox(1012)->Widget();
    dlg.DestroyWindow();
    EXPECT_TRUE(second.isNull());
}

TEST_F(KernelMenuTest, SamplingShowsTheSharesOrInOneLineWhyNot) {
    const disasm::PerfEventOpen refuse = [](perf_event_attr&) {
        errno = EACCES;
        return -1;
    };
    for (const bool refused : {false, true}) {
        SCOPED_TRACE(refused ? "refused" : "sampled");
        const disasm::PerfEventOpen previous = refused ? disasm::SetPerfEventOpen(refuse) : nullptr;
        CDialog* box = OpenBox(1022);
        ASSERT_NE(box, nullptr);
        const std::string before = Text(*box, res::IDC_DISASM_LISTING);
        afx::DialogDriver::Attach(*box).Click(res::IDC_DISASM_SAMPLE);
        if (refused) disasm::SetPerfEventOpen(previous);
        const std::string notice = Text(*box, res::IDC_DISASM_NOTICE);
        const std::string after = Text(*box, res::IDC_DISASM_LISTING);
        if (!refused) {
            if (notice.find("sampling refused") != std::string::npos) continue;  // this machine does not sample
            EXPECT_NE(notice.find("サンプル"), std::string::npos) << notice;
            EXPECT_NE(notice.find("計測ループ内"), std::string::npos) << notice;
            EXPECT_TRUE(after.find("% #") != std::string::npos || after.find("% .") != std::string::npos)
                << "a bar beside a share";
            EXPECT_NE(after.find("計測区間の外:"), std::string::npos);
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

}  // namespace
