#include "Menu.h"

#include "QtText.h"
#include "Wnd.h"

#include <QAction>
#include <QMenu>

#include <memory>

BOOL CMenu::CreatePopupMenu() {
    m_items.clear();
    return TRUE;
}

BOOL CMenu::AppendMenuW(UINT flags, UINT id, LPCWSTR text) {
    m_items.push_back({flags, id, CString(text)});
    return TRUE;
}

BOOL CMenu::TrackPopupMenu(UINT flags, int x, int y, CWnd* owner) {
    QWidget* parent = owner != nullptr ? owner->Widget() : nullptr;
    const std::unique_ptr<QMenu> menu(afx::MakeQMenu(*this, parent));
    const QAction* chosen = menu->exec(QPoint(x, y));
    const UINT id = chosen != nullptr ? chosen->data().toUInt() : 0;
    if (flags & TPM_RETURNCMD) return static_cast<BOOL>(id);
    if (id != 0 && owner != nullptr && !(flags & TPM_NONOTIFY)) {
        owner->CallWindowProc(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), 0), 0);
    }
    return id != 0 ? TRUE : FALSE;
}

namespace afx {

QMenu* MakeQMenu(const CMenu& menu, QWidget* parent) {
    auto* popup = new QMenu(parent);
    if (parent != nullptr) popup->setFont(parent->font());
    for (const CMenu::Item& item : menu.Items()) {
        if (item.flags & MF_SEPARATOR) {
            popup->addSeparator();
            continue;
        }
        QAction* action = popup->addAction(ToQString(item.text.GetString()));
        action->setData(item.id);
        action->setEnabled(!(item.flags & MF_GRAYED));
    }
    return popup;
}

}  // namespace afx
