// The one mapping from the symbol names the views use ("play.fill", "star", ...) to glyphs of
// the icon fonts from Debian. A name that is not in the table has no glyph; the Icon view then
// draws a visible placeholder instead of nothing.
#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>
#include <optional>
#include <string_view>
#include <vector>

class QQmlEngine;
class QJSEngine;

namespace ZintraRadio {

enum class IconFont { material, designIcons };

struct IconGlyph {
    IconFont font = IconFont::material;
    char32_t codepoint = 0;
};

std::optional<IconGlyph> iconGlyph(std::string_view symbol);
// Every symbol name of the table, for checks against the installed fonts.
std::vector<std::string_view> iconSymbols();

class Icons : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    static Icons* create(QQmlEngine*, QJSEngine*);

    // The glyph text, or empty for an unknown name or a missing font.
    Q_INVOKABLE QString glyph(const QString& symbol) const;
    // The font family of the glyph, or empty.
    Q_INVOKABLE QString family(const QString& symbol) const;

private:
    Icons() = default;
};

} // namespace ZintraRadio
