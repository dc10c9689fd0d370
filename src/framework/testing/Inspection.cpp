#include "Inspection.h"

#include "framework/DialogWindow.h"
#include "framework/QtText.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

#include <memory>

namespace afx::testing {
namespace {

const DialogWindow* WindowOf(const CDialog& dialog) {
    return dynamic_cast<const DialogWindow*>(dialog.Widget());
}

QWidget* ControlOf(const CDialog& dialog, int id) {
    const DialogWindow* window = WindowOf(dialog);
    return window ? window->ControlWidget(id) : nullptr;
}

}  // namespace

PixelRect Geometry(const CDialog& dialog, int id) {
    const QWidget* w = ControlOf(dialog, id);
    if (!w) return {0, 0, 0, 0};
    const QRect r = w->geometry();
    return {r.x(), r.y(), r.width(), r.height()};
}

PixelRect ClientSize(const CDialog& dialog) {
    const QWidget* w = dialog.Widget();
    return w ? PixelRect{0, 0, w->width(), w->height()} : PixelRect{0, 0, 0, 0};
}

std::vector<CString> StaticTexts(const CDialog& dialog) {
    std::vector<CString> texts;
    const DialogWindow* window = WindowOf(dialog);
    if (!window) return texts;
    for (QWidget* w : window->Controls()) {
        if (auto* label = dynamic_cast<QLabel*>(w); label && label->pixmap().isNull()) {
            texts.push_back(FromQString(label->text()));
        }
    }
    return texts;
}

std::string FontFamily(const CDialog& dialog) {
    const QWidget* w = dialog.Widget();
    return w ? QFontInfo(w->font()).family().toStdString() : std::string();
}

std::vector<std::string> ClippedTexts(const CDialog& dialog) {
    std::vector<std::string> clipped;
    const DialogWindow* window = WindowOf(dialog);
    if (!window) return clipped;
    for (QWidget* w : window->Controls()) {
        if (!w->isVisibleTo(window)) continue;
        QString text;
        int room = w->width();
        if (auto* label = dynamic_cast<QLabel*>(w)) {
            if (!label->pixmap().isNull()) continue;
            text = label->text();
        } else if (auto* button = dynamic_cast<QPushButton*>(w)) {
            text = button->text().remove(QLatin1Char('&'));
            room -= 4;  // the button's own frame
        } else {
            continue;
        }
        const QFontMetrics metrics(w->font());
        if (metrics.horizontalAdvance(text) > room || metrics.height() > w->height()) {
            clipped.push_back(text.toStdString());
        }
    }
    return clipped;
}

std::vector<std::string> EditMenuTexts(const CDialog& dialog, int id) {
    std::vector<std::string> texts;
    auto* edit = dynamic_cast<QLineEdit*>(ControlOf(dialog, id));
    if (!edit) return texts;
    const std::unique_ptr<QMenu> menu(edit->createStandardContextMenu());
    for (const QAction* action : menu->actions()) {
        if (action->isSeparator()) continue;
        // "元に戻す(&U)\tCtrl+Z" reads "元に戻す(U)".
        QString text = action->text().section(QLatin1Char('\t'), 0, 0);
        text.remove(QLatin1Char('&'));
        texts.push_back(text.toStdString());
    }
    return texts;
}

}  // namespace afx::testing
