// Drives dialogs without a person, for the test suite.
// It works the real widgets the way a user does (keys, paste, clicks) and
// records message boxes instead of letting them block.
#pragma once

#include "framework/Dialog.h"
#include "framework/WinApp.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace afx {

class QtApplication;

/// A Qt application on the offscreen platform, with numbers formatted the C way.
class OffscreenApplication {
public:
    OffscreenApplication(int& argc, char** argv);
    ~OffscreenApplication();
    OffscreenApplication(const OffscreenApplication&) = delete;
    OffscreenApplication& operator=(const OffscreenApplication&) = delete;

private:
    std::unique_ptr<QtApplication> m_app;
};

struct ShownMessageBox {
    CString text;
    CString caption;
    UINT type;
};

/// Records every message box while it exists (and answers IDOK).
class MessageBoxRecorder final : public MessageBoxPresenter {
public:
    MessageBoxRecorder();
    ~MessageBoxRecorder() override;
    int Show(const CString& text, const CString& caption, UINT type) override;
    std::vector<ShownMessageBox> Take();
    const std::vector<ShownMessageBox>& Shown() const { return m_shown; }

private:
    MessageBoxPresenter* m_previous;
    std::vector<ShownMessageBox> m_shown;
};

/// The keys a driver can press.
enum class Key { Return, Escape, Tab, BackTab, Backspace, Delete, End, Home, SelectAll, Cut, AltSpace };

class DialogDriver {
public:
    /// Creates the dialog's window (modeless) and shows it.
    explicit DialogDriver(CDialog& dialog);
    /// Works a dialog whose window already exists (a nested modal run).
    static DialogDriver Attach(CDialog& dialog);
    ~DialogDriver();
    DialogDriver(DialogDriver&&) noexcept;
    DialogDriver& operator=(DialogDriver&&) = delete;

    CDialog& Dialog() const { return *m_dialog; }

    /// Gives the control the focus and types the text one key at a time.
    /// "\n" presses Return.
    void Type(int id, const std::wstring& text);
    /// Puts the text on the clipboard and pastes it into the control with Ctrl+V.
    void Paste(int id, const std::wstring& text);
    /// Presses a key in the control with this id (0: the focused control or the dialog).
    void Press(Key key, int id = 0);
    /// Clicks the control with the mouse; false when it is hidden or disabled
    /// (a user could not click it) or missing.
    bool Click(int id);
    /// Sends WM_COMMAND(id, BN_CLICKED) as a program would, for controls no user can reach.
    void Command(int id);
    /// The close box of the window's frame.
    void CloseBox();

    CString Text(int id) const;
    bool Exists(int id) const;
    bool Visible(int id) const;
    bool Enabled(int id) const;
    bool ReadOnly(int id) const;
    /// Id of the control that has the keyboard focus; 0 when none of them has it.
    int FocusId() const;
    /// Caption of the dialog window.
    CString Caption() const;

    /// The system menu as its items; opened by Alt+Space (true) or a right-click (false).
    std::vector<CMenu::Item> OpenSystemMenu(bool byKeyboard = true);
    /// Opens the system menu and chooses the item with this id; false when there is none.
    bool ChooseSystemMenuItem(UINT id, bool byKeyboard = true);

    /// Right-clicks the control with this id (0: the dialog's background), or
    /// presses the menu key on it, and returns the items of the menu that
    /// opens (an edit field's own menu: its texts, ids 0; a greyed item with
    /// MF_GRAYED). Chooses the item with id choose as a user would; with 0
    /// the menu is dismissed. Empty when no menu opened.
    std::vector<CMenu::Item> RightClick(int id, UINT choose = 0, bool byKeyboard = false);

    /// Lets the event loop run as the program's does, a pass at a time, until
    /// done() holds or passes passes have gone; returns done(). For work a
    /// window posts to itself step by step.
    bool RunUntil(const std::function<bool()>& done, int passes = 100000);

    /// The modeless dialogs this dialog's window owns and shows, oldest first.
    std::vector<CDialog*> OwnedDialogs() const;

    MessageBoxRecorder& Boxes() { return *m_boxes; }

private:
    DialogDriver(CDialog& dialog, bool create);
    QWidget* ControlWidget(int id) const;
    void Flush() const;

    CDialog* m_dialog;
    bool m_owns;
    std::unique_ptr<MessageBoxRecorder> m_boxes;
};

}  // namespace afx
