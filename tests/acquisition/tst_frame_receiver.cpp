// The receive procedure: what is accepted, dropped or reported must not depend on how the
// line cut the bytes into notifications.

#include "acquisition/FrameReceiver.h"
#include "acquisition/FrameValues.h"

#include <QtTest>

using namespace tarnby;

namespace {
// What the main window does with each notification, as events joined by " | ": the status
// text each cut frame puts in Label2, then what became of the frame.
QByteArray run(FrameReceiver& receiver, const QByteArrayList& chunks) {
    QByteArrayList events;
    for (const QByteArray& chunk : chunks) {
        for (const CutFrame& frame : receiver.receive(chunk).frames) {
            events << "status " + frame.previousFrameText;
            const FrameExtraction e = extractFrameValues(frame.frameText);
            if (e.outcome == FrameExtraction::Outcome::Dropped) {
                events << "dropped";
            } else if (e.outcome == FrameExtraction::Outcome::Corrupt) {
                events << "status possible corrupt COMMS data";
            } else {
                QByteArrayList values;
                for (double v : {e.values.V, e.values.I, e.values.R, e.values.M, e.values.S})
                    values << QByteArray::number(v);
                events << "accepted " + values.join(' ');
            }
        }
    }
    return events.join(" | ");
}

QByteArray run(const QByteArrayList& chunks) {
    FrameReceiver receiver;
    return run(receiver, chunks);
}
} // namespace

class FrameReceiverTest : public QObject {
    Q_OBJECT
private slots:
    void sameFramesWhateverTheChunking_data();
    void sameFramesWhateverTheChunking();
    void backToBackPairsAndWhatTheBufferKeeps_data();
    void backToBackPairsAndWhatTheBufferKeeps();
    void lampLightsOnlyWithBothBrackets();
    void noiseIsBoundedAndTheNextFrameKept();
};

void FrameReceiverTest::sameFramesWhateverTheChunking_data() {
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray a = "[<V>1257</V><I>532</I><R>12</R><M>1</M><S>7</S>]";
    const QByteArray b = "[<V>1260</V><I>540</I><R>13</R><M>0</M><S>8</S>]";
    const QByteArray c = "[<V>1249</V><I>500</I><R>0</R><M>0</M><S>0</S>]";
    const QByteArray acceptedA = "accepted 1257 532 12 1 7";
    const QByteArray acceptedB = "accepted 1260 540 13 0 8";
    // The unfinished frame at the end is kept, not evaluated.
    QTest::newRow("steady board") << a + "\r\n" + b + "\r\n" + c + "\r\n[<V>1260</V><I>54"
                                  << "status  | " + acceptedA + " | status " + a + " | " +
                                         acceptedB + " | status " + b +
                                         " | accepted 1249 500 0 0 0";
    // Text before a "[" is ignored; a second "[" belongs to the frame.
    QTest::newRow("noise between frames")
        << "line noise " + a + "\r\n~~ garbage <V>99</V> ~~[stray " + b + "x" + c
        << "status  | " + acceptedA + " | status " + a + " | " + acceptedB + " | status [stray " +
               b + " | accepted 1249 500 0 0 0";
    // The tail of a frame whose head was never received: dropped, and the frame before it is
    // not counted again.
    QTest::newRow("] before [") << "<I>77</I><S>3</S>]\r\n" + a + "\r\n<M>0</M>]\r\n" + b
                                << "status  | " + acceptedA + " | status " + a + " | " + acceptedB;
    QTest::newRow("lower-case tags are not tags")
        << QByteArray("[<v>1257</v><I>532</I>]\r\n[<V>1257</V><i>532</i>]\r\n")
        << QByteArray("status  | dropped | status [<v>1257</v><I>532</I>] | dropped");
    QTest::newRow("closing tag before opening tag")
        << "[</V>12<V><I>5</I>]\r\n[<V>1</V><I>2</I></R>3<R>]\n" + a + "\r\n"
        << "status  | status possible corrupt COMMS data | status [</V>12<V><I>5</I>] | status "
           "possible corrupt COMMS data | status [<V>1</V><I>2</I></R>3<R>] | " +
               acceptedA;
    // 1 followed by 309 zeros is above the largest double.
    const QByteArray tooLarge = "1" + QByteArray(309, '0');
    QTest::newRow("V or I out of range is corrupt")
        << "[<V>4</V><I>-" + tooLarge + "</I>]\n"
        << QByteArray("status  | status possible corrupt COMMS data");
    QTest::newRow("V or I exactly 0 drops, 0.0 and 00 do not")
        << QByteArray("[<V>0</V><I>5</I>]\n[<V>0.0</V><I>5</I>]\n[<V>4</V><I>0</I>]\n"
                      "[<V>4</V><I>00</I>]\n[<V> 0</V><I>5</I>]\n")
        << QByteArray("status  | dropped | status [<V>0</V><I>5</I>] | accepted 0 5 0 0 0 | "
                      "status [<V>0.0</V><I>5</I>] | dropped | status [<V>4</V><I>0</I>] | "
                      "accepted 4 0 0 0 0 | status [<V>4</V><I>00</I>] | accepted 0 5 0 0 0");
    QTest::newRow("V or I missing or empty drops")
        << QByteArray("[<I>5</I>]\n[<V></V><I>5</I>]\n[<V>4</V><I>5]\n")
        << QByteArray("status  | dropped | status [<I>5</I>] | dropped | "
                      "status [<V></V><I>5</I>] | dropped");
    QTest::newRow("letters as values read as 0")
        << QByteArray("[<V>abc</V><I>1e3</I><R>x</R><M>-</M><S>5,5</S>]\n")
        << QByteArray("status  | accepted 0 0 0 0 0");
    QTest::newRow("R, M and S missing; any tag order; blanks around values")
        << QByteArray("[<I> 532 </I>junk<V>+12.5</V>]\n[<S>3</S><V>1</V><I>2</I><R>-4</R>]\n")
        << QByteArray("status  | accepted 12.5 532 0 0 0 | "
                      "status [<I> 532 </I>junk<V>+12.5</V>] | accepted 1 2 -4 0 3");
}

void FrameReceiverTest::sameFramesWhateverTheChunking() {
    QFETCH(QByteArray, stream);
    QFETCH(QByteArray, expected);
    QVERIFY(!stream.contains("]["));

    QCOMPARE(run({stream}), expected);
    QByteArrayList bytewise;
    for (char c : stream)
        bytewise << QByteArray(1, c);
    QCOMPARE(run(bytewise), expected);
    // Every cut, and a second cut after it (at the same place: an empty read).
    for (qsizetype first = 1; first < stream.size(); ++first) {
        for (qsizetype second = first; second < stream.size(); second += 3) {
            const QByteArrayList chunks{stream.left(first), stream.mid(first, second - first),
                                        stream.mid(second)};
            QVERIFY2(run(chunks) == expected,
                     qPrintable(QStringLiteral("cut at %1 and %2").arg(first).arg(second)));
        }
    }
}

void FrameReceiverTest::backToBackPairsAndWhatTheBufferKeeps_data() {
    QTest::addColumn<QByteArrayList>("chunks");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<QByteArray>("bufferAfter");

    QTest::newRow("two frames back to back")
        << QByteArrayList{"[<V>1</V><I>2</I>][<V>3</V><I>4</I>]\r\n"} << QByteArray()
        << QByteArray();
    // The pair takes the head that was waiting with it.
    QTest::newRow("pair in the read that completes a frame")
        << QByteArrayList{"[<V>1</V>", "<I>2</I>][<V>3</V><I>4</I>]", "\r\n[<V>5</V><I>6</I>]"}
        << QByteArray("status  | accepted 5 6 0 0 0") << QByteArray();
    // Frames that arrive in separate reads are never glued into a pair: a read's "]" is
    // consumed before the next read arrives. What follows the last "]" stays.
    QTest::newRow("frames back to back in separate reads")
        << QByteArrayList{"[<V>1</V><I>2</I>]", "[<V>3</V><I>4</I>]\r\n[<V>7"}
        << QByteArray("status  | accepted 1 2 0 0 0 | status [<V>1</V><I>2</I>] | "
                      "accepted 3 4 0 0 0")
        << QByteArray("\r\n[<V>7");
}

void FrameReceiverTest::backToBackPairsAndWhatTheBufferKeeps() {
    QFETCH(QByteArrayList, chunks);
    QFETCH(QByteArray, expected);
    QFETCH(QByteArray, bufferAfter);
    FrameReceiver receiver;
    QCOMPARE(run(receiver, chunks), expected);
    QCOMPARE(receiver.receiveBuffer(), bufferAfter);
}

void FrameReceiverTest::lampLightsOnlyWithBothBrackets() {
    FrameReceiver receiver;
    QVERIFY(!receiver.receive("[<V>1</V>").reachedCut);
    QVERIFY(receiver.receive("<I>2</I>]").reachedCut);
    QVERIFY(!receiver.receive("<I>2</I>]").reachedCut); // a lone tail
    QVERIFY(receiver.receive("][").frames.empty());
}

void FrameReceiverTest::noiseIsBoundedAndTheNextFrameKept() {
    constexpr qsizetype Max = FrameReceiver::MaxBufferBytes;
    FrameReceiver receiver;
    QByteArray noise;
    for (char c = 'a'; c <= 'j'; ++c) {
        const QByteArray read(1000, c);
        noise += read;
        QVERIFY(receiver.receive(read).frames.empty());
    }
    QCOMPARE(receiver.receiveBuffer(), noise.right(Max)); // the most recent bytes
    receiver.receive(QByteArray(1 << 20, 'x'));
    QCOMPARE(receiver.receiveBuffer(), QByteArray(Max, 'x'));

    QVERIFY(receiver.receive("[<V>12</V><I>3").frames.empty());
    QCOMPARE(receiver.receiveBuffer(), QByteArray(Max - 14, 'x') + "[<V>12</V><I>3");
    QCOMPARE(run(receiver, {"4</I>]"}), QByteArray("status  | accepted 12 34 0 0 0"));
}

QTEST_GUILESS_MAIN(FrameReceiverTest)
#include "tst_frame_receiver.moc"
