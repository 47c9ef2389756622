#include "shell/SingleInstance.hpp"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalSocket>
#include <QThread>

namespace ZintraRadio {

namespace {

QByteArray showRequest() {
    return QByteArrayLiteral("show\n");
}
QByteArray showAnswer() {
    return QByteArrayLiteral("ok\n");
}

} // namespace

QString SingleInstance::serverName(const QString& supportFolder) {
    const QString canonical = QFileInfo(supportFolder).absoluteFilePath();
    const QByteArray digest =
        QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha256).toHex();
    return QStringLiteral("zintraradio-") + QString::fromLatin1(digest.left(24));
}

SingleInstance::SingleInstance(const QString& supportFolder, QObject* parent)
    : QObject(parent), name_(serverName(supportFolder)) {
    if (!QDir().mkpath(supportFolder)) {
        problem_ = QStringLiteral("cannot create ") + supportFolder;
        return;
    }
    lock_ = std::make_unique<QLockFile>(QDir(supportFolder).filePath(QStringLiteral(".instance.lock")));
    // A lock stays ours for as long as we live; only a dead holder's lock is stale.
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(100)) {
        listen();
        return;
    }
    if (lock_->error() != QLockFile::LockFailedError) {
        problem_ = QStringLiteral("cannot lock ") + lock_->fileName();
        return;
    }
    if (handOver()) {
        role_ = Role::HandedOver;
        return;
    }
    problem_ =
        QStringLiteral("another ZintraRadio holds ") + supportFolder + QStringLiteral(" but does not answer");
    role_ = Role::HandedOver;
}

SingleInstance::~SingleInstance() = default;

void SingleInstance::listen() {
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // We hold the lock, so a socket of that name is left from a process that died.
    QLocalServer::removeServer(name_);
    if (!server_->listen(name_)) {
        problem_ =
            QStringLiteral("cannot listen on ") + name_ + QStringLiteral(": ") + server_->errorString();
        return;
    }
    connect(server_.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                // Requests are one short line; anything longer is not ours.
                if (socket->bytesAvailable() > 64) {
                    socket->abort();
                    return;
                }
                if (!socket->canReadLine())
                    return;
                if (socket->readLine() == showRequest()) {
                    socket->write(showAnswer());
                    socket->flush();
                    Q_EMIT showRequested();
                }
                socket->disconnectFromServer();
            });
        }
    });
}

bool SingleInstance::handOver() {
    // The holder may still be starting up: give it a few seconds to listen.
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 5000) {
        QLocalSocket socket;
        socket.connectToServer(name_);
        if (socket.waitForConnected(500)) {
            socket.write(showRequest());
            if (socket.waitForBytesWritten(1000) && socket.waitForReadyRead(2000) &&
                socket.readLine() == showAnswer())
                return true;
        }
        QThread::msleep(100);
    }
    return false;
}

} // namespace ZintraRadio
