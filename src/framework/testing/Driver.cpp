#include "Driver.h"

#include "framework/DialogWindow.h"
#include "framework/EditControl.h"
#include "framework/QtApplication.h"
#include "framework/QtText.h"
#include "framework/Startup.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QTimer>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

#include <cstdio>
#include <cstdlib>

namespace afx {

// ---------------------------------------------------------------- application

namespace {
QtMessageHandler g_previousHandler = nullptr;

void QuietOffscreenWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QLatin1String("This plugin does not support"))) return;
    if (g_previousHandler) g_previousHandler(type, context, message);
    else std::fprintf(stderr, "%s\n", qPrintable(message));
}
}  // namespace

OffscreenApplication::OffscreenApplication(int& argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    m_app = std::make_unique<QtApplication>(argc, argv);
    // The offscreen platform warns about what it cannot do (raise a window,
    // grab the keyboard); nothing here needs either.
    g_previousHandler = qInstallMessageHandler(QuietOffscreenWarnings);
}

OffscreenApplication::~OffscreenApplication() = default;

// ---------------------------------------------------------------- message boxes

MessageBoxRecorder::MessageBoxRecorder() : m_previous(SetMessageBoxPresenter(this)) {}

MessageBoxRecorder::~MessageBoxRecorder() {
    SetMessageBoxPresenter(m_previous);
}

int MessageBoxRecorder::Show(const CString& text, const CString& caption, UINT type) {
    m_shown.push_back({text, caption, type});
    return IDOK;
}

std::vector<ShownMessageBox> MessageBoxRecorder::Take() {
    std::vector<ShownMessageBox> shown;
    shown.swap(m_shown);
    return shown;
}

// ---------------------------------------------------------------- driver

namespace {

void SendKey(QWidget* target, int key, Qt::KeyboardModifiers modifiers, const QString& text = QString()) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(target, &release);
}

}  // namespace

DialogDriver::DialogDriver(CDialog& dialog) : DialogDriver(dialog, true) {}

DialogDriver::DialogDriver(CDialog& dialog, bool create) : m_dialog(&dialog), m_owns(create) {
    if (create) {
        m_boxes = std::make_unique<MessageBoxRecorder>();
        dialog.Create();
        Flush();
        // The window is up: whatever fails from now on is the handlers' to report.
        EndStartup();
    }
}

DialogDriver DialogDriver::Attach(CDialog& dialog) {
    return DialogDriver(dialog, false);
}

DialogDriver::DialogDriver(DialogDriver&& other) noexcept
    : m_dialog(other.m_dialog), m_owns(other.m_owns), m_boxes(std::move(other.m_boxes)) {
    other.m_owns = false;
}

DialogDriver::~DialogDriver() {
    if (m_owns) m_dialog->DestroyWindow();
}

void DialogDriver::Flush() const {
    QApplication::processEvents();
    // Windows closed from within their own events go now, as the program's
    // event loop would delete them.
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QWidget* DialogDriver::ControlWidget(int id) const {
    auto* window = dynamic_cast<DialogWindow*>(m_dialog->Widget());
    return window ? window->ControlWidget(id) : nullptr;
}

void DialogDriver::Type(int id, const std::wstring& text) {
    QWidget* w = ControlWidget(id);
    if (!w) return;
    w->setFocus(Qt::OtherFocusReason);
    for (wchar_t ch : text) {
        if (ch == L'\n') {
            SendKey(w, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
            continue;
        }
        const QString s = QString::fromWCharArray(&ch, 1);
        const QChar q = s.at(0);
        int key = Qt::Key_unknown;
        if (q.unicode() < 0x80) key = QChar(q).toUpper().unicode();
        SendKey(w, key, Qt::NoModifier, s);
    }
    Flush();
}

void DialogDriver::Paste(int id, const std::wstring& text) {
    QWidget* w = ControlWidget(id);
    if (!w) return;
    w->setFocus(Qt::OtherFocusReason);
    QGuiApplication::clipboard()->setText(QString::fromStdWString(text));
    SendKey(w, Qt::Key_V, Qt::ControlModifier);
    Flush();
}

void DialogDriver::Press(Key key, int id) {
    QWidget* target = id ? ControlWidget(id) : QApplication::focusWidget();
    if (!target || target->window() != m_dialog->Widget()) {
        auto* window = dynamic_cast<DialogWindow*>(m_dialog->Widget());
        target = window && window->focusWidget() ? window->focusWidget() : m_dialog->Widget();
    }
    if (!target) return;
    if (id) target->setFocus(Qt::OtherFocusReason);
    switch (key) {
    case Key::Return: SendKey(target, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r")); break;
    case Key::Escape: SendKey(target, Qt::Key_Escape, Qt::NoModifier, QStringLiteral("\x1b")); break;
    case Key::Tab: SendKey(target, Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t")); break;
    case Key::BackTab: SendKey(target, Qt::Key_Backtab, Qt::ShiftModifier); break;
    case Key::Backspace: SendKey(target, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b")); break;
    case Key::Delete: SendKey(target, Qt::Key_Delete, Qt::NoModifier); break;
    case Key::End: SendKey(target, Qt::Key_End, Qt::NoModifier); break;
    case Key::Home: SendKey(target, Qt::Key_Home, Qt::NoModifier); break;
    case Key::SelectAll: SendKey(target, Qt::Key_A, Qt::ControlModifier); break;
    case Key::Cut: SendKey(target, Qt::Key_X, Qt::ControlModifier); break;
    case Key::AltSpace: SendKey(target, Qt::Key_Space, Qt::AltModifier, QStringLiteral(" ")); break;
    }
    Flush();
}

bool DialogDriver::Click(int id) {
    QWidget* w = ControlWidget(id);
    if (!w || !w->isVisibleTo(w->window()) || !w->isEnabled()) return false;
    const QPointF center(w->width() / 2.0, w->height() / 2.0);
    const QPointF global = w->mapToGlobal(center);
    QMouseEvent press(QEvent::MouseButtonPress, center, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, center, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
    Flush();
    return true;
}

void DialogDriver::Command(int id) {
    m_dialog->CallWindowProc(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED), 0);
    Flush();
}

void DialogDriver::CloseBox() {
    if (QWidget* w = m_dialog->Widget()) w->close();
    Flush();
}

CString DialogDriver::Text(int id) const {
    CString text;
    if (auto* window = dynamic_cast<DialogWindow*>(m_dialog->Widget())) {
        if (CWnd* control = window->Control(id)) control->GetWindowTextW(text);
    }
    return text;
}

bool DialogDriver::Exists(int id) const {
    return ControlWidget(id) != nullptr;
}

bool DialogDriver::Visible(int id) const {
    QWidget* w = ControlWidget(id);
    return w && w->isVisibleTo(w->window());
}

bool DialogDriver::Enabled(int id) const {
    QWidget* w = ControlWidget(id);
    return w && w->isEnabled();
}

bool DialogDriver::ReadOnly(int id) const {
    auto* edit = dynamic_cast<EditControl*>(ControlWidget(id));
    return edit && edit->isReadOnly();
}

int DialogDriver::FocusId() const {
    QWidget* window = m_dialog->Widget();
    if (!window) return 0;
    QWidget* focus = window->focusWidget();
    return focus ? focus->property("afxControlId").toInt() : 0;
}

CString DialogDriver::Caption() const {
    QWidget* w = m_dialog->Widget();
    return w ? FromQString(w->windowTitle()) : CString();
}

std::vector<CMenu::Item> DialogDriver::OpenSystemMenu(bool byKeyboard) {
    auto* window = dynamic_cast<DialogWindow*>(m_dialog->Widget());
    if (!window) return {};
    if (byKeyboard) {
        Press(Key::AltSpace);
    } else {
        const QPoint pos(2, window->height() - 2);
        QContextMenuEvent event(QContextMenuEvent::Mouse, pos, window->mapToGlobal(pos));
        QApplication::sendEvent(window, &event);
        Flush();
    }
    QMenu* menu = window->OpenSystemMenu();
    if (!menu) return {};
    std::vector<CMenu::Item> items;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator()) items.push_back({MF_SEPARATOR, 0, CString()});
        else items.push_back({MF_STRING, action->data().toUInt(), FromQString(action->text())});
    }
    return items;
}

bool DialogDriver::ChooseSystemMenuItem(UINT id, bool byKeyboard) {
    OpenSystemMenu(byKeyboard);
    auto* window = dynamic_cast<DialogWindow*>(m_dialog->Widget());
    QMenu* menu = window ? window->OpenSystemMenu() : nullptr;
    if (!menu) return false;
    for (QAction* action : menu->actions()) {
        if (!action->isSeparator() && action->data().toUInt() == id) {
            menu->close();
            action->trigger();
            Flush();
            return true;
        }
    }
    menu->close();
    Flush();
    return false;
}

std::vector<CMenu::Item> DialogDriver::RightClick(int id, UINT choose, bool byKeyboard) {
    QWidget* target = id ? ControlWidget(id) : m_dialog->Widget();
    if (!target) return {};
    std::vector<CMenu::Item> items;
    // The menu may wait in a loop of its own (TrackPopupMenu) or open and
    // return (the system menu, an edit field's menu): either way it is the
    // active popup once the events queued now are handled.
    QTimer::singleShot(0, target, [&items, choose] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return;
        QAction* chosen = nullptr;
        for (QAction* action : menu->actions()) {
            if (action->isSeparator()) {
                items.push_back({MF_SEPARATOR, 0, CString()});
                continue;
            }
            const UINT itemId = action->data().toUInt();
            items.push_back({MF_STRING | (action->isEnabled() ? 0 : MF_GRAYED), itemId, FromQString(action->text())});
            if (choose != 0 && itemId == choose) chosen = action;
        }
        if (!chosen) {
            menu->close();
            return;
        }
        menu->setActiveAction(chosen);
        SendKey(menu, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    });
    if (byKeyboard) target->setFocus(Qt::OtherFocusReason);
    const QPoint inside(target->width() / 2, target->height() / 2);
    QContextMenuEvent event(byKeyboard ? QContextMenuEvent::Keyboard : QContextMenuEvent::Mouse, inside,
                            target->mapToGlobal(inside));
    QApplication::sendEvent(target, &event);
    Flush();
    return items;
}

bool DialogDriver::RunUntil(const std::function<bool()>& done, int passes) {
    for (int i = 0; i < passes && !done(); ++i) Flush();
    return done();
}

std::vector<CDialog*> DialogDriver::OwnedDialogs() const {
    std::vector<CDialog*> dialogs;
    QWidget* window = m_dialog->Widget();
    if (!window) return dialogs;
    for (DialogWindow* owned : window->findChildren<DialogWindow*>(Qt::FindDirectChildrenOnly)) {
        if (owned->isVisible()) dialogs.push_back(&owned->Owner());
    }
    return dialogs;
}

}  // namespace afx
