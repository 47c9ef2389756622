// The user's settings: a handful of Boolean view and download switches, kept by QSettings in
// "$XDG_CONFIG_HOME/ZintraRadio/ZintraRadio.conf" (INI).
#pragma once

#include <QString>
#include <memory>
#include <optional>

class QSettings;

namespace ZintraRadio {

class Settings {
public:
    // The user's settings file.
    Settings();
    // A settings file at `path` (tests).
    explicit Settings(const QString& path);
    ~Settings();
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    // The stored Boolean: only the stored texts "true" and "false" count; anything else,
    // or nothing, gives `fallback`.
    bool boolValue(const QString& key, bool fallback) const;
    std::optional<bool> storedBool(const QString& key) const;
    void setBool(const QString& key, bool value);
    // Writes pending changes to the file now.
    void sync();

    QString fileName() const;
    static QString defaultFileName();

private:
    std::unique_ptr<QSettings> settings_;
};

} // namespace ZintraRadio
