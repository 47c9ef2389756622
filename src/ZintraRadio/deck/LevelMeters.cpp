#include "deck/LevelMeters.hpp"

#include "kit/FontBook.hpp"
#include "kit/ThemeRules.hpp"
#include "state/AudioPulse.hpp"
#include "state/Observable.hpp"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

namespace ZintraRadio {

namespace {

// At most 60 drawn frames a second (a little slack for frames that arrive early).
constexpr double frameInterval = 1.0 / 60 - 0.002;

QColor colorOf(const RGB& rgb, double opacity) {
    return QColor::fromRgbF(static_cast<float>(rgb.red), static_cast<float>(rgb.green),
                            static_cast<float>(rgb.blue), static_cast<float>(opacity));
}

} // namespace

LevelMeters::LevelMeters(QQuickItem* parent) : QQuickPaintedItem(parent) {
    clock_.start();
    setImplicitHeight(meterHeight);
    setImplicitWidth(150);
    setAntialiasing(true);
}

QObject* LevelMeters::pulseObject() const {
    return pulse_.data();
}

void LevelMeters::setPulse(QObject* pulse) {
    auto* reader = qobject_cast<AudioPulseReader*>(pulse);
    storeProperty(this, pulse_, reader, &LevelMeters::pulseChanged);
}

void LevelMeters::setActive(bool active) {
    if (!storeProperty(this, active_, active, &LevelMeters::activeChanged))
        return;
    updateMoving();
}

double LevelMeters::now() const {
    return static_cast<double>(clock_.nsecsElapsed()) / 1e9;
}

void LevelMeters::tick() {
    const double t = now();
    if (lastTick_ >= 0 && t - lastTick_ < frameInterval)
        return;
    lastTick_ = t;
    double left = 0;
    double right = 0;
    if (pulse_) {
        pulse_->refresh();
        left = pulse_->levelLeft();
        right = pulse_->levelRight();
    }
    advance(t, left, right);
}

void LevelMeters::advance(double now, double left, double right) {
    if (!hold_)
        hold_.emplace(now);
    hold_->advance(now, left, right);
    Q_EMIT levelsChanged();
    update();
    updateMoving();
}

void LevelMeters::updateMoving() {
    const bool moving = active_ || (hold_ && !hold_->settled());
    storeProperty(this, moving_, moving, &LevelMeters::movingChanged);
}

void LevelMeters::paint(QPainter* painter) {
    const double w = width();
    const double h = height();
    const MeterGeometry geometry = meterGeometry(w);
    const double mid = h * 0.5;
    painter->setRenderHint(QPainter::Antialiasing, true);

    QFont font(FontBook::instance().mono());
    font.setPixelSize(9); // 8.5 points, rounded to whole pixels for a crisp label
    font.setBold(true);
    painter->setFont(font);

    const char* labels[2] = {"L", "R"};
    for (int c = 0; c < 2; ++c) {
        const double top = mid + meterRowOffset[c];
        const double level = hold_ ? hold_->level(c) : 0;
        const double peak = hold_ ? hold_->peak(c) : 0;

        painter->setPen(QColor::fromRgbF(1, 1, 1, 0.45f));
        const QRectF labelBox(0, top + 3.5 - 6, 8, 12);
        painter->drawText(labelBox, Qt::AlignCenter, QString::fromLatin1(labels[c]));

        painter->setPen(Qt::NoPen);
        for (const MeterSegment& segment : meterRow(geometry, level, peak)) {
            const RGB rgb = segment.red ? Palette::red : spectrumRGB(segment.rampPosition);
            QColor fill;
            switch (segment.fill) {
            case SegmentFill::lit:
                fill = colorOf(rgb, 1);
                break;
            case SegmentFill::peak:
                fill = colorOf(rgb, 0.9);
                break;
            case SegmentFill::unlit:
                fill = QColor::fromRgbF(1, 1, 1, 0.07f);
                break;
            }
            painter->setBrush(fill);
            painter->drawRoundedRect(QRectF(segment.x, top, geometry.segmentWidth, meterSegmentHeight), 1.5,
                                     1.5);
        }
    }
}

} // namespace ZintraRadio
