// One running application per support folder. The first launch holds a lock file in the
// folder and listens on a local socket named after it; a later launch with the same folder
// finds the lock taken, asks the first one to show its window and ends. A lock left by a
// process that died is taken over.
#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

namespace ZintraRadio {

class SingleInstance : public QObject {
    Q_OBJECT

public:
    enum class Role {
        First,     // this process runs the application
        HandedOver // another one runs it and was asked to show its window
    };

    // Takes the lock of `supportFolder` (created when missing) or hands over to its holder.
    explicit SingleInstance(const QString& supportFolder, QObject* parent = nullptr);
    ~SingleInstance() override;

    Role role() const { return role_; }
    // Why neither worked (the folder cannot be made, the holder does not answer); empty
    // otherwise. The launch then goes on without the guard.
    const QString& problem() const { return problem_; }

    // The socket name for a folder: short enough for any socket path, the same for the same
    // folder, different for different ones.
    static QString serverName(const QString& supportFolder);

Q_SIGNALS:
    // A later launch asked to see the window.
    void showRequested();

private:
    bool handOver();
    void listen();

    Role role_ = Role::First;
    QString problem_;
    QString name_;
    std::unique_ptr<QLockFile> lock_;
    std::unique_ptr<QLocalServer> server_;
};

} // namespace ZintraRadio
