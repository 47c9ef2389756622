// The window-wide state of the user interface that several views share: the side panel's
// module, the rail, the panel and cinema switches, the start-up splash, the lyrics overlay
// and station grid switches, a query handed to the YouTube panel, two focus requests and
// the date of the last visualizer mode change. It owns the stage's visual feed and the music
// browser's state. Main thread only.
//
// Three switches survive a restart in the user's settings: "railCollapsed", "lyricsVisible"
// and "stationGrid"; each is written whenever it is set. The start layout of a scripted run
// comes from the test hooks, read once at construction.
#pragma once

#include "ZazidEvoz/platform/Date.hpp"
#include "state/AppModule.hpp"
#include "state/Scheduler.hpp"
#include "state/UIStateAnimation.hpp"
#include "state/VisualizerMode.hpp"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace ZintraRadio {

class AppModel;
class MusicUI;
class Settings;
class StageFeed;

// The raw values of the modules in rail order and of the modes in picker order.
const QStringList& appModules();
const QStringList& visualizerModes();
// The raw value of the mode after the one `mode` names; a text that is no mode counts as the
// first.
QString nextVisualizerMode(const QString& mode);

class UIState : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString module READ moduleName WRITE setModuleName NOTIFY moduleChanged)
    Q_PROPERTY(bool railCollapsed READ railCollapsed WRITE setRailCollapsed NOTIFY railCollapsedChanged)
    Q_PROPERTY(bool panelHidden READ panelHidden WRITE setPanelHidden NOTIFY panelHiddenChanged)
    Q_PROPERTY(bool cinema READ cinema WRITE setCinema NOTIFY cinemaChanged)
    Q_PROPERTY(bool booting READ booting WRITE setBooting NOTIFY bootingChanged)
    Q_PROPERTY(bool lyricsVisible READ lyricsVisible WRITE setLyricsVisible NOTIFY lyricsVisibleChanged)
    Q_PROPERTY(bool stationGrid READ stationGrid WRITE setStationGrid NOTIFY stationGridChanged)
    Q_PROPERTY(QVariant pendingYouTubeQuery READ pendingYouTubeQueryValue WRITE setPendingYouTubeQueryValue
                   NOTIFY pendingYouTubeQueryChanged)
    Q_PROPERTY(int linkFocus READ linkFocus NOTIFY linkFocusChanged)
    Q_PROPERTY(int searchFocus READ searchFocus NOTIFY searchFocusChanged)
    Q_PROPERTY(QDateTime modeChanged READ modeChangedValue NOTIFY modeChangedChanged)
    Q_PROPERTY(ZintraRadio::StageFeed* feed READ feed CONSTANT)
    Q_PROPERTY(ZintraRadio::MusicUI* music READ music CONSTANT)
    Q_PROPERTY(QVariantMap animation READ animationValue NOTIFY animationChanged)
    Q_PROPERTY(QStringList modules READ modules CONSTANT)
    Q_PROPERTY(QStringList modes READ modes CONSTANT)
    Q_PROPERTY(QVariantList moduleEntries READ moduleEntries CONSTANT)
    Q_PROPERTY(QVariantList modeEntries READ modeEntries CONSTANT)

public:
    // Reads a test hook by name.
    using HookReader = std::function<std::optional<std::string>(std::string_view hook)>;

    struct Options {
        // The settings file; none: the user's settings.
        std::optional<QString> settingsFile;
        // The clock of `modeChanged`.
        std::shared_ptr<Scheduler> scheduler = Scheduler::system();
        // Asked at every animated change; none: ZINTRARADIO_REDUCE_MOTION (read once).
        std::function<bool()> reducedMotion;
        // The hooks of the start layout; none: the process's hook snapshot.
        HookReader hooks;
    };

    static constexpr const char* railCollapsedKey = "railCollapsed";
    static constexpr const char* lyricsVisibleKey = "lyricsVisible";
    static constexpr const char* stationGridKey = "stationGrid";

    // The panel animations: a spring, or a short ease-in-out under reduced motion.
    static constexpr ViewAnimation panelSpring = ViewAnimation::spring(0.42, 0.85);
    static constexpr ViewAnimation reducedPanel = ViewAnimation::easeInOut(0.2);
    static constexpr ViewAnimation lyricsFade = ViewAnimation::easeInOut(0.35); // also under reduced motion
    static constexpr ViewAnimation modeFade = ViewAnimation::easeInOut(0.55);
    static constexpr ViewAnimation reducedModeFade = ViewAnimation::easeInOut(0.2);

    // `modeChanged` before the first change: 0001-01-01, long before any real date.
    static Date distantPast();

    explicit UIState(Options options, QObject* parent = nullptr);
    explicit UIState(QObject* parent = nullptr) : UIState(Options{}, parent) {}
    ~UIState() override;

    // ---- Fields; views write the switches and the module directly
    AppModule module() const { return module_; }
    void setModule(AppModule module);
    bool railCollapsed() const { return railCollapsed_; }
    void setRailCollapsed(bool collapsed);
    bool panelHidden() const { return panelHidden_; }
    void setPanelHidden(bool hidden);
    bool cinema() const { return cinema_; }
    void setCinema(bool cinema);
    bool booting() const { return booting_; }
    void setBooting(bool booting);
    bool lyricsVisible() const { return lyricsVisible_; }
    void setLyricsVisible(bool visible);
    bool stationGrid() const { return stationGrid_; }
    void setStationGrid(bool grid);
    const std::optional<std::string>& pendingYouTubeQuery() const { return pendingYouTubeQuery_; }
    void setPendingYouTubeQuery(std::optional<std::string> query);
    int linkFocus() const { return linkFocus_; }
    int searchFocus() const { return searchFocus_; }
    Date modeChanged() const { return modeChanged_; }
    StageFeed* feed() const { return feed_; }
    MusicUI* music() const { return music_; }
    // The animation of the last animated change, set before the fields it moves.
    const ViewAnimation& animation() const { return animation_; }

    // ---- Operations
    // Shows the module in the side panel, with the panel shown and cinema off.
    void show(AppModule module);
    Q_INVOKABLE void toggleRail();
    Q_INVOKABLE void togglePanel();
    Q_INVOKABLE void toggleCinema();
    Q_INVOKABLE void toggleLyrics();
    // Selects the stage's mode in the app model (which keeps and saves it). The mode already
    // selected changes nothing, not even `modeChanged`.
    void setMode(VisualizerMode mode, AppModel& model);
    // The rule of setMode() over the stored mode text and the way to store a new one; true when
    // the mode changed.
    bool selectMode(VisualizerMode mode, std::string_view storedMode,
                    const std::function<void(const std::string& rawValue)>& storeMode);
    // Asks the stage's link field for the keyboard focus, leaving cinema mode.
    Q_INVOKABLE void focusLink();
    // Asks a search field for the keyboard focus, first showing a module that has one.
    Q_INVOKABLE void focusSearch();
    bool reducedMotion() const;

    // ---- For the views
    QString moduleName() const;
    void setModuleName(const QString& name); // a name that is no module is ignored
    QVariant pendingYouTubeQueryValue() const;
    void setPendingYouTubeQueryValue(const QVariant& query); // null or undefined: none
    QDateTime modeChangedValue() const;
    QVariantMap animationValue() const { return animationMap(animation_); }
    // The raw values in rail order and in picker order.
    static QStringList modules() { return appModules(); }
    static QStringList modes() { return visualizerModes(); }
    // Each entry: {"name", "labelKey", "shortcut"} in rail order.
    static QVariantList moduleEntries();
    // Each entry: {"name", "labelKey"} in picker order.
    static QVariantList modeEntries();
    // A module name that is no module does nothing.
    Q_INVOKABLE void show(const QString& module);
    // A mode name that is no mode, or a model that is no AppModel, does nothing.
    Q_INVOKABLE void setMode(const QString& mode, QObject* model);
    // The raw value of the mode after the one `current` names (unknown counts as the first).
    Q_INVOKABLE static QString nextModeName(const QString& current) { return nextVisualizerMode(current); }

Q_SIGNALS:
    void moduleChanged();
    void railCollapsedChanged();
    void panelHiddenChanged();
    void cinemaChanged();
    void bootingChanged();
    void lyricsVisibleChanged();
    void stationGridChanged();
    void pendingYouTubeQueryChanged();
    void linkFocusChanged();
    void searchFocusChanged();
    void modeChangedChanged();
    void animationChanged();

private:
    void setAnimation(const ViewAnimation& animation);
    ViewAnimation panelAnimation() const;
    void storeSwitch(const char* key, bool value);

    Options options_;
    std::unique_ptr<Settings> settings_;

    AppModule module_ = AppModule::stations;
    bool railCollapsed_ = false;
    bool panelHidden_ = false;
    bool cinema_ = false;
    bool booting_ = true;
    bool lyricsVisible_ = false;
    bool stationGrid_ = false;
    std::optional<std::string> pendingYouTubeQuery_;
    int linkFocus_ = 0;
    int searchFocus_ = 0;
    Date modeChanged_ = distantPast();
    StageFeed* feed_ = nullptr; // child
    MusicUI* music_ = nullptr;  // child
    ViewAnimation animation_ = panelSpring;
};

} // namespace ZintraRadio
