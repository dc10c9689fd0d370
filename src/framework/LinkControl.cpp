#include "LinkControl.h"

#include <QDesktopServices>
#include <QPainter>
#include <QUrl>

namespace afx {

LinkControl::LinkControl(const QString& text, QWidget* parent) : QAbstractButton(parent) {
    setText(text);
    setCursor(Qt::PointingHandCursor);
    connect(this, &QAbstractButton::clicked, this, [this] {
        const QString address = Address();
        if (!address.isEmpty()) QDesktopServices::openUrl(QUrl(address));
    });
}

void LinkControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QFont underlined = font();
    underlined.setUnderline(true);
    painter.setFont(underlined);
    painter.setPen(palette().color(QPalette::Link));
    const QRect text = rect().adjusted(1, 0, -1, 0);
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, this->text());
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Link), 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void LinkControl::Apply(const LinkSettings& settings) {
    m_settings = settings;
    QString tip = QString::fromStdString(settings.tooltip);
    if (tip.isEmpty() && settings.fullTextTooltip) tip = text();
    if (tip.isEmpty()) tip = Address();
    setToolTip(tip);
}

QString LinkControl::Address() const {
    // With no address of its own the link opens its caption.
    const QString url = m_settings.url.empty() ? text() : QString::fromStdString(m_settings.url);
    return QString::fromStdString(m_settings.urlPrefix) + url;
}

}  // namespace afx
