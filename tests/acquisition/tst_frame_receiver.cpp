// The receive procedure: what is accepted, dropped or reported must not depend on how the
// line cut the bytes into notifications.

#include "acquisition/FrameReceiver.h"
#include "acquisition/FrameValues.h"
#include "config/TaggedValue.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace tarnby;

namespace {
const QByteArray Corrupt = "possible corrupt COMMS data";

// What the main window does with each notification, written down as a list of events: the
// status text each cut frame puts in Label2, then what became of the frame.
struct Transcript {
    QByteArrayList events;

    void feed(FrameReceiver& receiver, QByteArrayView bytes) {
        for (const CutFrame& frame : receiver.receive(bytes).frames) {
            events << "status " + frame.previousFrameText;
            const FrameExtraction e = extractFrameValues(frame.frameText);
            switch (e.outcome) {
            case FrameExtraction::Outcome::Dropped:
                events << "dropped";
                break;
            case FrameExtraction::Outcome::Corrupt:
                events << "status " + Corrupt;
                break;
            case FrameExtraction::Outcome::Accepted:
                events << QByteArray("accepted %1 %2 %3 %4 %5")
                              .replace("%1", QByteArray::number(e.values.V))
                              .replace("%2", QByteArray::number(e.values.I))
                              .replace("%3", QByteArray::number(e.values.R))
                              .replace("%4", QByteArray::number(e.values.M))
                              .replace("%5", QByteArray::number(e.values.S));
                break;
            }
        }
    }
};

QByteArrayList run(const QByteArrayList& chunks) {
    FrameReceiver receiver;
    Transcript transcript;
    for (const QByteArray& chunk : chunks)
        transcript.feed(receiver, chunk);
    return transcript.events;
}

QByteArrayList splitAt(const QByteArray& stream, QList<qsizetype> cuts) {
    QByteArrayList chunks;
    qsizetype from = 0;
    for (qsizetype cut : cuts) {
        chunks << stream.mid(from, cut - from);
        from = cut;
    }
    chunks << stream.mid(from);
    return chunks;
}
} // namespace

class FrameReceiverTest : public QObject {
    Q_OBJECT
private slots:
    void sameFramesWhateverTheChunking_data();
    void sameFramesWhateverTheChunking();
    void backToBackFramesInOneReadAreDiscarded_data();
    void backToBackFramesInOneReadAreDiscarded();
    void completeFramesLeaveOnlyTheNextHead();
    void lampLightsOnlyWithBothBrackets();
    void noiseWithoutBracketsStaysBounded();
    void boundKeepsTheHeadOfTheNextFrame();
    void frameNumberForTheCalibrationWindow_data();
    void frameNumberForTheCalibrationWindow();
    void tagsOnBytesAreFoundAsOnText();
};

void FrameReceiverTest::sameFramesWhateverTheChunking_data() {
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QByteArrayList>("expected");

    const QByteArray a = "[<V>1257</V><I>532</I><R>12</R><M>1</M><S>7</S>]";
    const QByteArray b = "[<V>1260</V><I>540</I><R>13</R><M>0</M><S>8</S>]";
    const QByteArray c = "[<V>1249</V><I>500</I><R>0</R><M>0</M><S>0</S>]";
    QTest::newRow("steady board") << a + "\r\n" + b + "\r\n" + c + "\r\n"
                                  << QByteArrayList{"status ",     "accepted 1257 532 12 1 7",
                                                    "status " + a, "accepted 1260 540 13 0 8",
                                                    "status " + b, "accepted 1249 500 0 0 0"};
    QTest::newRow("noise between frames")
        << "line noise " + a + "\r\n~~ garbage <V>99</V> ~~" + b + "x"
        << QByteArrayList{"status ", "accepted 1257 532 12 1 7", "status " + a,
                          "accepted 1260 540 13 0 8"};
    // The tail of a frame whose head was never received: dropped, and the frame before it is
    // not counted again.
    QTest::newRow("] before [") << "<I>77</I><S>3</S>]\r\n" + a + "\r\n<M>0</M>]\r\n" + b
                                << QByteArrayList{"status ", "accepted 1257 532 12 1 7",
                                                  "status " + a, "accepted 1260 540 13 0 8"};
    QTest::newRow("text before [ is ignored, a second [ belongs to the frame")
        << QByteArray("[stray [<V>5</V><I>6</I>]\r\n")
        << QByteArrayList{"status ", "accepted 5 6 0 0 0"};
    QTest::newRow("lower-case tags are not tags")
        << QByteArray("[<v>1257</v><I>532</I>]\r\n[<V>1257</V><i>532</i>]\r\n")
        << QByteArrayList{"status ", "dropped", "status [<v>1257</v><I>532</I>]", "dropped"};
    QTest::newRow("closing tag before opening tag") << "[</V>12<V><I>5</I>]\r\n" + a + "\r\n"
                                                    << QByteArrayList{
                                                           "status ",
                                                           "status " + Corrupt,
                                                           "status [</V>12<V><I>5</I>]",
                                                           "accepted 1257 532 12 1 7",
                                                       };
    QTest::newRow("closing R before opening R") << QByteArray("[<V>1</V><I>2</I></R>3<R>]\n")
                                                << QByteArrayList{"status ", "status " + Corrupt};
    QTest::newRow("V or I exactly 0 drops, 0.0 and 00 do not")
        << QByteArray("[<V>0</V><I>5</I>]\n[<V>0.0</V><I>5</I>]\n[<V>4</V><I>0</I>]\n"
                      "[<V>4</V><I>00</I>]\n[<V> 0</V><I>5</I>]\n")
        << QByteArrayList{"status ",
                          "dropped",
                          "status [<V>0</V><I>5</I>]",
                          "accepted 0 5 0 0 0",
                          "status [<V>0.0</V><I>5</I>]",
                          "dropped",
                          "status [<V>4</V><I>0</I>]",
                          "accepted 4 0 0 0 0",
                          "status [<V>4</V><I>00</I>]",
                          "accepted 0 5 0 0 0"};
    QTest::newRow("V or I missing or empty drops")
        << QByteArray("[<I>5</I>]\n[<V></V><I>5</I>]\n[<V>4</V><I>5]\n")
        << QByteArrayList{
               "status ", "dropped", "status [<I>5</I>]", "dropped", "status [<V></V><I>5</I>]",
               "dropped"};
    QTest::newRow("letters as values read as 0")
        << QByteArray("[<V>abc</V><I>1e3</I><R>x</R><M>-</M><S>5,5</S>]\n")
        << QByteArrayList{"status ", "accepted 0 0 0 0 0"};
    QTest::newRow("R, M and S missing; any tag order; blanks around values")
        << QByteArray("[<I> 532 </I>junk<V>+12.5</V>]\n[<S>3</S><V>1</V><I>2</I><R>-4</R>]\n")
        << QByteArrayList{"status ", "accepted 12.5 532 0 0 0",
                          "status [<I> 532 </I>junk<V>+12.5</V>]", "accepted 1 2 -4 0 3"};
    QTest::newRow("first of repeated tags counts")
        << QByteArray("[<V>7</V><V>8</V><I>9</I><I>10</I>]\n")
        << QByteArrayList{"status ", "accepted 7 9 0 0 0"};
    QTest::newRow("unfinished frame at the end is kept, not evaluated")
        << a + "\r\n[<V>1260</V><I>54" << QByteArrayList{"status ", "accepted 1257 532 12 1 7"};
}

void FrameReceiverTest::sameFramesWhateverTheChunking() {
    QFETCH(QByteArray, stream);
    QFETCH(QByteArrayList, expected);
    QVERIFY(!stream.contains("]["));

    QCOMPARE(run({stream}), expected);

    QByteArrayList bytewise;
    for (char c : stream)
        bytewise << QByteArray(1, c);
    QCOMPARE(run(bytewise), expected);

    for (qsizetype cut = 1; cut < stream.size(); ++cut)
        QVERIFY2(run(splitAt(stream, {cut})) == expected, qPrintable(QString::number(cut)));

    for (qsizetype first = 1; first < stream.size(); ++first)
        for (qsizetype second = first + 1; second < stream.size(); second += 3)
            QVERIFY2(run(splitAt(stream, {first, second})) == expected,
                     qPrintable(QStringLiteral("%1 %2").arg(first).arg(second)));

    QRandomGenerator random(4711);
    for (int round = 0; round < 200; ++round) {
        QList<qsizetype> cuts;
        for (qsizetype at = random.bounded(1, 8); at < stream.size(); at += random.bounded(1, 40))
            cuts << at;
        QCOMPARE(run(splitAt(stream, cuts)), expected);
    }
}

void FrameReceiverTest::backToBackFramesInOneReadAreDiscarded_data() {
    QTest::addColumn<QByteArrayList>("chunks");
    QTest::addColumn<QByteArrayList>("expected");
    QTest::addColumn<QByteArray>("bufferAfter");

    QTest::newRow("two frames back to back")
        << QByteArrayList{"[<V>1</V><I>2</I>][<V>3</V><I>4</I>]\r\n"} << QByteArrayList{}
        << QByteArray();
    // The pair takes the head that was waiting with it.
    QTest::newRow("pair in the read that completes a frame")
        << QByteArrayList{"[<V>1</V>", "<I>2</I>][<V>3</V><I>4</I>]", "\r\n[<V>5</V><I>6</I>]"}
        << QByteArrayList{"status ", "accepted 5 6 0 0 0"} << QByteArray();
    // Frames that arrive in separate reads are never glued into a pair: a read's "]" is
    // consumed before the next read arrives.
    QTest::newRow("frames back to back in separate reads")
        << QByteArrayList{"[<V>1</V><I>2</I>]", "[<V>3</V><I>4</I>]"}
        << QByteArrayList{"status ", "accepted 1 2 0 0 0", "status [<V>1</V><I>2</I>]",
                          "accepted 3 4 0 0 0"}
        << QByteArray();
    QTest::newRow("tail without head, then a frame in the next read")
        << QByteArrayList{"<I>9</I>]", "[<V>3</V><I>4</I>]\n"}
        << QByteArrayList{"status ", "accepted 3 4 0 0 0"} << QByteArray("\n");
}

void FrameReceiverTest::backToBackFramesInOneReadAreDiscarded() {
    QFETCH(QByteArrayList, chunks);
    QFETCH(QByteArrayList, expected);
    QFETCH(QByteArray, bufferAfter);
    FrameReceiver receiver;
    Transcript transcript;
    for (const QByteArray& chunk : chunks)
        transcript.feed(receiver, chunk);
    QCOMPARE(transcript.events, expected);
    QCOMPARE(receiver.receiveBuffer(), bufferAfter);
}

void FrameReceiverTest::completeFramesLeaveOnlyTheNextHead() {
    FrameReceiver receiver;
    const auto n =
        receiver.receive("[<V>1</V><I>2</I>]\r\n[<V>3</V><I>4</I>]\r\n[<V>5</V><I>6</I>]\r\n[<V>7");
    QCOMPARE(n.frames.size(), size_t(3));
    QCOMPARE(n.frames[2].frameText, QByteArray("[<V>5</V><I>6</I>]"));
    QCOMPARE(n.frames[2].previousFrameText, QByteArray("[<V>3</V><I>4</I>]"));
    QCOMPARE(receiver.receiveBuffer(), QByteArray("\r\n[<V>7"));
    QCOMPARE(receiver.frameText(), QByteArray("[<V>5</V><I>6</I>]"));

    const auto next = receiver.receive("</V><I>8</I>]");
    QCOMPARE(next.frames.size(), size_t(1));
    QCOMPARE(next.frames[0].frameText, QByteArray("[<V>7</V><I>8</I>]"));
    QCOMPARE(receiver.receiveBuffer(), QByteArray());
}

void FrameReceiverTest::lampLightsOnlyWithBothBrackets() {
    FrameReceiver receiver;
    QVERIFY(!receiver.receive("[<V>1</V>").reachedCut);
    QVERIFY(receiver.receive("<I>2</I>]").reachedCut);
    QVERIFY(!receiver.receive("<I>2</I>]").reachedCut); // a lone tail
    QVERIFY(receiver.receive("][").frames.empty());
}

void FrameReceiverTest::noiseWithoutBracketsStaysBounded() {
    FrameReceiver receiver;
    QRandomGenerator random(99);
    for (int i = 0; i < 1000; ++i) {
        QByteArray noise(1000, '\0');
        for (char& c : noise) {
            do
                c = static_cast<char>(random.bounded(256));
            while (c == '[' || c == ']');
        }
        QVERIFY(receiver.receive(noise).frames.empty());
        QVERIFY(receiver.receiveBuffer().size() <= FrameReceiver::MaxBufferBytes);
    }
    QCOMPARE(receiver.receiveBuffer().size(), FrameReceiver::MaxBufferBytes);
    // One large read of noise is bounded too.
    receiver.receive(QByteArray(1 << 20, 'x'));
    QCOMPARE(receiver.receiveBuffer(), QByteArray(FrameReceiver::MaxBufferBytes, 'x'));

    Transcript transcript;
    transcript.feed(receiver, "\r\n[<V>1</V><I>2</I>]\r\n");
    QCOMPARE(transcript.events, (QByteArrayList{"status ", "accepted 1 2 0 0 0"}));
}

void FrameReceiverTest::boundKeepsTheHeadOfTheNextFrame() {
    FrameReceiver receiver;
    QVERIFY(receiver.receive(QByteArray(3 * FrameReceiver::MaxBufferBytes, 'n')).frames.empty());
    QVERIFY(receiver.receive("[<V>12</V><I>3").frames.empty());
    QCOMPARE(receiver.receiveBuffer().size(), FrameReceiver::MaxBufferBytes);
    QVERIFY(receiver.receiveBuffer().endsWith("[<V>12</V><I>3"));
    const auto n = receiver.receive("4</I>]");
    QCOMPARE(n.frames.size(), size_t(1));
    QCOMPARE(n.frames[0].frameText, QByteArray("[<V>12</V><I>34</I>]"));
}

void FrameReceiverTest::frameNumberForTheCalibrationWindow_data() {
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("tag");
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("corrupt");
    QTest::newRow("number") << QByteArray("[<V>12.5</V>]") << QByteArray("V") << 12.5 << false;
    QTest::newRow("exactly 0") << QByteArray("[<V>0</V>]") << QByteArray("V") << 0.0 << false;
    QTest::newRow("missing") << QByteArray("[<V>1</V>]") << QByteArray("S") << 0.0 << false;
    QTest::newRow("letters") << QByteArray("[<R>ten</R>]") << QByteArray("R") << 0.0 << false;
    QTest::newRow("closing first") << QByteArray("[</I>4<I>]") << QByteArray("I") << 0.0 << true;
}

void FrameReceiverTest::frameNumberForTheCalibrationWindow() {
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, tag);
    QFETCH(double, value);
    QFETCH(bool, corrupt);
    bool flagged = false;
    QCOMPARE(frameNumber(frame, tag, &flagged), value);
    QCOMPARE(flagged, corrupt);
}

void FrameReceiverTest::tagsOnBytesAreFoundAsOnText() {
    // The receive path searches bytes with its own fast search; it must find what the text
    // rule finds, on texts dense with near-miss tags.
    QRandomGenerator random(1200);
    const char alphabet[] = "<>/VIRvSM0[]";
    const QByteArrayList keys{"V", "I", "R", "VI", "", "v"};
    for (int i = 0; i < 100000; ++i) {
        QByteArray text(random.bounded(0, 24), '\0');
        for (char& c : text)
            c = alphabet[random.bounded(int(sizeof alphabet) - 1)];
        const QByteArray key = keys[random.bounded(keys.size())];
        const TaggedBytes bytes = findTaggedValue(QByteArrayView(text), QByteArrayView(key));
        const QString wide = QString::fromLatin1(text);
        const TaggedValue chars = findTaggedValue(QStringView(wide), QLatin1StringView(key));
        QVERIFY2(bytes.status == chars.status, text.constData());
        QVERIFY2(QString::fromLatin1(bytes.value) == chars.value, text.constData());
    }
}

QTEST_GUILESS_MAIN(FrameReceiverTest)
#include "tst_frame_receiver.moc"
