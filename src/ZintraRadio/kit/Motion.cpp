#include "kit/Motion.hpp"

#include <QDir>
#include <QFile>
#include <QQmlEngine>
#include <QStandardPaths>
#include <QStringList>
#include <cstdlib>

namespace ZintraRadio {

namespace {

// The value of `key` inside `[group]` of an INI text; empty when absent.
QString iniValue(const QString& text, const QString& group, const QString& key) {
    QString current;
    for (const QString& rawLine : text.split(QLatin1Char('\n'))) {
        const QString line = rawLine.trimmed();
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            current = line.mid(1, line.size() - 2);
            continue;
        }
        const auto equals = line.indexOf(QLatin1Char('='));
        if (current == group && equals > 0 && line.left(equals).trimmed() == key)
            return line.mid(equals + 1).trimmed();
    }
    return {};
}

QString readSmallFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.read(64 * 1024)); // settings files are tiny; never read more
}

bool computeReduced() {
    if (std::getenv("ZINTRARADIO_REDUCE_MOTION") != nullptr)
        return true;
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return desktopAnimationsOff(readSmallFile(config + QStringLiteral("/kdeglobals")),
                                readSmallFile(config + QStringLiteral("/gtk-3.0/settings.ini")));
}

} // namespace

bool desktopAnimationsOff(const QString& kdeGlobals, const QString& gtkSettings) {
    bool ok = false;
    const double factor =
        iniValue(kdeGlobals, QStringLiteral("KDE"), QStringLiteral("AnimationDurationFactor")).toDouble(&ok);
    if (ok && factor == 0)
        return true;
    const QString gtk =
        iniValue(gtkSettings, QStringLiteral("Settings"), QStringLiteral("gtk-enable-animations")).toLower();
    return gtk == QLatin1String("false") || gtk == QLatin1String("0");
}

bool motionReduced() {
    static const bool reduced = computeReduced();
    return reduced;
}

Motion* Motion::create(QQmlEngine*, QJSEngine*) {
    static Motion* motion = new Motion();
    QQmlEngine::setObjectOwnership(motion, QQmlEngine::CppOwnership);
    return motion;
}

} // namespace ZintraRadio
