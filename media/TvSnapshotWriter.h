#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// Saves a planar YUV 4:2:0 picture (TvYuvLayout) as an image file, the format following the suffix.
class TvSnapshotWriter {
public:
    using Done = std::function<void(bool ok, const QString& path)>;

    // Converts and saves on the calling thread; false (with a log line) when nothing was written.
    static bool write(const QByteArray& yuv, int width, int height, const QString& path);

    // Whether files can be created in the folder (checked before a snapshot or recording starts).
    static bool folderWritable(const QString& folder);

    // Saves on a one-shot TvDecodeThread at time-critical priority; done (if set) is called on that
    // thread with the result, so a cell can report the failure tip.
    static void start(QByteArray yuv, int width, int height, QString path, Done done = Done());
};
