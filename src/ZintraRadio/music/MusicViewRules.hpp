// The music views' rules for QML: a thin face over the pure functions of MusicRules, which are
// where the tests go.
#pragma once

#include <QObject>
#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>

class QQmlEngine;
class QJSEngine;

namespace ZintraRadio {

class MusicViewRules : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    static MusicViewRules* create(QQmlEngine*, QJSEngine*);

    // "toggleSelection", "togglePlayback" or "play".
    Q_INVOKABLE QString trackClick(bool commandHeld, bool selectionEmpty, bool isCurrent) const;
    // "none", "busy", "equalizer", "pause" or "play".
    Q_INVOKABLE QString coverOverlay(bool busy, bool isCurrent, bool hovering, bool paused) const;
    Q_INVOKABLE int ratingAfterClick(int star, int rating) const;
    Q_INVOKABLE QString trackSubtitle(const QString& artist, const QString& album, bool showsAlbum) const;
    Q_INVOKABLE QString trackDuration(double seconds) const;
    // {badge, stars}: which optional parts a track row shows (see trackRowParts in MusicRules.hpp).
    Q_INVOKABLE QVariantMap trackRowParts(double rowWidth, double fixedWidth, double badgeWidth,
                                          double starsWidth, double spacing, double titleMinimum) const;
    // {current, played} of a queue row.
    Q_INVOKABLE QVariantMap queueRow(int index, const QVariant& queueIndex) const;
    // The clock text, or empty for a live entry (under one second).
    Q_INVOKABLE QString queueLength(double seconds) const;
    // {columns, columnWidth} of an adaptive grid (maximum 0: none), and the cell width and
    // margins of a grid view that shows it.
    Q_INVOKABLE QVariantMap grid(double width, double minimum, double maximum, double spacing,
                                 double sidePadding) const;
    // {search, count}: the widths of the music header's search field and track count (see
    // headerFit in MusicRules.hpp).
    Q_INVOKABLE QVariantMap headerFit(double rowWidth, double fixedWidth, double countWidth, double spacing,
                                      double spacerMinimum, double searchMinimum, double searchMaximum,
                                      double countMinimum) const;
    // {under, compact}: where the detail hero's action row goes (see heroActions in MusicRules.hpp).
    Q_INVOKABLE QVariantMap heroActions(double besideWidth, double underWidth, double fullWidth) const;
    // Without the blanks (Unicode space separators and tab) at both ends; line breaks stay.
    Q_INVOKABLE QString trimmed(const QString& text) const;

private:
    MusicViewRules() = default;
};

} // namespace ZintraRadio
