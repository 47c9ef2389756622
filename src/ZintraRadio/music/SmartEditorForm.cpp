#include "music/SmartEditorForm.hpp"

#include "ZazidEvoz/platform/Date.hpp"
#include "state/MusicModel.hpp"
#include "state/MusicUI.hpp"
#include "state/QtValues.hpp"

#include <QAbstractItemModel>
#include <QVariantMap>
#include <algorithm>

namespace ZintraRadio {

namespace {

QString valueName(RuleValue value) {
    switch (value) {
    case RuleValue::text:
        return QStringLiteral("text");
    case RuleValue::number:
        return QStringLiteral("number");
    case RuleValue::range:
        return QStringLiteral("range");
    case RuleValue::nothing:
        break;
    }
    return QStringLiteral("nothing");
}

// A number field shows what was typed while it is refused, else the number.
QVariant fieldText(std::int64_t number, const std::optional<std::string>& refused) {
    return refused ? qtText(*refused) : QString::number(number);
}

// Why the row's refused field cannot be taken; empty when none is refused.
QVariant problemText(const RuleDraft& r) {
    const auto& refused = r.refusedNumber ? r.refusedNumber : r.refusedSecond;
    if (!refused)
        return QString();
    [[maybe_unused]] static const char* const keys[] = {
        //% "Whole numbers only"
        QT_TRID_NOOP("rule.problem.wholeNumber"),
        //% "From 1 to 5"
        QT_TRID_NOOP("rule.problem.stars"),
    };
    return qtTrId(std::string(ruleNumber(r.kind, *refused).problemKey).c_str());
}

std::vector<ListRole<RuleDraft>> ruleRoles() {
    return {
        {"id", [](const RuleDraft& r) { return QVariant(qtText(r.id.text())); }},
        {"kind", [](const RuleDraft& r) { return QVariant(qtText(std::string(rawValue(r.kind)))); }},
        {"text", [](const RuleDraft& r) { return QVariant(qtText(r.text)); }},
        {"number", [](const RuleDraft& r) { return fieldText(r.number, r.refusedNumber); }},
        {"second", [](const RuleDraft& r) { return fieldText(r.second, r.refusedSecond); }},
        {"value", [](const RuleDraft& r) { return QVariant(valueName(ruleValue(r.kind))); }},
        {"unitKey", [](const RuleDraft& r) { return QVariant(qtText(std::string(ruleUnitKey(r.kind)))); }},
        {"numberRefused", [](const RuleDraft& r) { return QVariant(r.refusedNumber.has_value()); }},
        {"secondRefused", [](const RuleDraft& r) { return QVariant(r.refusedSecond.has_value()); }},
        {"problem", problemText},
    };
}

} // namespace

SmartEditorForm::SmartEditorForm(QObject* parent)
    : MusicBound(parent), rules_(new VectorListModel<RuleDraft>(&state_.rules, ruleRoles(), this)) {
    previewTimer_.setSingleShot(true);
    previewTimer_.setInterval(0);
    connect(&previewTimer_, &QTimer::timeout, this, &SmartEditorForm::updatePreview);
}

void SmartEditorForm::musicReplaced() {
    if (music())
        followMusic(connect(music(), &MusicModel::tracksChanged, this, [this] {
            Q_EMIT genresChanged();
            if (draft_)
                previewTimer_.start();
        }));
    updatePreview();
    Q_EMIT genresChanged();
}

void SmartEditorForm::uiReplaced() {
    if (ui())
        followUi(connect(ui(), &MusicUI::smartDraftChanged, this, &SmartEditorForm::load));
    load();
}

void SmartEditorForm::load() {
    draft_ = ui() ? ui()->smartDraft() : std::nullopt;
    // The flag is read once, when the draft arrives: it was written before the draft.
    isNew_ = draft_ && ui()->smartDraftIsNew();
    SmartEditorState loaded = draft_ ? smartEditorState(*draft_, isNew_) : SmartEditorState{};
    state_.name = std::move(loaded.name);
    state_.matchAll = loaded.matchAll;
    state_.sort = loaded.sort;
    state_.limit = std::move(loaded.limit);
    rules_->reset(std::move(loaded.rules));
    Q_EMIT openChanged();
    Q_EMIT stateChanged();
    updatePreview();
}

QString SmartEditorForm::name() const {
    return qtText(state_.name);
}

void SmartEditorForm::setName(const QString& name) {
    if (qtText(state_.name) == name)
        return;
    state_.name = stdText(name);
    changed();
}

void SmartEditorForm::setMatchAll(bool matchAll) {
    if (state_.matchAll == matchAll)
        return;
    state_.matchAll = matchAll;
    changed();
}

QString SmartEditorForm::sort() const {
    return qtText(std::string(ZazidEvoz::rawValue(state_.sort)));
}

void SmartEditorForm::setSort(const QString& sort) {
    const auto value = ZazidEvoz::smartSortFromRawValue(stdText(sort));
    if (!value || *value == state_.sort)
        return;
    state_.sort = *value;
    changed();
}

QString SmartEditorForm::limit() const {
    return qtText(state_.limit);
}

void SmartEditorForm::setLimit(const QString& limit) {
    if (qtText(state_.limit) == limit)
        return;
    state_.limit = stdText(limit);
    changed();
}

QAbstractItemModel* SmartEditorForm::rulesModel() const {
    return rules_;
}

QStringList SmartEditorForm::kinds() {
    QStringList names;
    for (auto kind : allRuleKinds())
        names.append(qtText(std::string(rawValue(kind))));
    return names;
}

QStringList SmartEditorForm::sorts() {
    QStringList names;
    for (auto sort : ZazidEvoz::allSmartSorts())
        names.append(qtText(std::string(ZazidEvoz::rawValue(sort))));
    return names;
}

QStringList SmartEditorForm::kindLabels() {
    static const char* const keys[] = {
        //% "Genre is"
        QT_TRID_NOOP("rule.genreIs"),
        //% "Artist contains"
        QT_TRID_NOOP("rule.artistContains"),
        //% "Title contains"
        QT_TRID_NOOP("rule.titleContains"),
        //% "Album contains"
        QT_TRID_NOOP("rule.albumContains"),
        //% "Added in the last"
        QT_TRID_NOOP("rule.addedWithinDays"),
        //% "Played at least"
        QT_TRID_NOOP("rule.playedAtLeast"),
        //% "Never played"
        QT_TRID_NOOP("rule.neverPlayed"),
        //% "Rating at least"
        QT_TRID_NOOP("rule.ratingAtLeast"),
        //% "Year between"
        QT_TRID_NOOP("rule.yearBetween"),
        //% "Longer than"
        QT_TRID_NOOP("rule.longerThan"),
        //% "Shorter than"
        QT_TRID_NOOP("rule.shorterThan"),
        //% "From YouTube"
        QT_TRID_NOOP("rule.fromYouTube"),
    };
    QStringList labels;
    for (const char* key : keys)
        labels.append(qtTrId(key));
    return labels;
}

QStringList SmartEditorForm::sortLabels() {
    static const char* const keys[] = {
        //% "Title"
        QT_TRID_NOOP("sort.title"),
        //% "Artist"
        QT_TRID_NOOP("sort.artist"),
        //% "Recently Added"
        QT_TRID_NOOP("sort.recentlyAdded"),
        //% "Most Played"
        QT_TRID_NOOP("sort.mostPlayed"),
        //% "Recently Played"
        QT_TRID_NOOP("sort.recentlyPlayed"),
        //% "Rating"
        QT_TRID_NOOP("sort.rating"),
        //% "Random"
        QT_TRID_NOOP("sort.random"),
    };
    QStringList labels;
    for (const char* key : keys)
        labels.append(qtTrId(key));
    return labels;
}

ZazidEvoz::SmartPlaylist SmartEditorForm::result() const {
    if (!draft_)
        return {};
    //% "New Smart Playlist"
    return smartEditorResult(*draft_, isNew_, state_, stdText(qtTrId("music.newSmartPlaylist")));
}

void SmartEditorForm::addRule() {
    rules_->append({RuleDraft{}});
    changed();
}

void SmartEditorForm::removeRule(const QString& id) {
    const std::string key = stdText(id);
    rules_->removeIf([&key](const RuleDraft& rule) { return rule.id.text() == key; });
    changed();
}

void SmartEditorForm::editRow(int row, const std::function<void(RuleDraft&)>& edit) {
    if (row < 0 || row >= ruleCount())
        return;
    RuleDraft rule = state_.rules[static_cast<std::size_t>(row)];
    edit(rule);
    if (rule == state_.rules[static_cast<std::size_t>(row)])
        return;
    rules_->replace(row, std::move(rule));
    changed();
}

void SmartEditorForm::setKind(int row, const QString& kind) {
    if (const auto value = ruleKindFromRawValue(stdText(kind)))
        editRow(row, [value](RuleDraft& rule) { rule = withKind(rule, *value); });
}

void SmartEditorForm::setText(int row, const QString& text) {
    editRow(row, [&text](RuleDraft& rule) { rule.text = stdText(text); });
}

bool SmartEditorForm::setTypedNumber(int row, const QString& typed, std::int64_t RuleDraft::*number,
                                     std::optional<std::string> RuleDraft::*refused) {
    if (row < 0 || row >= ruleCount())
        return false;
    const std::string text = stdText(typed);
    const auto taken = ruleNumber(state_.rules[static_cast<std::size_t>(row)].kind, text).value;
    editRow(row, [&](RuleDraft& rule) {
        if (taken) {
            rule.*number = *taken;
            rule.*refused = std::nullopt;
        } else {
            rule.*refused = text; // kept as typed and shown refused; the number stays
        }
    });
    return taken.has_value();
}

bool SmartEditorForm::setNumber(int row, const QString& typed) {
    return setTypedNumber(row, typed, &RuleDraft::number, &RuleDraft::refusedNumber);
}

bool SmartEditorForm::setSecond(int row, const QString& typed) {
    return setTypedNumber(row, typed, &RuleDraft::second, &RuleDraft::refusedSecond);
}

bool SmartEditorForm::canSave() const {
    return std::none_of(state_.rules.begin(), state_.rules.end(), hasRefusedNumber);
}

void SmartEditorForm::changed() {
    Q_EMIT stateChanged();
    if (!previewTimer_.isActive())
        previewTimer_.start();
}

void SmartEditorForm::updatePreview() {
    previewTimer_.stop();
    int count = 0;
    QVariantList covers;
    if (music() && draft_) {
        const auto tracks = result().tracks(music()->tracks(), ZazidEvoz::platform::now());
        count = static_cast<int>(tracks.size());
        for (std::size_t i = 0; i < tracks.size() && i < 9; ++i)
            covers.append(
                QVariantMap{{QStringLiteral("cover"), qtText(tracks[i].coverFile.value_or(std::string()))},
                            {QStringLiteral("seed"),
                             qtText(tracks[i].album.empty() ? tracks[i].title : tracks[i].album)}});
    }
    if (count == previewCount_ && covers == previewCovers_)
        return;
    previewCount_ = count;
    previewCovers_ = std::move(covers);
    Q_EMIT previewChanged();
}

void SmartEditorForm::save() {
    if (!canSave())
        return; // the refused field says what to mend
    if (music() && draft_) {
        const auto playlist = result();
        if (isNew_)
            // The model gives the new playlist an id of its own.
            music()->createSmartPlaylist(playlist.name, playlist.rules, state_.matchAll, state_.sort,
                                         playlist.limit);
        else
            music()->updateSmartPlaylist(playlist);
    }
    close();
}

void SmartEditorForm::close() {
    if (ui())
        ui()->setSmartDraft(std::nullopt);
    else
        load();
}

} // namespace ZintraRadio
