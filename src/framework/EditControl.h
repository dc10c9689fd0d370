// The platform's edit control on a QLineEdit.
#pragma once

#include "WinDef.h"

#include <QLineEdit>

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

}  // namespace afx
