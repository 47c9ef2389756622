#include "lyrics/LyricsPresenter.hpp"

#include "state/AppModel.hpp"
#include "state/Observable.hpp"

namespace ZintraRadio {

using namespace lyricsview;
using ZazidEvoz::platform::Date;

namespace {

// 2001-01-01 00:00:00 UTC in seconds since 1970.
constexpr double referenceDate = 978307200;

std::vector<ListRole<KaraokeRow>> rowRoles() {
    return {
        {"line", [](const KaraokeRow& row) { return QVariant::fromValue(static_cast<int>(row.line)); }},
        {"text", [](const KaraokeRow& row) { return QVariant(row.text); }},
        {"isCurrent", [](const KaraokeRow& row) { return QVariant(row.style.isCurrent); }},
        {"rowScale", [](const KaraokeRow& row) { return QVariant(row.style.scale); }},
        {"rowOpacity", [](const KaraokeRow& row) { return QVariant(row.style.opacity); }},
        {"textOpacity", [](const KaraokeRow& row) { return QVariant(row.style.textOpacity); }},
        {"blurRadius", [](const KaraokeRow& row) { return QVariant(row.style.blurRadius); }},
        {"offsetY", [](const KaraokeRow& row) { return QVariant(row.style.offsetY); }},
        {"frameWidth", [](const KaraokeRow& row) { return QVariant(row.style.frameWidth); }},
    };
}

QString overlayName(OverlayContent content) {
    switch (content) {
    case OverlayContent::waiting:
        return QStringLiteral("waiting");
    case OverlayContent::searching:
        return QStringLiteral("searching");
    case OverlayContent::nothing:
        return QStringLiteral("nothing");
    case OverlayContent::instrumental:
        return QStringLiteral("instrumental");
    case OverlayContent::synced:
        return QStringLiteral("synced");
    case OverlayContent::plain:
        return QStringLiteral("plain");
    case OverlayContent::notFound:
        return QStringLiteral("notFound");
    case OverlayContent::failed:
        return QStringLiteral("failed");
    }
    return QStringLiteral("waiting");
}

QString stripName(StripContent content) {
    switch (content) {
    case StripContent::nothing:
        return QStringLiteral("nothing");
    case StripContent::searching:
        return QStringLiteral("searching");
    case StripContent::synced:
        return QStringLiteral("synced");
    case StripContent::plain:
        return QStringLiteral("plain");
    }
    return QStringLiteral("nothing");
}

} // namespace

bool operator==(const KaraokeRow& a, const KaraokeRow& b) {
    const auto& x = a.style;
    const auto& y = b.style;
    return a.line == b.line && a.text == b.text && x.isCurrent == y.isCurrent && x.scale == y.scale &&
           x.opacity == y.opacity && x.textOpacity == y.textOpacity && x.blurRadius == y.blurRadius &&
           x.offsetY == y.offsetY && x.frameWidth == y.frameWidth;
}

LyricsPresenter::LyricsPresenter(QObject* parent)
    : QObject(parent), rowModel_(std::make_unique<VectorListModel<KaraokeRow>>(&rows_, rowRoles())) {}

LyricsPresenter::~LyricsPresenter() = default;

QObject* LyricsPresenter::modelObject() const {
    return model_.get();
}

void LyricsPresenter::setModel(QObject* object) {
    if (!model_.replace(object))
        return;
    if (model_) {
        LyricsModel* lyrics = model_->lyrics();
        model_.follow(connect(lyrics, &LyricsModel::lyricsChanged, this, [this] { readSong(); }));
        model_.follow(connect(lyrics, &LyricsModel::lyricsStateChanged, this, [this] { readState(); }));
        model_.follow(connect(lyrics, &LyricsModel::songTitleChanged, this, [this] { readState(); }));
    }
    readSong();
    Q_EMIT modelChanged();
}

void LyricsPresenter::setViewWidth(double width) {
    if (storeProperty(this, viewWidth_, width, &LyricsPresenter::viewWidthChanged))
        restyleRows();
}

void LyricsPresenter::setReduceMotion(bool reduce) {
    if (storeProperty(this, reduceMotion_, reduce, &LyricsPresenter::reduceMotionChanged))
        restyleRows();
}

double LyricsPresenter::referenceSeconds(Date date) {
    return ZazidEvoz::platform::secondsSince1970(date) - referenceDate;
}

void LyricsPresenter::readSong() {
    const auto* lyrics = model_ ? &model_->lyrics()->lyrics() : nullptr;
    song_ = lyrics && *lyrics ? **lyrics : ZazidEvoz::SongLyrics{};
    displayLines_.clear();
    displayLines_.reserve(song_.synced.size());
    for (const auto& line : song_.synced)
        displayLines_.push_back(QString::fromStdString(displayText(line.text)));
    currentIndex_.reset();
    readState();
    advance();
}

void LyricsPresenter::readState() {
    if (model_) {
        const LyricsModel& lyrics = *model_->lyrics();
        layout_ = overlayLayout(lyrics.lyricsState().kind, lyrics.lyrics());
        stripContent_ = lyricsview::stripContent(lyrics.lyricsState().kind, lyrics.lyrics());
        songTitle_ = lyrics.songTitle() ? QString::fromStdString(*lyrics.songTitle()) : QString();
        failureText_ = lyrics.failureText();
    } else {
        layout_ = {};
        stripContent_ = StripContent::nothing;
        songTitle_.clear();
        failureText_.clear();
    }
    Q_EMIT contentChanged();
}

QString LyricsPresenter::overlayContent() const {
    return overlayName(layout_.content);
}

QString LyricsPresenter::stripContent() const {
    return stripName(stripContent_);
}

QString LyricsPresenter::title() const {
    return QString::fromStdString(song_.title);
}

QString LyricsPresenter::artist() const {
    return QString::fromStdString(song_.artist);
}

QString LyricsPresenter::plainText() const {
    return QString::fromStdString(song_.plain);
}

void LyricsPresenter::advance() {
    currentIndex_.reset();
    progress_ = 0;
    beat_ = 0;
    energy_ = 0;
    if (model_) {
        const LyricsModel& lyrics = *model_->lyrics();
        const Date now = model_->scheduler().date();
        const auto& current = lyrics.lyrics();
        if (current && current->hasSynced())
            if (auto clock = usableClock(lyrics.position(now)))
                currentIndex_ = current->lineIndex(*clock);
        // The rows are this song's: a line the model names beyond them is no line.
        currentIndex_ = shownLine(currentIndex_, song_.synced.size());
        if (currentIndex_)
            progress_ = lyrics.lineProgress(now);
        const auto& frame = model_->pulse().frame(now);
        beat_ = frame.beat;
        energy_ = frame.energy;
        introTime_ = referenceSeconds(now);
    }
    scroll_ = scrollPosition(currentIndex_, progress_);
    const RowStyle currentStyle = rowStyle(currentIndex_.value_or(0), scroll_, currentIndex_, progress_,
                                           beat_, energy_, viewWidth_, reduceMotion_);
    sweep_ = currentStyle.sweep;
    cyanGlow_ = currentStyle.cyanGlow;
    magentaGlow_ = currentStyle.magentaGlow;
    strip_ = stripLines(song_.synced, currentIndex_);
    restyleRows();
    Q_EMIT frameChanged();
}

void LyricsPresenter::restyleRows() {
    const auto count = static_cast<std::int64_t>(song_.synced.size());
    const RowWindow window = visibleRows(scroll_, count);
    std::vector<KaraokeRow> rows;
    rows.reserve(static_cast<std::size_t>(window.size()));
    for (std::int64_t line = window.first; line <= window.last; ++line)
        rows.push_back(
            {line, displayLines_[static_cast<std::size_t>(line)],
             rowStyle(line, scroll_, currentIndex_, progress_, beat_, energy_, viewWidth_, reduceMotion_)});
    rowModel_->assign(std::move(rows));
}

} // namespace ZintraRadio
