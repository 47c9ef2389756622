// The music browser's navigation and sheet state: the tab, the open detail page, the search
// text, the selected tracks, the three sheet requests (tag editor, lyrics, smart-playlist
// editor) and whether the user hid the browser to watch the stage. It holds no library data:
// what it names lives in the music model and is named here by value or identifier.
// Main thread only; nothing of it is stored.
#pragma once

#include "ZazidEvoz/music/MusicLibrary.hpp"
#include "state/UIStateAnimation.hpp"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace ZintraRadio {

using ZazidEvoz::SmartPlaylist;
using ZazidEvoz::Track;
using ZazidEvoz::platform::Uuid;

class MusicUI : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString tab READ tabName WRITE setTabName NOTIFY tabChanged)
    Q_PROPERTY(QVariant route READ routeValue NOTIFY routeChanged)
    Q_PROPERTY(QString search READ searchText WRITE setSearchText NOTIFY searchChanged)
    Q_PROPERTY(QStringList selection READ selectionList WRITE setSelectionList NOTIFY selectionChanged)
    Q_PROPERTY(QVariant editing READ editingValue WRITE setEditingValue NOTIFY editingChanged)
    Q_PROPERTY(QVariant lyricsRequest READ lyricsRequestValue WRITE setLyricsRequestValue NOTIFY
                   lyricsRequestChanged)
    Q_PROPERTY(QVariant smartDraft READ smartDraftValue WRITE setSmartDraftValue NOTIFY smartDraftChanged)
    Q_PROPERTY(
        bool smartDraftIsNew READ smartDraftIsNew WRITE setSmartDraftIsNew NOTIFY smartDraftIsNewChanged)
    Q_PROPERTY(bool browserHidden READ browserHidden WRITE setBrowserHidden NOTIFY browserHiddenChanged)
    Q_PROPERTY(QVariantMap animation READ animationValue NOTIFY animationChanged)
    Q_PROPERTY(QStringList tabs READ tabNames CONSTANT)

public:
    enum class Tab { albums, tracks, genres, artists, playlists };

    // A detail page: an album, genre or artist by name, a playlist or smart playlist by id.
    class Route {
    public:
        enum class Kind { album, genre, artist, playlist, smart };

        static Route album(std::string name) { return {Kind::album, std::move(name), {}}; }
        static Route genre(std::string name) { return {Kind::genre, std::move(name), {}}; }
        static Route artist(std::string name) { return {Kind::artist, std::move(name), {}}; }
        static Route playlist(Uuid id) { return {Kind::playlist, {}, id}; }
        static Route smart(Uuid id) { return {Kind::smart, {}, id}; }

        Kind kind() const { return kind_; }
        // The album, genre or artist name; empty for the pages named by id.
        const std::string& name() const { return name_; }
        // The playlist's or smart playlist's id; nil for the pages named by name.
        const Uuid& id() const { return id_; }
        bool namedById() const { return kind_ == Kind::playlist || kind_ == Kind::smart; }

        friend bool operator==(const Route&, const Route&) = default;

    private:
        Route(Kind kind, std::string name, Uuid id) : kind_(kind), name_(std::move(name)), id_(id) {}
        Kind kind_;
        std::string name_;
        Uuid id_;
    };

    struct RouteHash {
        std::size_t operator()(const Route& route) const;
    };

    // The song whose stored lyrics the lyrics sheet shows.
    struct LyricsRequest {
        Uuid id = Uuid::random();
        std::string artist;
        std::string title;
        friend bool operator==(const LyricsRequest&, const LyricsRequest&) = default;
    };

    // Reads a test hook by name (the process's hook snapshot unless a test gives its own).
    using HookReader = std::function<std::optional<std::string>(std::string_view hook)>;

    // Opening and closing a page.
    static constexpr ViewAnimation pageAnimation = ViewAnimation::spring(0.4, 0.85);

    explicit MusicUI(QObject* parent = nullptr);
    explicit MusicUI(const HookReader& hooks, QObject* parent = nullptr);

    Tab tab() const { return tab_; }
    void setTab(Tab tab);
    const std::optional<Route>& route() const { return route_; }
    const std::string& search() const { return search_; }
    void setSearch(std::string search);
    // Paths of the selected tracks.
    const std::set<std::string>& selection() const { return selection_; }
    void setSelection(std::set<std::string> selection);
    // Puts the track's path into the selection, or takes it out when it is there.
    Q_INVOKABLE void toggleSelected(const QString& path);
    Q_INVOKABLE bool isSelected(const QString& path) const;
    // A track presents the tag editor; none dismisses it.
    const std::optional<Track>& editing() const { return editing_; }
    void setEditing(std::optional<Track> track);
    // A request presents the lyrics sheet; every write announces, also an equal one.
    const std::optional<LyricsRequest>& lyricsRequest() const { return lyricsRequest_; }
    void setLyricsRequest(std::optional<LyricsRequest> request);
    // A draft presents the smart-playlist editor; write smartDraftIsNew first.
    const std::optional<SmartPlaylist>& smartDraft() const { return smartDraft_; }
    void setSmartDraft(std::optional<SmartPlaylist> draft);
    bool smartDraftIsNew() const { return smartDraftIsNew_; }
    void setSmartDraftIsNew(bool isNew);
    bool browserHidden() const { return browserHidden_; }
    void setBrowserHidden(bool hidden);
    const ViewAnimation& animation() const { return animation_; }

    // Shows a detail page (replacing any other), empties the selection and shows the browser.
    void open(const Route& route);
    // Returns to the tabs and empties the selection.
    Q_INVOKABLE void close();

    // What every "new smart playlist" command hands the editor: a fresh id, no name, one empty
    // genre rule, all rules, by title, no limit.
    static SmartPlaylist newSmartPlaylistDraft();
    // The two ways into the editor, each writing the flag before the draft.
    Q_INVOKABLE void startNewSmartPlaylist();
    void editSmartPlaylist(const SmartPlaylist& playlist);

    // ---- For the views
    QString tabName() const;
    void setTabName(const QString& name); // a name that is no tab is ignored
    static QStringList tabNames();
    // {"kind": "album" | "genre" | "artist", "name"} or {"kind": "playlist" | "smart", "id"}; null
    // when no page is open.
    QVariant routeValue() const;
    // Opens the page of that kind; false (and nothing happens) for an unknown kind or an id
    // that is no UUID.
    Q_INVOKABLE bool open(const QString& kind, const QString& nameOrId);
    QString searchText() const;
    void setSearchText(const QString& text);
    QStringList selectionList() const;
    void setSelectionList(const QStringList& paths);
    // The track's path, title, artist, album, genre, year, duration, coverFile and rating, or
    // null. A written map needs a non-empty "path"; null dismisses.
    QVariant editingValue() const;
    void setEditingValue(const QVariant& value);
    // {"id", "artist", "title"} or null. A written map without a valid "id" gets a fresh one.
    QVariant lyricsRequestValue() const;
    void setLyricsRequestValue(const QVariant& value);
    // {"id", "name", "matchAll", "sort", "limit", "ruleCount"} or null. The views write only null
    // (dismissing the sheet); drafts come from startNewSmartPlaylist() and editSmartPlaylist().
    QVariant smartDraftValue() const;
    void setSmartDraftValue(const QVariant& value);
    QVariantMap animationValue() const { return animationMap(animation_); }

Q_SIGNALS:
    void tabChanged();
    void routeChanged();
    void searchChanged();
    void selectionChanged();
    void editingChanged();
    void lyricsRequestChanged();
    void smartDraftChanged();
    void smartDraftIsNewChanged();
    void browserHiddenChanged();
    void animationChanged();

private:
    void setAnimation(const ViewAnimation& animation);

    Tab tab_ = Tab::albums;
    std::optional<Route> route_;
    std::string search_;
    std::set<std::string> selection_;
    std::optional<Track> editing_;
    std::optional<LyricsRequest> lyricsRequest_;
    std::optional<SmartPlaylist> smartDraft_;
    bool smartDraftIsNew_ = false;
    bool browserHidden_ = false;
    ViewAnimation animation_ = pageAnimation;
};

// "albums", "tracks", "genres", "artists", "playlists".
std::string_view rawValue(MusicUI::Tab tab);
// Only the exact raw values name a tab.
std::optional<MusicUI::Tab> musicTabFromRawValue(std::string_view text);
// "music.tab." followed by the raw value.
std::string labelKey(MusicUI::Tab tab);
// "album", "genre", "artist", "playlist", "smart".
std::string_view rawValue(MusicUI::Route::Kind kind);

} // namespace ZintraRadio
