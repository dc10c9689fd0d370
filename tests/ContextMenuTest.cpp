// The layer's right-click messages, popup menus and modeless dialogs, on a
// dialog of the tests' own (the version box's template, whose only control
// with an id is its OK button).
#include "TestUtil.h"
#include "framework/testing/Driver.h"
#include "res/Resource.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QWidget>

#include <vector>

namespace {

constexpr UINT kFirstCommand = 40001;
constexpr UINT kSecondCommand = 40002;

class MenuDlg : public CDialogEx {
public:
    MenuDlg() : CDialogEx(res::IDD_VERSION) {}
    const afx::MessageMap* GetMessageMap() const override {
        static constexpr afx::MessageMapEntry entries[] = {
            afx::OnMessage<&MenuDlg::OnContextMenu>(WM_CONTEXTMENU),
            afx::OnCommand<&MenuDlg::OnSecond>(kSecondCommand, 0),
        };
        static const afx::MessageMap map{CDialogEx::GetMessageMap(), entries};
        return &map;
    }

    /// What OnContextMenu saw: the id of the window clicked and the point.
    struct Click {
        int id;
        CPoint point;
    };
    std::vector<Click> clicks;
    /// Whether the handler tracks a menu of its own (else: the default menus).
    bool ownMenu = false;
    UINT trackFlags = TPM_RETURNCMD;
    BOOL tracked = -1;
    int secondCommands = 0;

private:
    void OnContextMenu(CWnd* pWnd, CPoint point) {
        clicks.push_back({pWnd == this ? 0 : pWnd->GetDlgCtrlID(), point});
        if (!ownMenu) {
            CDialogEx::OnContextMenu(pWnd, point);
            return;
        }
        CMenu menu;
        menu.CreatePopupMenu();
        menu.AppendMenuW(MF_STRING, kFirstCommand, L"一つ目");
        menu.AppendMenuW(MF_SEPARATOR);
        menu.AppendMenuW(MF_STRING, kSecondCommand, L"二つ目");
        tracked = menu.TrackPopupMenu(trackFlags, point.x, point.y, this);
    }
    void OnSecond() { ++secondCommands; }
};

/// A modeless box on the About template that counts its PostNcDestroy calls
/// and closes itself on Esc, as a modeless dialog does.
class ModelessDlg : public CDialogEx {
public:
    explicit ModelessDlg(int& destroyedCount) : CDialogEx(res::IDD_ABOUTBOX), m_destroyed(destroyedCount) {}

protected:
    void OnCancel() override { DestroyWindow(); }
    void PostNcDestroy() override { ++m_destroyed; }

private:
    int& m_destroyed;
};

TEST(ContextMenuTest, ARightClickNamesTheControlOrTheDialogAndTheScreenPoint) {
    MenuDlg dlg;
    afx::DialogDriver drv(dlg);
    drv.RightClick(IDOK);
    drv.RightClick(0);
    drv.RightClick(IDOK, 0, true);
    ASSERT_EQ(dlg.clicks.size(), 3u);
    EXPECT_EQ(dlg.clicks[0].id, IDOK);
    QWidget* ok = dlg.GetDlgItem(IDOK)->Widget();
    const QPoint centre = ok->mapToGlobal(QPoint(ok->width() / 2, ok->height() / 2));
    EXPECT_EQ(dlg.clicks[0].point, CPoint(centre.x(), centre.y()));
    EXPECT_EQ(dlg.clicks[1].id, 0);
    // The menu key sends no point: the handler places the menu itself.
    EXPECT_EQ(dlg.clicks[2].id, IDOK);
    EXPECT_EQ(dlg.clicks[2].point, CPoint(-1, -1));
}

TEST(ContextMenuTest, AClickNobodyHandlesOpensTheSystemMenu) {
    MenuDlg dlg;
    afx::DialogDriver drv(dlg);
    for (int id : {IDOK, 0}) {
        for (bool byKeyboard : {false, true}) {
            const std::vector<CMenu::Item> items = drv.RightClick(id, 0, byKeyboard);
            ASSERT_FALSE(items.empty()) << id << " " << byKeyboard;
            EXPECT_EQ(items.front().id, SC_CLOSE);
        }
    }
}

TEST(ContextMenuTest, APopupMenuReturnsTheChoiceOrSendsItAsACommand) {
    MenuDlg dlg;
    dlg.ownMenu = true;
    afx::DialogDriver drv(dlg);
    const std::vector<CMenu::Item> items = drv.RightClick(IDOK, kSecondCommand);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].id, kFirstCommand);
    EXPECT_EQ(items[0].text, CString(L"一つ目"));
    EXPECT_EQ(items[1].flags, MF_SEPARATOR);
    EXPECT_EQ(dlg.tracked, static_cast<BOOL>(kSecondCommand));
    EXPECT_EQ(dlg.secondCommands, 0) << "TPM_RETURNCMD sends nothing";

    drv.RightClick(IDOK);
    EXPECT_EQ(dlg.tracked, 0) << "dismissed";

    dlg.trackFlags = TPM_LEFTALIGN | TPM_RIGHTBUTTON;
    drv.RightClick(IDOK, kSecondCommand);
    EXPECT_EQ(dlg.tracked, TRUE);
    EXPECT_EQ(dlg.secondCommands, 1);
}

TEST(ModelessDialogTest, ItLeavesItsOwnerWorkingAndGoesWithTheOwnersWindow) {
    MenuDlg owner;
    int destroyed = 0;
    ModelessDlg box(destroyed);
    QPointer<QWidget> boxWindow;
    {
        afx::DialogDriver drv(owner);
        ASSERT_TRUE(box.Create(res::IDD_ABOUTBOX, &owner));
        boxWindow = box.Widget();
        ASSERT_EQ(drv.OwnedDialogs(), std::vector<CDialog*>{&box});
        EXPECT_FALSE(boxWindow->isModal());
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        EXPECT_EQ(destroyed, 0);
    }
    EXPECT_TRUE(boxWindow.isNull());
    EXPECT_EQ(box.Widget(), nullptr);
    EXPECT_EQ(destroyed, 1);
}

TEST(ModelessDialogTest, ClosedFromItsOwnKeyItGoesOnceQtIsDoneWithTheKey) {
    MenuDlg owner;
    afx::DialogDriver drv(owner);
    int destroyed = 0;
    ModelessDlg box(destroyed);
    ASSERT_TRUE(box.Create(res::IDD_ABOUTBOX, &owner));
    const QPointer<QWidget> boxWindow = box.Widget();
    afx::DialogDriver::Attach(box).Press(afx::Key::Escape);
    EXPECT_TRUE(boxWindow.isNull());
    EXPECT_EQ(destroyed, 1);
    EXPECT_TRUE(drv.OwnedDialogs().empty());
}

}  // namespace
