#include "state/UIState.hpp"

#include "state/AppModel.hpp"
#include "state/Observable.hpp"
#include "state/TestHooks.hpp"
#include "system/Settings.hpp"

namespace ZintraRadio {

namespace {

const QString railKey = QStringLiteral("railCollapsed");
const QString lyricsKey = QStringLiteral("lyricsVisible");
const QString gridKey = QStringLiteral("stationGrid");

} // namespace

const QStringList& appModules() {
    static const QStringList modules{QStringLiteral("stations"), QStringLiteral("discover"),
                                     QStringLiteral("favorites"), QStringLiteral("history"),
                                     QStringLiteral("youtube"),  QStringLiteral("music"),
                                     QStringLiteral("recordings")};
    return modules;
}

const QStringList& visualizerModes() {
    static const QStringList modes{QStringLiteral("zintra"),  QStringLiteral("scope"),
                                   QStringLiteral("spectrum"), QStringLiteral("terrain"),
                                   QStringLiteral("vectorscope"), QStringLiteral("plasma"),
                                   QStringLiteral("aurora"),  QStringLiteral("warp")};
    return modes;
}

QString nextVisualizerMode(const QString& mode) {
    const auto& modes = visualizerModes();
    const auto index = std::max<qsizetype>(0, modes.indexOf(mode));
    return modes[(index + 1) % modes.size()];
}

UIState::UIState(std::shared_ptr<Settings> settings, QObject* parent)
    : QObject(parent), settings_(settings ? std::move(settings) : std::make_shared<Settings>()) {
    const auto panel = TestHooks::value("PANEL");
    if (panel && appModules().contains(QString::fromStdString(*panel)))
        module_ = QString::fromStdString(*panel);
    panelHidden_ = panel && *panel == "hidden";
    const auto rail = TestHooks::value("RAIL");
    if (rail && *rail == "collapsed")
        railCollapsed_ = true;
    else if (rail && *rail == "expanded")
        railCollapsed_ = false;
    else
        railCollapsed_ = settings_->boolValue(railKey, false);
    cinema_ = TestHooks::isSet("CINEMA");
    booting_ = !TestHooks::isSet("SKIP_BOOT");
    lyricsVisible_ = TestHooks::isSet("LYRICS") || settings_->boolValue(lyricsKey, false);
    stationGrid_ = TestHooks::isSet("GRID") || settings_->boolValue(gridKey, false);
}

UIState::~UIState() = default;

void UIState::setModule(const QString& module) {
    if (appModules().contains(module))
        storeProperty(this, module_, module, &UIState::moduleChanged);
}

void UIState::setRailCollapsed(bool collapsed) {
    storeProperty(this, railCollapsed_, collapsed, &UIState::railCollapsedChanged);
}

void UIState::setPanelHidden(bool hidden) {
    storeProperty(this, panelHidden_, hidden, &UIState::panelHiddenChanged);
}

void UIState::setCinema(bool cinema) {
    storeProperty(this, cinema_, cinema, &UIState::cinemaChanged);
}

void UIState::setBooting(bool booting) {
    storeProperty(this, booting_, booting, &UIState::bootingChanged);
}

void UIState::setLyricsVisible(bool visible) {
    storeProperty(this, lyricsVisible_, visible, &UIState::lyricsVisibleChanged);
    settings_->setBool(lyricsKey, visible);
}

void UIState::setStationGrid(bool grid) {
    storeProperty(this, stationGrid_, grid, &UIState::stationGridChanged);
    settings_->setBool(gridKey, grid);
}

QVariant UIState::pendingYouTubeQueryValue() const {
    return pendingYouTubeQuery_ ? QVariant(*pendingYouTubeQuery_) : QVariant();
}

void UIState::setPendingYouTubeQueryValue(const QVariant& query) {
    std::optional<QString> value;
    if (query.isValid() && !query.isNull())
        value = query.toString();
    storeProperty(this, pendingYouTubeQuery_, value, &UIState::pendingYouTubeQueryChanged);
}

void UIState::show(const QString& module) {
    setModule(module);
    setPanelHidden(false);
    setCinema(false);
}

void UIState::toggleRail() {
    setRailCollapsed(!railCollapsed_);
    settings_->setBool(railKey, railCollapsed_);
    settings_->sync();
}

void UIState::togglePanel() {
    setPanelHidden(!panelHidden_);
}

void UIState::toggleCinema() {
    setCinema(!cinema_);
}

void UIState::toggleLyrics() {
    setLyricsVisible(!lyricsVisible_);
}

void UIState::setMode(const QString& mode, AppModel* model) {
    if (model == nullptr || !visualizerModes().contains(mode))
        return;
    QString current = model->visualizerModeText();
    if (!visualizerModes().contains(current))
        current = visualizerModes().first();
    if (mode == current)
        return;
    model->setVisualizerModeText(mode);
    storeProperty(this, modeChanged_, QDateTime::currentDateTimeUtc(), &UIState::modeChangedChanged);
}

void UIState::focusLink() {
    setCinema(false);
    ++linkFocus_;
    Q_EMIT linkFocusChanged();
}

void UIState::focusSearch() {
    static const QStringList searchable{QStringLiteral("stations"), QStringLiteral("discover"),
                                        QStringLiteral("youtube"), QStringLiteral("music")};
    if (panelHidden_ || cinema_)
        show(module_ == QLatin1String("youtube") ? QStringLiteral("youtube") : QStringLiteral("discover"));
    else if (!searchable.contains(module_))
        show(QStringLiteral("discover"));
    ++searchFocus_;
    Q_EMIT searchFocusChanged();
}

} // namespace ZintraRadio
