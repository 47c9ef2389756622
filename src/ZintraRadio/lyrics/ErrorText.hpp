// Failure texts of the engine and the services on their way to the screen: the few that have
// a translation become it, every other text is shown as it came. For QML and C++ callers
// outside the shell.
#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>
#include <string>
#include <string_view>

class QQmlEngine;
class QJSEngine;

namespace ZintraRadio {

class ErrorText : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    static std::string localized(std::string_view message);
    static std::string localized(const char* message) { return localized(std::string_view(message)); }

    static ErrorText* create(QQmlEngine*, QJSEngine*);
    Q_INVOKABLE QString localized(const QString& message) const;

private:
    ErrorText() = default;
};

} // namespace ZintraRadio
