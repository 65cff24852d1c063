#pragma once

#include "NxParamRecords.h"

#include <QByteArray>
#include <QPair>
#include <QString>
#include <QStringList>

// Readers and writers of the key=value records. Pure functions: no SDK, no state, so every reader can
// be fed arbitrary bytes. A reader never looks past `size` bytes or the first NUL, whichever comes first.
class NxRecordCodec {
public:
    static constexpr int kRecordSize = 1024; // reply and outgoing record buffers

    // One conversion target of scan(): "%d" fills an int, "%[^;]" a text array of `size` bytes.
    struct Field {
        qint32* number;
        char* text;
        int size;
    };
    static Field intField(qint32* number) { return Field{number, nullptr, 0}; }
    template <int N> static Field textField(char (&text)[N]) { return Field{nullptr, text, N}; }

    // scanf-like matching of `format` against the input, limited to "%d", "%[^;]" and literal bytes.
    // Differences that keep readers safe: a text longer than its field is cut at size-1 bytes and the
    // rest of it up to the ';' is skipped; an empty text ("key=;") gives an empty field instead of
    // stopping; an integer out of range saturates. Stops at the first mismatch and returns the number
    // of fields assigned. Fields not reached are left untouched (the callers clear them first).
    static int scan(const char* input, int size, const char* format, const Field* fields, int count);

    // Readers: clear the record, parse, normalise. Return the number of fields assigned.
    static int parseVideoParam(const char* reply, int size, VideoParam* out);
    static int parseIPInfo(const char* reply, int size, IPInfo* out);
    static int parseWiFiInfo(const char* reply, int size, WiFiInfo* out);
    static int parseEmailInfo(const char* reply, int size, EmailInfo* out);
    static int parseSDInfo(const char* reply, int size, SDInfo* out);
    static int parseOnvif(const char* reply, int size, qint32* onvif, qint32* onvifaudio);
    static int parseDeviceInfo(const char* text, int size, NxDeviceInfoRecord* out);
    static int parseCallProgress(const char* text, int size, NxCallProgressRecord* out);

    // Writers: the outgoing texts, never longer than kRecordSize - 1 bytes; fields are read up to
    // their own size even when a caller left them unterminated.
    static QByteArray formatIPInfo(const IPInfo& info);
    static QByteArray formatWiFiConfig(const WiFiConfig& config);
    static QByteArray formatEmailInfo(const EmailInfo& info);
    static QByteArray formatSDInfo(const SDInfo& info, const QString& deviceId);

    // The device status requests: "devid%1=%2;" over the ids in the order given, split so that every
    // text is shorter than maxBytes (its NUL included); the index restarts at 0 in each request. An id
    // that cannot fit even alone is left out with a log line.
    struct StatusRequest {
        QByteArray text;
        int count;
    };
    static QList<StatusRequest> statusRequests(const QStringList& ids, int maxBytes);

    // One survey entry: "sid=NAME;...=SIGNAL". Name cut at 127 bytes, signal 0 when not a number.
    static void parseSurveyEntry(const QByteArray& entry, QString* name, qint32* signal);
    // The survey reply split at ':' without empty pieces; reads at most `length` bytes.
    static QList<QByteArray> surveyEntries(const char* buffer, int length);

    // The two texts of an alarm-channel answer (commands 2001..2006): the first ';' part, and for 2004
    // the second one.
    static QPair<QString, QString> splitAlarmData(int command, const QString& text);
    // The camera id of an alarm report: the text up to the first ';'.
    static QString alarmDeviceId(const QString& text);

    // A callback text that ends at its NUL, at `length` when that is positive, and at kRecordSize.
    static QByteArray boundedText(const char* text, int length);
    // The text with every password value (after pwd=, pswd=, passwd= or pwd-, up to the next ;)
    // replaced by "***".
    static QByteArray maskSecrets(const QByteArray& text);
    static QString maskSecrets(const QString& text);

    // A field as text: up to its first NUL or its end.
    static QByteArray fieldText(const char* field, int size);
    template <int N> static QByteArray fieldText(const char (&field)[N]) { return fieldText(field, N); }
};
