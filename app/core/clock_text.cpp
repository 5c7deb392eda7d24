#include "clock_text.h"

#include <QVector>

namespace velko {

namespace {

struct Token {
    QString text;
    bool field = false; // a format letter run or a quoted literal: kept as it stands
    bool zone = false;
};

// Letters that QLocale::toString(QTime, format) reads, and "B", which it does not.
bool isFormatLetter(QChar c) { return QStringLiteral("hHmszaAptB").contains(c); }

// What may stand between a zone and the rest: dropped with the zone.
bool isZoneFrame(QChar c)
{
    return c.isSpace() || c == u'[' || c == u']' || c == u'(' || c == u')' || c == u',' || c == QChar(0x202F);
}

QVector<Token> tokens(const QString& format)
{
    QVector<Token> out;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        qsizetype j = i + 1;
        Token t;
        if (c == u'\'') {
            while (j < format.size() && format[j] != u'\'')
                ++j;
            j = std::min(j + 1, format.size());
            t.field = true;
        } else if (c == u'A' || c == u'a') {
            if (j < format.size() && (format[j] == u'P' || format[j] == u'p'))
                ++j;
            t.field = true;
        } else if (isFormatLetter(c)) {
            while (j < format.size() && format[j] == c)
                ++j;
            t.field = true;
            t.zone = c == u't';
        }
        t.text = format.mid(i, j - i);
        if (t.field && t.text.startsWith(u'B'))
            t.text = QStringLiteral("AP");
        out.push_back(t);
        i = j;
    }
    return out;
}

} // namespace

QString LongTimeFormat(const QLocale& locale)
{
    QVector<Token> t = tokens(locale.timeFormat(QLocale::LongFormat));
    for (qsizetype i = 0; i < t.size();) {
        if (!t[i].zone) {
            ++i;
            continue;
        }
        qsizetype from = i, to = i + 1;
        while (from > 0 && !t[from - 1].field && t[from - 1].text.size() == 1 && isZoneFrame(t[from - 1].text[0]))
            --from;
        while (to < t.size() && !t[to].field && t[to].text.size() == 1 && isZoneFrame(t[to].text[0]))
            ++to;
        const bool between = from > 0 && to < t.size();
        t.remove(from, to - from);
        if (between)
            t.insert(from, Token{QStringLiteral(" ")});
        i = from;
    }
    QString format;
    for (const Token& token : t)
        format += token.text;
    return format;
}

QString LongTimeText(const QTime& time, const QLocale& locale) { return locale.toString(time, LongTimeFormat(locale)); }

} // namespace velko
