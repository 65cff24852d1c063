#include "ArtworkPainter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>
#include <QtMath>

#include <cstdio>

const QColor ArtworkPainter::kPanel(45, 45, 45);
const QColor ArtworkPainter::kTopBar(48, 48, 48);
const QColor ArtworkPainter::kStatusBar(32, 32, 32);
const QColor ArtworkPainter::kTree(36, 36, 36);
const QColor ArtworkPainter::kAccent(53, 142, 118);
const QColor ArtworkPainter::kGlyph(210, 210, 210);
const QColor ArtworkPainter::kVideo(25, 25, 25);

ArtworkPainter::ArtworkPainter(const QString& outDir) : m_outDir(outDir) {
    if (!QDir().mkpath(outDir)) {
        std::fprintf(stderr, "kvab-artwork: cannot create %s\n", qPrintable(outDir));
        m_ok = false;
    }
}

bool ArtworkPainter::save(const QString& name, const QImage& image) {
    const QString path = m_outDir + QLatin1Char('/') + name;
    QByteArray format = QFileInfo(name).suffix().toLower().toLatin1();
    if (format == "ico" && !QImageWriter::supportedImageFormats().contains("ico"))
        format = "png"; // the reader sniffs the content, so PNG data under the .ico name still loads
    QImage out = image;
    if (format == "bmp")
        out = image.convertToFormat(QImage::Format_RGB32); // BMP carries no alpha
    QImageWriter writer(path, format);
    if (!writer.write(out)) {
        std::fprintf(stderr, "kvab-artwork: cannot write %s: %s\n", qPrintable(path),
                     qPrintable(writer.errorString()));
        m_ok = false;
        return false;
    }
    m_files << name;
    return true;
}

bool ArtworkPainter::writeQrc(const QList<QPair<QString, QString>>& aliases) {
    QFile file(m_outDir + QStringLiteral("/images.qrc"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        std::fprintf(stderr, "kvab-artwork: cannot write %s\n", qPrintable(file.fileName()));
        m_ok = false;
        return false;
    }
    QTextStream out(&file);
    out << "<!DOCTYPE RCC><RCC version=\"1.0\">\n<qresource prefix=\"/images\">\n";
    for (const QString& name : qAsConst(m_files))
        out << "    <file>" << name << "</file>\n";
    for (const auto& alias : aliases)
        out << "    <file alias=\"" << alias.first << "\">" << alias.second << "</file>\n";
    out << "</qresource>\n</RCC>\n";
    return true;
}

QImage ArtworkPainter::verticalGradient(QSize size, const QColor& top, const QColor& bottom) {
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&img);
    QLinearGradient g(0, 0, 0, size.height());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.fillRect(img.rect(), g);
    return img;
}

QImage ArtworkPainter::toolButton(QSize size, const QColor& background, Glyph glyph, bool selected) {
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    img.fill(background);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF tile = QRectF(img.rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    QLinearGradient g(0, 0, 0, size.height());
    if (selected) {
        g.setColorAt(0, kAccent.lighter(115));
        g.setColorAt(1, kAccent.darker(125));
        p.setPen(QPen(kAccent.lighter(140), 1));
    } else {
        g.setColorAt(0, QColor(66, 66, 66));
        g.setColorAt(1, QColor(54, 54, 54));
        p.setPen(QPen(QColor(80, 80, 80), 1));
    }
    p.setBrush(g);
    p.drawRoundedRect(tile, 4, 4);
    const qreal side = qMin(size.width(), size.height()) * 0.62;
    const QRectF box(QPointF((size.width() - side) / 2.0, (size.height() - side) / 2.0), QSizeF(side, side));
    drawGlyph(p, box, glyph, selected ? QColor(Qt::white) : kGlyph);
    return img;
}

namespace {

QPolygonF triangle(const QRectF& r, int direction) {
    // direction: 0 up, 1 down, 2 left, 3 right
    switch (direction) {
    case 0:
        return QPolygonF({QPointF(r.center().x(), r.top()), r.bottomRight(), r.bottomLeft()});
    case 1:
        return QPolygonF({r.topLeft(), r.topRight(), QPointF(r.center().x(), r.bottom())});
    case 2:
        return QPolygonF({QPointF(r.left(), r.center().y()), r.topRight(), r.bottomRight()});
    default:
        return QPolygonF({r.topLeft(), QPointF(r.right(), r.center().y()), r.bottomLeft()});
    }
}

void magnifier(QPainter& p, const QRectF& b, const QColor& c, bool plus, bool square) {
    const qreal w = b.width();
    QPen pen(c, qMax(1.5, w / 11.0), Qt::SolidLine, Qt::RoundCap);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    const QRectF lens(b.left(), b.top(), w * 0.7, w * 0.7);
    if (square)
        p.drawRoundedRect(lens, w * 0.08, w * 0.08);
    else
        p.drawEllipse(lens);
    const QPointF c0 = lens.center();
    const qreal arm = w * 0.18;
    p.drawLine(QPointF(c0.x() - arm, c0.y()), QPointF(c0.x() + arm, c0.y()));
    if (plus)
        p.drawLine(QPointF(c0.x(), c0.y() - arm), QPointF(c0.x(), c0.y() + arm));
    pen.setWidthF(qMax(2.0, w / 7.0));
    p.setPen(pen);
    p.drawLine(QPointF(b.left() + w * 0.6, b.top() + w * 0.6), b.bottomRight() - QPointF(w * 0.04, w * 0.04));
}

void pin(QPainter& p, const QRectF& b, const QColor& c) {
    const qreal w = b.width();
    QPainterPath path;
    const QPointF tip(b.left() + w * 0.4, b.bottom());
    const QRectF head(b.left() + w * 0.05, b.top(), w * 0.7, w * 0.7);
    path.moveTo(tip);
    path.arcTo(head, 225, -270);
    path.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPath(path);
    p.setBrush(QColor(0, 0, 0, 110));
    p.drawEllipse(head.center(), w * 0.13, w * 0.13);
}

} // namespace

void ArtworkPainter::drawGlyph(QPainter& p, const QRectF& b, Glyph glyph, const QColor& c) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const qreal w = b.width();
    const qreal line = qMax(1.5, w / 11.0);
    QPen pen(c, line, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    switch (glyph) {
    case Glyph::Camera: {
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawRoundedRect(QRectF(b.left(), b.top() + w * 0.25, w, w * 0.62), w * 0.1, w * 0.1);
        p.drawRect(QRectF(b.left() + w * 0.3, b.top() + w * 0.12, w * 0.36, w * 0.16));
        p.setBrush(QColor(0, 0, 0, 150));
        p.drawEllipse(QPointF(b.center().x(), b.top() + w * 0.56), w * 0.2, w * 0.2);
        p.setBrush(c);
        p.drawEllipse(QPointF(b.center().x(), b.top() + w * 0.56), w * 0.1, w * 0.1);
        break;
    }
    case Glyph::Record:
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(b.adjusted(line, line, -line, -line));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(220, 60, 50));
        p.drawEllipse(b.center(), w * 0.24, w * 0.24);
        break;
    case Glyph::Speaker: {
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        QPolygonF body(
            {QPointF(b.left(), b.top() + w * 0.35), QPointF(b.left() + w * 0.2, b.top() + w * 0.35),
             QPointF(b.left() + w * 0.48, b.top() + w * 0.1),
             QPointF(b.left() + w * 0.48, b.bottom() - w * 0.1),
             QPointF(b.left() + w * 0.2, b.bottom() - w * 0.35), QPointF(b.left(), b.bottom() - w * 0.35)});
        p.drawPolygon(body);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        const QPointF o(b.left() + w * 0.45, b.center().y());
        for (int i = 1; i <= 2; ++i) {
            const qreal r = w * 0.22 * i;
            p.drawArc(QRectF(o.x() - r, o.y() - r, 2 * r, 2 * r), -45 * 16, 90 * 16);
        }
        break;
    }
    case Glyph::Mic:
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawRoundedRect(QRectF(b.center().x() - w * 0.17, b.top(), w * 0.34, w * 0.6), w * 0.17, w * 0.17);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(b.center().x() - w * 0.32, b.top() + w * 0.12, w * 0.64, w * 0.62), 180 * 16,
                  180 * 16);
        p.drawLine(QPointF(b.center().x(), b.top() + w * 0.74), QPointF(b.center().x(), b.bottom() - line));
        p.drawLine(QPointF(b.center().x() - w * 0.22, b.bottom() - line),
                   QPointF(b.center().x() + w * 0.22, b.bottom() - line));
        break;
    case Glyph::ArrowUp:
    case Glyph::ArrowDown:
    case Glyph::ArrowLeft:
    case Glyph::ArrowRight: {
        const int dir = glyph == Glyph::ArrowUp     ? 0
                        : glyph == Glyph::ArrowDown ? 1
                        : glyph == Glyph::ArrowLeft ? 2
                                                    : 3;
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawPolygon(triangle(b.adjusted(w * 0.18, w * 0.18, -w * 0.18, -w * 0.18), dir));
        break;
    }
    case Glyph::Cruise: {
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        const QRectF ring = b.adjusted(w * 0.12, w * 0.12, -w * 0.12, -w * 0.12);
        p.drawArc(ring, 30 * 16, 300 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        const QPointF end(ring.center().x() + ring.width() / 2 * qCos(qDegreesToRadians(30.0)),
                          ring.center().y() - ring.height() / 2 * qSin(qDegreesToRadians(30.0)));
        p.drawPolygon(QPolygonF({end + QPointF(-w * 0.16, -w * 0.02), end + QPointF(w * 0.12, -w * 0.04),
                                 end + QPointF(-w * 0.02, w * 0.2)}));
        p.drawEllipse(b.center(), w * 0.1, w * 0.1);
        break;
    }
    case Glyph::OpticalIn:
        magnifier(p, b, c, true, false);
        break;
    case Glyph::OpticalOut:
        magnifier(p, b, c, false, false);
        break;
    case Glyph::DigitalIn:
        magnifier(p, b, c, true, true);
        break;
    case Glyph::DigitalOut:
        magnifier(p, b, c, false, true);
        break;
    case Glyph::LoopH:
    case Glyph::LoopV: {
        p.save();
        if (glyph == Glyph::LoopV) {
            p.translate(b.center());
            p.rotate(90);
            p.translate(-b.center());
        }
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        const qreal y = b.center().y();
        p.drawLine(QPointF(b.left() + w * 0.18, y), QPointF(b.right() - w * 0.18, y));
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawPolygon(triangle(QRectF(b.left(), y - w * 0.2, w * 0.24, w * 0.4), 2));
        p.drawPolygon(triangle(QRectF(b.right() - w * 0.24, y - w * 0.2, w * 0.24, w * 0.4), 3));
        p.restore();
        break;
    }
    case Glyph::PinSet:
    case Glyph::PinGo: {
        pin(p, QRectF(b.left(), b.top(), w * 0.8, w), c);
        p.setPen(pen);
        const QPointF o(b.right() - w * 0.14, b.bottom() - w * 0.22);
        if (glyph == Glyph::PinSet) {
            p.drawLine(o - QPointF(w * 0.14, 0), o + QPointF(w * 0.14, 0));
            p.drawLine(o - QPointF(0, w * 0.14), o + QPointF(0, w * 0.14));
        } else {
            p.setPen(Qt::NoPen);
            p.setBrush(c);
            p.drawPolygon(triangle(QRectF(o.x() - w * 0.12, o.y() - w * 0.16, w * 0.26, w * 0.32), 3));
        }
        break;
    }
    case Glyph::FlipV:
    case Glyph::FlipH: {
        p.save();
        if (glyph == Glyph::FlipH) {
            p.translate(b.center());
            p.rotate(90);
            p.translate(-b.center());
        }
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        const QRectF top(b.left() + w * 0.15, b.top(), w * 0.7, w * 0.4);
        const QRectF bottom(b.left() + w * 0.15, b.bottom() - w * 0.4, w * 0.7, w * 0.4);
        p.drawPolygon(triangle(top, 0));
        p.setBrush(Qt::NoBrush);
        p.setPen(pen);
        p.drawPolygon(triangle(bottom.adjusted(line / 2, line / 2, -line / 2, -line / 2), 1));
        QPen dash(c, qMax(1.0, line / 2), Qt::DashLine);
        p.setPen(dash);
        p.drawLine(QPointF(b.left(), b.center().y()), QPointF(b.right(), b.center().y()));
        p.restore();
        break;
    }
    case Glyph::WiFi: {
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        const QPointF o(b.center().x(), b.bottom() - w * 0.1);
        for (int i = 1; i <= 3; ++i) {
            const qreal r = w * 0.27 * i;
            p.drawArc(QRectF(o.x() - r, o.y() - r, 2 * r, 2 * r), 45 * 16, 90 * 16);
        }
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawEllipse(o, w * 0.08, w * 0.08);
        break;
    }
    case Glyph::Gear: {
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        QPainterPath gear;
        const QPointF o = b.center();
        const int teeth = 8;
        for (int i = 0; i < teeth * 2; ++i) {
            const qreal r = (i % 2 == 0) ? w * 0.5 : w * 0.36;
            const qreal a0 = qDegreesToRadians(360.0 * i / (teeth * 2) - 360.0 / (teeth * 4));
            const qreal a1 = qDegreesToRadians(360.0 * (i + 1) / (teeth * 2) - 360.0 / (teeth * 4));
            const QPointF p0(o.x() + r * qCos(a0), o.y() + r * qSin(a0));
            const QPointF p1(o.x() + r * qCos(a1), o.y() + r * qSin(a1));
            if (i == 0)
                gear.moveTo(p0);
            else
                gear.lineTo(p0);
            gear.lineTo(p1);
        }
        gear.closeSubpath();
        gear.addEllipse(o, w * 0.16, w * 0.16);
        gear.setFillRule(Qt::OddEvenFill);
        p.drawPath(gear);
        break;
    }
    case Glyph::FullScreen: {
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        const qreal a = w * 0.32;
        const QRectF r = b.adjusted(line, line, -line, -line);
        p.drawPolyline(QPolygonF({r.topLeft() + QPointF(0, a), r.topLeft(), r.topLeft() + QPointF(a, 0)}));
        p.drawPolyline(
            QPolygonF({r.topRight() + QPointF(-a, 0), r.topRight(), r.topRight() + QPointF(0, a)}));
        p.drawPolyline(
            QPolygonF({r.bottomLeft() + QPointF(0, -a), r.bottomLeft(), r.bottomLeft() + QPointF(a, 0)}));
        p.drawPolyline(
            QPolygonF({r.bottomRight() + QPointF(-a, 0), r.bottomRight(), r.bottomRight() + QPointF(0, -a)}));
        break;
    }
    case Glyph::Log: {
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        const QRectF page(b.left() + w * 0.12, b.top(), w * 0.76, w);
        p.drawRoundedRect(page.adjusted(line / 2, line / 2, -line / 2, -line / 2), w * 0.06, w * 0.06);
        for (int i = 0; i < 3; ++i) {
            const qreal y = b.top() + w * (0.3 + 0.2 * i);
            p.drawLine(QPointF(page.left() + w * 0.16, y), QPointF(page.right() - w * 0.16, y));
        }
        break;
    }
    case Glyph::Help: {
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(b.adjusted(line / 2, line / 2, -line / 2, -line / 2));
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setBold(true);
        font.setPixelSize(qRound(w * 0.62));
        p.setFont(font);
        p.drawText(b, Qt::AlignCenter, QStringLiteral("?"));
        break;
    }
    }
    p.restore();
}

QImage ArtworkPainter::titleButton(const QString& kind, bool hover) {
    QImage img(24, 24, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    if (hover) {
        p.setPen(Qt::NoPen);
        p.setBrush(kind == QLatin1String("close") ? QColor(200, 55, 45) : QColor(255, 255, 255, 60));
        p.drawRoundedRect(QRectF(1, 1, 22, 22), 3, 3);
    }
    QPen pen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    if (kind == QLatin1String("close")) {
        p.drawLine(QPointF(7.5, 7.5), QPointF(16.5, 16.5));
        p.drawLine(QPointF(16.5, 7.5), QPointF(7.5, 16.5));
    } else if (kind == QLatin1String("max")) {
        p.drawRect(QRectF(7.5, 7.5, 9, 9));
        p.drawLine(QPointF(7.5, 8.5), QPointF(16.5, 8.5));
    } else {
        p.drawLine(QPointF(7.5, 15.5), QPointF(16.5, 15.5));
    }
    return img;
}

QImage ArtworkPainter::appIcon(int size) {
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    p.drawRoundedRect(QRectF(s * 0.04, s * 0.04, s * 0.92, s * 0.92), s * 0.2, s * 0.2);
    p.setBrush(QColor(235, 245, 242));
    p.drawEllipse(QPointF(s * 0.5, s * 0.5), s * 0.3, s * 0.3);
    p.setBrush(QColor(30, 40, 38));
    p.drawEllipse(QPointF(s * 0.5, s * 0.5), s * 0.19, s * 0.19);
    p.setBrush(QColor(255, 255, 255, 200));
    p.drawEllipse(QPointF(s * 0.44, s * 0.44), s * 0.05, s * 0.05);
    p.setBrush(QColor(230, 70, 60));
    p.drawEllipse(QPointF(s * 0.8, s * 0.2), s * 0.06, s * 0.06);
    return img;
}

QImage ArtworkPainter::deviceIcon(const QColor& lamp, bool playing) {
    QImage img(16, 16, QImage::Format_ARGB32_Premultiplied);
    img.fill(kTree);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // A small dome camera with a status lamp.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 200, 200));
    p.drawRoundedRect(QRectF(1.5, 4, 10, 7), 2, 2);
    p.drawPolygon(QPolygonF({QPointF(11.5, 6), QPointF(14.5, 4.5), QPointF(14.5, 10.5), QPointF(11.5, 9)}));
    p.setBrush(QColor(60, 60, 60));
    p.drawEllipse(QPointF(6.5, 7.5), 2, 2);
    if (playing) {
        p.setBrush(lamp);
        p.drawPolygon(QPolygonF({QPointF(9, 10), QPointF(15, 13), QPointF(9, 16)}));
    } else {
        p.setBrush(lamp);
        p.drawEllipse(QPointF(12.5, 13), 2.5, 2.5);
    }
    return img;
}
