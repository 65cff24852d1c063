#include "TvSnapshotWriter.h"

#include "TvDecodeThread.h"
#include "TvYuvLayout.h"
#include "Yuv2RgbConv.h"

#include <QDebug>
#include <QFileInfo>
#include <QImage>

#include <memory>
#include <new>

bool TvSnapshotWriter::write(const QByteArray& yuv, int width, int height, const QString& path) {
    if (!TvYuvLayout::validSize(width, height) || yuv.size() < TvYuvLayout::pictureSize(width, height)) {
        qWarning() << "snapshot: no usable picture for" << path << width << height << yuv.size();
        return false;
    }
    const size_t rgbBytes = size_t(width) * size_t(height) * 3;
    std::unique_ptr<uint8_t[]> rgb(new (std::nothrow) uint8_t[rgbBytes]);
    if (!rgb) {
        qWarning() << "snapshot: no memory for" << width << "x" << height;
        return false;
    }
    const auto* base = reinterpret_cast<const uint8_t*>(yuv.constData());
    if (Yuv2RgbConv::convert(base, base + TvYuvLayout::uOffset(width, height),
                             base + TvYuvLayout::vOffset(width, height), rgb.get(), width, height) != 0)
        return false;
    // The conversion leaves the bottom row first; mirroring puts the top row first again.
    const QImage image = QImage(rgb.get(), width, height, width * 3, QImage::Format_RGB888).mirrored();
    if (!image.save(path)) {
        qWarning() << "snapshot: cannot write" << path;
        return false;
    }
    return true;
}

bool TvSnapshotWriter::folderWritable(const QString& folder) {
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable();
}

void TvSnapshotWriter::start(QByteArray yuv, int width, int height, QString path, Done done) {
    TvDecodeThread::startJob(
        [yuv = std::move(yuv), width, height, path = std::move(path), done = std::move(done)]() {
            const bool ok = write(yuv, width, height, path);
            if (done)
                done(ok, path);
        });
}
