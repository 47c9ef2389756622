#include "shell/ScriptedRun.hpp"

#include "ZazidEvoz/platform/Text.hpp"
#include "ZazidEvoz/playback/AudioEngine.hpp"
#include "state/MusicUI.hpp"
#include "state/AppModel.hpp"
#include "state/MusicModel.hpp"
#include "state/MusicUI.hpp"
#include "state/TestHooks.hpp"
#include "state/UIState.hpp"
#include "state/VisualizerMode.hpp"

#include <QDir>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>

namespace ZintraRadio {

std::optional<double> hookNumber(std::string_view text) {
    // from_chars takes no plus sign, which a script may well write ("+0.5").
    if (text.size() > 1 && text.front() == '+' && text[1] != '-' && text[1] != '+')
        text.remove_prefix(1);
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [last, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || last != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<double> hookDelay(std::string_view text) {
    if (auto seconds = hookNumber(text))
        return std::clamp(*seconds, 0.0, longestHookDelay);
    return std::nullopt;
}

std::optional<double> hookPeriod(std::string_view text) {
    if (auto seconds = hookNumber(text))
        return std::clamp(*seconds, shortestHookPeriod, longestHookDelay);
    return std::nullopt;
}

AutoplayTarget autoplayTarget(const std::vector<std::string>& names, const std::string& text) {
    // Every name contains the empty text: it would play whatever comes first.
    if (text.empty())
        return {};
    for (std::size_t i = 0; i < names.size(); ++i)
        if (ZazidEvoz::text::containsLocalizedCaseInsensitive(names[i], text))
            return {i, std::nullopt};
    return {std::nullopt, text};
}

namespace {

int milliseconds(double seconds) {
    return static_cast<int>(std::llround(std::clamp(seconds, 0.0, longestHookDelay) * 1000.0));
}

// The model is the timer's context: the work never runs after it has gone.
void later(AppModel& model, double seconds, std::function<void(AppModel&)> work) {
    QTimer::singleShot(milliseconds(seconds), &model, [&model, work = std::move(work)] { work(model); });
}

void autoplay(AppModel& model, const std::string& text) {
    std::vector<std::string> names;
    for (const auto& station : model.library().stations)
        names.push_back(station.name);
    const AutoplayTarget target = autoplayTarget(names, text);
    if (target.station)
        model.play(model.library().stations[*target.station]);
    else if (target.link)
        model.playLink(*target.link);
}

// Looks for a first YouTube result every 0.5 s, 60 times at most, and watches it.
void watchFirstResult(AppModel& model, int checksLeft) {
    if (!model.youtubeResults().empty()) {
        model.watchVideo(model.youtubeResults().front());
        return;
    }
    if (checksLeft <= 1)
        return;
    QTimer::singleShot(500, &model, [&model, checksLeft] { watchFirstResult(model, checksLeft - 1); });
}

void openMusic(AppModel& model, UIState& ui, const std::string& what) {
    MusicUI* sheets = ui.music();
    if (sheets == nullptr || model.music() == nullptr)
        return;
    MusicModel& music = *model.music();
    if (what == "album") {
        if (!music.albums().empty())
            sheets->open(MusicUI::Route::album(music.albums().front().name));
    } else if (what == "smart") {
        if (!music.smartPlaylists().empty())
            sheets->open(MusicUI::Route::smart(music.smartPlaylists().front().id));
    } else if (what == "rules") {
        sheets->setSmartDraftIsNew(false);
        sheets->setSmartDraft(music.smartPlaylists().empty()
                                  ? std::nullopt
                                  : std::optional<SmartPlaylist>(music.smartPlaylists().front()));
    } else if (what == "tags") {
        sheets->setEditing(music.tracks().empty() ? std::nullopt
                                                  : std::optional<Track>(music.tracks().front()));
    } else if (what == "lyrics") {
        if (!music.tracks().empty()) {
            const Track& track = music.tracks().front();
            MusicUI::LyricsRequest request;
            request.artist = track.artist;
            request.title = track.title;
            sheets->setLyricsRequest(request);
        }
    }
}

} // namespace

void runLaunchHooks(AppModel& model) {
    // A scripted run asks the desktop for nothing special here: there is no throttling of
    // background applications to hold off.
    if (auto volume = TestHooks::value("VOLUME"))
        if (auto number = hookNumber(*volume))
            model.engine().setVolume(std::clamp(static_cast<float>(*number), 0.0f, 1.0f));
    if (auto mode = TestHooks::value("MODE"); mode && visualizerModeFromRawValue(*mode))
        model.setVisualizerMode(*mode);
    if (auto text = TestHooks::value("AUTOPLAY"))
        autoplay(model, *text);
    if (auto text = TestHooks::value("YOUTUBE"))
        model.searchYouTube(*text);
    if (auto text = TestHooks::value("SEARCH"))
        model.searchStations(*text);
    if (auto watch = TestHooks::value("WATCH")) {
        if (*watch == "first") {
            watchFirstResult(model, 60);
        } else if (!watch->empty()) {
            ZazidEvoz::Station video;
            video.kind = ZazidEvoz::MediaKind::youtube;
            video.name = *watch;
            video.url = *watch;
            model.watchVideo(video);
        }
    }
    if (auto delay = TestHooks::value("RECORD"))
        if (auto seconds = hookDelay(*delay))
            later(model, *seconds, [](AppModel& m) { m.startRecording(); });
    if (auto delay = TestHooks::value("DOWNLOAD"))
        if (auto seconds = hookDelay(*delay))
            later(model, *seconds, [](AppModel& m) {
                if (!m.youtubeResults().empty())
                    m.downloadMP3(m.youtubeResults().front());
            });
    if (auto delay = TestHooks::value("DOWNLOAD_VIDEO"))
        if (auto seconds = hookDelay(*delay))
            later(model, *seconds, [](AppModel& m) {
                if (!m.youtubeResults().empty())
                    m.downloadVideo(m.youtubeResults().front(), ZazidEvoz::VideoQuality::p360);
            });
    if (auto text = TestHooks::value("TOAST"))
        later(model, 1.0, [text = *text](AppModel& m) {
            m.show(Toast::Style::success, text, std::filesystem::path(QDir::homePath().toStdString()));
        });
}

void runWindowHooks(AppModel& model, UIState& ui, WindowOpeners open) {
    if (auto period = TestHooks::value("MODE_CYCLE"))
        if (auto seconds = hookPeriod(*period)) {
            auto* timer = new QTimer(&ui);
            timer->setInterval(milliseconds(*seconds));
            QPointer<AppModel> target(&model);
            QObject::connect(timer, &QTimer::timeout, &ui, [target, &ui] {
                if (target)
                    ui.setMode(nextMode(modeOrDefault(target->visualizerMode())), *target);
            });
            timer->start();
        }
    auto windows = [open] {
        if (TestHooks::isSet("ABOUT") && open.about)
            open.about();
        if (TestHooks::isSet("MINI") && open.mini)
            open.mini();
    };
    if (auto what = TestHooks::value("MUSIC_OPEN")) {
        QPointer<UIState> state(&ui);
        QTimer::singleShot(1500, &model, [&model, state, what = *what, windows] {
            if (state)
                openMusic(model, *state, what);
            windows();
        });
    } else {
        windows();
    }
}

} // namespace ZintraRadio
