#include "EditControl.h"

#include <QApplication>
#include <QKeyEvent>

namespace afx {

EditControl::EditControl(DWORD style, QWidget* parent) : QLineEdit(parent), m_style(style) {
    setReadOnly((style & ES_READONLY) != 0);
    setFrame((style & WS_BORDER) != 0);
    // textEdited comes for what the user does, never for setText.
    connect(this, &QLineEdit::textEdited, this, [this] {
        if (onUserChange) onUserChange();
    });
}

void EditControl::keyPressEvent(QKeyEvent* event) {
    const bool isReturn = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (isReturn) {
        // A multi-line edit that wants Return keeps it; otherwise it goes to the dialog.
        if (!(m_style & ES_MULTILINE) || !(m_style & ES_WANTRETURN)) {
            event->ignore();
            return;
        }
        event->accept();
        if ((m_style & ES_NUMBER) || isReadOnly()) {
            QApplication::beep();
            return;
        }
        insert(QStringLiteral("\r\n"));  // raises textEdited like any edit
        return;
    }
    const bool command = (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0;
    const QString typed = event->text();
    const bool printable = !typed.isEmpty() && typed.at(0).isPrint();
    if (!command && printable && !isReadOnly()) {
        if (m_style & ES_NUMBER) {
            for (const QChar ch : typed) {
                if (ch < QLatin1Char('0') || ch > QLatin1Char('9')) {
                    QApplication::beep();
                    event->accept();
                    return;
                }
            }
        }
        if ((m_style & ES_LOWERCASE) && typed != typed.toLower()) {
            insert(typed.toLower());
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

MultiLineEdit::MultiLineEdit(DWORD style, QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly((style & ES_READONLY) != 0);
    setFrameShape((style & WS_BORDER) ? QFrame::StyledPanel : QFrame::NoFrame);
    setVerticalScrollBarPolicy((style & WS_VSCROLL) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy((style & WS_HSCROLL) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    const bool scrollsSideways = (style & (WS_HSCROLL | ES_AUTOHSCROLL)) != 0;
    setLineWrapMode(scrollsSideways ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
    // Tab moves the focus on, as in any dialog.
    setTabChangesFocus(true);
}

QString MultiLineEdit::WindowText() const {
    return toPlainText().replace(QLatin1Char('\n'), QLatin1String("\r\n"));
}

void MultiLineEdit::SetWindowText(const QString& text) {
    setPlainText(QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")));
}

}  // namespace afx
