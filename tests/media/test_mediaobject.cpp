// Media objects, the stream entry that builds them from SDK packets, and the cell queue they land in.
#include "TvDecodeCell.h"
#include "TvMediaObject.h"
#include "TvPacketSink.h"
#include "TvStreamEntry.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <QtTest>

#include <string>
#include <vector>

namespace {

struct Delivery {
    std::string callId;
    bool hadCallId = false;
    std::unique_ptr<TvMediaObject> object;
};

class RecordingSink : public TvPacketSink {
public:
    std::vector<Delivery> got;
    void deliverPacket(const char* callId, std::unique_ptr<TvMediaObject> object) override {
        Delivery d;
        d.hadCallId = callId != nullptr;
        d.callId = callId ? callId : "";
        d.object = std::move(object);
        got.push_back(std::move(d));
    }
};

class IdleCell : public TvDecodeCell {
public:
    void updateImage(const uint8_t*, int, int) override {}
    void decodeLoopFinished() override {}
};

QByteArray bytes(std::initializer_list<int> list) {
    QByteArray b;
    for (int v : list)
        b.append(char(v));
    return b;
}

const uint8_t* u8(const QByteArray& b) {
    return reinterpret_cast<const uint8_t*>(b.constData());
}

} // namespace

class TestMediaObject : public QObject {
    Q_OBJECT
private slots:
    void copiesPadsAndCounts() {
        const int before = TvMediaObject::liveCount();
        const QByteArray payload = bytes({0, 0, 0, 1, 0x67, 1, 2, 3});
        {
            TvMediaObject video(true, u8(payload), payload.size(), 1920, 1080);
            QVERIFY(!video.isInvalid());
            QCOMPARE(video.firstNalType(), 7);
            QVERIFY(video.data() != u8(payload)); // a private copy
            QCOMPARE(QByteArray(reinterpret_cast<const char*>(video.data()), video.length()), payload);
            // Decoders read past the payload: the padding must be there and zero.
            for (int i = 0; i < AV_INPUT_BUFFER_PADDING_SIZE; ++i)
                QCOMPARE(int(video.data()[payload.size() + i]), 0);
            auto copy = video.clone();
            QVERIFY(copy && copy->data() != video.data() && copy->isVideo());
            QCOMPARE(QByteArray(reinterpret_cast<const char*>(copy->data()), copy->length()), payload);
            QCOMPARE(copy->width(), 1920);
            TvMediaObject audio(false, u8(payload), 4, 0, 0);
            QVERIFY(!audio.isInvalid());
            QCOMPARE(audio.sampleRate(), 8000);
            QCOMPARE(TvMediaObject::liveCount(), before + 3);
            QCOMPARE(TvMediaObject(true, u8(payload), 4, 1920, 1080).firstNalType(), -1); // too short
        }
        QCOMPARE(TvMediaObject::liveCount(), before);

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
            QVERIFY(object.isInvalid());
            QVERIFY(!object.data() && !object.clone());
            if (c.length <= 0)
                QCOMPARE(object.length(), 0);
            if (!c.video)
                QCOMPARE(object.sampleRate(), 0);
        }
        QCOMPARE(TvMediaObject::liveCount(), before);
    }

    void startCodeSearch() {
        // The four-byte code only; the last possible position is length - 4; otherwise 0.
        const std::pair<QByteArray, int> cases[] = {
            {bytes({0, 0, 0, 1, 0x67}), 0},    {bytes({9, 9, 9, 0, 0, 0, 1, 0x65}), 3},
            {bytes({1, 2, 3, 4, 5, 6}), 0},    {bytes({7, 0, 0, 0, 1}), 1},
            {bytes({7, 0, 0, 1, 0x65, 0}), 0}, {bytes({0, 0}), 0}};
        for (const auto& c : cases)
            QCOMPARE(TvStreamEntry::startCodeOffset(u8(c.first), c.first.size()), c.second);
        QCOMPARE(TvStreamEntry::startCodeOffset(nullptr, 10), 0);
    }

    void streamEntry() {
        const int before = TvMediaObject::liveCount();
        RecordingSink sink;
        // Bytes in front of the start code are cut off; without one, the packet is kept whole.
        const QByteArray whole = bytes({0, 0, 0, 1, 0x65, 0x88, 0x84});
        const QByteArray garbage = bytes({0xAB, 0xCD, 0xEF, 0, 0, 0, 1, 0x41, 0x9A});
        const QByteArray noCode = bytes({0x11, 0x22, 0x33, 0x44, 0x55});
        TvStreamEntry::videoPacket(sink, "call-1", u8(whole), whole.size());
        TvStreamEntry::videoPacket(sink, "call-2", u8(garbage), garbage.size());
        TvStreamEntry::videoPacket(sink, "call-3", u8(noCode), noCode.size());
        QCOMPARE(int(sink.got.size()), 3);
        QCOMPARE(sink.got[1].callId, std::string("call-2"));
        QCOMPARE(sink.got[0].object->length(), whole.size());
        QCOMPARE(sink.got[1].object->length(), garbage.size() - 3);
        QCOMPARE(int(sink.got[1].object->data()[4]), 0x41);
        QCOMPARE(sink.got[2].object->length(), noCode.size());
        for (const Delivery& d : sink.got)
            QVERIFY(d.object->isVideo() && d.object->width() == 1920 && d.object->height() == 1080);

        // Nothing reaches the sink for an empty packet, and nothing is left allocated.
        for (int i = 0; i < 3; ++i)
            QTest::ignoreMessage(QtWarningMsg, "数据长度为0，为啥？");
        TvStreamEntry::videoPacket(sink, "call-1", u8(whole), 0);
        TvStreamEntry::audioPacket(sink, u8(whole), 0);
        TvStreamEntry::videoPacket(sink, "call-1", nullptr, 0);
        QCOMPARE(int(sink.got.size()), 3);
        QCOMPARE(TvMediaObject::liveCount(), before + 3);

        // Audio carries no call identity.
        const QByteArray block(320, char(0xD5));
        TvStreamEntry::audioPacket(sink, u8(block), block.size());
        QCOMPARE(int(sink.got.size()), 4);
        QVERIFY(!sink.got[3].hadCallId && !sink.got[3].object->isVideo());
        QCOMPARE(sink.got[3].object->length(), 320);
        sink.got.clear();
        QCOMPARE(TvMediaObject::liveCount(), before);
    }

    void cellQueue() {
        const int before = TvMediaObject::liveCount();
        const QByteArray payload = bytes({0, 0, 0, 1, 0x41, 1});
        auto make = [&]() {
            return std::make_unique<TvMediaObject>(true, u8(payload), payload.size(), 1920, 1080);
        };
        {
            IdleCell cell;
            QVERIFY(!cell.enqueue(make())); // not running: dropped and freed
            QCOMPARE(TvMediaObject::liveCount(), before);
            {
                QMutexLocker lock(&cell.queueMutex());
                cell.setRunning(true);
            }
            cell.setPlayState(0); // running but idle: dropped
            QVERIFY(!cell.enqueue(make()));
            QCOMPARE(cell.queuedCount(), 0);
            cell.setPlayState(2);
            QVERIFY(cell.enqueue(make()));
            QVERIFY(cell.enqueue(make()));
            QVERIFY(!cell.enqueue(nullptr));
            QCOMPARE(cell.queuedCount(), 2);
            QCOMPARE(TvMediaObject::liveCount(), before + 2);
            cell.stopDecoding();
            QVERIFY(!cell.isRunning());
            QVERIFY(!cell.enqueue(make()));
            QCOMPARE(cell.queuedCount(), 2);
        }
        QCOMPARE(TvMediaObject::liveCount(), before); // the queue goes with the cell
    }
};

QTEST_GUILESS_MAIN(TestMediaObject)
#include "test_mediaobject.moc"
