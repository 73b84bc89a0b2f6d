// Day-log records: their exact bytes, the averages, the file of each date, and what happens
// when the file cannot be written.

#include "acquisition/DayLogWriter.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace tarnby;

namespace {
QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QDateTime at(int year, int month, int day, int hour, int minute, int second = 0) {
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second));
}

IntervalSums sumsOf(std::initializer_list<RecordAverages> frames) {
    IntervalSums sums;
    for (const RecordAverages& f : frames) {
        sums.SumVolts += f.volts;
        sums.SumAmps += f.amps;
        sums.SumWatts += f.watts;
        sums.SumRPM += f.rpm;
        sums.SumSpeed += f.speed;
        ++sums.SampleCount;
    }
    return sums;
}

LiveReadings withTotal(double wattHours) {
    LiveReadings r;
    r.WattHourTotal = wattHours;
    return r;
}
} // namespace

class DayLogWriterTest : public QObject {
    Q_OBJECT
private slots:
    void recordBytes_data();
    void recordBytes();
    void fileName_data();
    void fileName();
    void averagesOfTheIntervalThenRepeats();
    void firstRecordWithoutAnyFrameIsZeros();
    void recordAtMidnightGoesToTheNewDay();
    void missingLogsFolderIsCreated();
    void fullDiskIsReportedAndRecordsAreHeldInOrder();
    void logsFolderThatCannotBeCreated();
    void readOnlyFolderIsReported();
};

void DayLogWriterTest::recordBytes_data() {
    QTest::addColumn<QTime>("time");
    QTest::addColumn<double>("volts");
    QTest::addColumn<double>("amps");
    QTest::addColumn<double>("watts");
    QTest::addColumn<double>("rpm");
    QTest::addColumn<double>("speed");
    QTest::addColumn<double>("wattHours");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("typical") << QTime(14, 5) << 12.57 << 3.2 << 40.22 << 123.0 << 5.3 << 1234.5
                             << QByteArray(
                                    "<T>14:05</T><V>12.57</V><I>3.20</I><W>40.22</W><R>123</R>"
                                    "<S>5.3</S><M>0</M>   1234.5Wh\r\n");
    QTest::newRow("all zero") << QTime(0, 0, 59) << 0.0 << 0.0 << 0.0 << 0.0 << 0.0 << 0.0
                              << QByteArray("<T>00:00</T><V>.00</V><I>.00</I><W>.00</W><R></R>"
                                            "<S>.0</S><M>0</M>   .0Wh\r\n");
    QTest::newRow("below 1, RPM below a half")
        << QTime(9, 30) << 0.5 << 0.125 << 0.0625 << 0.49 << 0.05 << 0.25
        << QByteArray(
               "<T>09:30</T><V>.50</V><I>.13</I><W>.06</W><R></R><S>.1</S><M>0</M>   .3Wh\r\n");
    QTest::newRow("wider than the pattern")
        << QTime(23, 59) << 123.456 << 1234.5 << 123456.789 << 12345.5 << 1234.56 << 1234567.89
        << QByteArray("<T>23:59</T><V>123.46</V><I>1234.50</I><W>123456.79</W><R>12346</R>"
                      "<S>1234.6</S><M>0</M>   1234567.9Wh\r\n");
    QTest::newRow("halves away from zero on the decimal value")
        << QTime(12, 0) << 1.005 << 2.675 << 0.125 << 2.5 << 0.35 << 0.05
        << QByteArray(
               "<T>12:00</T><V>1.01</V><I>2.68</I><W>.13</W><R>3</R><S>.4</S><M>0</M>   .1Wh\r\n");
}

void DayLogWriterTest::recordBytes() {
    QFETCH(QTime, time);
    QFETCH(double, volts);
    QFETCH(double, amps);
    QFETCH(double, watts);
    QFETCH(double, rpm);
    QFETCH(double, speed);
    QFETCH(double, wattHours);
    QFETCH(QByteArray, expected);
    QCOMPARE(recordLine(time, RecordAverages{volts, amps, watts, rpm, speed}, 0, wattHours),
             expected);
}

void DayLogWriterTest::fileName_data() {
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("expected");
    QTest::newRow("padded month and day") << QDate(2010, 3, 7) << "P_2010_03_07.txt";
    QTest::newRow("two-digit month and day") << QDate(2026, 12, 31) << "P_2026_12_31.txt";
}

void DayLogWriterTest::fileName() {
    QFETCH(QDate, date);
    QFETCH(QString, expected);
    QCOMPARE(dayLogFileName(date), expected);
}

void DayLogWriterTest::averagesOfTheIntervalThenRepeats() {
    QTemporaryDir dir;
    DayLogWriter writer{AppPaths(dir.path())};
    IntervalSums sums = sumsOf(
        {{12.5, 3.0, 37.5, 120, 5.0}, {12.6, 3.5, 44.1, 130, 6.0}, {12.7, 4.0, 50.8, 140, 7.0}});
    auto outcome = writer.writeRecord(at(2026, 12, 6, 14, 5, 30), sums, withTotal(10.25));
    QVERIFY(outcome.append.ok);
    QCOMPARE(outcome.fileName, QStringLiteral("P_2026_12_06.txt"));
    QCOMPARE(sums.SampleCount, 0LL);
    QCOMPARE(sums.SumVolts, 0.0);
    QCOMPARE(sums.SumWatts, 0.0);

    // No frame in the next interval: the same averages, the current time and total.
    outcome = writer.writeRecord(at(2026, 12, 6, 14, 6, 30), sums, withTotal(11.0));
    QVERIFY(outcome.append.ok);

    sums = sumsOf({{13.0, 0.0, 0.0, 0, 0.0}});
    QVERIFY(writer.writeRecord(at(2026, 12, 6, 14, 7, 30), sums, withTotal(11.0)).append.ok);

    QCOMPARE(
        readAll(dir.path() + "/logs/P_2026_12_06.txt"),
        QByteArray(
            "<T>14:05</T><V>12.60</V><I>3.50</I><W>44.13</W><R>130</R><S>6.0</S><M>0</M>   "
            "10.3Wh\r\n"
            "<T>14:06</T><V>12.60</V><I>3.50</I><W>44.13</W><R>130</R><S>6.0</S><M>0</M>   "
            "11.0Wh\r\n"
            "<T>14:07</T><V>13.00</V><I>.00</I><W>.00</W><R></R><S>.0</S><M>0</M>   11.0Wh\r\n"));
}

void DayLogWriterTest::firstRecordWithoutAnyFrameIsZeros() {
    QTemporaryDir dir;
    DayLogWriter writer{AppPaths(dir.path())};
    IntervalSums sums;
    QVERIFY(writer.writeRecord(at(2026, 12, 6, 8, 0), sums, withTotal(0)).append.ok);
    QCOMPARE(readAll(dir.path() + "/logs/P_2026_12_06.txt"),
             QByteArray(
                 "<T>08:00</T><V>.00</V><I>.00</I><W>.00</W><R></R><S>.0</S><M>0</M>   .0Wh\r\n"));
}

void DayLogWriterTest::recordAtMidnightGoesToTheNewDay() {
    QTemporaryDir dir;
    DayLogWriter writer{AppPaths(dir.path())};
    IntervalSums sums = sumsOf({{12.0, 1.0, 12.0, 0, 0}});
    QVERIFY(writer.writeRecord(at(2026, 12, 31, 23, 59, 50), sums, withTotal(100)).append.ok);
    sums = sumsOf({{13.0, 2.0, 26.0, 0, 0}});
    const auto outcome = writer.writeRecord(at(2027, 1, 1, 0, 0, 0), sums, withTotal(0.5));
    QVERIFY(outcome.append.ok);
    QCOMPARE(outcome.fileName, QStringLiteral("P_2027_01_01.txt"));
    QCOMPARE(readAll(dir.path() + "/logs/P_2026_12_31.txt"),
             QByteArray("<T>23:59</T><V>12.00</V><I>1.00</I><W>12.00</W><R></R><S>.0</S><M>0</M>   "
                        "100.0Wh\r\n"));
    QCOMPARE(
        readAll(dir.path() + "/logs/P_2027_01_01.txt"),
        QByteArray(
            "<T>00:00</T><V>13.00</V><I>2.00</I><W>26.00</W><R></R><S>.0</S><M>0</M>   .5Wh\r\n"));
}

void DayLogWriterTest::missingLogsFolderIsCreated() {
    QTemporaryDir dir;
    QVERIFY(!QFileInfo::exists(dir.path() + "/logs"));
    const QByteArray line = "<T>10:00</T>\r\n";
    QVERIFY(appendLineDurably(dir.path() + "/logs/P_2026_12_06.txt", line).ok);
    QVERIFY(appendLineDurably(dir.path() + "/logs/P_2026_12_06.txt", line).ok);
    QCOMPARE(readAll(dir.path() + "/logs/P_2026_12_06.txt"), line + line);
}

void DayLogWriterTest::fullDiskIsReportedAndRecordsAreHeldInOrder() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("logs"));
    const QString day1 = dir.path() + "/logs/P_2026_12_06.txt";
    const QString day2 = dir.path() + "/logs/P_2026_12_07.txt";
    QVERIFY(QFile::link("/dev/full", day1));
    DayLogWriter writer{AppPaths(dir.path())};

    IntervalSums sums = sumsOf({{12.0, 1.0, 12.0, 0, 0}});
    auto outcome = writer.writeRecord(at(2026, 12, 6, 23, 59), sums, withTotal(1));
    QVERIFY(!outcome.append.ok);
    QCOMPARE(outcome.fileName, QStringLiteral("P_2026_12_06.txt"));
    QCOMPARE(outcome.append.error,
             QStringLiteral("Cannot write logs/P_2026_12_06.txt (disk full)"));
    QCOMPARE(sums.SampleCount, 0LL); // the interval is over; its record waits
    QCOMPARE(writer.heldRecords(), size_t(1));

    // Still full at the next tick, now after midnight: the old record still comes first.
    sums = sumsOf({{13.0, 1.0, 13.0, 0, 0}});
    outcome = writer.writeRecord(at(2026, 12, 7, 0, 0, 10), sums, withTotal(0));
    QVERIFY(!outcome.append.ok);
    QVERIFY(outcome.append.error.contains(QStringLiteral("P_2026_12_06.txt")));
    QVERIFY(outcome.append.error.contains(QStringLiteral("2 records waiting")));
    QVERIFY(!QFileInfo::exists(day2));

    // Space again: everything held is written, each record into its own day's file.
    QVERIFY(QFile::remove(day1));
    sums = sumsOf({{14.0, 1.0, 14.0, 0, 0}});
    outcome = writer.writeRecord(at(2026, 12, 7, 0, 1, 10), sums, withTotal(0.5));
    QVERIFY(outcome.append.ok);
    QCOMPARE(outcome.fileName, QStringLiteral("P_2026_12_07.txt"));
    QCOMPARE(writer.heldRecords(), size_t(0));
    QCOMPARE(
        readAll(day1),
        QByteArray(
            "<T>23:59</T><V>12.00</V><I>1.00</I><W>12.00</W><R></R><S>.0</S><M>0</M>   1.0Wh\r\n"));
    QCOMPARE(
        readAll(day2),
        QByteArray(
            "<T>00:00</T><V>13.00</V><I>1.00</I><W>13.00</W><R></R><S>.0</S><M>0</M>   .0Wh\r\n"
            "<T>00:01</T><V>14.00</V><I>1.00</I><W>14.00</W><R></R><S>.0</S><M>0</M>   .5Wh\r\n"));
}

void DayLogWriterTest::logsFolderThatCannotBeCreated() {
    QTemporaryDir dir;
    QFile blocker(dir.path() + "/logs");
    QVERIFY(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
    blocker.close();
    DayLogWriter writer{AppPaths(dir.path())};
    IntervalSums sums;
    const auto outcome = writer.writeRecord(at(2026, 12, 6, 9, 0), sums, withTotal(0));
    QVERIFY(!outcome.append.ok);
    QVERIFY2(outcome.append.error.contains(QStringLiteral("P_2026_12_06.txt")),
             qPrintable(outcome.append.error));
}

void DayLogWriterTest::readOnlyFolderIsReported() {
    QTemporaryDir dir;
    const QString logs = dir.path() + "/logs";
    QVERIFY(QDir(dir.path()).mkdir("logs"));
    if (QProcess::execute("chattr", {"+i", logs}) != 0)
        QSKIP("chattr +i is not available here (needed because root ignores permissions)");
    DayLogWriter writer{AppPaths(dir.path())};
    IntervalSums sums;
    const auto outcome = writer.writeRecord(at(2026, 12, 6, 9, 0), sums, withTotal(0));
    QProcess::execute("chattr", {"-i", logs});
    QVERIFY(!outcome.append.ok);
    QVERIFY2(outcome.append.error.startsWith(QStringLiteral("Cannot write logs/P_2026_12_06.txt")),
             qPrintable(outcome.append.error));
    QCOMPARE(writer.heldRecords(), size_t(1));
}

QTEST_GUILESS_MAIN(DayLogWriterTest)
#include "tst_day_log_writer.moc"
