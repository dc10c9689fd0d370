#include "GrayFrame.h"

#include <QPainter>

namespace afx {

void GrayFrame::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(QColor(0x80, 0x80, 0x80));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace afx
