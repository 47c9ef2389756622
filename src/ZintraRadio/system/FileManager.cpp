#include "system/FileManager.hpp"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QStringList>
#include <QUrl>

namespace ZintraRadio {

bool openFolder(const std::filesystem::path& folder) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(folder.string())));
}

bool revealFile(const std::filesystem::path& file) {
    auto bus = QDBusConnection::sessionBus();
    const QString service = QStringLiteral("org.freedesktop.FileManager1");
    if (bus.isConnected() && bus.interface() != nullptr &&
        bus.interface()->isServiceRegistered(service).value()) {
        auto call = QDBusMessage::createMethodCall(service, QStringLiteral("/org/freedesktop/FileManager1"),
                                                   service, QStringLiteral("ShowItems"));
        const QString uri =
            QUrl::fromLocalFile(QString::fromStdString(file.string())).toString(QUrl::FullyEncoded);
        call << QStringList{uri} << QString();
        if (bus.send(call))
            return true;
    }
    return openFolder(file.parent_path());
}

} // namespace ZintraRadio
