#include "shell/MiniSpectrum.hpp"

#include "ZazidEvoz/platform/Date.hpp"
#include "kit/FrameDriver.hpp"
#include "kit/ThemeRules.hpp"
#include "shell/MiniRules.hpp"
#include "state/AppRuntime.hpp"
#include "state/Observable.hpp"

#include <QPainter>
#include <QPainterPath>
#include <span>

namespace ZintraRadio {

MiniSpectrum::MiniSpectrum(QQuickItem* parent) : QQuickPaintedItem(parent) {
    setAntialiasing(true);
    setOpaquePainting(false);
    auto* ticker = new FrameTicker(this);
    ticker->setCap(60);
    connect(ticker, &FrameTicker::triggered, this, [this] { update(); });
}

void MiniSpectrum::setPlaying(bool playing) {
    if (!storeProperty(this, playing_, playing, &MiniSpectrum::playingChanged))
        return;
    update();
}

void MiniSpectrum::paint(QPainter* painter) {
    if (!AppRuntime::hasModel())
        return;
    const auto now = ZazidEvoz::platform::now();
    const auto& frame = AppRuntime::model().pulse().frame(now);
    // Seconds since 2001 keep the wave's phase in a double's fine range.
    const double seconds = ZazidEvoz::platform::secondsSince1970(now) - 978307200.0;
    const double w = width(), h = height();
    const auto heights = miniBarHeights(std::span<const float>(frame.bands), playing_, seconds, h);
    const double slot = w / miniBarCount;
    const double barWidth = std::max(slot - 2.0, 1.0);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    for (int i = 0; i < miniBarCount; ++i) {
        const RGB colour = spectrumRGB(1.0 - i / 39.0);
        painter->setBrush(QColor::fromRgbF(static_cast<float>(colour.red), static_cast<float>(colour.green),
                                           static_cast<float>(colour.blue), playing_ ? 1.0f : 0.5f));
        const double barHeight = heights[static_cast<std::size_t>(i)];
        painter->drawRoundedRect(QRectF(slot * i + 1, h - barHeight, barWidth, barHeight), 1.5, 1.5);
    }
}

} // namespace ZintraRadio
