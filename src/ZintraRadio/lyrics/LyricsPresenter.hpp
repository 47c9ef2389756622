// What the lyrics views show of the lyrics model: the content for the lookup state, the song's
// texts, and, for each display frame, the lyric clock's current line, progress and sweep, the
// rows of the synced column with their styles, and the two lines of the video strip.
//
// The shown texts of a song's lines are made once, when the song arrives; a frame only looks
// the line up and styles at most ten rows. Main thread only.
#pragma once

#include "ZazidEvoz/lyrics/LyricsService.hpp"
#include "lyrics/LyricsRules.hpp"
#include "state/FollowedModel.hpp"
#include "state/ListModel.hpp"

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>
#include <memory>
#include <vector>

namespace ZintraRadio {

class AppModel;

// One row of the synced column.
struct KaraokeRow {
    std::int64_t line = 0;
    QString text;
    lyricsview::RowStyle style;
    friend bool operator==(const KaraokeRow& a, const KaraokeRow& b);
};

class LyricsPresenter : public QObject {
    Q_OBJECT
    QML_ELEMENT
    // Inputs.
    Q_PROPERTY(QObject* model READ modelObject WRITE setModel NOTIFY modelChanged)
    Q_PROPERTY(double viewWidth READ viewWidth WRITE setViewWidth NOTIFY viewWidthChanged)
    Q_PROPERTY(bool reduceMotion READ reduceMotion WRITE setReduceMotion NOTIFY reduceMotionChanged)
    // The lookup and the song.
    Q_PROPERTY(QString overlayContent READ overlayContent NOTIFY contentChanged)
    Q_PROPERTY(bool controlsPresent READ controlsPresent NOTIFY contentChanged)
    Q_PROPERTY(bool creditPresent READ creditPresent NOTIFY contentChanged)
    Q_PROPERTY(QString stripContent READ stripContent NOTIFY contentChanged)
    Q_PROPERTY(QString songTitle READ songTitle NOTIFY contentChanged)
    Q_PROPERTY(QString failureText READ failureText NOTIFY contentChanged)
    Q_PROPERTY(QString title READ title NOTIFY contentChanged)
    Q_PROPERTY(QString artist READ artist NOTIFY contentChanged)
    Q_PROPERTY(QString plainText READ plainText NOTIFY contentChanged)
    Q_PROPERTY(int lineCount READ lineCount NOTIFY contentChanged)
    // The frame.
    Q_PROPERTY(int currentIndex READ currentIndex NOTIFY frameChanged)
    Q_PROPERTY(double progress READ progress NOTIFY frameChanged)
    Q_PROPERTY(double scroll READ scroll NOTIFY frameChanged)
    Q_PROPERTY(double sweepEnd READ sweepEnd NOTIFY frameChanged)
    Q_PROPERTY(double sweepClear READ sweepClear NOTIFY frameChanged)
    Q_PROPERTY(double cyanGlowOpacity READ cyanGlowOpacity NOTIFY frameChanged)
    Q_PROPERTY(double cyanGlowRadius READ cyanGlowRadius NOTIFY frameChanged)
    Q_PROPERTY(double magentaGlowOpacity READ magentaGlowOpacity NOTIFY frameChanged)
    Q_PROPERTY(double magentaGlowRadius READ magentaGlowRadius NOTIFY frameChanged)
    Q_PROPERTY(double introTime READ introTime NOTIFY frameChanged)
    Q_PROPERTY(bool stripHasCurrent READ stripHasCurrent NOTIFY frameChanged)
    Q_PROPERTY(QString stripCurrent READ stripCurrent NOTIFY frameChanged)
    Q_PROPERTY(bool stripHasNext READ stripHasNext NOTIFY frameChanged)
    Q_PROPERTY(QString stripNext READ stripNext NOTIFY frameChanged)
    Q_PROPERTY(ZintraRadio::ListModelBase* rows READ rows CONSTANT)

public:
    explicit LyricsPresenter(QObject* parent = nullptr);
    ~LyricsPresenter() override;

    QObject* modelObject() const;
    void setModel(QObject* model);
    double viewWidth() const { return viewWidth_; }
    void setViewWidth(double width);
    bool reduceMotion() const { return reduceMotion_; }
    void setReduceMotion(bool reduce);

    // Reads the lyric clock and the audio pulse at the scheduler's date and updates the frame.
    Q_INVOKABLE void advance();
    // The seconds since 2001-01-01 UTC that the intro dots and the status glyph count in.
    static double referenceSeconds(ZazidEvoz::platform::Date date);

    QString overlayContent() const;
    bool controlsPresent() const { return layout_.controls; }
    bool creditPresent() const { return layout_.credit; }
    QString stripContent() const;
    QString songTitle() const { return songTitle_; }
    QString failureText() const { return failureText_; }
    QString title() const;
    QString artist() const;
    QString plainText() const;
    int lineCount() const { return static_cast<int>(song_.synced.size()); }
    // The shown text of every line of the song, in order.
    const std::vector<QString>& displayLines() const { return displayLines_; }

    int currentIndex() const { return currentIndex_ ? static_cast<int>(*currentIndex_) : -1; }
    double progress() const { return progress_; }
    double scroll() const { return scroll_; }
    double sweepEnd() const { return sweep_.opaqueEnd; }
    double sweepClear() const { return sweep_.clear; }
    double cyanGlowOpacity() const { return cyanGlow_.opacity; }
    double cyanGlowRadius() const { return cyanGlow_.radius; }
    double magentaGlowOpacity() const { return magentaGlow_.opacity; }
    double magentaGlowRadius() const { return magentaGlow_.radius; }
    double introTime() const { return introTime_; }
    bool stripHasCurrent() const { return strip_.hasCurrent; }
    QString stripCurrent() const { return QString::fromStdString(strip_.current); }
    bool stripHasNext() const { return strip_.next.has_value(); }
    QString stripNext() const { return strip_.next ? QString::fromStdString(*strip_.next) : QString(); }
    ListModelBase* rows() const { return rowModel_.get(); }
    const std::vector<KaraokeRow>& rowValues() const { return rows_; }

Q_SIGNALS:
    void modelChanged();
    void viewWidthChanged();
    void reduceMotionChanged();
    void contentChanged();
    void frameChanged();

private:
    void readSong();
    void readState();
    void restyleRows();

    FollowedModel<AppModel> model_;
    double viewWidth_ = 0;
    bool reduceMotion_ = false;

    ZazidEvoz::SongLyrics song_;
    std::vector<QString> displayLines_;
    lyricsview::OverlayLayout layout_;
    lyricsview::StripContent stripContent_ = lyricsview::StripContent::nothing;
    QString songTitle_;
    QString failureText_;

    std::optional<std::int64_t> currentIndex_;
    double progress_ = 0;
    double scroll_ = -1;
    double beat_ = 0;
    double energy_ = 0;
    lyricsview::SweepStops sweep_;
    lyricsview::Glow cyanGlow_;
    lyricsview::Glow magentaGlow_;
    double introTime_ = 0;
    lyricsview::StripLines strip_;
    std::vector<KaraokeRow> rows_;
    std::unique_ptr<VectorListModel<KaraokeRow>> rowModel_;
};

} // namespace ZintraRadio
