// The receiver: what is accepted, dropped or reported, however the line cut the bytes.

#include "acquisition/FrameReceiver.h"
#include "acquisition/FrameValues.h"

#include <QtTest>

using namespace tarnby;

namespace {
// What became of each frame cut from the reads, joined by " | "; each frame's status text must
// be the frame before it.
QByteArray run(FrameReceiver& receiver, const QByteArrayList& reads) {
    QByteArrayList events;
    QByteArray previous;
    for (const QByteArray& read : reads) {
        for (const CutFrame& frame : receiver.receive(read).frames) {
            const FrameExtraction e = extractFrameValues(frame.frameText);
            QByteArray event = e.outcome == FrameExtraction::Outcome::Dropped   ? "dropped"
                               : e.outcome == FrameExtraction::Outcome::Corrupt ? "corrupt"
                                                                                : "accepted";
            if (e.outcome == FrameExtraction::Outcome::Accepted)
                for (double value : {e.values.V, e.values.I, e.values.R, e.values.M, e.values.S})
                    event += ' ' + QByteArray::number(value);
            events << (frame.previousFrameText == previous ? event : "wrong status");
            previous = frame.frameText;
        }
    }
    return events.join(" | ");
}
} // namespace

class FrameReceiverTest : public QObject {
    Q_OBJECT
private slots:
    void sameFramesWhateverTheChunking_data() {
        QTest::addColumn<QByteArrayList>("reads");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<QByteArray>("bufferAfter");
        const auto row = [](const char* name, const QByteArrayList& reads, const char* expected,
                            const QByteArray& bufferAfter = {}) {
            QTest::newRow(name) << reads << QByteArray(expected) << bufferAfter;
        };
        const QByteArray a = "[<V>1257</V><I>532</I><R>12</R><M>1</M><S>7</S>]\r\n";
        // Text before a "[" is ignored; the unfinished frame at the end waits.
        row("noise between frames",
            {"noise " + a + "~ <V>9</V> ~[<I> 5 </I>x<S>3</S><V>+1.5</V>]x" + a + "[<V>1260"},
            "accepted 1257 532 12 1 7 | accepted 1.5 5 0 0 3 | accepted 1257 532 12 1 7",
            "\r\n[<V>1260");
        // The tail of a frame whose head was never received is dropped, and nothing counted twice.
        row("] before [", {"<I>77</I>]\r\n" + a + "<M>0</M>]\r\n" + a},
            "accepted 1257 532 12 1 7 | accepted 1257 532 12 1 7", "\r\n");
        const QByteArray huge = "1" + QByteArray(309, '0');
        row("closing tag first, or too large: corrupt",
            {"[</V>12<V><I>5</I>]\n[<V>1</V><I>2</I></R>3<R>]\n[<V>4</V><I>-" + huge +
             "</I>]\n[<V>1</V><I>2</I><R>" + huge + "</R>]\n[<V>1</V><I>2</I><M>" + huge +
             "</M>]\n[<V>1</V><I>2</I><S>-" + huge + "</S>]"},
            "corrupt | corrupt | corrupt | corrupt | corrupt | corrupt");
        row("V or I 0, missing, empty or lower case: dropped; letters read as 0",
            {"[<V>0</V><I>5</I>]\n[<I>5</I>]\n[<V></V><I>5</I>]\n[<v>1</v><I>5</I>]\n"
             "[<V>0.0</V><I>1e3</I><R>x</R><M>-</M><S>5,5</S>]"},
            "dropped | dropped | dropped | dropped | accepted 0 0 0 0 0");
        // "][" in one read drops the pair and the head waiting with it; a read's "]" is consumed
        // before the next read arrives, so frames in separate reads are never a pair.
        row("][",
            {"[<V>1</V>", "<I>2</I>][<V>3</V><I>4</I>]", "\r\n[<V>5</V><I>6</I>]",
             "[<V>7</V><I>8</I>]\r\n[<V>9"},
            "accepted 5 6 0 0 0 | accepted 7 8 0 0 0", "\r\n[<V>9");
        // Noise keeps only its latest bytes; a frame after it is whole.
        QByteArrayList noise;
        for (char c = 'a'; c <= 'j'; ++c)
            noise << QByteArray(1000, c);
        row("noise, a frame, noise", noise + QByteArrayList{"[<V>12</V><I>3", "4</I>]"} + noise,
            "accepted 12 34 0 0 0", noise.join().right(FrameReceiver::MaxBufferBytes));
    }
    void sameFramesWhateverTheChunking() {
        QFETCH(QByteArrayList, reads);
        QFETCH(QByteArray, expected);
        QFETCH(QByteArray, bufferAfter);
        FrameReceiver receiver;
        QCOMPARE(run(receiver, reads), expected);
        QCOMPARE(receiver.receiveBuffer(), bufferAfter);
        // A short stream without "][" the same byte by byte, and cut anywhere into three reads
        // (two cuts at the same place: an empty read).
        const QByteArray stream = reads.join();
        if (stream.contains("][") || stream.size() > 500)
            return;
        QByteArrayList bytewise;
        for (char c : stream)
            bytewise << QByteArray(1, c);
        QCOMPARE(run(receiver = FrameReceiver(), bytewise), expected);
        for (qsizetype first = 0; first < stream.size(); ++first) {
            for (qsizetype second = first; second < stream.size(); second += 3) {
                FrameReceiver cut;
                QVERIFY2(run(cut, {stream.left(first), stream.mid(first, second - first),
                                   stream.mid(second)}) == expected &&
                             cut.receiveBuffer() == bufferAfter,
                         qPrintable(QStringLiteral("cut at %1 and %2").arg(first).arg(second)));
            }
        }
    }
};

QTEST_GUILESS_MAIN(FrameReceiverTest)
#include "tst_frame_receiver.moc"
