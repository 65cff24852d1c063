#pragma once

#include <QList>
#include <QPair>
#include <QString>

#include <functional>

class QObject;
struct VideoParam;
class QWidget;

// What the device dialogs share: the one-button notice, the rule for texts that travel inside the
// camera's key=value records, and SDK work that must not hold up the GUI thread.
namespace TvDialogSupport {

// The warning box titled "提示" with a single OK button.
void notice(QWidget* parent, const QString& text);

// Whether the text holds a character that ends or splits a key=value field (";" or "=").
bool breaksRecord(const QString& text);

// Runs `work` (which waits for the camera or the cloud) on the device service's worker thread, then
// `done` with its result on the GUI thread, only while `owner` still exists.
void runJob(QObject* owner, std::function<qint32()> work, std::function<void(qint32)> done);

// Puts the camera's default picture into the record (brightness, contrast, sharpness and saturation,
// frame rate, bit rate) and returns the (selector, value) writes that send it, in the camera's order.
QList<QPair<qint32, qint32>> resetVideoDefaults(VideoParam* param);

} // namespace TvDialogSupport
