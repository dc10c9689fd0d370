// The framework's link control ("MfcLink") on a QAbstractButton.
#pragma once

#include "DialogData.h"

#include <QAbstractButton>

namespace afx {

/// A button that looks like a link and opens its address (or, with none, its caption).
class LinkControl : public QAbstractButton {
public:
    LinkControl(const QString& text, QWidget* parent);
    /// Takes the address, prefix and tooltip from the link's dialog-init settings.
    void Apply(const LinkSettings& settings);
    /// What a click opens: the prefix, then the address or the caption.
    QString Address() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    LinkSettings m_settings;
};

}  // namespace afx
