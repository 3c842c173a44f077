// The frame scan: what it accepts, what it skips, and how it resynchronises.
#include "device/protokol.h"

#include <QTest>

#include <vector>

using kelvaron::FrameData;
using kelvaron::TProtokol;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Frame(FrameData d) {
    return {0xAA, d[0], d[1], d[2], d[3], d[4], 0xA5, kelvaron::DataFrameCheck(d)};
}

void PushAll(TProtokol& p, const Bytes& bytes) {
    for (uint8_t b : bytes) QVERIFY(p.Push(b));
}

// Every frame the scan accepts from what has been pushed.
std::vector<FrameData> Drain(TProtokol& p) {
    std::vector<FrameData> frames;
    FrameData d{};
    while (p.NextFrame(d)) frames.push_back(d);
    return frames;
}

}  // namespace

class ProtokolTest : public QObject {
    Q_OBJECT

private slots:
    void workedFramesAreAccepted_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("counting") << QByteArray::fromHex("AA0102030405A50E")
                                  << QByteArray::fromHex("0102030405");
        QTest::newRow("marker not examined") << QByteArray::fromHex(
                                                    "AA010203040500"
                                                    "0E")
                                             << QByteArray::fromHex("0102030405");
        QTest::newRow("status ready")
            << QByteArray::fromHex("AA0100000000A50E") << QByteArray::fromHex("0100000000");
        QTest::newRow("opacity 45.3")
            << QByteArray::fromHex("AA00050C0100A507") << QByteArray::fromHex("00050C0100");
    }
    void workedFramesAreAccepted() {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, data);
        TProtokol p;
        for (char c : bytes) QVERIFY(p.Push(static_cast<uint8_t>(c)));
        FrameData d{};
        QVERIFY(p.NextFrame(d));
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(d.data()), 5), data);
        QVERIFY(!p.NextFrame(d));
    }

    void wrongCheckIsDropped() {
        TProtokol p;
        PushAll(p, Bytes{0xAA, 1, 2, 3, 4, 5, 0xA5, 0x0F});
        QVERIFY(Drain(p).empty());
    }

    void junkBeforeStartByteIsSkipped() {
        TProtokol p;
        PushAll(p, Bytes{0x00, 0x13, 0xFF, 0x55});
        PushAll(p, Frame({1, 2, 3, 4, 5}));
        const auto frames = Drain(p);
        QCOMPARE(frames.size(), size_t{1});
        QCOMPARE(frames[0], (FrameData{1, 2, 3, 4, 5}));
    }

    void frameSplitAcrossTicksIsAcceptedOnSecondCall() {
        TProtokol p;
        const Bytes f = Frame({9, 8, 7, 6, 5});
        PushAll(p, Bytes(f.begin(), f.begin() + 5));
        FrameData d{};
        QVERIFY(!p.NextFrame(d));
        PushAll(p, Bytes(f.begin() + 5, f.end()));
        QVERIFY(p.NextFrame(d));
        QCOMPARE(d, (FrameData{9, 8, 7, 6, 5}));
    }

    void twoFramesInOnePushComeOneAfterTheOther() {
        TProtokol p;
        PushAll(p, Frame({1, 0, 0, 0, 0}));
        PushAll(p, Frame({2, 0, 0, 0, 0}));
        FrameData d{};
        QVERIFY(p.NextFrame(d));
        QCOMPARE(d[0], uint8_t{1});
        QVERIFY(p.NextFrame(d));
        QCOMPARE(d[0], uint8_t{2});
        QVERIFY(!p.NextFrame(d));
    }

    void badCheckFollowedByGoodFrameYieldsExactlyTheGoodFrame() {
        TProtokol p;
        Bytes bad = Frame({0x11, 0x22, 0x33, 0x44, 0x55});
        bad[7] ^= 0x01;
        PushAll(p, bad);
        PushAll(p, Frame({1, 2, 3, 4, 5}));
        const auto frames = Drain(p);
        QCOMPARE(frames.size(), size_t{1});
        QCOMPARE(frames[0], (FrameData{1, 2, 3, 4, 5}));
    }

    void startByteInsideDataIsTakenAsData() {
        TProtokol p;
        PushAll(p, Frame({0xAA, 0x44, 0xAA, 0xAA, 0x21}));
        const auto frames = Drain(p);
        QCOMPARE(frames.size(), size_t{1});
        QCOMPARE(frames[0], (FrameData{0xAA, 0x44, 0xAA, 0xAA, 0x21}));
    }

    void falseStartByteCostsOnlyAResynchronisation() {
        // A stray 0xAA right before a frame swallows the frame's first seven bytes;
        // the failed check sends the scan back to find the real frame.
        TProtokol p;
        PushAll(p, Bytes{0x00, 0xAA});
        PushAll(p, Frame({3, 1, 4, 1, 5}));
        PushAll(p, Frame({2, 7, 1, 8, 2}));
        const auto frames = Drain(p);
        QCOMPARE(frames.size(), size_t{2});
        QCOMPARE(frames[0], (FrameData{3, 1, 4, 1, 5}));
        QCOMPARE(frames[1], (FrameData{2, 7, 1, 8, 2}));
    }

    void fullRingRefusesTheByteAndKeepsWhatItHolds() {
        TProtokol p;
        for (int i = 0; i < TProtokol::kCapacity; ++i) QVERIFY(p.Push(0x00));
        QVERIFY(!p.Push(0x00));
        // Scanning frees the skipped bytes; a frame fits again afterwards.
        QVERIFY(Drain(p).empty());
        PushAll(p, Frame({1, 2, 3, 4, 5}));
        QCOMPARE(Drain(p).size(), size_t{1});
    }

    void partialFrameIsProtectedFromOverwriting() {
        TProtokol p;
        PushAll(p, Bytes{0xAA, 1, 2, 3});
        FrameData d{};
        QVERIFY(!p.NextFrame(d));
        // The four held bytes count against the ring until the frame is complete.
        int accepted = 0;
        while (p.Push(0x00)) ++accepted;
        QCOMPARE(accepted, TProtokol::kCapacity - 4);
    }

    void indicesWrapOverManyFrames() {
        TProtokol p;
        int seen = 0;
        for (int i = 0; i < 100; ++i) {
            const uint8_t v = static_cast<uint8_t>(i);
            PushAll(p, Bytes{0x5A, 0xAA});  // junk and a false start between frames
            PushAll(p, Frame({v, static_cast<uint8_t>(v ^ 0xFF), 0xAA, 0, v}));
            for (const auto& f : Drain(p)) {
                QCOMPARE(f[0], v);
                ++seen;
            }
        }
        QCOMPARE(seen, 100);
    }
};

QTEST_APPLESS_MAIN(ProtokolTest)
#include "test_protokol.moc"
