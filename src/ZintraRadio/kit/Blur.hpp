// A Gaussian blur for QImage, approximated by three box blurs (one pass each way per box).
// Glows and the drawn icon's shadows use it; deterministic, so equal inputs give equal bytes.
#pragma once

class QImage;

namespace ZintraRadio {

// Blurs `image` in place with standard deviation `sigma` pixels (no-op for sigma < 0.5).
// The image is converted to premultiplied ARGB first when it is not already.
void gaussianBlur(QImage& image, double sigma);

} // namespace ZintraRadio
