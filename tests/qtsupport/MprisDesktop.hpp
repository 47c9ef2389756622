// What a desktop's media applet does with the player, over a connection of its own to the
// session bus: calls its methods and reads its properties.
#pragma once

#include "QtTestKit.hpp"
#include "system/Mpris.hpp"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QVariantMap>
#include <gtest/gtest.h>

namespace ZintraRadio::testkit {

class MprisDesktop {
public:
    MprisDesktop()
        : bus_(QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("desktop"))) {}
    ~MprisDesktop() { QDBusConnection::disconnectFromBus(QStringLiteral("desktop")); }
    MprisDesktop(const MprisDesktop&) = delete;
    MprisDesktop& operator=(const MprisDesktop&) = delete;

    // The reply; the player lives on this thread, so the event loop runs meanwhile.
    QDBusMessage call(const QString& interface, const QString& method, const QVariantList& arguments = {}) {
        auto message =
            QDBusMessage::createMethodCall(QString::fromLatin1(Mpris::serviceName),
                                           QString::fromLatin1(Mpris::objectPath), interface, method);
        message.setArguments(arguments);
        QDBusPendingCallWatcher watcher(bus_.asyncCall(message));
        pumpUntil([&] { return watcher.isFinished(); });
        return watcher.reply();
    }
    void press(const char* method, const QVariantList& arguments = {}) {
        const auto reply =
            call(QString::fromLatin1(Mpris::playerInterface), QString::fromLatin1(method), arguments);
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage)
            << method << ": " << reply.errorMessage().toStdString();
    }
    QVariant playerProperty(const char* name) {
        const auto reply = call(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                                {QString::fromLatin1(Mpris::playerInterface), QString::fromLatin1(name)});
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return {};
        return reply.arguments().first().value<QDBusVariant>().variant();
    }
    QString status() { return playerProperty("PlaybackStatus").toString(); }
    QVariantMap metadata() {
        return qdbus_cast<QVariantMap>(playerProperty("Metadata").value<QDBusArgument>());
    }

private:
    QDBusConnection bus_;
};

} // namespace ZintraRadio::testkit
