// Draws every picture the windows show: the banner, the About background, the eighteen
// tool-bar states, the menu images, the page-button glyphs and the window icon.
// Everything is painted from code with fixed numbers and no fonts, so two runs give the
// same bytes. Usage: make_pictures <output folder>
#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <initializer_list>

namespace {

// A 5 x 7 dot font for the few letters the banner spells.
const char* glyph(char c)
{
    // clang-format off
    switch (c) {
    case 'V': return "10001" "10001" "10001" "10001" "01010" "01010" "00100";
    case 'E': return "11111" "10000" "10000" "11110" "10000" "10000" "11111";
    case 'L': return "10000" "10000" "10000" "10000" "10000" "10000" "11111";
    case 'K': return "10001" "10010" "10100" "11000" "10100" "10010" "10001";
    case 'O': return "01110" "10001" "10001" "10001" "10001" "10001" "01110";
    case 'Q': return "01110" "10001" "10001" "10001" "10101" "10010" "01101";
    case '3': return "11110" "00001" "00001" "01110" "00001" "00001" "11110";
    case '7': return "11111" "00001" "00010" "00100" "01000" "01000" "01000";
    case '-': return "00000" "00000" "00000" "01110" "00000" "00000" "00000";
    default: return "00000" "00000" "00000" "00000" "00000" "00000" "00000";
    }
    // clang-format on
}

// Spells text in rounded dots of the given pitch; returns the width drawn.
qreal drawDots(QPainter& p, const char* text, QPointF origin, qreal pitch, const QColor& colour)
{
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    qreal x = origin.x();
    for (const char* c = text; *c; ++c) {
        const char* g = glyph(*c);
        for (int row = 0; row < 7; ++row)
            for (int col = 0; col < 5; ++col)
                if (g[row * 5 + col] == '1')
                    p.drawRoundedRect(QRectF(x + col * pitch, origin.y() + row * pitch, pitch * 0.86, pitch * 0.86),
                                      pitch * 0.25, pitch * 0.25);
        x += 6 * pitch;
    }
    return x - origin.x();
}

// Radio waves: arcs opening to the right of a point.
void drawWaves(QPainter& p, QPointF centre, int count, qreal gap, const QColor& colour, qreal width)
{
    p.setBrush(Qt::NoBrush);
    for (int i = 1; i <= count; ++i) {
        QColor c = colour;
        c.setAlphaF(colour.alphaF() * (1.0f - 0.18f * float(i - 1)));
        p.setPen(QPen(c, width, Qt::SolidLine, Qt::RoundCap));
        const qreal r = gap * i;
        p.drawArc(QRectF(centre.x() - r, centre.y() - r, 2 * r, 2 * r), -45 * 16, 90 * 16);
    }
}

// The hand-held transmitter: a rounded body, an antenna, two sticks and a red stop knob.
void drawTransmitter(QPainter& p, QRectF body, const QColor& shell)
{
    p.setPen(QPen(shell.darker(170), body.width() * 0.05));
    p.drawLine(QPointF(body.right() - body.width() * 0.2, body.top()),
               QPointF(body.right() - body.width() * 0.2, body.top() - body.height() * 0.35));
    QLinearGradient g(body.topLeft(), body.bottomRight());
    g.setColorAt(0, shell.lighter(135));
    g.setColorAt(1, shell.darker(130));
    p.setBrush(g);
    p.setPen(QPen(shell.darker(180), qMax<qreal>(1.0, body.width() * 0.03)));
    p.drawRoundedRect(body, body.width() * 0.18, body.width() * 0.18);
    const qreal r = body.width() * 0.13;
    p.setBrush(QColor(40, 40, 48));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(body.left() + body.width() * 0.3, body.top() + body.height() * 0.42), r, r);
    p.drawEllipse(QPointF(body.left() + body.width() * 0.7, body.top() + body.height() * 0.42), r, r);
    p.setBrush(QColor(220, 30, 30));
    p.drawEllipse(QPointF(body.center().x(), body.top() + body.height() * 0.2), r * 0.9, r * 0.9);
    p.setBrush(QColor(250, 200, 40));
    p.drawRect(QRectF(body.left() + body.width() * 0.25, body.top() + body.height() * 0.68, body.width() * 0.5,
                      body.height() * 0.1));
}

QImage canvas(int w, int h, QColor fill = Qt::transparent)
{
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(fill);
    return img;
}

// Fills the whole picture with a linear gradient between two points.
void shade(QPainter& p, QPointF from, QPointF to, std::initializer_list<QGradientStop> stops)
{
    QLinearGradient g(from, to);
    for (const QGradientStop& s : stops)
        g.setColorAt(s.first, s.second);
    p.fillRect(QRectF(QPointF(0, 0), QSizeF(p.device()->width(), p.device()->height())), g);
}

QImage banner()
{
    QImage img = canvas(438, 44, Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    shade(p, {0, 0}, {438, 0}, {{0, QColor(8, 36, 112)}, {0.6, QColor(24, 84, 170)}, {1, QColor(150, 190, 235)}});
    shade(p, {0, 0}, {0, 44}, {{0, QColor(255, 255, 255, 70)}, {0.5, QColor(255, 255, 255, 0)}});
    drawTransmitter(p, QRectF(12, 14, 20, 26), QColor(250, 170, 30));
    drawWaves(p, QPointF(30, 12), 3, 5, QColor(255, 255, 255, 220), 1.6);
    drawDots(p, "VELKO-Q37", QPointF(70, 9), 3.6, QColor(255, 255, 255));
    p.setPen(QPen(QColor(255, 200, 40), 2));
    p.drawLine(QPointF(70, 38), QPointF(260, 38));
    // a receiver box with a row of relay lamps at the right
    p.setPen(QPen(QColor(30, 50, 90), 1));
    p.setBrush(QColor(230, 236, 244));
    p.drawRoundedRect(QRectF(330, 8, 96, 28), 4, 4);
    for (int i = 0; i < 8; ++i) {
        p.setBrush(i % 3 == 0 ? QColor(220, 40, 40) : (i % 3 == 1 ? QColor(40, 170, 60) : QColor(250, 200, 40)));
        p.drawEllipse(QPointF(340 + i * 11, 22), 3.5, 3.5);
    }
    drawWaves(p, QPointF(300, 22), 3, 7, QColor(255, 255, 255, 200), 1.6);
    return img;
}

QImage aboutBackground()
{
    QImage img = canvas(357, 342, Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    shade(p, {0, 0}, {0, 342}, {{0, QColor(236, 244, 255)}, {1, QColor(170, 198, 236)}});
    QRadialGradient glow(QPointF(300, 40), 160);
    glow.setColorAt(0, QColor(255, 255, 255, 200));
    glow.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(img.rect(), glow);
    drawTransmitter(p, QRectF(24, 18, 30, 40), QColor(250, 170, 30));
    drawWaves(p, QPointF(52, 14), 4, 8, QColor(40, 80, 160, 200), 2.0);
    // a quiet band for the title and a frame behind the text box
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 120));
    p.drawRoundedRect(QRectF(16, 66, 325, 216), 8, 8);
    p.setPen(QPen(QColor(20, 50, 120), 1.5));
    p.drawLine(QPointF(24, 94), QPointF(250, 94));
    return img;
}

// The six tool-bar pictures, drawn into a 52 x 63 cell around a 36 x 36 symbol.
using Symbol = std::function<void(QPainter&)>;

void folder(QPainter& p)
{
    p.setPen(QPen(QColor(150, 100, 10), 1.5));
    p.setBrush(QColor(250, 200, 70));
    QPainterPath back;
    back.moveTo(3, 8);
    back.lineTo(14, 8);
    back.lineTo(17, 12);
    back.lineTo(33, 12);
    back.lineTo(33, 30);
    back.lineTo(3, 30);
    back.closeSubpath();
    p.drawPath(back);
    p.setBrush(QColor(255, 226, 120));
    QPainterPath front;
    front.moveTo(3, 30);
    front.lineTo(8, 17);
    front.lineTo(36, 17);
    front.lineTo(32, 30);
    front.closeSubpath();
    p.drawPath(front);
}

void floppy(QPainter& p)
{
    p.setPen(QPen(QColor(20, 40, 90), 1.5));
    p.setBrush(QColor(50, 90, 180));
    p.drawRoundedRect(QRectF(5, 4, 27, 28), 2, 2);
    p.setBrush(QColor(235, 235, 240));
    p.drawRect(QRectF(10, 4, 16, 10));
    p.setBrush(QColor(50, 90, 180));
    p.drawRect(QRectF(20, 6, 4, 6));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9, 19, 19, 11));
}

void printer(QPainter& p)
{
    p.setPen(QPen(QColor(60, 60, 70), 1.5));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(10, 3, 16, 12));
    p.setBrush(QColor(180, 185, 195));
    p.drawRoundedRect(QRectF(3, 13, 30, 13), 3, 3);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9, 22, 18, 11));
    p.setPen(QPen(QColor(120, 120, 130), 1));
    p.drawLine(QPointF(12, 26), QPointF(24, 26));
    p.drawLine(QPointF(12, 29), QPointF(21, 29));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 170, 60));
    p.drawEllipse(QPointF(29, 17), 1.6, 1.6);
}

void chip(QPainter& p)
{
    p.setPen(QPen(QColor(30, 30, 30), 1.2));
    for (int i = 0; i < 4; ++i) {
        p.drawLine(QPointF(9 + i * 6, 20), QPointF(9 + i * 6, 17));
        p.drawLine(QPointF(9 + i * 6, 33), QPointF(9 + i * 6, 36));
    }
    p.setBrush(QColor(50, 50, 58));
    p.drawRoundedRect(QRectF(6, 20, 24, 13), 2, 2);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 200, 210));
    p.drawEllipse(QPointF(10, 24), 1.4, 1.4);
}

void arrow(QPainter& p, bool up, const QColor& colour)
{
    QPainterPath a;
    if (up) {
        a.moveTo(18, 0);
        a.lineTo(28, 9);
        a.lineTo(22, 9);
        a.lineTo(22, 16);
        a.lineTo(14, 16);
        a.lineTo(14, 9);
        a.lineTo(8, 9);
    } else {
        a.moveTo(18, 16);
        a.lineTo(28, 7);
        a.lineTo(22, 7);
        a.lineTo(22, 0);
        a.lineTo(14, 0);
        a.lineTo(14, 7);
        a.lineTo(8, 7);
    }
    a.closeSubpath();
    p.setPen(QPen(colour.darker(160), 1.2));
    p.setBrush(colour);
    p.drawPath(a);
}

void readUnit(QPainter& p)
{
    chip(p);
    arrow(p, true, QColor(40, 170, 60));
}

void writeUnit(QPainter& p)
{
    chip(p);
    arrow(p, false, QColor(220, 60, 40));
}

void gear(QPainter& p)
{
    QPainterPath g;
    const QPointF c(18, 18);
    for (int i = 0; i < 16; ++i) {
        const qreal a = i * M_PI / 8;
        const qreal r = (i % 2 == 0) ? 15.5 : 11.5;
        const QPointF pt(c.x() + r * std::cos(a - M_PI / 16), c.y() + r * std::sin(a - M_PI / 16));
        const QPointF pt2(c.x() + r * std::cos(a + M_PI / 16), c.y() + r * std::sin(a + M_PI / 16));
        if (i == 0)
            g.moveTo(pt);
        else
            g.lineTo(pt);
        g.lineTo(pt2);
    }
    g.closeSubpath();
    g.addEllipse(c, 5, 5);
    p.setPen(QPen(QColor(60, 70, 90), 1.2));
    p.setBrush(QColor(150, 165, 190));
    p.drawPath(g);
}

enum class State { Leave, Enter, Press };

QImage toolButton(const Symbol& symbol, State state)
{
    QImage img = canvas(52, 63);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF plate(2, 4, 48, 55);
    if (state != State::Leave) {
        QLinearGradient g(plate.topLeft(), plate.bottomLeft());
        if (state == State::Enter) {
            g.setColorAt(0, QColor(255, 255, 255, 240));
            g.setColorAt(1, QColor(190, 215, 250, 240));
        } else {
            g.setColorAt(0, QColor(150, 180, 225, 240));
            g.setColorAt(1, QColor(215, 230, 250, 240));
        }
        p.setBrush(g);
        p.setPen(QPen(state == State::Enter ? QColor(70, 120, 200) : QColor(30, 60, 130), 1.2));
        p.drawRoundedRect(plate, 6, 6);
    }
    const qreal shift = state == State::Press ? 1.5 : 0.0;
    p.translate(8 + shift, 10 + shift);
    if (state == State::Leave)
        p.setOpacity(0.92);
    symbol(p);
    p.resetTransform();
    // a base line under the symbol marks the button as a button
    p.setOpacity(1.0);
    p.setPen(QPen(state == State::Leave ? QColor(120, 140, 170) : QColor(40, 90, 180), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(14 + shift, 53 + shift), QPointF(38 + shift, 53 + shift));
    return img;
}

// Menu pictures, 16 x 16.
QImage menuImage(int index)
{
    QImage img = canvas(16, 16);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    switch (index) {
    case 0: { // serial port plug
        p.setPen(QPen(QColor(40, 40, 60), 1));
        p.setBrush(QColor(90, 130, 200));
        QPainterPath d;
        d.moveTo(1.5, 4.5);
        d.lineTo(14.5, 4.5);
        d.lineTo(12.5, 11.5);
        d.lineTo(3.5, 11.5);
        d.closeSubpath();
        p.drawPath(d);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        for (int i = 0; i < 5; ++i)
            p.drawEllipse(QPointF(3.8 + i * 2.1, 7), 0.7, 0.7);
        for (int i = 0; i < 4; ++i)
            p.drawEllipse(QPointF(4.8 + i * 2.1, 9.3), 0.7, 0.7);
        break;
    }
    case 1: { // information
        p.setPen(QPen(QColor(20, 60, 150), 1));
        p.setBrush(QColor(60, 120, 220));
        p.drawEllipse(QRectF(1, 1, 14, 14));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(8, 4.6), 1.2, 1.2);
        p.drawRoundedRect(QRectF(6.9, 6.6, 2.2, 6), 0.8, 0.8);
        break;
    }
    case 6: { // wiring table under a magnifier
        p.setPen(QPen(QColor(90, 90, 100), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 1.5, 10, 12));
        p.setPen(QPen(QColor(120, 150, 200), 1));
        for (int i = 0; i < 4; ++i)
            p.drawLine(QPointF(3, 4 + i * 2.5), QPointF(10, 4 + i * 2.5));
        p.setPen(QPen(QColor(60, 40, 20), 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(11, 11), QPointF(14.5, 14.5));
        p.setPen(QPen(QColor(40, 40, 40), 1.2));
        p.setBrush(QColor(200, 230, 255, 200));
        p.drawEllipse(QPointF(9, 9), 3.3, 3.3);
        break;
    }
    case 30: { // printer
        p.scale(16.0 / 36.0, 16.0 / 36.0);
        printer(p);
        break;
    }
    default: { // spare entries of the list: a plain bullet of a hue of its own
        QColor c = QColor::fromHsv((index * 37) % 360, 150, 210);
        p.setPen(QPen(c.darker(150), 1));
        p.setBrush(c);
        p.drawRoundedRect(QRectF(3.5, 3.5, 9, 9), 2, 2);
        break;
    }
    }
    return img;
}

QImage pageGlyph(bool next)
{
    QImage img = canvas(16, 16);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath a;
    if (next) {
        a.moveTo(3, 3);
        a.lineTo(13, 8);
        a.lineTo(3, 13);
    } else {
        a.moveTo(13, 3);
        a.lineTo(3, 8);
        a.lineTo(13, 13);
    }
    a.closeSubpath();
    p.setPen(QPen(QColor(20, 100, 30), 1));
    p.setBrush(QColor(50, 170, 60));
    p.drawPath(a);
    return img;
}

QImage okGlyph()
{
    QImage img = canvas(16, 16);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(30, 150, 40), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(2.5, 8.5), QPointF(6.5, 12.5), QPointF(13.5, 3.5)}));
    return img;
}

QImage windowIcon()
{
    QImage img = canvas(48, 48);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    drawTransmitter(p, QRectF(8, 16, 24, 30), QColor(250, 170, 30));
    drawWaves(p, QPointF(28, 10), 3, 6, QColor(30, 80, 180), 2.4);
    return img;
}

bool save(const QImage& img, const QString& path, const char* format)
{
    QImageWriter w(path, format);
    if (qstrcmp(format, "jpg") == 0)
        w.setQuality(90);
    // the JPEG pictures have no alpha; flatten onto white
    const QImage out = qstrcmp(format, "jpg") == 0 ? img.convertToFormat(QImage::Format_RGB32) : img;
    if (!w.write(out)) {
        std::fprintf(stderr, "make_pictures: %s: %s\n", qPrintable(path), qPrintable(w.errorString()));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_pictures <output folder>\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(dir + QStringLiteral("/toolbar")) || !QDir().mkpath(dir + QStringLiteral("/images"))) {
        std::fprintf(stderr, "make_pictures: cannot create %s\n", argv[1]);
        return 1;
    }
    bool ok = save(banner(), dir + QStringLiteral("/banner.jpg"), "jpg");
    ok = save(aboutBackground(), dir + QStringLiteral("/about.jpg"), "jpg") && ok;

    // numbering of the tool bar: three states a button, leave / enter / press
    const std::array<Symbol, 6> symbols{folder, floppy, printer, readUnit, writeUnit, gear};
    const std::array<State, 3> states{State::Leave, State::Enter, State::Press};
    int number = 1;
    for (const Symbol& s : symbols)
        for (State st : states)
            ok = save(toolButton(s, st), dir + QStringLiteral("/toolbar/%1.png").arg(number++, 2, 10, QLatin1Char('0')),
                      "png")
              && ok;

    for (int i = 0; i <= 30; ++i)
        ok = save(menuImage(i), dir + QStringLiteral("/images/%1.png").arg(i, 2, 10, QLatin1Char('0')), "png") && ok;

    ok = save(pageGlyph(false), dir + QStringLiteral("/prev.png"), "png") && ok;
    ok = save(pageGlyph(true), dir + QStringLiteral("/next.png"), "png") && ok;
    ok = save(okGlyph(), dir + QStringLiteral("/ok.png"), "png") && ok;
    ok = save(windowIcon(), dir + QStringLiteral("/icon.png"), "png") && ok;
    return ok ? 0 : 1;
}
