// Media objects, the stream entry that builds them from SDK packets, NAL unit scanning, and the cell
// queue they land in.
#include "TvDecodeCell.h"
#include "TvMediaObject.h"
#include "TvMutexLocker.h"
#include "TvNalUnits.h"
#include "TvPacketSink.h"
#include "TvStreamEntry.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <QtTest>

namespace {

struct Sink : TvPacketSink {
    std::vector<std::pair<QByteArray, std::unique_ptr<TvMediaObject>>> got; // call id ("-" for none)
    void deliverPacket(const char* callId, std::unique_ptr<TvMediaObject> object) override {
        got.emplace_back(callId ? QByteArray(callId) : QByteArray("-"), std::move(object));
    }
};

struct IdleCell : TvDecodeCell {
    void updateImage(const uint8_t*, int, int) override {}
    void decodeLoopFinished() override {}
};

const uint8_t* u8(const QByteArray& b) {
    return reinterpret_cast<const uint8_t*>(b.constData());
}

QByteArray text(const TvMediaObject& o) {
    return QByteArray(reinterpret_cast<const char*>(o.data()), o.length());
}

} // namespace

class TestMediaObject : public QObject {
    Q_OBJECT
private slots:
    void objects() {
        const int before = TvMediaObject::liveCount();
        const QByteArray payload("\0\0\0\1\x67\1\2\3", 8);
        {
            TvMediaObject video(true, u8(payload), payload.size(), 1920, 1080);
            QVERIFY(video.data() != u8(payload) && text(video) == payload);
            // Decoders read past the payload: the padding must be there and zero.
            QVERIFY(std::all_of(video.data() + payload.size(),
                                video.data() + payload.size() + AV_INPUT_BUFFER_PADDING_SIZE,
                                [](uint8_t b) { return b == 0; }));
            auto copy = video.clone();
            QVERIFY(copy && copy->data() != video.data() && text(*copy) == payload && copy->width() == 1920);
            QCOMPARE(TvMediaObject::liveCount(), before + 2);
        }
        // No size or no length: invalid, no data, no clone, with a log line.
        const struct {
            bool video;
            int length, width, height;
            const char* warning;
        } invalid[] = {{true, 5, 0, 1080, "视频数据宽或高为0，为啥？"},
                       {true, 5, 1920, 0, "视频数据宽或高为0，为啥？"},
                       {true, 0, 1920, 1080, "数据长度为0，为啥？"},
                       {false, -5, 0, 0, "数据长度为0，为啥？"}};
        for (const auto& c : invalid) {
            QTest::ignoreMessage(QtWarningMsg, c.warning);
            TvMediaObject object(c.video, u8(payload), c.length, c.width, c.height);
            QVERIFY(object.isInvalid() && !object.data() && !object.clone() && object.length() >= 0);
        }
        QCOMPARE(TvMediaObject::liveCount(), before);
    }

    void startCodes() {
        // Four- and three-byte codes alike: the entry's cut, the first unit's type, the IDR's position.
        const struct {
            QByteArray bytes;
            int offset, firstType, idrAt;
        } cases[] = {
            {QByteArray("\0\0\0\1\x67\0\0\1\x65\x88", 10), 0, 7, 5},
            {QByteArray("\0\0\1\x67\x42\0\0\0\1\x65", 10), 0, 7, 5},
            {QByteArray("\x9\x9\x9\0\0\0\1\x65", 8), 3, -1, 3},
            {QByteArray("\x7\0\0\1\x41\0", 6), 1, -1, -1},
            {QByteArray("\1\2\3\4\5\6", 6), 0, -1, -1},
            {QByteArray("\0\0\0\1", 4), 0, -1, -1},
            {QByteArray("\0\0", 2), 0, -1, -1},
        };
        for (const auto& c : cases) {
            const int length = c.bytes.size();
            QCOMPARE(TvStreamEntry::startCodeOffset(u8(c.bytes), length), c.offset);
            QCOMPARE(TvMediaObject::firstNalType(u8(c.bytes), length), c.firstType);
            QCOMPARE(TvNalUnits::find(u8(c.bytes), length, 5), c.idrAt);
        }
        QCOMPARE(TvStreamEntry::startCodeOffset(nullptr, 10), 0);
        QCOMPARE(TvNalUnits::find(nullptr, 10, 5), -1);
        // Parameter sets are the units in front of the first slice, with their codes.
        const QByteArray unit("\0\0\1\x67\x42\0\0\0\1\x68\x43\0\0\1\x65\x88\0\0\1\x67", 20);
        const std::vector<uint8_t> sets = TvNalUnits::parameterSets(u8(unit), unit.size());
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(sets.data()), int(sets.size())), unit.left(11));
    }

    void streamEntry() {
        const int before = TvMediaObject::liveCount();
        Sink sink;
        const QByteArray garbage("\xAB\xCD\xEF\0\0\0\1\x41\x9A", 9), block(320, char(0xD5));
        TvStreamEntry::videoPacket(sink, "call-2", u8(garbage), garbage.size());
        TvStreamEntry::audioPacket(sink, u8(block), block.size());
        // Nothing reaches the sink for an empty packet, and nothing is left allocated.
        for (int i = 0; i < 3; ++i)
            QTest::ignoreMessage(QtWarningMsg, "数据长度为0，为啥？");
        TvStreamEntry::videoPacket(sink, "call-1", u8(garbage), 0);
        TvStreamEntry::audioPacket(sink, u8(block), 0);
        TvStreamEntry::videoPacket(sink, "call-1", nullptr, 0);
        QCOMPARE(int(sink.got.size()), 2);
        QCOMPARE(sink.got[0].first, QByteArray("call-2"));
        QCOMPARE(text(*sink.got[0].second), garbage.mid(3));
        QVERIFY(sink.got[0].second->isVideo() && sink.got[0].second->width() == 1920);
        QVERIFY(sink.got[1].first == "-" && !sink.got[1].second->isVideo());
        sink.got.clear();
        QCOMPARE(TvMediaObject::liveCount(), before);
    }

    void cellQueueKeepsTheLiveEdge() {
        // Objects pushed into a playing cell whose loop does not drain it. K: parameter sets and an IDR
        // picture in one object; S, Q, I: the same sent apart; P: a picture that needs the one before;
        // p: a P picture, a third of the byte bound; a: audio. K, I, P and p hold pictures.
        const int before = TvMediaObject::liveCount();
        const QByteArray big(int(TvDecodeCell::kMaxQueuedBytes / 3), char(0x41));
        const auto make = [&](char kind) {
            const QByteArray body = kind == 'K'   ? QByteArray("\x67\x42\0\0\0\1\x68\x43\0\0\0\1\x65\x88", 14)
                                    : kind == 'S' ? QByteArray("\x67\x42", 2)
                                    : kind == 'Q' ? QByteArray("\x68\x43", 2)
                                    : kind == 'I' ? QByteArray("\x65\x88", 2)
                                    : kind == 'p' ? big
                                                  : QByteArray("\x41\x9A", 2);
            const QByteArray unit = QByteArray("\0\0\0\1", 4) + body + kind;
            return std::make_unique<TvMediaObject>(kind != 'a', u8(unit), unit.size(), 1920, 1080);
        };
        const QString twelve(TvDecodeCell::kMaxQueuedPictures, 'P');
        const struct {
            QString pushed;
            int state;     // -1: stopped, 0: idle (both queue nothing), 2: connecting
            bool awaitKey; // a new call begins
            QString queued;
            int skipped;
        } cases[] = {
            {"KP", -1, false, "", 0},
            {"KP", 0, false, "", 0},
            {"K" + twelve.left(11), 2, false, "K" + twelve.left(11), 0}, // at the bound
            {"K" + twelve + "PaP", 2, false, "K" + twelve + "PaP", 0},   // no newer key frame yet
            {"KP" + twelve + "aKPP", 2, false, "KPP", 14},               // skips to the newest one
            {"K" + twelve + "SQIP", 2, false, "SQIP", 13},               // its parameter sets too
            {"KppppPaPKP", 2, false, "aKP", 7}, // too many bytes: emptied, waits for a key
            {"PPaPKPIP", 2, true, "aKPIP", 3},  // a new call waits for a key
        };
        for (const auto& c : cases) {
            IdleCell cell;
            cell.setRunning(c.state >= 0);
            cell.setPlayState(std::max(0, c.state));
            if (c.awaitKey)
                cell.awaitKeyFrame();
            QVERIFY(!cell.enqueue(nullptr));
            for (QChar kind : c.pushed) {
                cell.enqueue(make(kind.toLatin1()));
                QVERIFY(cell.queuedBytes() <= TvDecodeCell::kMaxQueuedBytes);
            }
            QCOMPARE(cell.queuedCount(), c.queued.size());
            QString queued;
            {
                TvMutexLocker lock(&cell.queueMutex());
                while (auto object = cell.takeNextLocked())
                    queued += QChar(object->data()[object->length() - 1]);
            }
            QCOMPARE(queued, c.queued);
            QCOMPARE(cell.skippedPictures(), c.skipped);
            cell.enqueue(make('K')); // left for the cell to free
        }
        QCOMPARE(TvMediaObject::liveCount(), before);
    }
};

QTEST_GUILESS_MAIN(TestMediaObject)
#include "test_mediaobject.moc"
