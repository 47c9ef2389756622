// A theme colour as Qt draws it.
#pragma once

#include "kit/ThemeRules.hpp"

#include <QColor>

namespace ZintraRadio {

inline QColor qtColor(const RGB& rgb, double alpha = 1) {
    return QColor::fromRgbF(static_cast<float>(rgb.red), static_cast<float>(rgb.green),
                            static_cast<float>(rgb.blue), static_cast<float>(alpha));
}

} // namespace ZintraRadio
