// The window-wide state of the interface that several views share: the module the side panel
// shows, the rail's width, the hidden panel, cinema mode, the start-up splash, the lyrics
// overlay, the station grid, a query handed to the YouTube panel, the focus requests and the
// time of the last visualizer mode change. One per process (AppRuntime::ui()). The views
// animate the changes; this model only holds and stores them.
#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace ZintraRadio {

class AppModel;
class Settings;

// The side panel's modules, in order; their raw values are these names.
const QStringList& appModules();
// The visualizer modes, in order; a text that is no mode counts as the first.
const QStringList& visualizerModes();
// The mode after `mode`, wrapping from the last to the first.
QString nextVisualizerMode(const QString& mode);

class UIState : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString module READ module WRITE setModule NOTIFY moduleChanged)
    Q_PROPERTY(bool railCollapsed READ railCollapsed WRITE setRailCollapsed NOTIFY railCollapsedChanged)
    Q_PROPERTY(bool panelHidden READ panelHidden WRITE setPanelHidden NOTIFY panelHiddenChanged)
    Q_PROPERTY(bool cinema READ cinema WRITE setCinema NOTIFY cinemaChanged)
    Q_PROPERTY(bool booting READ booting WRITE setBooting NOTIFY bootingChanged)
    Q_PROPERTY(bool lyricsVisible READ lyricsVisible WRITE setLyricsVisible NOTIFY lyricsVisibleChanged)
    Q_PROPERTY(bool stationGrid READ stationGrid WRITE setStationGrid NOTIFY stationGridChanged)
    Q_PROPERTY(QVariant pendingYouTubeQuery READ pendingYouTubeQueryValue WRITE setPendingYouTubeQueryValue NOTIFY
                   pendingYouTubeQueryChanged)
    Q_PROPERTY(int linkFocus READ linkFocus NOTIFY linkFocusChanged)
    Q_PROPERTY(int searchFocus READ searchFocus NOTIFY searchFocusChanged)
    Q_PROPERTY(QDateTime modeChanged READ modeChanged NOTIFY modeChangedChanged)
    Q_PROPERTY(QStringList modules READ modules CONSTANT)
    Q_PROPERTY(QStringList modes READ modes CONSTANT)

public:
    // Reads the start values from `settings` (none: the user's settings) and the test hooks.
    explicit UIState(std::shared_ptr<Settings> settings = nullptr, QObject* parent = nullptr);
    ~UIState() override;

    const QString& module() const { return module_; }
    void setModule(const QString& module); // an unknown name is ignored
    bool railCollapsed() const { return railCollapsed_; }
    void setRailCollapsed(bool collapsed);
    bool panelHidden() const { return panelHidden_; }
    void setPanelHidden(bool hidden);
    bool cinema() const { return cinema_; }
    void setCinema(bool cinema);
    bool booting() const { return booting_; }
    void setBooting(bool booting);
    bool lyricsVisible() const { return lyricsVisible_; }
    // Every write, also of the same value, is stored under "lyricsVisible".
    void setLyricsVisible(bool visible);
    bool stationGrid() const { return stationGrid_; }
    // Every write, also of the same value, is stored under "stationGrid".
    void setStationGrid(bool grid);
    const std::optional<QString>& pendingYouTubeQuery() const { return pendingYouTubeQuery_; }
    QVariant pendingYouTubeQueryValue() const;
    void setPendingYouTubeQueryValue(const QVariant& query);
    int linkFocus() const { return linkFocus_; }
    int searchFocus() const { return searchFocus_; }
    const QDateTime& modeChanged() const { return modeChanged_; }
    QStringList modules() const { return appModules(); }
    QStringList modes() const { return visualizerModes(); }

    // Selects the module, shows the panel and leaves cinema mode.
    Q_INVOKABLE void show(const QString& module);
    // Flips the rail's width and stores it under "railCollapsed".
    Q_INVOKABLE void toggleRail();
    Q_INVOKABLE void togglePanel();
    Q_INVOKABLE void toggleCinema();
    Q_INVOKABLE void toggleLyrics();
    // Sets the model's visualizer mode when it differs from the current one (a stored text
    // that is no mode counts as the first) and notes the time of the change.
    Q_INVOKABLE void setMode(const QString& mode, ZintraRadio::AppModel* model);
    // Leaves cinema mode, then asks the stage's link field for the focus.
    Q_INVOKABLE void focusLink();
    // Shows a module with a search field when needed, then asks its field for the focus.
    Q_INVOKABLE void focusSearch();

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

private:
    std::shared_ptr<Settings> settings_;
    QString module_ = QStringLiteral("stations");
    bool railCollapsed_ = false;
    bool panelHidden_ = false;
    bool cinema_ = false;
    bool booting_ = true;
    bool lyricsVisible_ = false;
    bool stationGrid_ = false;
    std::optional<QString> pendingYouTubeQuery_;
    int linkFocus_ = 0;
    int searchFocus_ = 0;
    QDateTime modeChanged_;
};

} // namespace ZintraRadio
