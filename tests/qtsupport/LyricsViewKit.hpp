// What the lyrics views' tests share: an application model on a manual clock whose lyrics come
// from a local lyrics service, the module's QML loaded into a window, and lookups of items by
// objectName. Songs whose title starts with "Timed" have four timed lines (5, 10, 15 and 20 s),
// "Plain" only plain text, "Instrumental" timed lines flagged instrumental, "Broken" makes the
// service fail; every other song has no lyrics.
#pragma once

#include "AppModelKit.hpp"
#include "QmlKit.hpp"
#include "qtsupport/AppModelKit.hpp"
#include "support/LyricsSite.hpp"
#include "state/UIState.hpp"
#include "support/LyricsSite.hpp"

#include <QQuickItem>
#include <QTest>
#include <QTranslator>
#include <gtest/gtest.h>

namespace ZintraRadio::testkit {

inline constexpr const char* timedLRC = "[00:05.00]First line\n[00:10.00]Second line\n"
                                        "[00:15.00]Third line\n[00:20.00]Last line";

inline std::string paramOf(const httplib::Request& request, const char* name) {
    return request.has_param(name) ? request.get_param_value(name) : "";
}

inline void serveTestSongs(ZazidEvoz::testkit::LyricsSite& site) {
    using ZazidEvoz::testkit::answerJSON;
    using ZazidEvoz::testkit::record;
    site.onGet([](const httplib::Request& request, httplib::Response& response) {
        const auto title = paramOf(request, "track_name");
        const auto artist = paramOf(request, "artist_name");
        if (title.starts_with("Timed")) {
            answerJSON(response, record(title, artist, timedLRC, "First line\nSecond line"));
        } else if (title.starts_with("Plain")) {
            answerJSON(response, record(title, artist, std::nullopt, "Plain words\nacross two lines"));
        } else if (title.starts_with("Instrumental")) {
            auto value = record(title, artist, timedLRC, std::nullopt);
            value["instrumental"] = true;
            answerJSON(response, value);
        } else if (title.starts_with("Broken")) {
            response.status = 503;
        } else {
            response.status = 404;
        }
    });
    site.onSearch([](const httplib::Request&, httplib::Response& response) {
        answerJSON(response, ZazidEvoz::json::Value::array());
    });
}

// The English table, installed for the life of the object.
class EnglishTexts {
public:
    EnglishTexts() {
        loaded_ = translator_.load(QStringLiteral(":/i18n/zintraradio_en.qm"));
        QCoreApplication::installTranslator(&translator_);
    }
    ~EnglishTexts() { QCoreApplication::removeTranslator(&translator_); }
    bool loaded() const { return loaded_; }

private:
    QTranslator translator_;
    bool loaded_ = false;
};

struct LyricsApp {
    ZazidEvoz::testkit::LyricsSite site;
    AppSetup setup;
    std::unique_ptr<AppModel> model;

    LyricsApp() {
        serveTestSongs(site);
        model = std::make_unique<AppModel>(setup.options(site.baseURL()));
    }

    LyricsModel& lyrics() { return *model->lyrics(); }
    // A radio title arrives and its lookup ends.
    bool hear(const std::string& title) {
        lyrics().songChanged(title, true);
        return pumpUntil(
            [this] { return lyrics().lyricsState().kind != LyricsModel::LyricsState::Kind::loading; });
    }
    // The radio lyric clock stands at `seconds` (a radio song starts 3 s before its title).
    void clockAt(double seconds) {
        const double now =
            std::chrono::duration<double>(setup.scheduler->date() - *lyrics().songStart()).count();
        setup.scheduler->advance(seconds - now);
    }
};

// A UI state of its own, without the user's settings or the process's hooks.
inline std::unique_ptr<UIState> makeUIState(const std::filesystem::path& folder) {
    UIState::Options options;
    options.settingsFile = QString::fromStdString((folder / "ui.conf").string());
    options.hooks = [](std::string_view) { return std::optional<std::string>(); };
    options.reducedMotion = [] { return false; };
    return std::make_unique<UIState>(options);
}

inline QObject* objectIn(QObject* root, const QString& name) {
    return root->findChild<QObject*>(name);
}

// The item named `name` in the object tree or the visual tree under `root` (items made by
// views and loaders need not be QObject children).
inline QQuickItem* itemIn(QObject* root, const QString& name) {
    if (root == nullptr)
        return nullptr;
    if (auto* found = root->findChild<QQuickItem*>(name))
        return found;
    if (auto* item = qobject_cast<QQuickItem*>(root))
        for (QQuickItem* child : item->childItems()) {
            if (child->objectName() == name)
                return child;
            if (auto* found = itemIn(child, name))
                return found;
        }
    return nullptr;
}

// Really shown: the item and all its parents are visible.
inline bool shown(QQuickItem* item) {
    return item != nullptr && item->isVisible() && item->opacity() > 0;
}

// A left click in the middle of the item.
inline void click(QQuickItem* item) {
    ASSERT_NE(item, nullptr);
    const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
    QTest::mouseClick(item->window(), Qt::LeftButton, {}, centre.toPoint());
}

// The views that show lyrics, loaded offscreen with the English table and software drawing.
class LyricsViews : public ::testing::Test {
protected:
    static void SetUpTestSuite() { QQuickWindow::setGraphicsApi(QSGRendererInterface::Software); }

    void SetUp() override {
        ASSERT_TRUE(english.loaded());
        kit.window.resize(1100, 760);
        kit.show();
    }

    QQuickItem* make(const QByteArray& body, const QVariantMap& properties = {}) {
        QQuickItem* item = kit.create("import QtQuick\nimport ZintraRadio\n" + body);
        EXPECT_NE(item, nullptr) << kit.warnings.join(QLatin1Char('\n')).toStdString();
        if (item == nullptr)
            return nullptr;
        for (auto it = properties.begin(); it != properties.end(); ++it)
            item->setProperty(it.key().toUtf8(), it.value());
        item->setSize(QSizeF(kit.window.width(), kit.window.height()));
        return item;
    }

    static QVariant object(QObject* object) { return QVariant::fromValue(object); }
    void expectNoWarnings() {
        EXPECT_TRUE(kit.warnings.isEmpty()) << kit.warnings.join(QLatin1Char('\n')).toStdString();
    }

    EnglishTexts english;
    QmlKit kit;
};

// A model for the list views: the real music model, and the two YouTube operations recorded
// with what the UI state held when each was called.
inline const QByteArray listHost = R"(
Item {
    id: root
    property QtObject music: null
    property QtObject ui: null
    property var calls: []
    property string view
    readonly property QtObject stub: QtObject {
        property QtObject music: root.music
        function searchYouTube(query) {
            root.calls = root.calls.concat(["search|" + query + "|" + root.ui.module + "|" + root.ui.pendingYouTubeQuery])
        }
        function downloadMP3Searching(query, withLyrics) {
            root.calls = root.calls.concat(["download|" + query + "|" + withLyrics])
        }
    }
    Loader {
        anchors.fill: parent
        active: root.music !== null && root.ui !== null
        source: root.view
        onLoaded: { item.model = root.stub; item.ui = root.ui; item.objectName = "view" }
    }
}
)";

} // namespace ZintraRadio::testkit
