// Inside the layer: an image as the bytes of a PNG file, for the charts.
#pragma once

#include <QImage>

#include <optional>
#include <string>

namespace afx {

/// The image encoded as PNG; none only when the encoder fails.
std::optional<std::string> PngBytes(const QImage& image);

}  // namespace afx
