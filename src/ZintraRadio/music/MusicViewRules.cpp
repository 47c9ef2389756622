#include "music/MusicViewRules.hpp"

#include "ZazidEvoz/platform/Text.hpp"
#include "music/MusicRules.hpp"
#include "state/QtValues.hpp"

#include <QQmlEngine>
#include <cmath>

namespace ZintraRadio {

MusicViewRules* MusicViewRules::create(QQmlEngine*, QJSEngine*) {
    static MusicViewRules* rules = new MusicViewRules();
    QQmlEngine::setObjectOwnership(rules, QQmlEngine::CppOwnership);
    return rules;
}

QString MusicViewRules::trackClick(bool commandHeld, bool selectionEmpty, bool isCurrent) const {
    switch (ZintraRadio::trackClick(commandHeld, selectionEmpty, isCurrent)) {
    case TrackClick::toggleSelection:
        return QStringLiteral("toggleSelection");
    case TrackClick::togglePlayback:
        return QStringLiteral("togglePlayback");
    case TrackClick::play:
        break;
    }
    return QStringLiteral("play");
}

QString MusicViewRules::coverOverlay(bool busy, bool isCurrent, bool hovering, bool paused) const {
    switch (ZintraRadio::coverOverlay(busy, isCurrent, hovering, paused)) {
    case CoverOverlay::busy:
        return QStringLiteral("busy");
    case CoverOverlay::equalizer:
        return QStringLiteral("equalizer");
    case CoverOverlay::pause:
        return QStringLiteral("pause");
    case CoverOverlay::play:
        return QStringLiteral("play");
    case CoverOverlay::none:
        break;
    }
    return QStringLiteral("none");
}

int MusicViewRules::ratingAfterClick(int star, int rating) const {
    return ZintraRadio::ratingAfterClick(star, rating);
}

QString MusicViewRules::trackSubtitle(const QString& artist, const QString& album, bool showsAlbum) const {
    return qtText(ZintraRadio::trackSubtitle(stdText(artist), stdText(album), showsAlbum));
}

QString MusicViewRules::trackDuration(double seconds) const {
    return qtText(trackDurationText(seconds));
}

QVariantMap MusicViewRules::trackRowParts(double rowWidth, double fixedWidth, double badgeWidth,
                                          double starsWidth, double spacing, double titleMinimum) const {
    const auto parts =
        ZintraRadio::trackRowParts(rowWidth, fixedWidth, badgeWidth, starsWidth, spacing, titleMinimum);
    return {{QStringLiteral("badge"), parts.badge}, {QStringLiteral("stars"), parts.stars}};
}

QVariantMap MusicViewRules::queueRow(int index, const QVariant& queueIndex) const {
    std::optional<int> current;
    if (queueIndex.isValid() && !queueIndex.isNull())
        current = queueIndex.toInt();
    const auto state = queueRowState(index, current);
    return {{QStringLiteral("current"), state.current}, {QStringLiteral("played"), state.played}};
}

QString MusicViewRules::queueLength(double seconds) const {
    const auto whole =
        std::isfinite(seconds) ? static_cast<std::int64_t>(std::clamp(seconds, -1.0, 9.2e18)) : 0;
    return qtText(queueLengthText(whole).value_or(std::string()));
}

QVariantMap MusicViewRules::grid(double width, double minimum, double maximum, double spacing,
                                 double sidePadding) const {
    const auto layout = adaptiveGrid(width, minimum, maximum, spacing, sidePadding);
    // A grid view's cell carries the gap after its column, and the view lays out as many cells
    // as fit between its margins: the right margin gives the last gap back.
    return {{QStringLiteral("columns"), layout.columns},
            {QStringLiteral("columnWidth"), layout.columnWidth},
            {QStringLiteral("cellWidth"), layout.columnWidth + spacing},
            {QStringLiteral("leftMargin"), layout.leading},
            {QStringLiteral("rightMargin"), layout.leading - spacing}};
}

QVariantMap MusicViewRules::headerFit(double rowWidth, double fixedWidth, double countWidth, double spacing,
                                      double spacerMinimum, double searchMinimum, double searchMaximum,
                                      double countMinimum) const {
    const auto fit = ZintraRadio::headerFit(rowWidth, fixedWidth, countWidth, spacing, spacerMinimum,
                                            searchMinimum, searchMaximum, countMinimum);
    return {{QStringLiteral("search"), fit.search}, {QStringLiteral("count"), fit.count}};
}

QVariantMap MusicViewRules::heroActions(double besideWidth, double underWidth, double fullWidth) const {
    const auto placement = ZintraRadio::heroActions(besideWidth, underWidth, fullWidth);
    return {{QStringLiteral("under"), placement.under}, {QStringLiteral("compact"), placement.compact}};
}

QString MusicViewRules::trimmed(const QString& text) const {
    return qtText(ZazidEvoz::text::trimmedHorizontalWhitespace(stdText(text)));
}

} // namespace ZintraRadio
