#pragma once

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QString>
#include <QStringList>

class QPainter;

// Draws the client's flat artwork and writes each picture into one output folder.
// Every picture written is remembered so the resource list can be produced at the end.
class ArtworkPainter {
public:
    enum class Glyph {
        Camera,
        Record,
        Speaker,
        Mic,
        ArrowUp,
        ArrowDown,
        ArrowLeft,
        ArrowRight,
        Cruise,
        OpticalIn,
        OpticalOut,
        DigitalIn,
        DigitalOut,
        LoopH,
        LoopV,
        PinSet,
        PinGo,
        FlipV,
        FlipH,
        WiFi,
        Gear,
        FullScreen,
        Log,
        Help,
    };

    // Shared colours of the dark theme.
    static const QColor kPanel;     // right-hand tool panel
    static const QColor kTopBar;    // top tool bar
    static const QColor kStatusBar; // bottom status bar
    static const QColor kTree;      // device list background
    static const QColor kAccent;    // the teal of the title bar
    static const QColor kGlyph;     // light grey line work
    static const QColor kVideo;     // the empty video area

    explicit ArtworkPainter(const QString& outDir);

    // Saves in the format the suffix names (.bmp, .png, .ico); false (with a message) on failure.
    bool save(const QString& name, const QImage& image);
    bool ok() const { return m_ok; }

    // Writes images.qrc listing every saved picture under "/images", plus the given aliases.
    bool writeQrc(const QList<QPair<QString, QString>>& aliases);

    // A tool button on an opaque background: raised tile when normal, teal tile when selected.
    static QImage toolButton(QSize size, const QColor& background, Glyph glyph, bool selected);
    static void drawGlyph(QPainter& p, const QRectF& box, Glyph glyph, const QColor& colour);

    static QImage verticalGradient(QSize size, const QColor& top, const QColor& bottom);
    static QImage titleButton(const QString& kind, bool hover);
    static QImage appIcon(int size);
    static QImage deviceIcon(const QColor& lamp, bool playing);

private:
    QString m_outDir;
    QStringList m_files;
    bool m_ok = true;
};
