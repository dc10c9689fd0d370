// Menus: the items of a window's system menu, and popup menus that a program
// builds, shows at a point and tracks until the user chooses.
#pragma once

#include "AfxString.h"
#include "WinDef.h"

#include <vector>

class CWnd;
class QMenu;
class QWidget;

/// A menu as items; the layer turns it into a real popup when it is shown.
class CMenu {
public:
    struct Item {
        UINT flags;  ///< MF_STRING or MF_SEPARATOR; MF_GRAYED with MF_STRING
        UINT id;
        CString text;
    };

    static CMenu* FromHandle(HMENU menu) { return menu; }
    /// Makes this an empty popup menu, ready for AppendMenuW.
    BOOL CreatePopupMenu();
    BOOL AppendMenuW(UINT flags, UINT id = 0, LPCWSTR text = nullptr);
    const std::vector<Item>& Items() const { return m_items; }

    /// Shows the menu with its top-left corner at (x, y) on the screen and
    /// waits until the user chooses an item or dismisses the menu. With
    /// TPM_RETURNCMD it returns the chosen item's id (0 when none was chosen)
    /// and sends nothing; otherwise the choice goes to owner as
    /// WM_COMMAND(id) and it returns whether an item was chosen.
    BOOL TrackPopupMenu(UINT flags, int x, int y, CWnd* owner);

private:
    std::vector<Item> m_items;
};

namespace afx {

/// A Qt popup holding the items of menu, as a child of parent and in its
/// font; each action carries its item's id as data.
QMenu* MakeQMenu(const CMenu& menu, QWidget* parent);

}  // namespace afx
