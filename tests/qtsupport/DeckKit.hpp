// What the deck's and panels' tests share: a local station directory, stations, a radio
// library written where the process's one application model will read it, and lookups in
// the views.
#pragma once

#include "QmlKit.hpp"
#include "QtTestKit.hpp"
#include "ZazidEvoz/catalogue/LibraryStore.hpp"
#include "state/AppModel.hpp"
#include "support/LocalHttpServer.hpp"

#include <QQuickItem>
#include <QVariant>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace ZintraRadio::testkit {

inline ZazidEvoz::Station deckStation(std::string name, std::string url, std::string genre = "",
                                      std::string country = "") {
    ZazidEvoz::Station station;
    station.kind = ZazidEvoz::Station::guessKind(url);
    station.name = std::move(name);
    station.url = std::move(url);
    station.genre = std::move(genre);
    station.country = std::move(country);
    return station;
}

// The station directory on 127.0.0.1: stations for a list path or for a name search
// ("name=<text>"), tags and countries as given, or a failure for every request.
class StationDirectory {
public:
    StationDirectory() {
        http_.server.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
            std::lock_guard lock(mutex_);
            paths_.push_back(request.path);
            if (failing_) {
                response.status = 503;
                return;
            }
            std::string key = request.path;
            if (request.has_param("name"))
                key = "name=" + request.get_param_value("name");
            auto found = answers_.find(key);
            response.set_content(found == answers_.end() ? "[]" : found->second, "application/json");
        });
        http_.start();
    }

    std::string base() const { return http_.url(""); }

    // Names and links; the texts must not need JSON escapes.
    void answer(const std::string& key, const std::vector<std::pair<std::string, std::string>>& stations) {
        std::string json = "[";
        for (const auto& [name, url] : stations)
            json += (json.size() > 1 ? "," : "") + std::string(R"({"name":")") + name + R"(","url":")" + url +
                    R"(","tags":"test"})";
        answerRaw(key, json + "]");
    }
    void answerRaw(const std::string& key, std::string json) {
        std::lock_guard lock(mutex_);
        answers_[key] = std::move(json);
    }
    void fail(bool failing) {
        std::lock_guard lock(mutex_);
        failing_ = failing;
    }
    std::vector<std::string> paths() const {
        std::lock_guard lock(mutex_);
        return paths_;
    }

private:
    ZazidEvoz::testkit::LocalHttpServer http_;
    mutable std::mutex mutex_;
    std::map<std::string, std::string> answers_;
    std::vector<std::string> paths_;
    bool failing_ = false;
};

// The text of a translation key as the views show it.
inline QString texted(const char* key) {
    return qtTrId(key);
}

// Every item below `root` whose objectName starts with `prefix`, in no promised order.
inline QList<QQuickItem*> childrenNamed(QObject* root, const QString& prefix) {
    QList<QQuickItem*> found;
    QList<QObject*> queue{root};
    while (!queue.isEmpty()) {
        QObject* next = queue.takeFirst();
        auto* item = qobject_cast<QQuickItem*>(next);
        if (next != root && item != nullptr && item->objectName().startsWith(prefix) && !found.contains(item))
            found.append(item);
        queue.append(next->children());
        if (item != nullptr)
            for (QQuickItem* child : item->childItems())
                if (!queue.contains(child))
                    queue.append(child);
    }
    return found;
}

// Visible items only.
inline QList<QQuickItem*> visibleNamed(QObject* root, const QString& prefix) {
    QList<QQuickItem*> shown;
    for (QQuickItem* item : childrenNamed(root, prefix))
        if (item->isVisible())
            shown.append(item);
    return shown;
}

// The Text items below `root` that would read their text as markup (rich or styled text, or
// the guess of AutoText), one line each: "objectName: text". Names from the directory and
// titles from streams must show as their characters.
inline std::string markupTexts(QObject* root) {
    QStringList found;
    for (QQuickItem* item : childrenNamed(root, QString())) {
        if (!item->inherits("QQuickText"))
            continue;
        const QString text = item->property("text").toString();
        if (!text.isEmpty() && item->property("textFormat").toInt() != Qt::PlainText)
            found.append(item->objectName() + ": " + text);
    }
    return found.join('\n').toStdString();
}

} // namespace ZintraRadio::testkit
