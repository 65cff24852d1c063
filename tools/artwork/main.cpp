// kvab-artwork <outdir>: draws every picture the client shows and writes <outdir>/images.qrc.
#include "ArtworkPainter.h"

#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>

namespace {

using Glyph = ArtworkPainter::Glyph;

struct ToolButton {
    const char* normal;
    const char* pressed;
    QSize size;
    Glyph glyph;
};

// Sizes follow the buttons of the main window's right-hand panel and top bar.
const ToolButton kToolButtons[] = {
    {"btn_CapturePicStand.bmp", "btn_CapturePicSel.bmp", {44, 36}, Glyph::Camera},
    {"btn_RecordStand.bmp", "btn_RecordSel.bmp", {44, 36}, Glyph::Record},
    {"btn_ListenStand.bmp", "btn_ListenSel.bmp", {44, 36}, Glyph::Speaker},
    {"btn_TalkStand.bmp", "btn_TalkSel.bmp", {44, 36}, Glyph::Mic},
    {"btn_topStand.bmp", "btn_topSel.bmp", {34, 34}, Glyph::ArrowUp},
    {"btn_bottonStand.bmp", "btn_bottonSel.bmp", {34, 34}, Glyph::ArrowDown},
    {"btn_leftStand.bmp", "btn_leftSel.bmp", {34, 34}, Glyph::ArrowLeft},
    {"btn_rightStand.bmp", "btn_rightSel.bmp", {34, 34}, Glyph::ArrowRight},
    {"btn_centerStand.bmp", "btn_centerSel.bmp", {34, 34}, Glyph::Cruise},
    {"btn_ZoomInStand.bmp", "btn_ZoomInSel.bmp", {42, 30}, Glyph::OpticalIn},
    {"btn_ZoomOutStand.bmp", "btn_ZoomOutSel.bmp", {42, 30}, Glyph::OpticalOut},
    {"btn_zoomAdd.bmp", "btn_zoomAdd_h.bmp", {42, 30}, Glyph::DigitalIn},
    {"btn_zoomMin.bmp", "btn_zoomMin_h.bmp", {42, 30}, Glyph::DigitalOut},
    {"btn_LeveloopStand.bmp", "btn_LeveloopSel.bmp", {42, 30}, Glyph::LoopH},
    {"btn_VerticalLoopStand.bmp", "btn_VerticalLoopSel.bmp", {42, 30}, Glyph::LoopV},
    {"btn_SetPointsStand.bmp", "btn_SetPointsSel.bmp", {44, 28}, Glyph::PinSet},
    {"btn_MovePointStand.bmp", "btn_MovePointSel.bmp", {44, 28}, Glyph::PinGo},
    {"btn_VerFlipStand.bmp", "btn_VerFlipSel.bmp", {44, 28}, Glyph::FlipV},
    {"btn_LevelFilpStand.bmp", "btn_LevelFilpSel.bmp", {44, 28}, Glyph::FlipH},
    {"btn_MoveLocusStand.bmp", "btn_MoveLocusSel.bmp", {96, 28}, Glyph::WiFi},
    {"btn_MoreSetSetStand.bmp", "btn_MoreSetSel.bmp", {96, 28}, Glyph::Gear},
};

const ToolButton kTopButtons[] = {
    {"FullScreen_Stand.bmp", "FullScreen_Sel.bmp", {36, 36}, Glyph::FullScreen},
    {"toolbar_SettingStand.bmp", "toolbar_SettingSel.bmp", {36, 36}, Glyph::Gear},
    {"btn_ClientLogStand.bmp", "btn_ClientLogSel.bmp", {36, 36}, Glyph::Log},
    {"toolbar_HelpStand.bmp", "toolbar_HelpSel.bmp", {36, 36}, Glyph::Help},
};

// A flat bar colour with a one-pixel line along one edge.
QImage bar(QSize size, const QColor& fill, const QColor& line, bool lineOnTop) {
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    img.fill(fill);
    QPainter p(&img);
    p.fillRect(0, lineOnTop ? 0 : size.height() - 1, size.width(), 1, line);
    return img;
}

// The light top and the teal bottom edge that the whole top bar shares.
void topBarEdges(QPainter& p, int width) {
    QLinearGradient sheen(0, 0, 0, 20);
    sheen.setColorAt(0, QColor(255, 255, 255, 28));
    sheen.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(0, 0, width, 20, sheen);
    p.fillRect(0, 54, width, 2, ArtworkPainter::kAccent);
}

QImage topExpand() {
    QImage img(16, 56, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    topBarEdges(p, 16);
    return img;
}

QImage logo() {
    QImage img(200, 56, QImage::Format_ARGB32_Premultiplied);
    img.fill(ArtworkPainter::kTopBar);
    QPainter p(&img);
    topBarEdges(p, 200);
    p.setRenderHint(QPainter::Antialiasing);
    p.drawImage(QRect(14, 10, 36, 36), ArtworkPainter::appIcon(72));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(22);
    p.setFont(font);
    p.setPen(QColor(235, 235, 235));
    p.drawText(QRect(60, 0, 130, 56), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("KVAB"));
    return img;
}

QImage addDeviceButton() {
    QImage img(120, 56, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 13, 0, 43);
    g.setColorAt(0, QColor(238, 238, 238));
    g.setColorAt(1, QColor(205, 205, 205));
    p.setPen(QPen(QColor(150, 150, 150), 1));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(8.5, 13.5, 103, 29), 14.5, 14.5);
    return img;
}

QImage notifyIcon() {
    QImage img(16, 16, QImage::Format_ARGB32_Premultiplied);
    img.fill(ArtworkPainter::kStatusBar);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(ArtworkPainter::kAccent.lighter(120));
    p.drawEllipse(QRectF(1, 1, 14, 14));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(8, 4.8), 1.2, 1.2);
    p.drawRoundedRect(QRectF(7, 7, 2, 5.5), 0.8, 0.8);
    return img;
}

QImage viewBack() {
    QImage img(640, 480, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&img);
    QRadialGradient g(320, 240, 420);
    g.setColorAt(0, QColor(40, 40, 40));
    g.setColorAt(1, QColor(22, 22, 22));
    p.fillRect(img.rect(), g);
    ArtworkPainter::drawGlyph(p, QRectF(260, 170, 120, 120), Glyph::Camera, QColor(58, 58, 58));
    return img;
}

QImage idleIcon() {
    QImage img(160, 120, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    ArtworkPainter::drawGlyph(p, QRectF(50, 25, 60, 60), Glyph::Camera, QColor(80, 80, 80));
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(80, 80, 80), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(62, 98), QPointF(98, 98));
    return img;
}

QImage reconnectButton(bool hover) {
    QImage img(96, 32, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(hover ? ArtworkPainter::kAccent.lighter(140) : QColor(90, 90, 90), 1));
    p.setBrush(hover ? ArtworkPainter::kAccent : QColor(60, 60, 60));
    p.drawRoundedRect(QRectF(0.5, 0.5, 95, 31), 15.5, 15.5);
    // A circular arrow.
    const QColor c = hover ? QColor(Qt::white) : ArtworkPainter::kGlyph;
    p.setPen(QPen(c, 2.4, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    const QRectF ring(36, 6, 20, 20);
    p.drawArc(ring, 60 * 16, 280 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPolygon(QPolygonF({QPointF(49, 3), QPointF(57, 8), QPointF(49, 12)}));
    return img;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: kvab-artwork <outdir>\n");
        return 2;
    }
    ArtworkPainter art(QString::fromLocal8Bit(argv[1]));
    if (!art.ok())
        return 1;

    for (const ToolButton& b : kToolButtons) {
        art.save(QLatin1String(b.normal),
                 ArtworkPainter::toolButton(b.size, ArtworkPainter::kPanel, b.glyph, false));
        art.save(QLatin1String(b.pressed),
                 ArtworkPainter::toolButton(b.size, ArtworkPainter::kPanel, b.glyph, true));
    }
    for (const ToolButton& b : kTopButtons) {
        art.save(QLatin1String(b.normal),
                 ArtworkPainter::toolButton(b.size, ArtworkPainter::kTopBar, b.glyph, false));
        art.save(QLatin1String(b.pressed),
                 ArtworkPainter::toolButton(b.size, ArtworkPainter::kTopBar, b.glyph, true));
    }

    for (const char* kind : {"close", "max", "min"}) {
        const QString k = QLatin1String(kind);
        art.save(QStringLiteral("app_win_%1.png").arg(k), ArtworkPainter::titleButton(k, false));
        art.save(QStringLiteral("app_win_%1_h.png").arg(k), ArtworkPainter::titleButton(k, true));
    }
    art.save(QStringLiteral("titlebarBg.bmp"),
             ArtworkPainter::verticalGradient(QSize(16, 32), ArtworkPainter::kAccent.lighter(112),
                                              ArtworkPainter::kAccent.darker(118)));
    art.save(QStringLiteral("myapp.ico"), ArtworkPainter::appIcon(64));

    art.save(QStringLiteral("toptool_bg1.bmp"),
             bar(QSize(16, 56), ArtworkPainter::kTopBar, QColor(28, 28, 28), false));
    art.save(QStringLiteral("topToolExpand.png"), topExpand());
    art.save(QStringLiteral("toptool_bg.bmp"), logo());
    art.save(QStringLiteral("BtnArcDis.png"), addDeviceButton());
    art.save(QStringLiteral("bottomtool_bg.bmp"),
             bar(QSize(16, 30), ArtworkPainter::kStatusBar, QColor(62, 62, 62), true));
    art.save(QStringLiteral("notifymsg.bmp"), notifyIcon());
    art.save(QStringLiteral("righttool_bottom_bg.bmp"),
             bar(QSize(16, 16), ArtworkPainter::kPanel, QColor(62, 62, 62), true));

    art.save(QStringLiteral("view_back.bmp"), viewBack());
    art.save(QStringLiteral("live_idleIcon.png"), idleIcon());
    art.save(QStringLiteral("live_reconnect.png"), reconnectButton(false));
    art.save(QStringLiteral("live_reconnect_h.png"), reconnectButton(true));

    art.save(QStringLiteral("user_online.bmp"), ArtworkPainter::deviceIcon(QColor(80, 200, 120), false));
    art.save(QStringLiteral("user_offline.bmp"), ArtworkPainter::deviceIcon(QColor(120, 120, 120), false));
    art.save(QStringLiteral("user_select.bmp"), ArtworkPainter::deviceIcon(QColor(240, 160, 50), true));

    // The title bar asks for ":/images/titlebarBg" without a suffix.
    art.writeQrc({{QStringLiteral("titlebarBg"), QStringLiteral("titlebarBg.bmp")}});
    return art.ok() ? 0 : 1;
}
