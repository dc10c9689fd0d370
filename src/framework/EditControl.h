// The platform's edit control: a one-line box on a QLineEdit, and a
// multi-line one with scroll bars on a QPlainTextEdit.
#pragma once

#include "WinDef.h"

#include <QLineEdit>
#include <QPlainTextEdit>

#include <functional>

namespace afx {

/// An edit control: multi-line edits keep Return, digits-only edits refuse
/// other typed characters (pasted text passes), and only user changes raise
/// EN_CHANGE. The text may hold line breaks (a pasted "\r\n" stays as it is),
/// as a multi-line edit's text does; the box shows one line of it.
class EditControl : public QLineEdit {
public:
    /// An edit with the template's ES_* and WS_BORDER style bits.
    EditControl(DWORD style, QWidget* parent);
    /// Called after every change the user makes (typing, deleting, cutting,
    /// pasting, undo), never for text the program sets.
    std::function<void()> onUserChange;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    DWORD m_style;
};

/// A multi-line edit with scroll bars (ES_MULTILINE with WS_VSCROLL): it
/// shows every line of its text. Lines are not wrapped where the style
/// scrolls sideways (WS_HSCROLL or ES_AUTOHSCROLL).
class MultiLineEdit : public QPlainTextEdit {
public:
    /// An edit with the template's ES_* and WS_* style bits.
    MultiLineEdit(DWORD style, QWidget* parent);
    /// The text with its line breaks as "\r\n", as the platform gives it.
    QString WindowText() const;
    /// Replaces the text; "\r\n" and "\n" both break lines.
    void SetWindowText(const QString& text);
};

}  // namespace afx
