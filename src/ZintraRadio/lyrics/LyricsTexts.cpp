#include "lyrics/LyricsTexts.hpp"

#include "state/QtValues.hpp"

#include <QRegularExpression>

namespace ZintraRadio {

QString abbreviatedDateFormat(const QLocale& locale) {
    static const QRegularExpression weekday(QStringLiteral("dddd[,.]?\\s*"));
    QString format = locale.dateFormat(QLocale::LongFormat);
    format.remove(weekday);
    format.replace(QStringLiteral("MMMM"), QStringLiteral("MMM"));
    return format.trimmed();
}

QString abbreviatedDateTimeText(ZazidEvoz::platform::Date date, const QLocale& locale) {
    const QDateTime local = qtDate(date).toLocalTime();
    return locale.toString(local.date(), abbreviatedDateFormat(locale)) + QLatin1Char(' ') +
           locale.toString(local.time(), QLocale::ShortFormat);
}

QString shortTimeText(ZazidEvoz::platform::Date date, const QLocale& locale) {
    return locale.toString(qtDate(date).toLocalTime().time(), QLocale::ShortFormat);
}

} // namespace ZintraRadio
