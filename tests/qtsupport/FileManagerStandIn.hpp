// The desktop's file manager on the session bus as far as showing files and folders goes: it
// notes what it was asked to show. The test registers it where it wants it.
#pragma once

#include <QObject>
#include <QStringList>

namespace ZintraRadio::testkit {

class FileManagerStandIn : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    QStringList shown;

public Q_SLOTS:
    void ShowItems(const QStringList& uris, const QString&) { shown += uris; }
    void ShowFolders(const QStringList& uris, const QString&) { shown += uris; }
};

} // namespace ZintraRadio::testkit
