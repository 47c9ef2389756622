#include "shell/ScriptedRun.hpp"

#include "ZazidEvoz/AudioEngine.hpp"
#include "ZazidEvoz/platform/Text.hpp"
#include "state/AppModel.hpp"
#include "state/TestHooks.hpp"
#include "state/UIState.hpp"

#include <QDir>
#include <QPointer>
#include <QTimer>
#include <charconv>
#include <cmath>

namespace ZintraRadio {

std::optional<double> hookNumber(std::string_view text) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [last, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || last != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

namespace {

void later(AppModel& model, double seconds, std::function<void(AppModel&)> work) {
    QPointer<AppModel> target(&model);
    QTimer::singleShot(static_cast<int>(std::clamp(seconds, 0.0, 86400.0) * 1000), &model,
                       [target, work = std::move(work)] {
                           if (target)
                               work(*target);
                       });
}

void autoplay(AppModel& model, const std::string& text) {
    for (const auto& station : model.library().stations)
        if (ZazidEvoz::text::containsLocalizedCaseInsensitive(station.name, text)) {
            model.play(station);
            return;
        }
    model.playLink(text);
}

} // namespace

void runLaunchHooks(AppModel& model) {
    if (auto volume = TestHooks::value("VOLUME"))
        if (auto number = hookNumber(*volume))
            model.engine().setVolume(static_cast<float>(*number));
    if (auto mode = TestHooks::value("MODE");
        mode && visualizerModes().contains(QString::fromStdString(*mode)))
        model.setVisualizerMode(*mode);
    if (auto text = TestHooks::value("AUTOPLAY"))
        autoplay(model, *text);
    if (auto delay = TestHooks::value("RECORD"))
        if (auto seconds = hookNumber(*delay))
            later(model, *seconds, [](AppModel& m) { m.startRecording(); });
    if (auto text = TestHooks::value("TOAST"))
        later(model, 1.0, [text = *text](AppModel& m) {
            m.show(Toast::Style::success, text, std::filesystem::path(QDir::homePath().toStdString()));
        });
}

} // namespace ZintraRadio
