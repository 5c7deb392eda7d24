// The status bar's clock texts in a given locale.
#pragma once

#include <QLocale>
#include <QString>
#include <QTime>

namespace velko {

// The locale's long time format as a time of day: the zone the format may carry is left out
// with the brackets and separators around it, and a day period that the toolkit cannot
// write ("B") is written as the locale's AM/PM text.
QString LongTimeFormat(const QLocale& locale);
QString LongTimeText(const QTime& time, const QLocale& locale);

} // namespace velko
