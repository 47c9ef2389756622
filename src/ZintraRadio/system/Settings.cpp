#include "system/Settings.hpp"

#include "ZazidEvoz/platform/UserFolders.hpp"

#include <QSettings>
#include <QVariant>

namespace ZintraRadio {

QString Settings::defaultFileName() {
    auto folder = ZazidEvoz::platform::configHomeFolder() / "ZintraRadio" / "ZintraRadio.conf";
    return QString::fromStdString(folder.string());
}

Settings::Settings() : Settings(defaultFileName()) {}

Settings::Settings(const QString& path)
    : settings_(std::make_unique<QSettings>(path, QSettings::IniFormat)) {}

Settings::~Settings() = default;

std::optional<bool> Settings::storedBool(const QString& key) const {
    const QVariant stored = settings_->value(key);
    if (!stored.isValid())
        return std::nullopt;
    // The INI file holds text; a typed bool arrives as a bool before the file is written.
    if (stored.typeId() == QMetaType::Bool)
        return stored.toBool();
    const QString text = stored.toString();
    if (text == QLatin1String("true"))
        return true;
    if (text == QLatin1String("false"))
        return false;
    return std::nullopt;
}

bool Settings::boolValue(const QString& key, bool fallback) const {
    return storedBool(key).value_or(fallback);
}

void Settings::setBool(const QString& key, bool value) {
    settings_->setValue(key, value);
}

void Settings::sync() {
    settings_->sync();
}

QString Settings::fileName() const {
    return settings_->fileName();
}

} // namespace ZintraRadio
