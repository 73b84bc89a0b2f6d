// The day-log loader: which lines become records, what each field holds, the record limit,
// the time boxes that feed it and the empty line appended to the day log.

#include "history/CsvExporter.h"
#include "history/DayLogLoader.h"
#include "history/HistoryFiles.h"
#include "history/PlotCursor.h"
#include "history/PlotModel.h"
#include "history/TimeRange.h"
#include "tests/history/HistoryTestData.h"

#include <QTemporaryDir>
#include <QTest>

using namespace tarnby;
using namespace tarnby::test;

namespace {
constexpr int WholeDayTo = (23 * 60 + 59) * 60; // 00:00 to 23:59

QString lineAt(int minute, double volts = 12) {
    return QString::fromLatin1(recordLine({minute, volts, 1, volts, 100, 5}));
}

QString recordTimes(const HistoryState& s) {
    QStringList times;
    for (int k = 1; k <= s.loadedRecords(); ++k)
        times << timeOfDayText(s.RecTime[static_cast<size_t>(k)] / 60);
    return times.join(u' ');
}
} // namespace

class HistoryLoader : public QObject {
    Q_OBJECT
private slots:
    void rangeBoundsAreStrict_data();
    void rangeBoundsAreStrict();
    void recordLimit_data();
    void recordLimit();
    void fieldsOfOneLine_data();
    void fieldsOfOneLine();
    void staleSlotsAboveTheLastLoadNeverShow();
    void timeBoxes_data();
    void timeBoxes();
    void eachLoadAppendsOneEmptyLine();
};

void HistoryLoader::rangeBoundsAreStrict_data() {
    QTest::addColumn<int>("from"); // minutes
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("kept");
    QTest::newRow("default range: not 00:00, not 23:59")
        << 0 << 23 * 60 + 59 << QStringLiteral("00:01 10:00 10:01 10:02 23:58");
    QTest::newRow("start equals end") << 10 * 60 << 10 * 60 << QString();
    QTest::newRow("start after end") << 11 * 60 << 10 * 60 << QString();
    QTest::newRow("both ends strict") << 10 * 60 << 10 * 60 + 2 << QStringLiteral("10:01");
}

void HistoryLoader::rangeBoundsAreStrict() {
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QString, kept);
    QString text = QStringLiteral("\r\n\r\n");
    for (int minute : {0, 1, 10 * 60, 10 * 60 + 1, 10 * 60 + 2, 23 * 60 + 58, 23 * 60 + 59})
        text += lineAt(minute);
    HistoryState s;
    s.PlotFrom = 4;
    s.PlotTo = 9;
    const LoadOutcome outcome = DayLogLoader::load(text, from * 60, to * 60, s);
    QCOMPARE(recordTimes(s), kept);
    QCOMPARE(outcome, kept.isEmpty() ? LoadOutcome::NoData : LoadOutcome::Loaded);
    QCOMPARE(s.LogLines.size(), 10); // two empty lines, seven records, the empty last line
    // A load that finds nothing leaves the earlier plot.
    QCOMPARE(s.PlotFrom, kept.isEmpty() ? 4.0 : 1.0);
    QCOMPARE(s.PlotTo, kept.isEmpty() ? 9.0 : double(s.RecordCount));
}

void HistoryLoader::recordLimit_data() {
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("recordCount");
    QTest::newRow("9,999 plot") << 9999 << 9999;
    QTest::newRow("10,000 are too many") << 10000 << 10000;
    QTest::newRow("far more stop at 10,000") << 12000 << 10000;
}

void HistoryLoader::recordLimit() {
    QFETCH(int, records);
    QFETCH(int, recordCount);
    const std::vector<DayRecord> day = generatedDay(records);
    HistoryState s;
    s.PlotFrom = 2;
    s.PlotTo = 3;
    const bool tooMany = records > 9999;
    QCOMPARE(DayLogLoader::load(QString::fromLatin1(dayLogBytes(day)), 0, WholeDayTo, s),
             tooMany ? LoadOutcome::TooMany : LoadOutcome::Loaded);
    QCOMPARE(s.RecordCount, recordCount);
    // Records 1 to 9,999 are in the arrays either way; the limit record is never stored.
    QCOMPARE(s.RecTime[9999], day[9998].minute * 60);
    QCOMPARE(s.RecTime[10000], 0);
    QCOMPARE(s.PlotTo, tooMany ? 3.0 : 9999.0);
    QCOMPARE(DayLogLoader::tooManyRecordsMessage(),
             QStringLiteral("Over 10,000 records, too many to display. Please use a smaller "
                            "time range. If you set you logging interval to 10 seconds or "
                            "more, you wont have this problem in the future. "));
}

void HistoryLoader::fieldsOfOneLine_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<double>>("values"); // volts, amps, watts, RPM, speed
    QTest::addColumn<QString>("time");         // empty: no record
    using V = QList<double>;
    QTest::newRow("the day-log example")
        << "<T>14:05</T><V>12.57</V><I>3.20</I><W>40.22</W><R>123</R><S>5.3</S><M>0</M>   1234.5Wh"
        << V{12.57, 3.2, 40.22, 123, 5.3} << "14:05";
    QTest::newRow("only time and volts")
        << "<T>12:05</T><V>.50</V>" << V{0.5, 0, 0, 0, 0} << "12:05";
    QTest::newRow("RPM 750 is a glitch") << "<T>12:05</T><R>750</R>" << V{0, 0, 0, 0, 0} << "12:05";
    QTest::newRow("RPM 500 stays") << "<T>12:05</T><R>500</R>" << V{0, 0, 0, 500, 0} << "12:05";
    QTest::newRow("letters in volts")
        << "<T>12:05</T><V>abc</V><I>2</I>" << V{0, 2, 0, 0, 0} << "12:05";
    QTest::newRow("single-digit hour") << "<T>7:05</T><V>1</V>" << V{1, 0, 0, 0, 0} << "07:05";
    // Lines end at CR LF only: a file of LF-ended lines is one line, read as its first record.
    QTest::newRow("LF-only file is one line")
        << "<T>10:00</T><V>11</V>\n<T>11:00</T><V>12</V>\n<T>12:00</T><V>13</V>"
        << V{11, 0, 0, 0, 0} << "10:00";
    QTest::newRow("hour 24 is no time") << "<T>24:00</T><V>1</V>" << V{} << "";
    QTest::newRow("no time tag") << "<V>12.5</V><I>1</I>" << V{} << "";
}

void HistoryLoader::fieldsOfOneLine() {
    QFETCH(QString, text);
    QFETCH(QList<double>, values);
    QFETCH(QString, time);
    HistoryState s;
    const LoadOutcome outcome = DayLogLoader::load(text + QStringLiteral("\r\n"), 0, WholeDayTo, s);
    QCOMPARE(outcome, time.isEmpty() ? LoadOutcome::NoData : LoadOutcome::Loaded);
    QCOMPARE(s.LogLines.size(), 2);
    QCOMPARE(recordTimes(s), time);
    if (!time.isEmpty())
        QCOMPARE(
            (QList<double>{s.RecVolts[1], s.RecAmps[1], s.RecWatts[1], s.RecRPM[1], s.RecSpeed[1]}),
            values);
}

void HistoryLoader::staleSlotsAboveTheLastLoadNeverShow() {
    HistoryState s;
    QString first;
    for (int m = 1; m <= 5; ++m)
        first += lineAt(10 * 60 + m, 99);
    QCOMPARE(DayLogLoader::load(first, 0, WholeDayTo, s), LoadOutcome::Loaded);
    const QString second = lineAt(8 * 60, 12) + lineAt(8 * 60 + 1, 13) + lineAt(8 * 60 + 2, 14);
    QCOMPARE(DayLogLoader::load(second, 0, WholeDayTo, s), LoadOutcome::Loaded);
    QCOMPARE(s.RecordCount, 3);
    QCOMPARE(s.RecVolts[5], 99.0); // the arrays are not cleared ...

    // ... but no reader goes past the last load: not the plot, even asked for more,
    s.PlotTo = 5;
    s.ScaledAxes = false;
    const PlotResult plot = PlotModel::plotGraph(s);
    QVERIFY(plot.labels);
    QCOMPARE(plot.labels->ftime, QStringLiteral("08:02"));
    QCOMPARE(plot.labels->VMax1, QStringLiteral("14.00 V"));
    // not the cursor,
    s.PlotTo = 3;
    PlotModel::plotGraph(s);
    PlotCursor cursor(s);
    QVERIFY(!cursor.move(3.5).valuesWritten);
    QCOMPARE(cursor.move(1.2).vv, QStringLiteral("13 V"));
    // not the export.
    QCOMPARE(CsvExporter::csvText(s).count("\r\n"), 4);
    QVERIFY(!CsvExporter::csvText(s).contains("99.00"));
}

void HistoryLoader::timeBoxes_data() {
    QTest::addColumn<QStringList>("boxes"); // Time1h, Time1m, Time2h, Time2m
    QTest::addColumn<int>("from");          // -1: refused
    QTest::addColumn<int>("to");
    using L = QStringList;
    QTest::newRow("whole day") << L{"00", "00", "23", "59"} << 0 << WholeDayTo;
    QTest::newRow("single digits") << L{"7", "5", "9", "0"} << (7 * 60 + 5) * 60 << 9 * 3600;
    QTest::newRow("blanks around") << L{" 7 ", "05", "09", "00 "} << (7 * 60 + 5) * 60 << 9 * 3600;
    QTest::newRow("start after end") << L{"12", "00", "10", "00"} << 12 * 3600 << 10 * 3600;
    QTest::newRow("letters") << L{"ab", "00", "23", "59"} << -1 << 0;
    QTest::newRow("hour 24") << L{"00", "00", "24", "00"} << -1 << 0;
    QTest::newRow("minute 60") << L{"00", "60", "23", "59"} << -1 << 0;
    QTest::newRow("empty box") << L{"", "00", "23", "59"} << -1 << 0;
    QTest::newRow("negative") << L{"-1", "00", "23", "59"} << -1 << 0;
    QTest::newRow("fraction") << L{"1.5", "00", "23", "59"} << -1 << 0;
    QTest::newRow("three digits") << L{"007", "00", "23", "59"} << -1 << 0;
    QTest::newRow("seconds smuggled in") << L{"10", "00:30", "23", "59"} << -1 << 0;
}

void HistoryLoader::timeBoxes() {
    QFETCH(QStringList, boxes);
    QFETCH(int, from);
    QFETCH(int, to);
    const TimeRangeCheck check = readTimeRange({boxes[0], boxes[1], boxes[2], boxes[3]});
    QCOMPARE(check.range.has_value(), from >= 0);
    QCOMPARE(check.message.contains(QStringLiteral("is not a time of day")), from < 0);
    if (check.range)
        QCOMPARE((QList<int>{check.range->from, check.range->to}), (QList<int>{from, to}));
}

void HistoryLoader::eachLoadAppendsOneEmptyLine() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("P_2026_12_06.txt"));
    QVERIFY(appendEmptyLine(path).ok); // creates a missing day log
    QVERIFY(appendEmptyLine(path).ok);
    QCOMPARE(readWholeFile(path).text, QStringLiteral("\r\n\r\n"));
    QVERIFY(!appendEmptyLine(dir.filePath(QStringLiteral("missing/P.txt"))).ok);
    QVERIFY(!readWholeFile(dir.filePath(QStringLiteral("missing/P.txt"))).ok);
}

QTEST_GUILESS_MAIN(HistoryLoader)
#include "tst_history_loader.moc"
