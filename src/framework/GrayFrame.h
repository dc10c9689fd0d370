// The platform's gray-frame static control.
#pragma once

#include <QWidget>

namespace afx {

/// A static frame drawn as a gray outline.
class GrayFrame : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace afx
