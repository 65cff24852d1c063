#include "NxRecordCodec.h"

#include <QDebug>
#include <QList>

#include <climits>
#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Cursor over untrusted input: ends at `size` bytes or at the first NUL.
class Input {
public:
    Input(const char* data, int size) : m_data(data), m_size(data && size > 0 ? size : 0) {}
    bool atEnd() const { return m_pos >= m_size || m_data[m_pos] == '\0'; }
    char peek() const { return m_data[m_pos]; }
    void next() { ++m_pos; }

private:
    const char* m_data;
    int m_size;
    int m_pos = 0;
};

bool scanInt(Input& in, qint32* out) {
    while (!in.atEnd() && isSpace(in.peek()))
        in.next();
    bool negative = false;
    if (!in.atEnd() && (in.peek() == '+' || in.peek() == '-')) {
        negative = in.peek() == '-';
        in.next();
    }
    if (in.atEnd() || !isDigit(in.peek()))
        return false;
    qint64 value = 0;
    while (!in.atEnd() && isDigit(in.peek())) {
        if (value <= qint64(INT_MAX) + 1)
            value = value * 10 + (in.peek() - '0');
        in.next();
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        value = INT_MAX;
    if (value < INT_MIN)
        value = INT_MIN;
    *out = static_cast<qint32>(value);
    return true;
}

void scanText(Input& in, char* out, int size) {
    int n = 0;
    while (!in.atEnd() && in.peek() != ';') {
        if (n < size - 1)
            out[n++] = in.peek();
        in.next();
    }
    if (size > 0)
        out[n] = '\0';
}

// Copies a possibly unterminated field into a terminated scratch text for printf.
template <int N> QByteArray arg(const char (&field)[N]) {
    return NxRecordCodec::fieldText(field, N);
}

// ";" ends a field and "=" starts a value: a text holding either would make the camera read another
// record ("sid=Caf=e;pswd=a;b;" sets the password "a"), so such a record is refused whole.
bool refused(const char* record, std::initializer_list<QByteArray> texts) {
    for (const QByteArray& text : texts)
        if (text.contains(';') || text.contains('=')) {
            qWarning("%s record refused: a text holds ';' or '='", record);
            return true;
        }
    return false;
}

void copyText(char* dst, int size, const QByteArray& src) {
    const int n = qMin(size - 1, src.size());
    std::memcpy(dst, src.constData(), static_cast<size_t>(n));
    dst[n] = '\0';
}

QByteArray fromBuffer(const char* buffer, int written) {
    if (written < 0)
        return QByteArray();
    return QByteArray(buffer, qMin(written, NxRecordCodec::kRecordSize - 1));
}

} // namespace

int NxRecordCodec::scan(const char* input, int size, const char* format, const Field* fields, int count) {
    Input in(input, size);
    int assigned = 0;
    for (const char* f = format; *f;) {
        if (*f == '%') {
            if (assigned >= count)
                return assigned;
            const Field& field = fields[assigned];
            if (f[1] == 'd') {
                qint32 value = 0;
                if (!field.number || !scanInt(in, &value))
                    return assigned;
                *field.number = value;
                f += 2;
            } else if (std::strncmp(f, "%[^;]", 5) == 0) {
                if (!field.text || field.size <= 0)
                    return assigned;
                scanText(in, field.text, field.size);
                f += 5;
            } else {
                return assigned; // a conversion this reader does not know
            }
            ++assigned;
        } else if (isSpace(*f)) {
            while (!in.atEnd() && isSpace(in.peek()))
                in.next();
            ++f;
        } else {
            if (in.atEnd() || in.peek() != *f)
                return assigned;
            in.next();
            ++f;
        }
    }
    return assigned;
}

int NxRecordCodec::parseVideoParam(const char* reply, int size, VideoParam* out) {
    *out = VideoParam{};
    qint32 speed = 0, hue = 0, exposure = 0;
    const Field fields[] = {
        intField(&out->stream), intField(&out->sha),        intField(&out->bri),      intField(&out->sat),
        intField(&out->con),    intField(&out->rate),       intField(&out->enc),      intField(&out->sens),
        intField(&out->iropen), intField(&out->frequency),  intField(&speed),         intField(&hue),
        intField(&exposure),    intField(&out->audioalarm), intField(&out->piralarm), intField(&out->cbrvbr)};
    return scan(
        reply, size,
        "stream=%d;sha=%d;bri=%d;sat=%d;con=%d;rate=%d;enc=%d;sens=%d;iropen=%d;frequency=%d;speed=%d;"
        "hue=%d;exposure=%d;audioalarm=%d;piralarm=%d;cbrvbr=%d;",
        fields, 16);
}

int NxRecordCodec::parseIPInfo(const char* reply, int size, IPInfo* out) {
    *out = IPInfo{};
    const Field fields[] = {textField(out->ip),  textField(out->mask),  textField(out->gateway),
                            textField(out->dns), textField(out->mac),   intField(&out->flag),
                            intField(&out->ver), intField(&out->status)};
    const int n =
        scan(reply, size, "ip=%[^;];mask=%[^;];wet=%[^;];dns=%[^;];mac=%[^;];flag=%d;ver=%d;status=%d;",
             fields, 8);
    out->flag = out->flag == 1 ? 1 : 0;
    return n;
}

int NxRecordCodec::parseWiFiInfo(const char* reply, int size, WiFiInfo* out) {
    *out = WiFiInfo{};
    const Field fields[] = {intField(&out->open),    textField(out->ip),  textField(out->mask),
                            textField(out->gateway), textField(out->dns), textField(out->mac),
                            intField(&out->flag),    textField(out->sid), textField(out->security)};
    const int n =
        scan(reply, size,
             "open=%d;ip=%[^;];mask=%[^;];wet=%[^;];dns=%[^;];mac=%[^;];flag=%d;sid=%[^;];%[^;];", fields, 9);
    out->flag = out->flag == 1 ? 1 : 0;
    out->open = out->open == 1 ? 1 : 0;
    if (std::strcmp(out->sid, "(null)") == 0 || std::strcmp(out->sid, " ") == 0)
        out->sid[0] = '\0';
    if (std::strcmp(out->security, "satype=") == 0)
        copyText(out->security, sizeof out->security, QByteArrayLiteral("enc=NONE;stype=auto"));
    return n;
}

int NxRecordCodec::parseEmailInfo(const char* reply, int size, EmailInfo* out) {
    *out = EmailInfo{};
    qint32 sderror = 0;
    // The text patterns carry no '=', so each capture starts with it; the scratch texts drop it and keep
    // room for a whole 31-byte field after it.
    char scratch[6][33] = {};
    const Field fields[] = {intField(&out->senc),   intField(&out->port),  intField(&out->count),
                            intField(&out->ioin),   intField(&sderror),    intField(&out->sdmove),
                            intField(&out->entype), textField(scratch[0]), textField(scratch[1]),
                            textField(scratch[2]),  textField(scratch[3]), textField(scratch[4]),
                            textField(scratch[5])};
    const int n =
        scan(reply, size,
             "senc=%d;port=%d;count=%d;ioin=%d;sderror=%d;sdmove=%d;entype=%d;sedemail%[^;];reemail%[^;];"
             "smtpser%[^;];user%[^;];pwd%[^;];emailinfo%[^;];",
             fields, 13);
    char* targets[6] = {out->sedemail, out->reemail, out->smtpser, out->user, out->pwd, out->emailinfo};
    for (int i = 0; i < 6; ++i) {
        const char* text = scratch[i][0] == '=' ? scratch[i] + 1 : scratch[i];
        copyText(targets[i], 32, QByteArray(text));
    }
    return n;
}

int NxRecordCodec::parseSDInfo(const char* reply, int size, SDInfo* out) {
    *out = SDInfo{};
    const Field fields[] = {intField(&out->move),   intField(&out->outmove),  intField(&out->autoRecord),
                            intField(&out->loopwr), intField(&out->splite),   intField(&out->size),
                            intField(&out->use),    intField(&out->leftsize), intField(&out->audio),
                            intField(&out->stream)};
    return scan(
        reply, size,
        "move=%d;outmove=%d;auto=%d;loopwr=%d;splite=%d;size=%d;use=%d;leftsize=%d;audio=%d;stream=%d;",
        fields, 10);
}

int NxRecordCodec::parseOnvif(const char* reply, int size, qint32* onvif, qint32* onvifaudio) {
    *onvif = 0;
    *onvifaudio = 0;
    const Field fields[] = {intField(onvif), intField(onvifaudio)};
    return scan(reply, size, "onvif=%d;onvifaudio=%d;", fields, 2);
}

int NxRecordCodec::parseDeviceInfo(const char* text, int size, NxDeviceInfoRecord* out) {
    *out = NxDeviceInfoRecord{};
    const Field fields[] = {textField(out->devid),   textField(out->pwd),       intField(&out->status),
                            textField(out->devtype), textField(out->audiotype), intField(&out->count)};
    return scan(text, size, "devid=%[^;];pwd=%[^;];status=%d;devtype=%[^;];audiotype=%[^;];count=%d;", fields,
                6);
}

int NxRecordCodec::parseCallProgress(const char* text, int size, NxCallProgressRecord* out) {
    *out = NxCallProgressRecord{};
    const Field fields[] = {textField(out->devid), intField(&out->flag)};
    return scan(text, size, "devid=%[^;];flag=%d;", fields, 2);
}

QByteArray NxRecordCodec::formatIPInfo(const IPInfo& info) {
    char buffer[kRecordSize] = {};
    const QByteArray mac = arg(info.mac);
    if (refused("IP", {arg(info.ip), arg(info.gateway), arg(info.mask), arg(info.dns), mac}))
        return {};
    const int n =
        std::snprintf(buffer, sizeof buffer, "ip=%s;netwet=%s;netmask=%s;dns=%s;mac=%s;newmac=%s;",
                      arg(info.ip).constData(), arg(info.gateway).constData(), arg(info.mask).constData(),
                      arg(info.dns).constData(), mac.constData(), mac.constData());
    return fromBuffer(buffer, n);
}

QByteArray NxRecordCodec::formatWiFiConfig(const WiFiConfig& c) {
    if (refused("Wi-Fi",
                {arg(c.sid), arg(c.pswd), arg(c.mac), arg(c.ip), arg(c.mask), arg(c.gateway), arg(c.dns)}))
        return {};
    char buffer[kRecordSize] = {};
    const int n = std::snprintf(
        buffer, sizeof buffer,
        "entype=auto;sid=%s;stype=wap2;option=;keytype=;pswd=%s;mac=%s;ip=%s;netmask=%s;netwet=%s;dns=%s;",
        arg(c.sid).constData(), arg(c.pswd).constData(), arg(c.mac).constData(), arg(c.ip).constData(),
        arg(c.mask).constData(), arg(c.gateway).constData(), arg(c.dns).constData());
    return fromBuffer(buffer, n);
}

QByteArray NxRecordCodec::formatEmailInfo(const EmailInfo& e) {
    if (refused("e-mail", {arg(e.sedemail), arg(e.reemail), arg(e.smtpser), arg(e.user), arg(e.pwd)}))
        return {};
    char buffer[kRecordSize] = {};
    const int n = std::snprintf(
        buffer, sizeof buffer, "sedemail=%s;reemail=%s;smtpser=%s;user=%s;pwd=%s;entype=%d;port=%d;count=%d;",
        arg(e.sedemail).constData(), arg(e.reemail).constData(), arg(e.smtpser).constData(),
        arg(e.user).constData(), arg(e.pwd).constData(), e.entype, e.port, e.count);
    return fromBuffer(buffer, n);
}

QByteArray NxRecordCodec::formatSDInfo(const SDInfo& s, const QString& deviceId) {
    if (refused("SD", {deviceId.toUtf8()}))
        return {};
    char buffer[kRecordSize] = {};
    const int n = std::snprintf(buffer, sizeof buffer,
                                "move=%d;outmove=%d;auto=%d;loopwr=%d;splite=%d;audio=%d;devid=%s;recqc=%d;",
                                s.move, s.outmove, s.autoRecord, s.loopwr, s.splite, s.audio,
                                deviceId.toUtf8().left(kRecordSize).constData(), s.stream);
    return fromBuffer(buffer, n);
}

QList<NxRecordCodec::StatusRequest> NxRecordCodec::statusRequests(const QStringList& ids, int maxBytes) {
    QList<StatusRequest> requests;
    StatusRequest current{QByteArray(), 0};
    for (const QString& id : ids) {
        QByteArray item = "devid" + QByteArray::number(current.count) + '=' + id.toUtf8() + ';';
        if (current.count > 0 && current.text.size() + item.size() >= maxBytes) {
            requests.append(current);
            current = StatusRequest{QByteArray(), 0};
            item = "devid0=" + id.toUtf8() + ';';
        }
        if (item.size() >= maxBytes) {
            qWarning() << "device id too long for a status request, left out:" << id.left(64);
            continue;
        }
        current.text += item;
        ++current.count;
    }
    if (current.count > 0)
        requests.append(current);
    return requests;
}

void NxRecordCodec::parseSurveyEntry(const QByteArray& entry, QString* name, qint32* signal) {
    char text[128] = {};
    const Field fields[] = {textField(text)};
    scan(entry.constData(), entry.size(), "sid=%[^;]", fields, 1);
    *name = QString::fromUtf8(text);
    const QList<QByteArray> parts = entry.split('=');
    bool ok = false;
    const int value = parts.isEmpty() ? 0 : parts.last().toInt(&ok);
    *signal = ok ? value : 0;
}

QList<QByteArray> NxRecordCodec::surveyEntries(const char* buffer, int length) {
    QList<QByteArray> entries;
    const QByteArray text = boundedText(buffer, length);
    for (const QByteArray& piece : text.split(':'))
        if (!piece.isEmpty())
            entries.append(piece);
    return entries;
}

QPair<QString, QString> NxRecordCodec::splitAlarmData(int command, const QString& text) {
    const QStringList parts = text.split(QLatin1Char(';'));
    const QString first = parts.value(0);
    const QString second = command == 2004 ? parts.value(1) : QString();
    return qMakePair(first, second);
}

QString NxRecordCodec::alarmDeviceId(const QString& text) {
    return text.section(QLatin1Char(';'), 0, 0);
}

QByteArray NxRecordCodec::boundedText(const char* text, int length) {
    // Beyond any record the SDK sends; a guard only against a text that lost its NUL.
    constexpr int kLimit = 64 * 1024;
    if (!text)
        return QByteArray();
    const int limit = length > 0 ? qMin(length, kLimit) : kLimit;
    const void* zero = std::memchr(text, 0, static_cast<size_t>(limit));
    const int n = zero ? static_cast<int>(static_cast<const char*>(zero) - text) : limit;
    return QByteArray(text, n);
}

QByteArray NxRecordCodec::maskSecrets(const QByteArray& text) {
    // Any key ending in one of these counts ("newpwd=" too): a masked harmless value costs nothing.
    static const char* const keys[] = {"pswd=", "passwd=", "pwd=", "pwd-"};
    QByteArray out;
    out.reserve(text.size());
    int i = 0;
    while (i < text.size()) {
        int keyLength = 0;
        for (const char* key : keys) {
            const int n = static_cast<int>(std::strlen(key));
            if (i + n <= text.size() && std::memcmp(text.constData() + i, key, static_cast<size_t>(n)) == 0) {
                keyLength = n;
                break;
            }
        }
        if (keyLength == 0) {
            out += text[i++];
            continue;
        }
        out += text.mid(i, keyLength);
        i += keyLength;
        int end = i;
        while (end < text.size() && text[end] != ';')
            ++end;
        if (end > i)
            out += "***";
        i = end;
    }
    return out;
}

QString NxRecordCodec::maskSecrets(const QString& text) {
    return QString::fromUtf8(maskSecrets(text.toUtf8()));
}

QByteArray NxRecordCodec::fieldText(const char* field, int size) {
    const void* zero = std::memchr(field, 0, static_cast<size_t>(size));
    const int n = zero ? static_cast<int>(static_cast<const char*>(zero) - field) : size;
    return QByteArray(field, n);
}
