#include "state/UIState.hpp"

#include "state/AppModel.hpp"
#include "state/MusicUI.hpp"
#include "state/Observable.hpp"
#include "state/QtValues.hpp"
#include "state/StageFeed.hpp"
#include "state/TestHooks.hpp"
#include "system/Settings.hpp"

namespace ZintraRadio {

namespace {

// The modules whose panel has a search field of its own.
bool hasSearchField(AppModule module) {
    return module == AppModule::stations || module == AppModule::discover || module == AppModule::youtube ||
           module == AppModule::music;
}

QString latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

} // namespace

const QStringList& appModules() {
    static const QStringList names = [] {
        QStringList list;
        for (AppModule module : allAppModules)
            list << latin1(rawValue(module));
        return list;
    }();
    return names;
}

const QStringList& visualizerModes() {
    static const QStringList names = [] {
        QStringList list;
        for (VisualizerMode mode : allVisualizerModes)
            list << latin1(rawValue(mode));
        return list;
    }();
    return names;
}

QString nextVisualizerMode(const QString& mode) {
    return latin1(rawValue(nextMode(modeOrDefault(stdText(mode)))));
}

Date UIState::distantPast() {
    return ZazidEvoz::platform::dateFromSecondsSince1970(-62135596800.0);
}

UIState::UIState(Options options, QObject* parent) : QObject(parent), options_(std::move(options)) {
    if (!options_.hooks)
        options_.hooks = &TestHooks::value;
    if (!options_.scheduler)
        options_.scheduler = Scheduler::system();
    settings_ = options_.settingsFile ? std::make_unique<Settings>(*options_.settingsFile)
                                      : std::make_unique<Settings>();
    const auto& hook = options_.hooks;

    const auto panel = hook("PANEL");
    if (panel)
        module_ = appModuleFromRawValue(*panel).value_or(AppModule::stations);
    panelHidden_ = panel == "hidden";

    const auto rail = hook("RAIL");
    if (rail == "collapsed")
        railCollapsed_ = true;
    else if (rail == "expanded")
        railCollapsed_ = false;
    else
        railCollapsed_ = settings_->boolValue(QLatin1String(railCollapsedKey), false);

    // Switch hooks count whenever present, also with an empty value.
    cinema_ = hook("CINEMA").has_value();
    booting_ = !hook("SKIP_BOOT").has_value();
    lyricsVisible_ =
        hook("LYRICS").has_value() || settings_->boolValue(QLatin1String(lyricsVisibleKey), false);
    stationGrid_ = hook("GRID").has_value() || settings_->boolValue(QLatin1String(stationGridKey), false);

    feed_ = new StageFeed(this);
    music_ = new MusicUI(MusicUI::HookReader(hook), this);
}

UIState::~UIState() = default;

// ---- Fields

void UIState::setModule(AppModule module) {
    storeProperty(this, module_, module, &UIState::moduleChanged);
}

void UIState::setRailCollapsed(bool collapsed) {
    storeProperty(this, railCollapsed_, collapsed, &UIState::railCollapsedChanged);
    // Stored on every write, not only by toggleRail(): a rail that sets the field directly
    // must not lose the choice at the next start.
    storeSwitch(railCollapsedKey, collapsed);
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
    storeSwitch(lyricsVisibleKey, visible);
}

void UIState::setStationGrid(bool grid) {
    storeProperty(this, stationGrid_, grid, &UIState::stationGridChanged);
    storeSwitch(stationGridKey, grid);
}

void UIState::setPendingYouTubeQuery(std::optional<std::string> query) {
    storeProperty(this, pendingYouTubeQuery_, std::move(query), &UIState::pendingYouTubeQueryChanged);
}

void UIState::setAnimation(const ViewAnimation& animation) {
    storeProperty(this, animation_, animation, &UIState::animationChanged);
}

void UIState::storeSwitch(const char* key, bool value) {
    settings_->setBool(QLatin1String(key), value);
    settings_->sync();
}

bool UIState::reducedMotion() const {
    return options_.reducedMotion ? options_.reducedMotion() : motionForced();
}

ViewAnimation UIState::panelAnimation() const {
    return reducedMotion() ? reducedPanel : panelSpring;
}

// ---- Operations
// A Linux desktop has no haptic feedback to play on a rail or mode change.

void UIState::show(AppModule module) {
    setAnimation(panelAnimation());
    setModule(module);
    setPanelHidden(false);
    setCinema(false);
}

void UIState::toggleRail() {
    setAnimation(panelAnimation());
    setRailCollapsed(!railCollapsed_);
}

void UIState::togglePanel() {
    setAnimation(panelAnimation());
    setPanelHidden(!panelHidden_);
}

void UIState::toggleCinema() {
    setAnimation(panelAnimation());
    setCinema(!cinema_);
}

void UIState::toggleLyrics() {
    setAnimation(lyricsFade);
    setLyricsVisible(!lyricsVisible_);
}

bool UIState::selectMode(VisualizerMode mode, std::string_view storedMode,
                         const std::function<void(const std::string& rawValue)>& storeMode) {
    if (modeOrDefault(storedMode) == mode)
        return false;
    setAnimation(reducedMotion() ? reducedModeFade : modeFade);
    storeMode(std::string(rawValue(mode)));
    storeProperty(this, modeChanged_, options_.scheduler->date(), &UIState::modeChangedChanged);
    return true;
}

void UIState::setMode(VisualizerMode mode, AppModel& model) {
    selectMode(mode, model.visualizerMode(), [&](const std::string& raw) { model.setVisualizerMode(raw); });
}

void UIState::focusLink() {
    if (cinema_) {
        setAnimation(panelAnimation());
        setCinema(false);
    }
    storeProperty(this, linkFocus_, linkFocus_ + 1, &UIState::linkFocusChanged);
}

void UIState::focusSearch() {
    const bool panelOnScreen = !panelHidden_ && !cinema_;
    if (!panelOnScreen)
        show(module_ == AppModule::youtube ? AppModule::youtube : AppModule::discover);
    else if (!hasSearchField(module_))
        show(AppModule::discover);
    storeProperty(this, searchFocus_, searchFocus_ + 1, &UIState::searchFocusChanged);
}

// ---- For the views

QString UIState::moduleName() const {
    return latin1(rawValue(module_));
}

void UIState::setModuleName(const QString& name) {
    if (auto module = appModuleFromRawValue(stdText(name)))
        setModule(*module);
}

QVariant UIState::pendingYouTubeQueryValue() const {
    return optionalText(pendingYouTubeQuery_);
}

void UIState::setPendingYouTubeQueryValue(const QVariant& query) {
    if (query.isNull() || !query.isValid())
        setPendingYouTubeQuery(std::nullopt);
    else
        setPendingYouTubeQuery(stdText(query.toString()));
}

QDateTime UIState::modeChangedValue() const {
    return qtDate(modeChanged_);
}

QVariantList UIState::moduleEntries() {
    QVariantList entries;
    for (AppModule module : allAppModules)
        entries << QVariantMap{{QStringLiteral("name"), latin1(rawValue(module))},
                               {QStringLiteral("labelKey"), latin1(labelKey(module))},
                               {QStringLiteral("shortcut"), QString(QLatin1Char(shortcut(module)))}};
    return entries;
}

QVariantList UIState::modeEntries() {
    QVariantList entries;
    for (VisualizerMode mode : allVisualizerModes)
        entries << QVariantMap{{QStringLiteral("name"), latin1(rawValue(mode))},
                               {QStringLiteral("labelKey"), latin1(labelKey(mode))}};
    return entries;
}

void UIState::show(const QString& module) {
    if (auto found = appModuleFromRawValue(stdText(module)))
        show(*found);
}

void UIState::setMode(const QString& mode, QObject* model) {
    auto* appModel = qobject_cast<AppModel*>(model);
    auto found = visualizerModeFromRawValue(stdText(mode));
    if (appModel != nullptr && found)
        setMode(*found, *appModel);
}

} // namespace ZintraRadio
