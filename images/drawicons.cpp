/*
 * Draws every icon and image of images.qrc as vector shapes and writes them
 * into the folder given on the command line. Not part of the program build.
 *
 * Build and run (from the repository root):
 *   g++ -std=c++17 -fPIC images/drawicons.cpp \
 *       $(pkg-config --cflags --libs Qt6Gui) -o /tmp/drawicons
 *   QT_QPA_PLATFORM=offscreen /tmp/drawicons images/ [/tmp/sheet.png]
 * The optional second argument names a contact sheet of all images (1x and
 * 3x, on a light and on a dark band) to look them over.
 *
 * images/app/ gets the application icon at the sizes of the desktop's icon theme, and
 * q275-terminal.ico with the sizes Windows shows (16, 32, 48 and 256) for the .exe file.
 *
 * Icons are 32x32 on one palette with 1.5 px outlines. The .bmp icons are
 * 24-bit without alpha, so they get a white background like the menus and
 * the device tree (on the tool bar it is all but invisible). chip.ico holds a
 * 32x32 and a 16x16 image (32-bit with AND mask), written by hand below
 * because the ico image plugin writes only one image per file.
 */

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPolygonF>
#include <QRadialGradient>
#include <QtMath>
#include <cstdio>
#include <functional>
#include <vector>

namespace
{

// Palette
const QColor kInk(0x2b, 0x36, 0x42);       // outlines
const QColor kChip(0x3b, 0x45, 0x50);      // chip body
const QColor kChipTop(0x55, 0x61, 0x6d);   // chip body highlight
const QColor kPin(0xc9, 0xcf, 0xd6);       // chip pins, metal
const QColor kMetal(0xb4, 0xbc, 0xc4);     // metal parts
const QColor kMetalDark(0x7d, 0x87, 0x91); //
const QColor kBlue(0x2f, 0x6f, 0xc9);      // accents, title bars
const QColor kBlueLight(0xa9, 0xc8, 0xf0); // screens, glass
const QColor kGreen(0x2e, 0x9a, 0x47);     // ok, read
const QColor kRed(0xd6, 0x3a, 0x32);       // close, write
const QColor kYellow(0xf3, 0xc2, 0x4a);    // folder
const QColor kYellowDark(0xc9, 0x92, 0x2a);
const QColor kPaper(0xff, 0xff, 0xff);
const QColor kPaperShade(0xe6, 0xea, 0xef);
const QColor kPcb(0x2f, 0x8a, 0x4f);
const QColor kBmpBack(0xff, 0xff,
                      0xff); // background of the 24-bit icons (menus and the tree are white)

const qreal kLine = 1.5;

QPen ink(qreal w = kLine, const QColor &c = kInk)
{
    QPen pen(c, w);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

QLinearGradient vgrad(qreal y0, qreal y1, const QColor &top, const QColor &bottom)
{
    QLinearGradient g(0, y0, 0, y1);
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    return g;
}

// A filled arrow along a polyline, shaft width w, head size h at the last point.
void bentArrow(QPainter &p, const QPolygonF &pts, qreal w, qreal h, const QColor &fill)
{
    const QPointF end = pts.last();
    const QLineF last(pts.at(pts.size() - 2), end);
    const QPointF dir = (end - last.p1()) / last.length();
    const QPointF nrm(-dir.y(), dir.x());
    const QPointF base = end - dir * h;
    QPainterPath shaft;
    shaft.moveTo(pts.first());
    for (int i = 1; i < pts.size() - 1; ++i)
        shaft.lineTo(pts.at(i));
    shaft.lineTo(base + dir * 0.5);
    QPainterPathStroker st;
    st.setWidth(w);
    st.setCapStyle(Qt::FlatCap);
    st.setJoinStyle(Qt::MiterJoin);
    QPainterPath head;
    head.moveTo(end);
    head.lineTo(base + nrm * h * 0.8);
    head.lineTo(base - nrm * h * 0.8);
    head.closeSubpath();
    const QPainterPath all = st.createStroke(shaft).united(head).simplified();
    p.setPen(ink(1.2));
    p.setBrush(fill);
    p.drawPath(all);
}

// A chip: dark body inside r with n pins on each of the given sides.
void chip(QPainter &p, const QRectF &r, int n, bool allSides = true, qreal pinLen = 3)
{
    const qreal pinW = qMax<qreal>(1.5, r.width() / (2 * n + 1));
    p.setPen(ink(1.0, kMetalDark));
    p.setBrush(kPin);
    for (int i = 0; i < n; ++i) {
        const qreal t = (i + 0.5) / n;
        const qreal y = r.top() + r.height() * t;
        const qreal x = r.left() + r.width() * t;
        p.drawRect(QRectF(r.left() - pinLen, y - pinW / 2, pinLen, pinW));
        p.drawRect(QRectF(r.right(), y - pinW / 2, pinLen, pinW));
        if (allSides) {
            p.drawRect(QRectF(x - pinW / 2, r.top() - pinLen, pinW, pinLen));
            p.drawRect(QRectF(x - pinW / 2, r.bottom(), pinW, pinLen));
        }
    }
    p.setPen(ink(1.2));
    p.setBrush(vgrad(r.top(), r.bottom(), kChipTop, kChip));
    p.drawRoundedRect(r, 1.5, 1.5);
    // orientation mark
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x8a, 0x95, 0xa0));
    const qreal d = qMax<qreal>(1.6, r.width() / 7);
    p.drawEllipse(QRectF(r.left() + d * 0.8, r.top() + d * 0.8, d, d));
}

// A PC monitor inside r (screen plus foot).
void monitor(QPainter &p, const QRectF &r)
{
    const qreal footH = r.height() * 0.22;
    const QRectF scr(r.left(), r.top(), r.width(), r.height() - footH);
    // foot
    p.setPen(ink(1.2));
    p.setBrush(kMetal);
    const qreal cx = r.center().x();
    QPolygonF foot;
    foot << QPointF(cx - r.width() * 0.12, scr.bottom())
         << QPointF(cx + r.width() * 0.12, scr.bottom())
         << QPointF(cx + r.width() * 0.25, r.bottom())
         << QPointF(cx - r.width() * 0.25, r.bottom());
    p.drawPolygon(foot);
    // case
    p.setBrush(vgrad(scr.top(), scr.bottom(), QColor(0x6b, 0x76, 0x82), QColor(0x45, 0x4f, 0x5a)));
    p.drawRoundedRect(scr, 1.5, 1.5);
    // glass
    const qreal m = qMax<qreal>(1.5, r.width() * 0.1);
    const QRectF glass = scr.adjusted(m, m, -m, -m);
    p.setPen(Qt::NoPen);
    p.setBrush(
        vgrad(glass.top(), glass.bottom(), QColor(0xcf, 0xe3, 0xfb), QColor(0x6d, 0xa2, 0xe6)));
    p.drawRect(glass);
}

// A small application window with a blue title bar.
void window(QPainter &p, const QRectF &r, const QColor &bar = kBlue)
{
    p.setPen(ink(1.2));
    p.setBrush(kPaper);
    p.drawRect(r);
    p.setPen(Qt::NoPen);
    p.setBrush(bar);
    const qreal h = qMax<qreal>(3, r.height() * 0.22);
    p.drawRect(QRectF(r.left(), r.top(), r.width(), h));
    p.setPen(ink(1.2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r);
}

// A red cross centred at c with half size s.
void cross(QPainter &p, QPointF c, qreal s)
{
    p.setPen(ink(s * 0.9 + 2.4, QColor(0x7a, 0x1a, 0x15)));
    p.drawLine(c + QPointF(-s, -s), c + QPointF(s, s));
    p.drawLine(c + QPointF(-s, s), c + QPointF(s, -s));
    p.setPen(ink(s * 0.9, kRed));
    p.drawLine(c + QPointF(-s, -s), c + QPointF(s, s));
    p.drawLine(c + QPointF(-s, s), c + QPointF(s, -s));
}

// A check mark through the points a, b, c with a dark edge.
void check(QPainter &p, QPointF a, QPointF b, QPointF c, qreal w, const QColor &col)
{
    QPainterPath path(a);
    path.lineTo(b);
    path.lineTo(c);
    p.setBrush(Qt::NoBrush);
    p.setPen(ink(w + 2.4, QColor(0x14, 0x4d, 0x22)));
    p.drawPath(path);
    p.setPen(ink(w, col));
    p.drawPath(path);
}

// A floppy disk inside r.
void floppy(QPainter &p, const QRectF &r)
{
    const qreal cut = r.width() * 0.16;
    QPolygonF body;
    body << r.topLeft() << QPointF(r.right() - cut, r.top()) << QPointF(r.right(), r.top() + cut)
         << r.bottomRight() << r.bottomLeft();
    p.setPen(ink());
    p.setBrush(vgrad(r.top(), r.bottom(), QColor(0x4a, 0x86, 0xdb), QColor(0x24, 0x58, 0xa8)));
    p.drawPolygon(body);
    // metal shutter at the top
    const QRectF sh(r.left() + r.width() * 0.25, r.top() + 0.75, r.width() * 0.48,
                    r.height() * 0.32);
    p.setPen(ink(1.0, kMetalDark));
    p.setBrush(vgrad(sh.top(), sh.bottom(), QColor(0xe4, 0xe8, 0xec), kMetal));
    p.drawRect(sh);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawRect(QRectF(sh.left() + sh.width() * 0.62, sh.top() + sh.height() * 0.18,
                      sh.width() * 0.22, sh.height() * 0.64));
    // label
    const QRectF lab(r.left() + r.width() * 0.15, r.top() + r.height() * 0.52, r.width() * 0.7,
                     r.height() * 0.48 - 0.75);
    p.setPen(ink(1.0, kMetalDark));
    p.setBrush(kPaper);
    p.drawRect(lab);
    p.setPen(ink(1.0, QColor(0x9f, 0xb6, 0xd3)));
    for (int i = 1; i <= 2; ++i) {
        const qreal y = lab.top() + lab.height() * i / 3.0;
        p.drawLine(QPointF(lab.left() + 2, y), QPointF(lab.right() - 2, y));
    }
}

// ---------------------------------------------------------------- icons

void drawChipIcon(QPainter &p, int size)
{
    if (size <= 16) {
        // drawn on the pixel grid: an 8x8 body with two 2-pixel pins on each side
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x9a, 0xa4, 0xae));
        for (int k : {5, 9}) {
            p.drawRect(QRect(1, k, 3, 2));
            p.drawRect(QRect(12, k, 3, 2));
            p.drawRect(QRect(k, 1, 2, 3));
            p.drawRect(QRect(k, 12, 2, 3));
        }
        p.setBrush(kInk);
        p.drawRect(QRect(3, 3, 10, 10));
        p.setBrush(vgrad(4, 12, kChipTop, kChip));
        p.drawRect(QRect(4, 4, 8, 8));
        p.setBrush(QColor(0x9a, 0xa4, 0xae));
        p.drawRect(QRect(5, 5, 2, 2));
        return;
    }
    chip(p, QRectF(7, 7, 18, 18), 4, true, 5);
}

void drawPage(QPainter &p)
{
    const qreal l = 6.5, t = 2.5, r = 25.5, b = 29.5, f = 7;
    QPolygonF sheet;
    sheet << QPointF(l, t) << QPointF(r - f, t) << QPointF(r, t + f) << QPointF(r, b)
          << QPointF(l, b);
    p.setPen(ink());
    p.setBrush(vgrad(t, b, kPaper, QColor(0xee, 0xf1, 0xf5)));
    p.drawPolygon(sheet);
    QPolygonF fold;
    fold << QPointF(r - f, t) << QPointF(r - f, t + f) << QPointF(r, t + f);
    p.setBrush(kPaperShade);
    p.drawPolygon(fold);
}

void drawOpen(QPainter &p)
{
    // back of the folder with its tab
    QPolygonF back;
    back << QPointF(2.5, 6.5) << QPointF(11, 6.5) << QPointF(13.5, 9) << QPointF(26.5, 9)
         << QPointF(26.5, 26.5) << QPointF(2.5, 26.5);
    p.setPen(ink());
    p.setBrush(vgrad(6, 27, QColor(0xe0, 0xa9, 0x3c), kYellowDark));
    p.drawPolygon(back);
    // a sheet sticking out
    p.setBrush(kPaper);
    p.drawRect(QRectF(6.5, 11.5, 17, 10));
    // front flap, opened forwards
    QPolygonF front;
    front << QPointF(7.5, 14.5) << QPointF(30.5, 14.5) << QPointF(26.5, 26.5) << QPointF(2.5, 26.5);
    p.setBrush(vgrad(14, 27, QColor(0xfb, 0xdc, 0x80), kYellow));
    p.drawPolygon(front);
}

void drawSave(QPainter &p)
{
    floppy(p, QRectF(3.5, 3.5, 25, 25));
}

void drawSaveAs(QPainter &p)
{
    floppy(p, QRectF(2.5, 2.5, 22, 22));
    // pencil from the lower right towards the label
    p.save();
    p.translate(19, 23);
    p.rotate(-45);
    const qreal w = 5.5;
    QPainterPath tip;
    tip.moveTo(-7, -w / 2);
    tip.lineTo(-12, 0);
    tip.lineTo(-7, w / 2);
    tip.closeSubpath();
    p.setPen(ink(1.2));
    p.setBrush(QColor(0xf3, 0xd9, 0xb1));
    p.drawPath(tip);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    QPainterPath lead;
    lead.moveTo(-10.3, -w / 2 * 0.34);
    lead.lineTo(-12, 0);
    lead.lineTo(-10.3, w / 2 * 0.34);
    lead.closeSubpath();
    p.drawPath(lead);
    p.setPen(ink(1.2));
    p.setBrush(vgrad(-w / 2, w / 2, QColor(0xff, 0xd7, 0x4d), QColor(0xe8, 0x9f, 0x1c)));
    p.drawRect(QRectF(-7, -w / 2, 12, w));
    p.setBrush(kMetal);
    p.drawRect(QRectF(5, -w / 2, 2, w));
    p.setBrush(QColor(0xf0, 0x8c, 0x9a));
    p.drawRoundedRect(QRectF(7, -w / 2, 3, w), 1, 1);
    p.restore();
}

void drawRead(QPainter &p)
{
    // from the device (chip, upper left) down and over into the PC (lower right)
    chip(p, QRectF(4, 3.5, 10, 10), 3, true, 2.5);
    monitor(p, QRectF(16.5, 14.5, 14, 14));
    bentArrow(p, QPolygonF() << QPointF(9, 17) << QPointF(9, 24) << QPointF(17, 24), 4, 5, kGreen);
}

void drawWrite(QPainter &p)
{
    // from the PC (upper left) over and down into the device (chip, lower right)
    monitor(p, QRectF(1.5, 2.5, 14, 14));
    chip(p, QRectF(18, 18.5, 10, 10), 3, true, 2.5);
    bentArrow(p, QPolygonF() << QPointF(15, 8) << QPointF(23, 8) << QPointF(23, 16), 4, 5, kRed);
}

void drawTest(QPainter &p)
{
    chip(p, QRectF(6, 6, 20, 20), 4, true, 4);
    check(p, QPointF(8, 16), QPointF(14, 23), QPointF(27, 7), 3.6, QColor(0x3f, 0xc2, 0x5c));
}

void drawService(QPainter &p)
{
    // wrench: a handle from the lower left to an open jaw at the upper right
    QPainterPath head;
    const QPointF hc(21.5, 10.5);
    head.addEllipse(hc, 8, 8);
    QPainterPath slot;
    slot.addRect(QRectF(-3, -12, 6, 12));
    QTransform tr;
    tr.translate(hc.x(), hc.y());
    tr.rotate(45);
    QPainterPath jaw = tr.map(slot);
    QPainterPath handle;
    QPainterPath bar;
    bar.addRoundedRect(QRectF(-2.8, 0, 5.6, 23), 2.8, 2.8);
    QTransform th;
    th.translate(hc.x(), hc.y());
    th.rotate(45);
    handle = th.map(bar);
    QPainterPath wrench = head.united(handle).subtracted(jaw).simplified();
    p.setPen(ink());
    QLinearGradient g(4, 4, 28, 28);
    g.setColorAt(0, QColor(0xe9, 0xed, 0xf1));
    g.setColorAt(1, QColor(0x8e, 0x98, 0xa2));
    p.setBrush(g);
    p.drawPath(wrench);
    // hole in the handle
    p.setBrush(kBmpBack);
    p.drawEllipse(QPointF(7, 25), 1.6, 1.6);
}

void drawConnect(QPainter &p)
{
    // front of a 9-pin D-sub plug: flange with two screws, the D shell, 5 + 4 pins
    p.setPen(ink());
    p.setBrush(vgrad(7, 25, QColor(0xe8, 0xec, 0xf0), QColor(0xa0, 0xa9, 0xb2)));
    p.drawRoundedRect(QRectF(0.5, 7.5, 31, 17), 2, 2);
    for (qreal x : {3.6, 28.4}) {
        p.setPen(ink(1.0));
        p.setBrush(QColor(0x6b, 0x76, 0x82));
        p.drawEllipse(QPointF(x, 16), 1.9, 1.9);
        p.setPen(ink(0.8, QColor(0xd0, 0xd6, 0xdc)));
        p.drawLine(QPointF(x - 1.1, 16), QPointF(x + 1.1, 16));
    }
    QPainterPath d;
    d.moveTo(8, 9.5);
    d.lineTo(24, 9.5);
    d.quadTo(26.2, 9.5, 25.7, 11.6);
    d.lineTo(23.3, 21.2);
    d.quadTo(22.9, 22.5, 21.5, 22.5);
    d.lineTo(10.5, 22.5);
    d.quadTo(9.1, 22.5, 8.7, 21.2);
    d.lineTo(6.3, 11.6);
    d.quadTo(5.8, 9.5, 8, 9.5);
    p.setPen(ink(1.2));
    p.setBrush(vgrad(9, 23, QColor(0x2c, 0x34, 0x3d), QColor(0x4a, 0x55, 0x61)));
    p.drawPath(d);
    p.setPen(ink(0.8, QColor(0x9c, 0x74, 0x16)));
    p.setBrush(QColor(0xf5, 0xcc, 0x4f));
    for (int i = 0; i < 5; ++i)
        p.drawEllipse(QPointF(10 + i * 3, 13.5), 1.2, 1.2);
    for (int i = 0; i < 4; ++i)
        p.drawEllipse(QPointF(11.5 + i * 3, 18.5), 1.2, 1.2);
}

void roundBadge(QPainter &p, const QColor &top, const QColor &bottom)
{
    p.setPen(ink(kLine, bottom.darker(150)));
    QRadialGradient g(QPointF(12, 10), 20);
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.setBrush(g);
    p.drawEllipse(QRectF(2.5, 2.5, 27, 27));
}

void glyph(QPainter &p, const QString &text, const QRectF &r, int pixel, const QColor &c)
{
    QFont f("DejaVu Sans");
    f.setBold(true);
    f.setPixelSize(pixel);
    QPainterPath path;
    path.addText(0, 0, f, text);
    const QRectF b = path.boundingRect();
    path.translate(r.center() - b.center());
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPath(path);
}

void drawHelp(QPainter &p)
{
    roundBadge(p, QColor(0x6d, 0xa6, 0xf2), kBlue);
    glyph(p, "?", QRectF(2.5, 2.5, 27, 27), 22, kPaper);
}

void drawInfo(QPainter &p)
{
    p.setPen(ink(2.0, kBlue));
    p.setBrush(QColor(0xf4, 0xf8, 0xfe));
    p.drawEllipse(QRectF(2.5, 2.5, 27, 27));
    glyph(p, "i", QRectF(2.5, 2.5, 27, 27), 22, kBlue);
}

void drawDelete(QPainter &p)
{
    window(p, QRectF(3.5, 5.5, 22, 18));
    cross(p, QPointF(24, 24), 4);
}

void drawClose(QPainter &p)
{
    window(p, QRectF(8.5, 2.5, 20, 15));
    window(p, QRectF(3.5, 8.5, 20, 15));
    cross(p, QPointF(24, 24), 4);
}

void drawWin(QPainter &p)
{
    window(p, QRectF(2.5, 3.5, 12.5, 11.5));
    window(p, QRectF(17, 3.5, 12.5, 11.5));
    window(p, QRectF(2.5, 17.5, 12.5, 11.5));
    window(p, QRectF(17, 17.5, 12.5, 11.5));
}

void drawMultiple(QPainter &p)
{
    window(p, QRectF(2.5, 2.5, 17, 14));
    window(p, QRectF(7.5, 8.5, 17, 14));
    window(p, QRectF(12.5, 14.5, 17, 14));
}

void drawTask(QPainter &p)
{
    // clipboard with a list of ticked tasks
    p.setPen(ink());
    p.setBrush(vgrad(3, 30, QColor(0xc9, 0x93, 0x5a), QColor(0x9c, 0x68, 0x34)));
    p.drawRoundedRect(QRectF(4.5, 4.5, 23, 26), 2, 2);
    p.setBrush(kPaper);
    p.setPen(ink(1.0, QColor(0x8d, 0x6a, 0x45)));
    p.drawRect(QRectF(7.5, 7.5, 17, 20.5));
    p.setPen(ink(1.2));
    p.setBrush(vgrad(2, 8, QColor(0xe3, 0xe7, 0xeb), kMetalDark));
    p.drawRoundedRect(QRectF(11.5, 2.5, 9, 5), 1.2, 1.2);
    for (int i = 0; i < 3; ++i) {
        const qreal y = 12 + i * 5.5;
        p.setPen(ink(1.0));
        p.setBrush(kPaper);
        p.drawRect(QRectF(9.5, y - 1.5, 3, 3));
        p.setPen(ink(1.5, QColor(0x7d, 0x8b, 0x99)));
        p.drawLine(QPointF(14.5, y), QPointF(22, y));
        if (i < 2) {
            p.setPen(ink(1.6, kGreen));
            p.drawPolyline(QPolygonF() << QPointF(9.5, y - 0.5) << QPointF(11, y + 1.2)
                                       << QPointF(13.8, y - 3));
        }
    }
}

void drawDevice(QPainter &p)
{
    // the adapter board: a small PCB with a controller, parts and an edge connector
    p.setPen(ink());
    p.setBrush(vgrad(5, 27, QColor(0x3f, 0xa8, 0x62), QColor(0x23, 0x72, 0x40)));
    p.drawRoundedRect(QRectF(1.5, 5.5, 29, 21), 1.5, 1.5);
    // mounting holes
    p.setPen(ink(1.0, QColor(0xc8, 0xa0, 0x3a)));
    p.setBrush(QColor(0xf0, 0xf0, 0xf0));
    for (QPointF c :
         {QPointF(4.5, 8.5), QPointF(27.5, 8.5), QPointF(4.5, 23.5), QPointF(27.5, 23.5)})
        p.drawEllipse(c, 1.3, 1.3);
    // traces
    p.setPen(ink(1.0, QColor(0x8f, 0xd6, 0xa5)));
    p.drawPolyline(QPolygonF() << QPointF(7, 12) << QPointF(7, 17) << QPointF(9.5, 17));
    p.drawPolyline(QPolygonF() << QPointF(22, 19) << QPointF(25, 19) << QPointF(25, 14));
    // controller
    chip(p, QRectF(10.5, 10, 10, 10), 3, true, 2);
    // small parts
    p.setPen(ink(1.0));
    p.setBrush(QColor(0xd8, 0xc6, 0x9a));
    p.drawRect(QRectF(23.5, 11, 3.5, 2));
    p.setBrush(QColor(0x33, 0x3b, 0x44));
    p.drawRect(QRectF(5.5, 18.5, 3, 2));
    // gold edge contacts
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xf2, 0xc2, 0x3e));
    for (int i = 0; i < 7; ++i)
        p.drawRect(QRectF(7 + i * 2.8, 23.5, 1.6, 3));
}

void drawTransmit(QPainter &p)
{
    // antenna mast with radio waves on both sides
    const QPointF top(16, 12);
    p.setPen(ink(2.2));
    p.drawLine(top, QPointF(10, 29));
    p.drawLine(top, QPointF(22, 29));
    p.setPen(ink(1.4));
    p.drawLine(QPointF(12.5, 22), QPointF(19.5, 22));
    p.drawLine(QPointF(11.3, 25.5), QPointF(20.7, 25.5));
    p.drawLine(QPointF(13.6, 19), QPointF(19.5, 25.5));
    p.drawLine(QPointF(18.4, 19), QPointF(12.5, 25.5));
    p.setPen(ink(1.2));
    p.setBrush(kRed);
    p.drawEllipse(top, 2.4, 2.4);
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 2; ++i) {
        const qreal r = 5.5 + i * 4.5;
        p.setPen(ink(2.0, i == 0 ? kBlue : QColor(0x6d, 0xa6, 0xf2)));
        const QRectF box(top.x() - r, top.y() - r, 2 * r, 2 * r);
        p.drawArc(box, 30 * 16, 60 * 16);
        p.drawArc(box, 90 * 16, 60 * 16);
        p.drawArc(box, -30 * 16, 0);
    }
}

void drawMic(QPainter &p)
{
    // capsule
    const QRectF cap(10.5, 2.5, 11, 17);
    p.setPen(ink());
    QLinearGradient g(cap.left(), 0, cap.right(), 0);
    g.setColorAt(0, QColor(0x8a, 0x95, 0xa0));
    g.setColorAt(0.4, QColor(0xe9, 0xed, 0xf1));
    g.setColorAt(1, QColor(0x6b, 0x76, 0x82));
    p.setBrush(g);
    p.drawRoundedRect(cap, 5.5, 5.5);
    p.setPen(ink(1.0, QColor(0x55, 0x60, 0x6b)));
    for (int i = 0; i < 4; ++i) {
        const qreal y = 6.5 + i * 2.5;
        p.drawLine(QPointF(12.5, y), QPointF(19.5, y));
    }
    // holder, stem and base
    p.setPen(ink(2.0));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(7, 7, 18, 17), 200 * 16, 140 * 16);
    p.drawLine(QPointF(16, 24), QPointF(16, 28));
    p.drawLine(QPointF(10.5, 29), QPointF(21.5, 29));
}

void drawSound(QPainter &p)
{
    QPolygonF spk;
    spk << QPointF(3.5, 12) << QPointF(8.5, 12) << QPointF(15.5, 5.5) << QPointF(15.5, 26.5)
        << QPointF(8.5, 20) << QPointF(3.5, 20);
    p.setPen(ink());
    p.setBrush(vgrad(5, 27, QColor(0x8a, 0x95, 0xa0), QColor(0x45, 0x4f, 0x5a)));
    p.drawPolygon(spk);
    p.setPen(ink(1.0, QColor(0xb4, 0xbc, 0xc4)));
    p.drawLine(QPointF(8.5, 12.8), QPointF(8.5, 19.2));
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 3; ++i) {
        const qreal r = 4 + i * 4.5;
        p.setPen(ink(2.0, i == 2 ? QColor(0x6d, 0xa6, 0xf2) : kBlue));
        p.drawArc(QRectF(15 - r, 16 - r, 2 * r, 2 * r), -45 * 16, 90 * 16);
    }
}

void drawMonitor(QPainter &p)
{
    monitor(p, QRectF(2.5, 3.5, 27, 26));
}

void drawTrace(QPainter &p)
{
    // an oscilloscope screen with a trace
    const QRectF scr(2.5, 4.5, 27, 23);
    p.setPen(ink());
    p.setBrush(QColor(0x1d, 0x26, 0x30));
    p.drawRoundedRect(scr, 2, 2);
    p.setPen(ink(1.0, QColor(0x2f, 0x5a, 0x3d)));
    for (int i = 1; i < 4; ++i) {
        const qreal x = scr.left() + scr.width() * i / 4;
        p.drawLine(QPointF(x, scr.top() + 2), QPointF(x, scr.bottom() - 2));
    }
    for (int i = 1; i < 3; ++i) {
        const qreal y = scr.top() + scr.height() * i / 3;
        p.drawLine(QPointF(scr.left() + 2, y), QPointF(scr.right() - 2, y));
    }
    QPainterPath wave;
    const qreal cy = scr.center().y();
    for (int i = 0; i <= 46; ++i) {
        const qreal x = scr.left() + 2.5 + (scr.width() - 5) * i / 46.0;
        const qreal t = i / 46.0 * 2 * M_PI * 1.5;
        const qreal y = cy - 7.5 * std::sin(t) * (1.0 - 0.35 * i / 46.0);
        if (i == 0)
            wave.moveTo(x, y);
        else
            wave.lineTo(x, y);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(ink(3.2, QColor(0x4c, 0xe0, 0x6e, 0x60)));
    p.drawPath(wave);
    p.setPen(ink(1.6, QColor(0x8c, 0xff, 0x9c)));
    p.drawPath(wave);
}

// ---------------------------------------------------------------- logo

QImage drawLogo()
{
    QImage img(120, 90, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // mark: a "V" made of two strokes with a wave through it
    QPainterPath v;
    v.moveTo(38, 8);
    v.lineTo(50, 8);
    v.lineTo(60, 36);
    v.lineTo(70, 8);
    v.lineTo(82, 8);
    v.lineTo(66, 50);
    v.lineTo(54, 50);
    v.closeSubpath();
    QLinearGradient g(0, 8, 0, 50);
    g.setColorAt(0, QColor(0x3c, 0x84, 0xe0));
    g.setColorAt(1, QColor(0x1c, 0x4f, 0xa0));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawPath(v);
    QPainterPath wave;
    wave.moveTo(24, 30);
    wave.cubicTo(40, 16, 48, 44, 60, 30);
    wave.cubicTo(72, 16, 80, 44, 96, 30);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::white, 5, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(wave);
    p.setPen(QPen(QColor(0xe0, 0x6a, 0x1e), 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(wave);
    // name
    QFont f("DejaVu Sans");
    f.setBold(true);
    f.setPixelSize(20);
    f.setLetterSpacing(QFont::AbsoluteSpacing, 0.5);
    QPainterPath text;
    text.addText(0, 0, f, "Veltrona");
    const QRectF b = text.boundingRect();
    text.translate(60 - b.center().x(), 72 - b.center().y());
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x22, 0x2c, 0x38));
    p.drawPath(text);
    p.setPen(QPen(QColor(0x1c, 0x4f, 0xa0), 1.2));
    p.drawLine(QPointF(14, 84.5), QPointF(106, 84.5));
    p.end();
    return img;
}

// ---------------------------------------------------------------- output

// The application icon for the desktop's menu: the board's chip on a blue tile, with the
// radio's waves at its corner. Drawn on the 32-unit grid like the others.
void drawAppIcon(QPainter &p)
{
    const QRectF tile(1.5, 1.5, 29, 29);
    p.setPen(ink(1, QColor(0x1d, 0x4f, 0x96)));
    p.setBrush(vgrad(tile.top(), tile.bottom(), QColor(0x4d, 0x8c, 0xe0), QColor(0x22, 0x5c, 0xb0)));
    p.drawRoundedRect(tile, 6, 6);
    chip(p, QRectF(6.5, 12.5, 13, 13), 3, true, 3);
    p.setBrush(Qt::NoBrush);
    for (int k = 0; k < 3; ++k) {
        p.setPen(ink(1.6, QColor(0xff, 0xff, 0xff, 240 - 45 * k)));
        const qreal r = 3 + 2.6 * k;
        p.drawArc(QRectF(20.5 - r, 11.5 - r, 2 * r, 2 * r), 0 * 16, 90 * 16);
    }
}

QImage render(int size, const std::function<void(QPainter &)> &draw, const QColor &back)
{
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(back);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    draw(p);
    p.end();
    return img;
}

void put16(QByteArray &a, quint16 v)
{
    a.append(char(v & 0xff));
    a.append(char(v >> 8));
}

void put32(QByteArray &a, quint32 v)
{
    put16(a, quint16(v & 0xffff));
    put16(a, quint16(v >> 16));
}

// One ico image: BITMAPINFOHEADER, 32-bit BGRA rows bottom up, 1-bit AND mask.
QByteArray icoDib(const QImage &src)
{
    const QImage img = src.convertToFormat(QImage::Format_ARGB32);
    const int w = img.width(), h = img.height();
    const int maskStride = ((w + 31) / 32) * 4;
    QByteArray a;
    put32(a, 40);
    put32(a, quint32(w));
    put32(a, quint32(2 * h));
    put16(a, 1);
    put16(a, 32);
    put32(a, 0);
    put32(a, quint32(w * h * 4 + maskStride * h));
    put32(a, 0);
    put32(a, 0);
    put32(a, 0);
    put32(a, 0);
    for (int y = h - 1; y >= 0; --y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            a.append(char(qBlue(line[x])));
            a.append(char(qGreen(line[x])));
            a.append(char(qRed(line[x])));
            a.append(char(qAlpha(line[x])));
        }
    }
    for (int y = h - 1; y >= 0; --y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        QByteArray row(maskStride, '\0');
        for (int x = 0; x < w; ++x)
            if (qAlpha(line[x]) == 0)
                row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
        a.append(row);
    }
    return a;
}

bool writeIco(const QString &path, const std::vector<QImage> &images)
{
    QByteArray head, body;
    put16(head, 0);
    put16(head, 1);
    put16(head, quint16(images.size()));
    quint32 offset = 6 + 16 * quint32(images.size());
    for (const QImage &img : images) {
        // A 256-pixel image is kept as PNG, as Windows reads it since Vista: a quarter of a
        // megabyte less.
        QByteArray dib;
        if (img.width() >= 256) {
            QBuffer png(&dib);
            png.open(QIODevice::WriteOnly);
            img.save(&png, "PNG");
        } else {
            dib = icoDib(img);
        }
        head.append(char(img.width() >= 256 ? 0 : img.width()));
        head.append(char(img.height() >= 256 ? 0 : img.height()));
        head.append(char(0));
        head.append(char(0));
        put16(head, 1);
        put16(head, 32);
        put32(head, quint32(dib.size()));
        put32(head, offset);
        offset += quint32(dib.size());
        body.append(dib);
    }
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    return f.write(head + body) == head.size() + body.size();
}

struct Icon {
    const char *file;
    std::function<void(QPainter &)> draw;
};

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: drawicons <output folder> [contact-sheet.png]\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const std::vector<Icon> icons = {
        {"page.png", drawPage},      {"open.png", drawOpen},         {"save.png", drawSave},
        {"save_as.png", drawSaveAs}, {"read.bmp", drawRead},         {"test.bmp", drawTest},
        {"write.bmp", drawWrite},    {"service.bmp", drawService},   {"connect.png", drawConnect},
        {"help.png", drawHelp},      {"delete.png", drawDelete},     {"close.png", drawClose},
        {"win.png", drawWin},        {"multiple.png", drawMultiple}, {"task.png", drawTask},
        {"device.png", drawDevice},  {"transmit.png", drawTransmit}, {"mic.png", drawMic},
        {"sound.png", drawSound},    {"info.png", drawInfo},         {"monitor.png", drawMonitor},
        {"trace.png", drawTrace},
    };

    int failures = 0;
    std::vector<std::pair<QString, QImage>> sheet;

    const QImage chip32 = render(
        32, [](QPainter &p) { drawChipIcon(p, 32); }, Qt::transparent);
    const QImage chip16 = render(
        16,
        [](QPainter &p) {
            p.scale(2, 2);
            drawChipIcon(p, 16);
        },
        Qt::transparent);
    if (!writeIco(out.filePath("chip.ico"), {chip32, chip16})) {
        std::fprintf(stderr, "cannot write chip.ico\n");
        ++failures;
    }
    sheet.push_back({"chip.ico 32", chip32});
    sheet.push_back({"chip.ico 16", chip16});

    for (const Icon &icon : icons) {
        const QString name = QString::fromLatin1(icon.file);
        const bool bmp = name.endsWith(".bmp");
        QImage img = render(32, icon.draw, bmp ? kBmpBack : QColor(Qt::transparent));
        if (bmp)
            img = img.convertToFormat(QImage::Format_RGB888); // written as a 24-bit BMP
        if (!img.save(out.filePath(name))) {
            std::fprintf(stderr, "cannot write %s\n", icon.file);
            ++failures;
        }
        sheet.push_back({name, img});
    }

    // The application icon at the sizes of the desktop's icon theme.
    if (!out.mkpath(QStringLiteral("app")))
        ++failures;
    std::vector<QImage> exeIcon;
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const QImage img = render(size, drawAppIcon, Qt::transparent);
        if (size != 64 && size != 128)
            exeIcon.push_back(img);
        const QString name = QStringLiteral("app/q275-terminal-%1.png").arg(size);
        if (!img.save(out.filePath(name))) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(name));
            ++failures;
        }
        if (size == 48)
            sheet.push_back({name, img});
    }
    if (!writeIco(out.filePath(QStringLiteral("app/q275-terminal.ico")), exeIcon)) {
        std::fprintf(stderr, "cannot write app/q275-terminal.ico\n");
        ++failures;
    }

    const QImage logo = drawLogo();
    if (!logo.save(out.filePath("veltrona.jpg"), "JPG", 95)) {
        std::fprintf(stderr, "cannot write veltrona.jpg\n");
        ++failures;
    }

    if (argc > 2) {
        // contact sheet: every icon at 1x and 3x (no smoothing) on a light and on a dark band
        const int cols = 5, half = 112, cellW = 2 * half, cellH = 160;
        const int rows = int((sheet.size() + cols - 1) / cols);
        QImage cs(cols * cellW, rows * cellH + 110, QImage::Format_RGB32);
        cs.fill(QColor(0xf0, 0xf0, 0xf0));
        QPainter p(&cs);
        QFont f("DejaVu Sans");
        f.setPixelSize(12);
        p.setFont(f);
        for (size_t i = 0; i < sheet.size(); ++i) {
            const int x = int(i % cols) * cellW, y = int(i / cols) * cellH;
            const QImage &im = sheet[i].second;
            const QRect big(0, 0, im.width() * 3, im.height() * 3);
            p.fillRect(QRect(x, y, half, cellH - 20), Qt::white);
            p.fillRect(QRect(x + half, y, half, cellH - 20), QColor(0x40, 0x40, 0x40));
            for (int k = 0; k < 2; ++k) {
                p.drawImage(QPoint(x + k * half + 6, y + 6), im);
                p.drawImage(big.translated(x + k * half + 8, y + 42), im);
            }
            p.setPen(Qt::black);
            p.drawText(QRect(x, y + cellH - 20, cellW, 20), Qt::AlignCenter, sheet[i].first);
        }
        p.drawImage(QPoint(10, rows * cellH + 10), logo);
        p.drawImage(QRect(150, rows * cellH + 10, 120, 90), QImage(out.filePath("veltrona.jpg")));
        p.end();
        cs.save(QString::fromLocal8Bit(argv[2]));
    }
    return failures ? 1 : 0;
}
