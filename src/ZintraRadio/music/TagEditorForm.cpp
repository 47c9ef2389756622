#include "music/TagEditorForm.hpp"

#include "state/MusicModel.hpp"
#include "state/MusicUI.hpp"
#include "state/Observable.hpp"
#include "state/QtValues.hpp"

namespace ZintraRadio {

using ZazidEvoz::Track;

void TagEditorForm::musicReplaced() {
    if (music()) {
        // The stored cover changes after a cover search or an edit of this file.
        followMusic(connect(music(), &MusicModel::tracksChanged, this, [this] {
            Q_EMIT coverChanged();
            Q_EMIT genresChanged();
        }));
        followMusic(connect(music(), &MusicModel::busyTracksChanged, this, &TagEditorForm::busyChanged));
    }
    Q_EMIT coverChanged();
    Q_EMIT busyChanged();
    Q_EMIT genresChanged();
}

void TagEditorForm::uiReplaced() {
    if (ui())
        followUi(connect(ui(), &MusicUI::editingChanged, this, &TagEditorForm::load));
    load();
}

void TagEditorForm::load() {
    const std::optional<Track> editing = ui() ? ui()->editing() : std::nullopt;
    track_ = editing;
    picked_.reset();
    // A new presentation starts from the track's own values, never from earlier typing.
    const TagFields fields = editing ? tagFields(*editing) : TagFields{};
    fields_ = {qtText(fields.title), qtText(fields.artist), qtText(fields.album), qtText(fields.genre),
               qtText(fields.year)};
    Q_EMIT openChanged();
    Q_EMIT fieldsChanged();
    Q_EMIT coverChanged();
    Q_EMIT busyChanged();
}

void TagEditorForm::setField(QString Fields::*field, const QString& text) {
    storeProperty(this, fields_.*field, text, &TagEditorForm::fieldsChanged);
}

Track TagEditorForm::current() const {
    if (!track_)
        return {};
    if (music())
        for (const auto& track : music()->tracks())
            if (track.path == track_->path)
                return track;
    return *track_;
}

QString TagEditorForm::cover() const {
    if (picked_)
        return qtText(picked_->string());
    if (!track_)
        return {};
    return qtText(current().coverFile.value_or(std::string()));
}

bool TagEditorForm::busy() const {
    return track_ && music() && music()->busyTracks().contains(track_->path);
}

QString TagEditorForm::fileName() const {
    return track_ ? qtText(std::filesystem::path(track_->path).filename().string()) : QString();
}

QString TagEditorForm::coverRefusal() const {
    if (!track_)
        return {};
    const std::string extension = ZazidEvoz::TagEditor::lowercaseExtension(track_->path);
    if (ZazidEvoz::TagEditor::canHoldCover(extension))
        return {};
    //% "A .%1 file cannot hold a cover picture."
    return qtTrId("music.coverUnsupported").arg(qtText(extension));
}

ZazidEvoz::TagEditor::Changes TagEditorForm::changes() const {
    if (!track_)
        return {};
    const TagFields edited{stdText(fields_.title), stdText(fields_.artist), stdText(fields_.album),
                           stdText(fields_.genre), stdText(fields_.year)};
    return tagChanges(*track_, edited, picked_);
}

bool TagEditorForm::pickCover(const QList<QUrl>& urls) {
    const auto picture = firstDroppedPicture(urls);
    if (!picture || !coverRefusal().isEmpty())
        return false;
    picked_ = picture;
    Q_EMIT coverChanged();
    return true;
}

void TagEditorForm::fetchCover() const {
    if (music() && track_)
        music()->fetchCover(current());
}

void TagEditorForm::save() {
    if (music() && track_) {
        const auto wanted = changes();
        if (const auto refused = refusalOf(wanted)) {
            if (music()->toastHandler)
                music()->toastHandler(Toast::Style::error, stdText(*refused));
            return; // the typing stays for the user to mend
        }
        // Compared with the track as opened, applied to the library's latest copy of it.
        music()->edit(current(), wanted);
    }
    close();
}

std::optional<QString> TagEditorForm::refusalOf(const ZazidEvoz::TagEditor::Changes& wanted) const {
    if (wanted.coverImage && !coverRefusal().isEmpty())
        return coverRefusal();
    if (auto refused = ZazidEvoz::TagEditor::refusal(wanted, track_->path))
        return qtText(*refused);
    return std::nullopt;
}

void TagEditorForm::close() {
    if (ui())
        ui()->setEditing(std::nullopt);
    else
        load();
}

} // namespace ZintraRadio
