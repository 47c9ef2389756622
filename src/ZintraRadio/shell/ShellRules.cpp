#include "shell/ShellRules.hpp"

#include <QTextBoundaryFinder>
#include <QTextLayout>
#include <algorithm>

namespace ZintraRadio {

std::string missingTools(bool hasFFmpeg, bool hasYtDlp, bool fakeMissing) {
    std::vector<std::string> names;
    if (!hasFFmpeg || fakeMissing)
        names.emplace_back("ffmpeg");
    if (!hasYtDlp || fakeMissing)
        names.emplace_back("yt-dlp");
    std::string joined;
    for (std::size_t i = 0; i < names.size(); ++i)
        joined += (i == 0 ? "" : " + ") + names[i];
    return joined;
}

int activeDownloadCount(const std::vector<std::string>& phases) {
    return static_cast<int>(std::count_if(phases.begin(), phases.end(), [](const std::string& phase) {
        return phase == "running" || phase == "converting";
    }));
}

namespace {

int wrappedLineCount(const QString& text, const QFont& font, qreal width) {
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    int lines = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        ++lines;
    }
    layout.endLayout();
    return lines;
}

// Where each user-perceived character of `text` starts, and the text's end.
QList<qsizetype> graphemeBounds(const QString& text) {
    QList<qsizetype> bounds;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    for (qsizetype at = 0; at >= 0; at = finder.toNextBoundary())
        bounds.append(at);
    return bounds;
}

} // namespace

QString middleCut(const QString& text, const QFont& font, qreal width, int maximumLines) {
    if (width <= 0 || maximumLines < 1 || wrappedLineCount(text, font, width) <= maximumLines)
        return text;
    const QList<qsizetype> bounds = graphemeBounds(text);
    const auto characters = bounds.size() - 1;
    // `kept` characters of the text, the first half before the ellipsis and the rest after.
    const auto cut = [&](qsizetype kept) {
        const qsizetype head = bounds[(kept + 1) / 2];
        const qsizetype tail = bounds[characters - kept / 2];
        QString shown = text.left(head);
        while (!shown.isEmpty() && shown.back().isSpace())
            shown.chop(1);
        shown += QChar(0x2026);
        qsizetype from = tail;
        while (from < text.size() && text[from].isSpace())
            ++from;
        return shown + text.mid(from);
    };
    qsizetype low = 0;
    qsizetype high = characters - 1;
    while (low < high) {
        const qsizetype middle = (low + high + 1) / 2;
        if (wrappedLineCount(cut(middle), font, width) <= maximumLines)
            low = middle;
        else
            high = middle - 1;
    }
    return cut(low);
}

bool hasGraphicalSession(std::string_view display, std::string_view waylandDisplay, std::string_view chosenPlatform) {
    return !display.empty() || !waylandDisplay.empty() || !chosenPlatform.empty();
}

} // namespace ZintraRadio
