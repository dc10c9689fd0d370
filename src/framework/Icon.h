// Icons: the layer's icon type and the .ico files it is read from.
#pragma once

#include <QIcon>
#include <QPixmap>

#include "WinDef.h"

#include <cstdint>
#include <span>

/// An icon resource with every image it holds.
class CIconImage {
public:
    QIcon icon;
    /// The icon at size by size pixels.
    QPixmap Pixmap(int size) const { return icon.pixmap(size, size); }
};

namespace afx {
/// Every 32-bit and PNG image of an .ico file as one icon; a null icon when
/// none can be read. Never reads outside the span.
QIcon IconFromIco(std::span<const std::uint8_t> icoFile);
/// The icon resource with that id; a null icon when there is none.
QIcon LoadIconResource(UINT id);
}  // namespace afx
