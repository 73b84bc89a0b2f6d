// Day-log records: their exact bytes, the averages, the file of each date, and what happens
// when the file cannot be written.

#include "acquisition/DayLogWriter.h"
#include "platform/FileWriting.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <cstring>

using namespace tarnby;
using tarnby::test::at;
using tarnby::test::readAll;

Q_DECLARE_METATYPE(tarnby::RecordAverages)

class DayLogWriterTest : public QObject {
    Q_OBJECT
private slots:
    void recordBytes_data();
    void recordBytes();
    void averagesOfTheIntervalThenRepeats();
    void failedWritesAreReportedAndRecordsHeldInOrder_data();
    void failedWritesAreReportedAndRecordsHeldInOrder();
};

void DayLogWriterTest::recordBytes_data() {
    QTest::addColumn<QTime>("time");
    QTest::addColumn<RecordAverages>("averages");
    QTest::addColumn<double>("wattHours");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("wider than the pattern")
        << QTime(23, 59) << RecordAverages{123.456, 1234.5, 123456.789, 12345.5, 1234.56}
        << 1234567.89
        << QByteArray("<T>23:59</T><V>123.46</V><I>1234.50</I><W>123456.79</W><R>12346</R>"
                      "<S>1234.6</S><M>0</M>   1234567.9Wh\r\n");
    QTest::newRow("halves away from zero on the decimal value")
        << QTime(12, 0) << RecordAverages{1.005, 2.675, 0.125, 2.5, 0.35} << 0.05
        << QByteArray(
               "<T>12:00</T><V>1.01</V><I>2.68</I><W>.13</W><R>3</R><S>.4</S><M>0</M>   .1Wh\r\n");
}

void DayLogWriterTest::recordBytes() {
    QFETCH(QTime, time);
    QFETCH(RecordAverages, averages);
    QFETCH(double, wattHours);
    QFETCH(QByteArray, expected);
    QCOMPARE(recordLine(time, averages, 0, wattHours), expected);
}

void DayLogWriterTest::averagesOfTheIntervalThenRepeats() {
    QTemporaryDir dir; // no logs folder yet
    DayLogWriter writer{AppPaths(dir.path())};
    // No frame since start-up: zeros.
    IntervalSums sums;
    QVERIFY(writer.writeRecord(at(2026, 12, 31, 23, 57, 30), sums, {}).append.ok);

    sums = IntervalSums{37.8, 10.5, 132.4, 390, 18, 3}; // three frames
    auto outcome = writer.writeRecord(at(2026, 12, 31, 23, 58, 30), sums, {.WattHourTotal = 10.25});
    QVERIFY(outcome.append.ok);
    QCOMPARE(outcome.fileName, QStringLiteral("P_2026_12_31.txt"));
    QCOMPARE(sums.SampleCount, 0LL);
    QCOMPARE(sums.SumVolts, 0.0);

    // No frame in the next interval: the same averages, the current time and total.
    QVERIFY(
        writer.writeRecord(at(2026, 12, 31, 23, 59, 30), sums, {.WattHourTotal = 11.0}).append.ok);
    // A record stamped 00:00 belongs to the new day.
    sums = IntervalSums{13.0, 0.0, 0.0, 0, 0.0, 1};
    outcome = writer.writeRecord(at(2027, 1, 1, 0, 0, 0), sums, {.WattHourTotal = 0.5});
    QVERIFY(outcome.append.ok);
    QCOMPARE(outcome.fileName, QStringLiteral("P_2027_01_01.txt"));

    QCOMPARE(
        readAll(dir.path() + "/logs/P_2026_12_31.txt"),
        QByteArray("<T>23:57</T><V>.00</V><I>.00</I><W>.00</W><R></R><S>.0</S><M>0</M>   .0Wh\r\n"
                   "<T>23:58</T><V>12.60</V><I>3.50</I><W>44.13</W><R>130</R><S>6.0</S><M>0</M>   "
                   "10.3Wh\r\n"
                   "<T>23:59</T><V>12.60</V><I>3.50</I><W>44.13</W><R>130</R><S>6.0</S><M>0</M>   "
                   "11.0Wh\r\n"));
    QCOMPARE(
        readAll(dir.path() + "/logs/P_2027_01_01.txt"),
        QByteArray(
            "<T>00:00</T><V>13.00</V><I>.00</I><W>.00</W><R></R><S>.0</S><M>0</M>   .5Wh\r\n"));
}

void DayLogWriterTest::failedWritesAreReportedAndRecordsHeldInOrder_data() {
    // In the application folder, removed to recover: "path -> target" a link, "path/" a folder,
    // empty for none (the sync after each write fails until then), else a file.
    QTest::addColumn<QString>("blocker");
    QTest::addColumn<QString>("error");
    QTest::newRow("full disk") << "logs/P_2026_12_06.txt -> /dev/full"
                               << "Cannot write logs/P_2026_12_06.txt (disk full)";
    QTest::newRow("a file where the logs folder should be")
        << "logs"
        << "Cannot create folder logs for P_2026_12_06.txt";
    QTest::newRow("a folder where the day log should be")
        << "logs/P_2026_12_06.txt/"
        << "Cannot write logs/P_2026_12_06.txt (" + QString::fromLocal8Bit(strerror(EISDIR)) + ")";
    // The records are in the file: reported, but never written twice.
    QTest::newRow("the sync after a whole write fails")
        << ""
        << "Cannot write logs/P_2026_12_06.txt (" + QString::fromLocal8Bit(strerror(EIO)) + ")";
}

void DayLogWriterTest::failedWritesAreReportedAndRecordsHeldInOrder() {
    QFETCH(QString, blocker);
    QFETCH(QString, error);
    QTemporaryDir dir;
    const QDir app(dir.path());
    const QString block = app.filePath(blocker.section(" -> ", 0, 0));
    const bool syncFails = blocker.isEmpty();
    const auto syncRestored = qScopeGuard([] { testing::setSyncStep(nullptr); });
    if (syncFails)
        testing::setSyncStep([](int) { return errno = EIO, -1; });
    else if (blocker.contains(" -> "))
        QVERIFY(app.mkdir("logs") && QFile::link(blocker.section(" -> ", 1), block));
    else if (blocker.endsWith('/'))
        QVERIFY(app.mkpath(blocker));
    else
        QVERIFY(QFile(block).open(QIODevice::WriteOnly));
    DayLogWriter writer{AppPaths(dir.path())};

    IntervalSums sums{12.0, 1.0, 12.0, 0, 0, 1};
    auto outcome = writer.writeRecord(at(2026, 12, 6, 23, 59), sums, {.WattHourTotal = 1});
    QVERIFY(!outcome.append.ok);
    QCOMPARE(outcome.fileName, QStringLiteral("P_2026_12_06.txt"));
    QCOMPARE(outcome.append.error, error);
    QCOMPARE(sums.SampleCount, 0LL); // the interval is over; its record waits
    QCOMPARE(writer.heldRecords(), size_t(syncFails ? 0 : 1));

    // Still failing at the next tick, now after midnight: the old record still comes first.
    sums = IntervalSums{13.0, 1.0, 13.0, 0, 0, 1};
    outcome = writer.writeRecord(at(2026, 12, 7, 0, 0, 10), sums, {});
    QVERIFY(!outcome.append.ok);
    QCOMPARE(outcome.append.error,
             syncFails ? QString(error).replace("12_06", "12_07") : error + ", 2 records waiting");
    QCOMPARE(QFileInfo::exists(app.filePath("logs/P_2026_12_07.txt")), syncFails);

    // Writable again: everything held is written, each record into its own day's file.
    if (syncFails)
        testing::setSyncStep(nullptr);
    else
        QVERIFY(blocker.endsWith('/') ? app.rmdir(blocker) : QFile::remove(block));
    sums = IntervalSums{14.0, 1.0, 14.0, 0, 0, 1};
    outcome = writer.writeRecord(at(2026, 12, 7, 0, 1, 10), sums, {.WattHourTotal = 0.5});
    QVERIFY(outcome.append.ok);
    QCOMPARE(outcome.fileName, QStringLiteral("P_2026_12_07.txt"));
    QCOMPARE(writer.heldRecords(), size_t(0));
    QCOMPARE(
        readAll(app.filePath("logs/P_2026_12_06.txt")),
        QByteArray(
            "<T>23:59</T><V>12.00</V><I>1.00</I><W>12.00</W><R></R><S>.0</S><M>0</M>   1.0Wh\r\n"));
    QCOMPARE(
        readAll(app.filePath("logs/P_2026_12_07.txt")),
        QByteArray(
            "<T>00:00</T><V>13.00</V><I>1.00</I><W>13.00</W><R></R><S>.0</S><M>0</M>   .0Wh\r\n"
            "<T>00:01</T><V>14.00</V><I>1.00</I><W>14.00</W><R></R><S>.0</S><M>0</M>   .5Wh\r\n"));
}

QTEST_GUILESS_MAIN(DayLogWriterTest)
#include "tst_day_log_writer.moc"
