#include "Wnd.h"

#include "Dialog.h"
#include "DialogWindow.h"
#include "EditControl.h"
#include "Font.h"
#include "Icon.h"
#include "QtText.h"
#include "WinApp.h"

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QWindow>
#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QWidget>

#include <map>
#include <new>
#include <stdexcept>
#include <typeinfo>

#include <cxxabi.h>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

/// How long UpdateWindow waits for a window just shown to be mapped: a
/// window manager answers within milliseconds; one that never does must not
/// hold the program.
constexpr qint64 kExposeWaitMilliseconds = 500;

}  // namespace

// ---------------------------------------------------------------- message maps

namespace afx {

const MessageMapEntry* FindEntry(const MessageMap* map, UINT message, WPARAM wParam) {
    for (; map; map = map->base) {
        for (const MessageMapEntry& e : map->entries) {
            if (e.message != message) continue;
            if (message == WM_COMMAND && (e.id != LOWORD(wParam) || e.code != HIWORD(wParam))) continue;
            return &e;
        }
    }
    return nullptr;
}

}  // namespace afx

const afx::MessageMap* CCmdTarget::GetMessageMap() const {
    static const afx::MessageMap map{nullptr, {}};
    return &map;
}

bool CCmdTarget::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    const afx::MessageMapEntry* entry = afx::FindEntry(GetMessageMap(), message, wParam);
    if (!entry) return false;
    const LRESULT r = entry->thunk(*this, wParam, lParam);
    if (result) *result = r;
    return true;
}

// ---------------------------------------------------------------- painting

CPaintDC::CPaintDC(CWnd* wnd) {
    if (wnd && wnd->Widget()) m_painter = std::make_unique<QPainter>(wnd->Widget());
}

CPaintDC::~CPaintDC() = default;

int GetSystemMetrics(int index) {
    switch (index) {
    case SM_CXICON:
    case SM_CYICON:
        return 32;
    default:
        return 0;
    }
}

BOOL DrawIcon(HDC dc, int x, int y, HICON icon) {
    if (!dc || !icon || !dc->Painter()) return FALSE;
    dc->Painter()->drawPixmap(x, y, icon->Pixmap(GetSystemMetrics(SM_CXICON)));
    return TRUE;
}

HICON AfxLoadIcon(UINT id) {
    // Icons load once and live for the whole process, as resource icons do.
    static std::map<UINT, std::unique_ptr<CIconImage>> cache;
    if (auto it = cache.find(id); it != cache.end()) return it->second.get();
    auto image = std::make_unique<CIconImage>();
    image->icon = afx::LoadIconResource(id);
    if (image->icon.isNull()) return nullptr;
    return cache.emplace(id, std::move(image)).first->second.get();
}

// ---------------------------------------------------------------- windows

CWnd::CWnd() = default;

CWnd::~CWnd() = default;

void CWnd::Attach(QWidget* widget, int id) {
    m_widget = widget;
    m_id = id;
}

void CWnd::Detach() {
    m_widget = nullptr;
}

void CWnd::GetWindowTextW(CString& text) const {
    if (!m_widget) {
        text.Empty();
        return;
    }
    QString q;
    if (auto* edit = dynamic_cast<afx::EditControl*>(m_widget)) q = edit->text();
    else if (auto* lines = dynamic_cast<afx::MultiLineEdit*>(m_widget)) q = lines->WindowText();
    else if (auto* button = dynamic_cast<QAbstractButton*>(m_widget)) q = button->text();
    else if (auto* label = dynamic_cast<QLabel*>(m_widget)) q = label->text();
    else q = m_widget->windowTitle();
    text = afx::FromQString(q);
}

void CWnd::SetWindowTextW(LPCWSTR text) {
    if (!m_widget) return;
    const QString q = afx::ToQString(text);
    if (auto* edit = dynamic_cast<afx::EditControl*>(m_widget)) edit->setText(q);
    else if (auto* lines = dynamic_cast<afx::MultiLineEdit*>(m_widget)) lines->SetWindowText(q);
    else if (auto* button = dynamic_cast<QAbstractButton*>(m_widget)) button->setText(q);
    else if (auto* label = dynamic_cast<QLabel*>(m_widget)) label->setText(q);
    else m_widget->setWindowTitle(q);
}

// Qt repaints a widget whose font changed: there is nothing to redraw by hand.
void CWnd::SetFont(CFont* font, BOOL /*redraw*/) {
    if (m_widget && font) m_widget->setFont(font->Font());
}

BOOL CWnd::EnableWindow(BOOL enable) {
    if (!m_widget) return FALSE;
    const bool wasDisabled = !m_widget->isEnabled();
    m_widget->setEnabled(enable != FALSE);
    return wasDisabled ? TRUE : FALSE;
}

void CWnd::GetWindowRect(RECT* rect) const {
    if (!rect) return;
    *rect = RECT{};
    if (!m_widget) return;
    const QRect frame = m_widget->isWindow() ? m_widget->frameGeometry()
                                             : QRect(m_widget->mapToGlobal(QPoint(0, 0)), m_widget->size());
    *rect = RECT{frame.left(), frame.top(), frame.left() + frame.width(), frame.top() + frame.height()};
}

CWnd* CWnd::GetDlgItem(int id) const {
    const afx::DialogWindow* dialog = dynamic_cast<afx::DialogWindow*>(m_widget);
    return dialog ? dialog->Control(id) : nullptr;
}

BOOL CWnd::IsIconic() const {
    return m_widget && m_widget->isMinimized();
}

void CWnd::GetClientRect(RECT* rect) const {
    if (!rect) return;
    *rect = RECT{};
    if (m_widget) {
        rect->right = m_widget->width();
        rect->bottom = m_widget->height();
    }
}

CMenu* CWnd::GetSystemMenu(BOOL revert) {
    auto* dialog = dynamic_cast<afx::DialogWindow*>(m_widget);
    if (!dialog || !dialog->HasSystemMenu()) return nullptr;
    if (revert) return nullptr;
    return &dialog->SystemMenu();
}

HICON CWnd::SetIcon(HICON icon, BOOL bigIcon) {
    HICON previous = bigIcon ? m_iconBig : m_iconSmall;
    (bigIcon ? m_iconBig : m_iconSmall) = icon;
    if (auto* dialog = dynamic_cast<afx::DialogWindow*>(m_widget)) dialog->SetIcons(m_iconBig, m_iconSmall);
    return previous;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return WindowProc(message, wParam, lParam);
}

void CWnd::UpdateWindow() {
    if (!m_widget) return;
    // A window shown a moment ago is drawn only once the window system has
    // mapped it. Wait for that, briefly and taking no user input meanwhile,
    // so that what is painted now is seen before the caller goes on working.
    const QWidget* top = m_widget->window();
    if (QWindow* handle = top->windowHandle(); handle != nullptr && top->isVisible()) {
        QElapsedTimer waited;
        waited.start();
        while (!handle->isExposed() && waited.elapsed() < kExposeWaitMilliseconds) {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
        }
    }
    m_widget->repaint();
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!m_widget) return FALSE;
    // Queued on the widget, the call goes with it when the widget is deleted;
    // a window object that let go of its widget meanwhile gets nothing.
    QWidget* widget = m_widget;
    QMetaObject::invokeMethod(
        widget,
        [this, widget, message, wParam, lParam] {
            if (m_widget == widget) CallWindowProc(message, wParam, lParam);
        },
        Qt::QueuedConnection);
    return TRUE;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    const CurrentMessage saved = m_current;
    m_current = {message, wParam, lParam};
    struct Restore {
        CWnd& wnd;
        CurrentMessage saved;
        ~Restore() { wnd.m_current = saved; }
    } restore{*this, saved};
    LRESULT result = 0;
    if (OnWndMsg(message, wParam, lParam, &result)) return result;
    return DefWindowProc(message, wParam, lParam);
}

void CWnd::OnContextMenu(CWnd* /*pWnd*/, CPoint /*point*/) {
    Default();
}

LRESULT CWnd::Default() {
    return DefWindowProc(m_current.message, m_current.wParam, m_current.lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETICON:
        return reinterpret_cast<LRESULT>(SetIcon(reinterpret_cast<HICON>(lParam), wParam == ICON_BIG));
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) return SendMessage(WM_CLOSE);
        return 0;
    default:
        return 0;
    }
}

namespace {

std::string TypeName(const std::exception& e) {
    int status = 0;
    char* name = abi::__cxa_demangle(typeid(e).name(), nullptr, nullptr, &status);
    std::string result = (status == 0 && name) ? name : typeid(e).name();
    std::free(name);
    return result;
}

// A handler gave up with an exception: the user is told in words what
// happened and what to do; the exception itself, which only a developer can
// read, goes to standard error.
void ReportFailure(UINT message, WPARAM wParam, const std::string& detail, const wchar_t* reason) {
    CString where;
    if (message == WM_COMMAND) where.Format(L"コントロール %d の処理を中止しました。", static_cast<int>(LOWORD(wParam)));
    else where = L"処理を中止しました。";
    if (message == WM_COMMAND) {
        std::fprintf(stderr, "velquor: control %d: %s\n", static_cast<int>(LOWORD(wParam)), detail.c_str());
    } else {
        std::fprintf(stderr, "velquor: message 0x%04x: %s\n", message, detail.c_str());
    }
    CString text;
    text.Format(L"%ls\r\n%ls", where.GetString(), reason);
    AfxMessageBox(text, MB_ICONHAND);
}

}  // namespace

LRESULT CWnd::CallWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // Exceptions stop here, where the message was dispatched: the user sees
    // what failed and the window goes on taking input.
    try {
        return WindowProc(message, wParam, lParam);
    } catch (const std::bad_alloc& e) {
        ReportFailure(message, wParam, TypeName(e) + ": " + e.what(),
                      L"メモリが不足しています。ほかのアプリケーションを閉じてから、もう一度操作してください。");
    } catch (const std::exception& e) {
        ReportFailure(message, wParam, TypeName(e) + ": " + e.what(),
                      L"処理中にエラーが発生しました。詳しい内容は標準エラー出力に書き出しました。");
    } catch (...) {
        ReportFailure(message, wParam, "an exception of unknown type",
                      L"処理中に不明なエラーが発生しました。");
    }
    return 0;
}
