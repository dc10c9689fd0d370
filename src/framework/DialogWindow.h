// The dialog window: the widgets a dialog template describes, and the
// messages its controls and frame send to the dialog's message map.
#pragma once

#include "DialogUnits.h"
#include "Resources.h"
#include "Wnd.h"

#include <QDialog>
#include <QMenu>
#include <QPointer>

#include <map>
#include <memory>
#include <vector>

class CDialog;
class QContextMenuEvent;

namespace afx {

/// A dialog window built from a template. It keeps the template's size.
class DialogWindow : public QDialog {
public:
    DialogWindow(CDialog& owner, const DialogTemplate& tmpl, QWidget* parent);
    ~DialogWindow() override;

    /// The dialog this window belongs to.
    CDialog& Owner() const { return m_owner; }
    /// The wrapper of the control with this id, or nullptr.
    CWnd* Control(int id) const;
    /// The widget of the control with this id, or nullptr.
    QWidget* ControlWidget(int id) const;
    /// Controls in creation order.
    const std::vector<QWidget*>& Controls() const { return m_controls; }

    CMenu& SystemMenu() { return m_systemMenu; }
    bool HasSystemMenu() const { return m_hasSystemMenu; }
    /// Opens the system menu at a global position; returns the open popup.
    QMenu* ShowSystemMenu(const QPoint& globalPos);
    /// The system menu while it is open, else nullptr.
    QMenu* OpenSystemMenu() const { return m_openMenu.data(); }

    /// Focus to the first visible, enabled tab stop.
    void FocusFirstTabStop();
    /// The default painting of the paint message being handled.
    void DefaultPaint();
    /// The window's icon: the big one, else the small one.
    void SetIcons(HICON big, HICON small);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Build(const DialogTemplate& tmpl);
    QWidget* MakeControl(const ControlTemplate& c);
    void SendCommand(int id, WORD code);
    /// WM_CONTEXTMENU for a right-click on clicked (a control, or the dialog itself).
    void SendContextMenu(CWnd* clicked, const QContextMenuEvent& event);
    void PressDefaultButton();

    CDialog& m_owner;
    std::vector<QWidget*> m_controls;
    std::vector<DWORD> m_controlStyles;
    std::map<int, std::unique_ptr<CWnd>> m_wrappers;
    CMenu m_systemMenu;
    bool m_hasSystemMenu = false;
    QPointer<QMenu> m_openMenu;
    QPaintEvent* m_paintEvent = nullptr;
};

}  // namespace afx
