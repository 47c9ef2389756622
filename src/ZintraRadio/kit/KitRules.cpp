#include "kit/KitRules.hpp"

#include "kit/ControlRules.hpp"
#include "kit/QtColor.hpp"
#include "kit/StationDetails.hpp"
#include "kit/ThemeRules.hpp"
#include "state/QtValues.hpp"

#include <QQmlEngine>

namespace ZintraRadio {

namespace {} // namespace

KitRules* KitRules::create(QQmlEngine*, QJSEngine*) {
    static KitRules* rules = new KitRules();
    QQmlEngine::setObjectOwnership(rules, QQmlEngine::CppOwnership);
    return rules;
}

QColor KitRules::night() const {
    return qtColor(Palette::night);
}
QColor KitRules::cyan() const {
    return qtColor(Palette::cyan);
}
QColor KitRules::violet() const {
    return qtColor(Palette::violet);
}
QColor KitRules::magenta() const {
    return qtColor(Palette::magenta);
}
QColor KitRules::amber() const {
    return qtColor(Palette::amber);
}
QColor KitRules::mint() const {
    return qtColor(Palette::mint);
}
QColor KitRules::red() const {
    return qtColor(Palette::red);
}

QColor KitRules::spectrumColor(double position) const {
    return qtColor(spectrumRGB(position));
}

QColor KitRules::accentColor(const QString& text) const {
    return qtColor(accent(text.toStdString()));
}

QString KitRules::clock(double seconds) const {
    return QString::fromStdString(clockText(seconds));
}

double KitRules::sliderValue(double pointerX, double width) const {
    return ZintraRadio::sliderValue(pointerX, width);
}
double KitRules::sliderKnobCentre(double value, double width) const {
    return ZintraRadio::sliderKnobCentre(value, width);
}
double KitRules::sliderFillWidth(double value, double width) const {
    return ZintraRadio::sliderFillWidth(value, width);
}
double KitRules::sliderStepped(double value, int steps) const {
    return ZintraRadio::sliderStepped(static_cast<float>(value), steps);
}
QString KitRules::sliderValueText(double value) const {
    return QString::fromStdString(ZintraRadio::sliderValueText(static_cast<float>(value)));
}

bool KitRules::marqueeOverflows(double boxWidth, double textWidth) const {
    return ZintraRadio::marqueeOverflows(boxWidth, textWidth);
}
double KitRules::marqueeOffset(double elapsed, double textWidth) const {
    return ZintraRadio::marqueeOffset(elapsed, textWidth);
}

double KitRules::equalizerBarHeight(double level) const {
    return ZintraRadio::equalizerBarHeight(level);
}
double KitRules::equalizerIdleLevel(double t, int index) const {
    return ZintraRadio::equalizerIdleLevel(t, index);
}
double KitRules::loadingBarHeight(double t, int index) const {
    return ZintraRadio::loadingBarHeight(t, index);
}

QVariantMap KitRules::springEasing(double response, double dampingFraction) const {
    const auto easing = ZintraRadio::springEasing(response, dampingFraction);
    return {{QStringLiteral("duration"), easing.duration * 1000},
            {QStringLiteral("overshoot"), easing.overshoot}};
}

QVariantMap KitRules::bootFrame(double t, bool reducedMotion) const {
    const auto frame = ZintraRadio::bootFrame(t, reducedMotion);
    return {{QStringLiteral("grow"), frame.grow},       {QStringLiteral("morph"), frame.morph},
            {QStringLiteral("credit"), frame.credit},   {QStringLiteral("glow"), frame.glow},
            {QStringLiteral("amp"), frame.amp},         {QStringLiteral("fade"), frame.fade},
            {QStringLiteral("opacity"), frame.opacity}, {QStringLiteral("scale"), frame.scale}};
}

QString KitRules::stationDetails(const QVariantMap& station) const {
    return QString::fromStdString(ZintraRadio::stationDetails(stationFromMap(station)));
}

} // namespace ZintraRadio
