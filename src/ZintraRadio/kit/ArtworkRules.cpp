#include "kit/ArtworkRules.hpp"

#include <QTextBoundaryFinder>

namespace ZintraRadio {

namespace {

bool trimmed(char32_t codepoint) {
    const auto category = QChar::category(codepoint);
    const bool punctuation = category >= QChar::Punctuation_Connector && category <= QChar::Punctuation_Other;
    return punctuation || category == QChar::Separator_Space || codepoint == U'\t';
}

} // namespace

std::optional<QUrl> artworkAddress(const QString& thumbnail, const QString& favicon) {
    const QString& chosen = thumbnail.isEmpty() ? favicon : thumbnail;
    if (chosen.isEmpty())
        return std::nullopt;
    const QUrl url(chosen, QUrl::StrictMode);
    if (!url.isValid())
        return std::nullopt;
    // The whole scheme, not a prefix: "httpfoo:" is not the web.
    const QString scheme = url.scheme().toLower();
    if ((scheme != QLatin1String("http") && scheme != QLatin1String("https")) || url.host().isEmpty())
        return std::nullopt;
    return url;
}

QString artworkInitial(const QString& name) {
    const QList<uint> codepoints = name.toUcs4();
    qsizetype first = 0;
    qsizetype last = codepoints.size();
    while (first < last && trimmed(codepoints[first]))
        ++first;
    while (last > first && trimmed(codepoints[last - 1]))
        --last;
    if (first == last)
        return {};
    const QString rest =
        QString::fromUcs4(reinterpret_cast<const char32_t*>(codepoints.constData() + first), last - first);
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, rest);
    const qsizetype end = graphemes.toNextBoundary();
    return rest.left(end > 0 ? end : rest.size()).toUpper();
}

RGB artworkMix(const RGB& accent) {
    return {accent.red + (Palette::violet.red - accent.red) * 0.6,
            accent.green + (Palette::violet.green - accent.green) * 0.6,
            accent.blue + (Palette::violet.blue - accent.blue) * 0.6};
}

} // namespace ZintraRadio
