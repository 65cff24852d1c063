#pragma once

#include <QMetaType>
#include <QModelIndex>
#include <QObject>
#include <QString>

struct DeviceRecord;

enum AudioType : qint32 { AudioTypePCM = 1, AudioTypeG711 = 2, AudioTypeG726 = 3, AudioTypeG729 = 4 };

// The in-memory record of one camera; every other part names a camera by a pointer to one of these.
class VeCameraModel : public QObject {
    Q_OBJECT
public:
    VeCameraModel(const QString& deviceId, const QString& alias, const QString& devFlag,
                  const QString& audioTypeText, qint32 nxid, qint32 online, const QString& devAccess,
                  const QString& userAccess, QObject* parent = nullptr);
    ~VeCameraModel() override;

    // Built from a saved record; fields are read only up to their size, never past it.
    static VeCameraModel* fromDeviceRecord(const DeviceRecord& record, QObject* parent = nullptr);

    static AudioType audioTypeFor(const QString& text);

    bool isLanOnline() const;
    bool isOnline() const;
    bool isAccessPwdValid() const;

    // Texts longer than their field are cut at the field (a UTF-8 alias at a character boundary).
    void toDeviceRecord(DeviceRecord* record) const;

    QString deviceId;
    QString alias;
    QString playKey;
    QString devFlag;
    QString audioTypeText;
    qint32 audioType;
    QString devAccess;
    QString userAccess;
    QString callId;
    QString listenCallId;
    QString talkCallId;
    qint32 nxid;
    qint32 online;
    QModelIndex modelIndex;
    bool playing = false;
    bool mainStream = false;
};

Q_DECLARE_METATYPE(VeCameraModel*)
