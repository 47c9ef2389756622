// Now Playing and the media keys as a desktop sees them: a second connection to a private
// session bus reads the player's properties, calls its methods and listens for changes while
// the real engine plays a local ICY station.
#include "AppModelKit.hpp"
#include "system/Mpris.hpp"

#include "ZazidEvoz/core/MediaFolders.hpp"
#include "qtsupport/AppModelKit.hpp"
#include "support/LyricsSite.hpp"
#include "support/Media.hpp"
#include "support/StreamServer.hpp"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using ZazidEvoz::MediaKind;

namespace {

const QString service = QStringLiteral("org.mpris.MediaPlayer2.ZintraRadio");
const QString path = QStringLiteral("/org/mpris/MediaPlayer2");
const QString rootInterface = QStringLiteral("org.mpris.MediaPlayer2");
const QString playerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

// What a desktop's media applet does, over its own connection.
class Desktop : public QObject {
    Q_OBJECT

public:
    Desktop() : bus_(QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("desktop"))) {
        bus_.connect(service, path, propertiesInterface, QStringLiteral("PropertiesChanged"), this,
                     SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
    }
    ~Desktop() override { QDBusConnection::disconnectFromBus(QStringLiteral("desktop")); }

    bool isConnected() const { return bus_.isConnected(); }
    bool registerName(const QString& name) { return bus_.registerService(name); }

    // The call's reply; the event loop runs meanwhile, since the player lives on this thread.
    QDBusMessage call(const QString& interface, const QString& method, const QVariantList& arguments = {}) {
        auto message = QDBusMessage::createMethodCall(service, path, interface, method);
        message.setArguments(arguments);
        QDBusPendingCallWatcher watcher(bus_.asyncCall(message));
        pumpUntil([&] { return watcher.isFinished(); });
        return watcher.reply();
    }
    QVariant property(const QString& interface, const QString& name) {
        auto reply = call(propertiesInterface, QStringLiteral("Get"), {interface, name});
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return {};
        return reply.arguments().first().value<QDBusVariant>().variant();
    }
    QVariantMap metadata() {
        return qdbus_cast<QVariantMap>(
            property(playerInterface, QStringLiteral("Metadata")).value<QDBusArgument>());
    }
    void setVolume(double volume) {
        call(propertiesInterface, QStringLiteral("Set"),
             {playerInterface, QStringLiteral("Volume"), QVariant::fromValue(QDBusVariant(volume))});
    }

    // Every change announced for the player, in order.
    std::vector<QVariantMap> changes;
    bool sawStatus(const QString& status) const {
        return std::any_of(changes.begin(), changes.end(), [&](const QVariantMap& changed) {
            return changed.value(QStringLiteral("PlaybackStatus")).toString() == status;
        });
    }

private Q_SLOTS:
    void propertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList&) {
        if (interface == playerInterface)
            changes.push_back(changed);
    }

private:
    QDBusConnection bus_;
};

ZazidEvoz::testkit::StreamSpec icyStream() {
    ZazidEvoz::testkit::StreamSpec spec;
    spec.media = ZazidEvoz::testkit::toneMp3();
    spec.metaint = 2000;
    spec.burstSeconds = 1;
    return spec;
}

} // namespace

TEST(Mpris, ADesktopSeesWhatPlaysAndDrivesIt) {
    ZazidEvoz::testkit::StreamServer server;
    server.addStream("/first", icyStream());
    server.setTitle("/first", "Artist - First Song");
    server.addStream("/second", icyStream());
    server.setTitle("/second", "Singer - Second Song");
    server.start();

    AppSetup setup;
    auto options = setup.options();
    options.sessionBus = true;
    AppModel model(options);
    ASSERT_TRUE(model.nowPlayingCenter().isPublished());
    EXPECT_EQ(model.nowPlayingCenter().busName(), service);
    Desktop desktop;
    ASSERT_TRUE(desktop.isConnected());

    EXPECT_EQ(desktop.property(rootInterface, "Identity").toString(), "ZintraRadio");
    EXPECT_EQ(desktop.property(rootInterface, "DesktopEntry").toString(), "zintraradio");
    EXPECT_TRUE(desktop.property(rootInterface, "CanQuit").toBool());
    EXPECT_TRUE(desktop.property(rootInterface, "CanRaise").toBool());
    for (const char* capability : {"CanPlay", "CanPause", "CanGoNext", "CanGoPrevious", "CanControl"})
        EXPECT_TRUE(desktop.property(playerInterface, capability).toBool()) << capability;
    EXPECT_EQ(desktop.property(playerInterface, "PlaybackStatus").toString(), "Stopped");
    EXPECT_TRUE(desktop.metadata().isEmpty());

    const auto first = makeStation(MediaKind::radio, "First Radio", server.url("/first"));
    const auto second = makeStation(MediaKind::radio, "Second Radio", server.url("/second"));
    model.play(first);
    ASSERT_TRUE(pumpUntil([&] { return model.stateName() == "playing" && model.nowPlaying(); }));
    model.play(second);
    ASSERT_TRUE(pumpUntil([&] { return model.stateName() == "playing" && model.nowPlaying(); }));

    EXPECT_EQ(desktop.property(playerInterface, "PlaybackStatus").toString(), "Playing");
    QVariantMap metadata = desktop.metadata();
    EXPECT_EQ(metadata.value("xesam:title").toString(), "Second Song");
    EXPECT_EQ(metadata.value("xesam:artist").toStringList(), QStringList{"Singer"});
    EXPECT_EQ(metadata.value("xesam:album").toString(), "Second Radio");
    EXPECT_EQ(metadata.value("mpris:trackid").value<QDBusObjectPath>().path(), Mpris::trackId(second.url));
    EXPECT_FALSE(metadata.contains("mpris:length")); // a live stream has none
    ASSERT_TRUE(pumpUntil([&] { return desktop.sawStatus("Playing"); }));

    // Play/pause from the desktop pauses, and the desktop is told.
    desktop.call(playerInterface, "PlayPause");
    ASSERT_TRUE(pumpUntil([&] { return model.stateName() == "paused"; }));
    ASSERT_TRUE(pumpUntil([&] { return desktop.sawStatus("Paused"); }));
    EXPECT_EQ(desktop.property(playerInterface, "PlaybackStatus").toString(), "Paused");
    EXPECT_EQ(desktop.metadata().value("xesam:title").toString(), "Second Song");
    // Pause while paused does nothing; play resumes.
    desktop.call(playerInterface, "Pause");
    pumpFor(std::chrono::milliseconds(100));
    EXPECT_EQ(model.stateName(), "paused");
    desktop.call(playerInterface, "Play");
    ASSERT_TRUE(pumpUntil([&] { return model.stateName() == "playing"; }));

    // Next steps through the list the station came from: the history, newest first.
    desktop.changes.clear();
    desktop.call(playerInterface, "Next");
    ASSERT_TRUE(
        pumpUntil([&] { return model.current() == first && model.nowPlaying() == "Artist - First Song"; }));
    ASSERT_TRUE(pumpUntil([&] {
        return std::any_of(desktop.changes.begin(), desktop.changes.end(),
                           [](const QVariantMap& changed) { return changed.contains("Metadata"); });
    }));
    EXPECT_EQ(desktop.metadata().value("xesam:title").toString(), "First Song");

    // The volume goes both ways, clamped to the model's range.
    desktop.setVolume(0.25);
    ASSERT_TRUE(pumpUntil([&] { return model.volume() == 0.25f; }));
    desktop.setVolume(1.7);
    ASSERT_TRUE(pumpUntil([&] { return model.volume() == 1.0f; }));
    model.setVolume(0.5f);
    EXPECT_DOUBLE_EQ(desktop.property(playerInterface, "Volume").toDouble(), 0.5);

    // Raise and Quit reach the shell through the model.
    QSignalSpy raise(&model, &AppModel::raiseRequested);
    QSignalSpy quit(&model, &AppModel::quitRequested);
    desktop.call(rootInterface, "Raise");
    desktop.call(rootInterface, "Quit");
    ASSERT_TRUE(pumpUntil([&] { return raise.count() == 1 && quit.count() == 1; }));

    desktop.call(playerInterface, "Stop");
    ASSERT_TRUE(pumpUntil([&] { return model.stateName() == "stopped"; }));
    ASSERT_TRUE(pumpUntil([&] { return desktop.sawStatus("Stopped"); }));
    EXPECT_TRUE(desktop.metadata().isEmpty());
}

TEST(Mpris, ARecordingPlaysUnderTheTitleAndArtistOfItsTags) {
    ZazidEvoz::testkit::LyricsSite lyricsSite;
    AppSetup setup;
    auto options = setup.options(lyricsSite.baseURL());
    options.sessionBus = true;
    AppModel model(options);
    Desktop desktop;

    // A recording of a pasted link, tagged the way the recorder tags its files.
    const auto recording = ZazidEvoz::MediaFolders::recordings() /
                           "127.0.0.1 (Beta Band - Second Song) - 2026-12-11 02.41.07.mp3";
    std::filesystem::create_directories(recording.parent_path());
    std::filesystem::copy_file(
        ZazidEvoz::testkit::sineFile("mpris-recording.mp3", 440, 3,
                                     {"-b:a", "192k", "-id3v2_version", "3", "-metadata", "title=Second Song",
                                      "-metadata", "artist=Beta Band"}),
        recording, std::filesystem::copy_options::overwrite_existing);
    model.reloadRecordings();
    ASSERT_EQ(model.recordings().size(), 1u);

    model.playFile(QString::fromStdString(recording.string()));
    ASSERT_TRUE(pumpUntil([&] { return model.stateName() == "playing"; }));
    EXPECT_EQ(model.current()->name, "Beta Band - Second Song");
    EXPECT_EQ(model.library().history.front().name, "Beta Band - Second Song");
    const QVariantMap metadata = desktop.metadata();
    EXPECT_EQ(metadata.value("xesam:title").toString(), "Second Song");
    EXPECT_EQ(metadata.value("xesam:artist").toStringList(), QStringList{"Beta Band"});
    EXPECT_EQ(metadata.value("mpris:length").toLongLong(), 3000000);

    // The lyrics are asked for by the same two names.
    ASSERT_TRUE(pumpUntil([&] { return !lyricsSite.seen().empty(); }));
    const auto lookup = lyricsSite.seen().front();
    EXPECT_EQ(lookup.path, "/api/get");
    EXPECT_EQ(ZazidEvoz::testkit::param(lookup, "artist_name"), "Beta Band");
    EXPECT_EQ(ZazidEvoz::testkit::param(lookup, "track_name"), "Second Song");
    model.stop();
}

TEST(Mpris, NextAndPreviousStepTheMusicQueueFirst) {
    // Decoders that start and never deliver: no entry fails, none ends.
    SilentTools tools;
    AppSetup setup;
    auto options = setup.options();
    options.sessionBus = true;
    AppModel model(options);
    Desktop desktop;
    const auto a = makeStation(MediaKind::file, "A", "file:///nowhere/a.mp3");
    const auto b = makeStation(MediaKind::file, "B", "file:///nowhere/b.mp3");
    model.music()->playNow({a, b}, 0);
    desktop.call(playerInterface, "Next");
    ASSERT_TRUE(pumpUntil([&] { return model.current() == b; }));
    desktop.call(playerInterface, "Previous");
    ASSERT_TRUE(pumpUntil([&] { return model.current() == a; }));
}

TEST(Mpris, WhenTheNameIsTakenThePlayerTakesAnInstanceName) {
    Desktop other; // another program holds the name already
    ASSERT_TRUE(other.registerName(service));
    AppSetup setup;
    auto options = setup.options();
    options.sessionBus = true;
    AppModel model(options);
    EXPECT_EQ(model.nowPlayingCenter().busName(), service + ".instance" + QString::number(::getpid()));
}

#include "MprisTest.moc"
