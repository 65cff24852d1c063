#pragma once

#include <QDateTime>
#include <QMetaType>
#include <QSize>
#include <QString>

// One recording on a camera's SD card as its listing describes it, plus what the client knows of a
// local copy. Parsing never trusts the camera: a text it cannot read is refused with a reason.
class VeSDFileEntry {
public:
    QString name;
    qint32 size = 0;
    qint32 id = 0;
    bool downloaded = false; // a local copy exists
    bool complete = false;   // that copy holds every byte the card listed
    bool downloading = false;

    // "name=...;id=...;size=..." (keys are not read, only their order). False, with the reason in
    // problem, for a text that does not give a usable name, id and size.
    static bool parse(const QByteArray& text, VeSDFileEntry* entry, QString* problem);

    // The start time that the first 14 characters of the name give; invalid when they are not a time.
    QDateTime startTime() const;
    // The local file's name: the part of the name before its first ".", with ".mov".
    QString localFileName() const;

    // The picture size of an SD frame's resolution code; 0 and unknown codes give 1920x1080,
    // the unknown ones with known false.
    static QSize frameSize(int resolution, bool* known = nullptr);

    static const char* const kTimeFormat;
};

Q_DECLARE_METATYPE(VeSDFileEntry)
