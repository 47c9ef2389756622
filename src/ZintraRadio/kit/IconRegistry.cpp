#include "kit/IconRegistry.hpp"

#include "kit/FontBook.hpp"

#include <QQmlEngine>
#include <array>

namespace ZintraRadio {

namespace {

struct Entry {
    std::string_view symbol;
    IconFont font;
    char32_t codepoint;
};

// Material Icons unless noted; the comment names the glyph in the font's own catalogue.
constexpr auto M = IconFont::material;
constexpr std::array table{
    Entry{"arrow.clockwise", M, 0xe5d5},                           // refresh
    Entry{"arrow.down.circle", M, 0xf181},                         // arrow_circle_down
    Entry{"arrow.down.right.and.arrow.up.left", M, 0xf1cf},        // close_fullscreen
    Entry{"arrow.triangle.2.circlepath", M, 0xe627},               // sync
    Entry{"arrow.up.left.and.arrow.down.right", M, 0xf1ce},        // open_in_full
    Entry{"backward.fill", M, 0xe020},                             // fast_rewind
    Entry{"calendar", M, 0xe935},                                  // calendar_today
    Entry{"camera.fill", M, 0xe412},                               // photo_camera
    Entry{"chart.bar.fill", M, 0xe26b},                            // bar_chart
    Entry{"checkmark", M, 0xe5ca},                                 // check
    Entry{"checkmark.circle", M, 0xe92d},                          // check_circle_outline
    Entry{"checkmark.circle.fill", M, 0xe86c},                     // check_circle
    Entry{"chevron.left", M, 0xe5cb},                              // chevron_left
    Entry{"chevron.left.2", M, 0xeac3},                            // keyboard_double_arrow_left
    Entry{"circle.hexagongrid.fill", M, 0xe3a5},                   // blur_on
    Entry{"clock.arrow.circlepath", M, 0xe889},                    // history
    Entry{"doc.on.doc", M, 0xe14d},                                // content_copy
    Entry{"dot.radiowaves.left.and.right", M, 0xe51e},             // sensors
    Entry{"drop.fill", M, 0xe798},                                 // water_drop
    Entry{"ellipsis", M, 0xe5d3},                                  // more_horiz
    Entry{"ellipsis.circle", M, 0xe5d3},                           // more_horiz
    Entry{"exclamationmark.triangle", M, 0xf083},                  // warning_amber
    Entry{"exclamationmark.triangle.fill", M, 0xe002},             // warning
    Entry{"externaldrive.badge.checkmark", M, 0xe1db},             // storage
    Entry{"eye.slash", M, 0xe8f5},                                 // visibility_off
    Entry{"film", M, 0xe02c},                                      // movie
    Entry{"folder", M, 0xe2c7},                                    // folder
    Entry{"forward.fill", M, 0xe01f},                              // fast_forward
    Entry{"globe", M, 0xe894},                                     // language
    Entry{"globe.europe.africa.fill", M, 0xe80b},                  // public
    Entry{"gobackward.minus", M, 0xe05b},                          // replay_5
    Entry{"goforward.plus", M, 0xe058},                            // forward_5
    Entry{"guitars", IconFont::designIcons, 0xf2c4},               // guitar-electric
    Entry{"guitars.fill", IconFont::designIcons, 0xf2c4},          // guitar-electric
    Entry{"icloud.and.arrow.down", M, 0xe2c0},                     // cloud_download
    Entry{"info.circle.fill", M, 0xe88e},                          // info
    Entry{"line.3.horizontal", M, 0xe5d2},                         // menu
    Entry{"line.3.horizontal.decrease", M, 0xe152},                // filter_list
    Entry{"link", M, 0xe157},                                      // link
    Entry{"list.bullet", M, 0xe241},                               // format_list_bulleted
    Entry{"macwindow", M, 0xe069},                                 // web_asset
    Entry{"magnifyingglass", M, 0xe8b6},                           // search
    Entry{"minus", M, 0xe15b},                                     // remove
    Entry{"mountain.2.fill", M, 0xe3f7},                           // landscape
    Entry{"music.mic", M, 0xe029},                                 // mic
    Entry{"music.note", M, 0xe405},                                // music_note
    Entry{"music.note.list", M, 0xe03d},                           // queue_music
    Entry{"opticaldisc", M, 0xe019},                               // album
    Entry{"opticaldisc.fill", M, 0xe019},                          // album
    Entry{"pause.fill", M, 0xe034},                                // pause
    Entry{"pencil", M, 0xe3c9},                                    // edit
    Entry{"photo", M, 0xe3f4},                                     // image
    Entry{"pianokeys", M, 0xe521},                                 // piano
    Entry{"play.fill", M, 0xe037},                                 // play_arrow
    Entry{"play.rectangle.fill", M, 0xf06a},                       // smart_display
    Entry{"play.rectangle.on.rectangle", M, 0xe04a},               // video_library
    Entry{"play.tv.fill", M, 0xe639},                              // live_tv
    Entry{"plus", M, 0xe145},                                      // add
    Entry{"power", M, 0xe8ac},                                     // power_settings_new
    Entry{"quote.bubble", M, 0xe0cb},                              // chat_bubble_outline
    Entry{"quote.bubble.fill", M, 0xec0b},                         // lyrics
    Entry{"record.circle", M, 0xe837},                             // radio_button_checked
    Entry{"rectangle.righthalf.inset.filled", M, 0xe949},          // vertical_split
    Entry{"repeat", M, 0xe040},                                    // repeat
    Entry{"repeat.1", M, 0xe041},                                  // repeat_one
    Entry{"scissors", M, 0xe14e},                                  // content_cut
    Entry{"scribble.variable", M, 0xe155},                         // gesture
    Entry{"shuffle", M, 0xe043},                                   // shuffle
    Entry{"sidebar.right", M, 0xf114},                             // view_sidebar
    Entry{"slider.horizontal.3", M, 0xe429},                       // tune
    Entry{"sparkles", M, 0xe65f},                                  // auto_awesome
    Entry{"speaker.slash.fill", M, 0xe04f},                        // volume_off
    Entry{"speaker.wave.1.fill", M, 0xe04d},                       // volume_down
    Entry{"speaker.wave.2.fill", M, 0xe050},                       // volume_up
    Entry{"square.and.arrow.down.on.square", M, 0xe171},           // save_alt
    Entry{"square.grid.2x2.fill", M, 0xe9b0},                      // grid_view
    Entry{"square.stack", M, 0xe3e0},                              // filter_none
    Entry{"star", M, 0xe83a},                                      // star_border
    Entry{"star.fill", M, 0xe838},                                 // star
    Entry{"stop.fill", M, 0xe047},                                 // stop
    Entry{"text.append", M, 0xe03b},                               // playlist_add
    Entry{"text.badge.plus", M, 0xe03b},                           // playlist_add
    Entry{"text.badge.xmark", M, 0xeb80},                          // playlist_remove
    Entry{"text.line.first.and.arrowtriangle.forward", M, 0xe05f}, // playlist_play
    Entry{"textformat", M, 0xe262},                                // text_fields
    Entry{"tornado", M, 0xe199},                                   // tornado
    Entry{"trash", M, 0xe872},                                     // delete
    Entry{"wand.and.stars", M, 0xe663},                            // auto_fix_high
    Entry{"waveform", M, 0xe1b8},                                  // graphic_eq
    Entry{"waveform.path.ecg", M, 0xeaa2},                         // monitor_heart
    Entry{"wifi.exclamationmark", M, 0xe648},                      // wifi_off
    Entry{"wrench.and.screwdriver.fill", M, 0xf10b},               // handyman
    Entry{"xmark", M, 0xe5cd},                                     // close
    Entry{"xmark.circle.fill", M, 0xe5c9},                         // cancel
    Entry{"xmark.octagon.fill", M, 0xe160},                        // report
};

const QString& familyOf(IconFont font) {
    return font == IconFont::material ? FontBook::instance().materialIcons()
                                      : FontBook::instance().designIcons();
}

} // namespace

std::optional<IconGlyph> iconGlyph(std::string_view symbol) {
    for (const auto& entry : table)
        if (entry.symbol == symbol)
            return IconGlyph{entry.font, entry.codepoint};
    return std::nullopt;
}

std::vector<std::string_view> iconSymbols() {
    std::vector<std::string_view> symbols;
    for (const auto& entry : table)
        symbols.push_back(entry.symbol);
    return symbols;
}

Icons* Icons::create(QQmlEngine*, QJSEngine*) {
    static Icons* icons = new Icons();
    QQmlEngine::setObjectOwnership(icons, QQmlEngine::CppOwnership);
    return icons;
}

QString Icons::glyph(const QString& symbol) const {
    const auto found = iconGlyph(symbol.toStdString());
    if (!found || familyOf(found->font).isEmpty())
        return {};
    const char32_t codepoint = found->codepoint;
    return QString::fromUcs4(&codepoint, 1);
}

QString Icons::family(const QString& symbol) const {
    const auto found = iconGlyph(symbol.toStdString());
    return found ? familyOf(found->font) : QString();
}

} // namespace ZintraRadio
