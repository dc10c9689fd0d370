// Windows: a CWnd wraps one widget and knows its control id. A window's text
// lives in the widget, so the layer keeps no second copy of it.
#pragma once

#include "AfxString.h"
#include "Menu.h"
#include "MessageMap.h"
#include "WinDef.h"

#include <memory>
#include <vector>

class QWidget;
class QPainter;
class CWnd;

/// An icon with all of its images (the layer picks the size it needs).
class CIconImage;

class CFont;

/// A paint context on a window, open while its paint message is handled.
class CPaintDC {
public:
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC();
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;
    HDC GetSafeHdc() { return this; }
    QPainter* Painter() const { return m_painter.get(); }

private:
    std::unique_ptr<QPainter> m_painter;
};

class CWnd : public CCmdTarget {
public:
    CWnd();
    ~CWnd() override;

    /// Reads the window's whole text (line breaks as "\r\n").
    void GetWindowTextW(CString& text) const;
    /// Replaces the window's text. Raises no change notification.
    void SetWindowTextW(LPCWSTR text);

    /// Draws the window's text in font from now on; the font must outlive the window.
    void SetFont(CFont* font, BOOL redraw = TRUE);
    /// Lets the user work the window (TRUE) or greys it out (FALSE).
    BOOL EnableWindow(BOOL enable = TRUE);
    /// Paints the window and its controls now, before the handler that asks
    /// it returns: what a long handler has set so far is seen while it runs.
    void UpdateWindow();
    /// The window's frame on the screen, in pixels.
    void GetWindowRect(RECT* rect) const;

    int GetDlgCtrlID() const { return m_id; }
    /// The child control with this id, or nullptr.
    CWnd* GetDlgItem(int id) const;
    BOOL IsIconic() const;
    void GetClientRect(RECT* rect) const;
    /// The window's system menu, or nullptr when it has none.
    CMenu* GetSystemMenu(BOOL revert);
    HICON SetIcon(HICON icon, BOOL bigIcon);

    /// Delivers a message to this window now, through its message map.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    /// Queues a message for this window: it is delivered through the message
    /// map after the events already waiting (a new window's showing and
    /// painting), and dropped when the window has gone by then. FALSE
    /// without a window.
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    /// Default processing of the message being handled.
    LRESULT Default();

    // For the layer: the widget this window wraps.
    QWidget* Widget() const { return m_widget; }
    void Attach(QWidget* widget, int id);
    void Detach();

    /// Message entry point for the layer: dispatch, and catch what a handler
    /// throws so that the window goes on.
    LRESULT CallWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

protected:
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    /// Default processing of a right-click on pWnd at point (WM_CONTEXTMENU).
    void OnContextMenu(CWnd* pWnd, CPoint point);
    /// True while one of this window's messages is being handled.
    bool InMessage() const { return m_current.message != 0; }
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    struct CurrentMessage {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };

private:
    QWidget* m_widget = nullptr;
    int m_id = 0;
    CurrentMessage m_current{0, 0, 0};
    HICON m_iconBig = nullptr;
    HICON m_iconSmall = nullptr;
    std::unique_ptr<CMenu> m_systemMenu;
};

class CEdit : public CWnd {};

/// The platform's system metrics the program asks for.
int GetSystemMetrics(int index);
/// Draws the icon at (x, y) on a paint context, at the system's icon size.
BOOL DrawIcon(HDC dc, int x, int y, HICON icon);
/// The icon resource with this id at the system's large-icon size, or nullptr.
HICON AfxLoadIcon(UINT id);
