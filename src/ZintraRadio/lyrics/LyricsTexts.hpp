// Dates as the lyrics views write them: an abbreviated date and a short time in the user's
// locale ("Dec 10, 2026 14:05" in English, "10. Dez. 2026 14:05" in German).
#pragma once

#include "ZazidEvoz/platform/Date.hpp"

#include <QLocale>
#include <QString>

namespace ZintraRadio {

// The locale's long date without the weekday, with the month's short name.
QString abbreviatedDateFormat(const QLocale& locale);
QString abbreviatedDateTimeText(ZazidEvoz::platform::Date date, const QLocale& locale = QLocale());
// The time of day only, short.
QString shortTimeText(ZazidEvoz::platform::Date date, const QLocale& locale = QLocale());

} // namespace ZintraRadio
