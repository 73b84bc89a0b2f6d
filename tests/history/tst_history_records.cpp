// Day logs in, CSV files out: which lines of a day log become records and what each field
// holds, the record limit, the time boxes, and the export's bytes, file name, refused names
// and failed writes.

#include "history/CsvExporter.h"
#include "history/DayLogLoader.h"
#include "history/PlotModel.h"
#include "tests/history/HistoryTestData.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <optional>

using namespace tarnby;
using namespace tarnby::test;

namespace {
constexpr int WholeDayTo = (23 * 60 + 59) * 60; // 00:00 to 23:59
const QString DayLog = QStringLiteral("P_2010_03_07.txt");
const TimeBoxes Evening{QStringLiteral("06"), QStringLiteral("30"), QStringLiteral("18"),
                        QStringLiteral("05")};
const QString EveningCsv = QStringLiteral("P_2010_03_07._0630_1805.csv");
const QByteArray Header = "TIME,VOLTS,AMPS,WATTS,RPM,SPEED\r\n";

QString lineAt(int minute, double volts = 12) {
    return QString::fromLatin1(recordLine({minute, volts, 1, volts, 100, 5}));
}

QString recordTimes(const HistoryState& s) {
    QStringList times;
    for (int k = 1; k <= s.loadedRecords(); ++k)
        times << timeOfDayText(s.RecTime[static_cast<size_t>(k)] / 60);
    return times.join(u' ');
}

HistoryState loaded(const QByteArray& dayLog) {
    HistoryState s;
    DayLogLoader::load(QString::fromLatin1(dayLog), 0, WholeDayTo, s);
    return s;
}

// An application folder whose logs folder holds one day log.
struct Folder : TestEnvironment {
    explicit Folder(const QByteArray& dayLog = "<T>10:00</T><V>12</V>\r\n") {
        writeFile(QStringLiteral("logs/") + DayLog, dayLog);
    }
    AppPaths paths{folder()};
    QByteArray read(const QString& name) const { return readFile(QStringLiteral("logs/") + name); }
    QStringList logs() const { return QDir(paths.logsFolder()).entryList(QDir::Files); }
    CsvExporter::Outcome exportAs(const TimeBoxes& boxes, const HistoryState& s) const {
        return CsvExporter::exportRecords(paths, DayLog, boxes, s);
    }
};
} // namespace

class HistoryRecords : public QObject {
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
    void exportBytesOfASmallDay();
    void exportFileName_data();
    void exportFileName();
    void refusedNames_data();
    void refusedNames();
    void noDataReplacesTheFileWithOneEmptyLine();
    void failedWriteIsReported_data();
    void failedWriteIsReported();
    void unwritableDayLogStillExports();
};

void HistoryRecords::rangeBoundsAreStrict_data() {
    QTest::addColumn<int>("from"); // minutes
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("kept");
    QTest::newRow("default range: not 00:00, not 23:59")
        << 0 << 23 * 60 + 59 << QStringLiteral("00:01 10:00 10:01 10:02 23:58");
    QTest::newRow("start equals end") << 10 * 60 << 10 * 60 << QString();
    QTest::newRow("start after end") << 11 * 60 << 10 * 60 << QString();
}

void HistoryRecords::rangeBoundsAreStrict() {
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

void HistoryRecords::recordLimit_data() {
    QTest::addColumn<int>("records");
    QTest::newRow("9,999 plot") << 9999;
    QTest::newRow("10,000 are too many") << 10000;
    QTest::newRow("far more stop at the 10,000th") << 12000;
}

void HistoryRecords::recordLimit() {
    QFETCH(int, records);
    const std::vector<DayRecord> day = generatedDay(records);
    HistoryState s;
    s.PlotFrom = 2;
    s.PlotTo = 3;
    const bool tooMany = records > 9999;
    QCOMPARE(DayLogLoader::load(QString::fromLatin1(dayLogBytes(day)), 0, WholeDayTo, s),
             tooMany ? LoadOutcome::TooMany : LoadOutcome::Loaded);
    QCOMPARE(s.RecordCount, tooMany ? 10000 : 9999);
    QCOMPARE(s.PlotTo, tooMany ? 3.0 : 9999.0);
    // Records 1 to 9,999 are in the arrays either way; the limit record is never stored, and
    // a stale value in its slot is not exported.
    QCOMPARE(s.RecTime[9999], day[9998].minute * 60);
    QCOMPARE(s.RecTime[10000], 0);
    s.RecVolts[10000] = 654321.5;
    const QByteArray csv = CsvExporter::csvText(s);
    QCOMPARE(csv.count("\r\n"), 1 + 9999);
    QVERIFY(!csv.contains("654321"));
    QCOMPARE(DayLogLoader::tooManyRecordsMessage(),
             QStringLiteral("Over 10,000 records, too many to display. Please use a smaller "
                            "time range. If you set you logging interval to 10 seconds or "
                            "more, you wont have this problem in the future. "));
}

void HistoryRecords::fieldsOfOneLine_data() {
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
    QTest::newRow("negatives that round to zero")
        << "<T>12:05</T><V>-.00</V><I>-.01</I><R>-</R><S>-.0</S>" << V{0, -0.01, 0, 0, 0}
        << "12:05";
    QTest::newRow("letters in volts")
        << "<T>12:05</T><V>abc</V><I>2</I>" << V{0, 2, 0, 0, 0} << "12:05";
    // Lines end at CR LF only: a file of LF-ended lines is one line, read as its first record.
    QTest::newRow("LF-only file is one line")
        << "<T>10:00</T><V>11</V>\n<T>11:00</T><V>12</V>\n<T>12:00</T><V>13</V>"
        << V{11, 0, 0, 0, 0} << "10:00";
    QTest::newRow("no time tag") << "<V>12.5</V><I>1</I>" << V{} << "";
}

void HistoryRecords::fieldsOfOneLine() {
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

void HistoryRecords::staleSlotsAboveTheLastLoadNeverShow() {
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
    QCOMPARE(plot.labels->ftime, QStringLiteral("08:02"));
    QCOMPARE(plot.labels->VMax1, QStringLiteral("14.00 V"));
    // nor the export.
    QCOMPARE(CsvExporter::csvText(s).count("\r\n"), 4);
    QVERIFY(!CsvExporter::csvText(s).contains("99.00"));
}

void HistoryRecords::timeBoxes_data() {
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

void HistoryRecords::timeBoxes() {
    QFETCH(QStringList, boxes);
    QFETCH(int, from);
    QFETCH(int, to);
    const TimeRangeCheck check = readTimeRange({boxes[0], boxes[1], boxes[2], boxes[3]});
    QCOMPARE(check.range.has_value(), from >= 0);
    QCOMPARE(check.message.contains(QStringLiteral("is not a time of day")), from < 0);
    if (check.range)
        QCOMPARE((QList<int>{check.range->from, check.range->to}), (QList<int>{from, to}));
}

void HistoryRecords::exportBytesOfASmallDay() {
    const QByteArray dayLog =
        "<T>06:31</T><V>12.346</V><I>0</I><W>4.5</W><R>2.5</R><S>0</S>\r\n"
        "\r\n"
        "<T>12:00</T><V>0.5</V><I>-3.2</I><W>-1.6</W><R>0.4</R><S>12.25</S>\r\n"
        "<T>18:04</T><V>abc</V><I>1234.567</I><W>10000</W><R>34.5</R><S>7</S>\r\n"
        "<T>18:04</T><V>123.4</V><I>-0.001</I>\r\n";
    Folder folder(dayLog);
    const CsvExporter::Outcome outcome = folder.exportAs(Evening, loaded(dayLog));
    QVERIFY(outcome.written);
    QCOMPARE(outcome.message, QStringLiteral("Done"));
    QCOMPARE(folder.read(EveningCsv), QByteArray("TIME,VOLTS,AMPS,WATTS,RPM,SPEED\r\n"
                                                 "06:31,12.35,.00,4.50,3,.0\r\n"
                                                 "12:00,.50,-3.20,-1.60,,12.3\r\n"
                                                 "18:04,.00,1234.57,10000.00,35,7.0\r\n"
                                                 "18:04,123.40,-.00,.00,,.0\r\n"));
    // The day log gets one empty line; nothing else changes on disk.
    QCOMPARE(folder.read(DayLog), dayLog + "\r\n");
    QCOMPARE(folder.logs(), QStringList({EveningCsv, DayLog}));
}

void HistoryRecords::exportFileName_data() {
    QTest::addColumn<QString>("dayLog");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QString>("name");
    using L = QStringList;
    QTest::newRow("evening") << DayLog << L{"06", "30", "18", "05"} << EveningCsv;
    QTest::newRow("no leading zeros added")
        << DayLog << L{"9", "5", "18", "05"} << "P_2010_03_07._95_1805.csv";
    QTest::newRow("boxes as typed")
        << DayLog << L{" 7", "", "23", "59"} << "P_2010_03_07._ 7_2359.csv";
    QTest::newRow("no dot: no base") << "Whours" << L{"00", "00", "23", "59"} << "_0000_2359.csv";
    QTest::newRow("base up to the first dot")
        << "a.b.txt" << L{"00", "00", "23", "59"} << "a._0000_2359.csv";
}

void HistoryRecords::exportFileName() {
    QFETCH(QString, dayLog);
    QFETCH(QStringList, boxes);
    QFETCH(QString, name);
    const CsvExporter::Name got =
        CsvExporter::fileName(dayLog, {boxes[0], boxes[1], boxes[2], boxes[3]});
    QVERIFY(got.ok());
    QCOMPARE(got.fileName, name);
}

void HistoryRecords::refusedNames_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("which");
    QTest::newRow("climbs out of logs") << "../../x" << 0;
    QTest::newRow("dot dot") << ".." << 3;
    QTest::newRow("slash") << "/" << 1;
    QTest::newRow("backslash") << "\\" << 1;
    QTest::newRow("colon") << "06:30" << 0;
    QTest::newRow("wildcard") << "*" << 2;
    QTest::newRow("question mark") << "?" << 3;
    QTest::newRow("quote") << "\"" << 0;
    QTest::newRow("angle") << "<" << 1;
    QTest::newRow("pipe") << "|" << 2;
    QTest::newRow("control character") << "1\x01" << 3;
    QTest::newRow("line break") << "0\n6" << 1;
}

void HistoryRecords::refusedNames() {
    QFETCH(QString, box);
    QFETCH(int, which);
    Folder folder;
    const QByteArray dayLog = folder.read(DayLog);
    TimeBoxes boxes = Evening;
    QString* texts[] = {&boxes.Time1h, &boxes.Time1m, &boxes.Time2h, &boxes.Time2m};
    *texts[which] = box;
    QVERIFY(!CsvExporter::fileName(DayLog, boxes).ok());
    const CsvExporter::Outcome outcome = folder.exportAs(boxes, loaded(dayLog));
    QVERIFY(!outcome.written);
    QVERIFY(outcome.message.contains(QStringLiteral("cannot be part of a file name")));
    QVERIFY(outcome.message.contains(box));
    // Nothing written anywhere, not even the day log's empty line.
    QCOMPARE(folder.read(DayLog), dayLog);
    QCOMPARE(QDir(folder.folder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("logs")});
    QCOMPARE(folder.logs(), QStringList{DayLog});
}

void HistoryRecords::noDataReplacesTheFileWithOneEmptyLine() {
    Folder folder;
    QVERIFY(folder.exportAs(Evening, loaded(recordLine({700, 25.5, -2, -51, 0, 1}))).written);
    QCOMPARE(folder.read(EveningCsv), Header + "11:40,25.50,-2.00,-51.00,,1.0\r\n");
    // Before any load, then after a load that found nothing; the day log takes its empty line
    // each time.
    for (const HistoryState& s : {HistoryState(), loaded("\r\n")}) {
        QCOMPARE(folder.exportAs(Evening, s).message, QStringLiteral("No data for that date"));
        QCOMPARE(folder.read(EveningCsv), QByteArray("\r\n"));
    }
    QCOMPARE(folder.read(DayLog), QByteArray("<T>10:00</T><V>12</V>\r\n\r\n\r\n\r\n"));
}

void HistoryRecords::failedWriteIsReported_data() {
    QTest::addColumn<bool>("fullDisk"); // else a folder where the file should be
    QTest::newRow("folder in the file's place") << false;
    QTest::newRow("full disk") << true;
}

void HistoryRecords::failedWriteIsReported() {
    QFETCH(bool, fullDisk);
    Folder folder;
    const HistoryState s = loaded(folder.read(DayLog));
    const QString csv = folder.paths.inLogs(EveningCsv);
    QVERIFY(fullDisk ? QFile::link(QStringLiteral("/dev/full"), csv) : QDir().mkdir(csv));
    const CsvExporter::Outcome outcome = folder.exportAs(Evening, s);
    QVERIFY(!outcome.written);
    QVERIFY(outcome.message.contains(EveningCsv));
    QVERIFY(outcome.message.contains(QStringLiteral("could not be written")));
    QVERIFY(!outcome.message.contains(QStringLiteral("Done")));
    QVERIFY(fullDisk ? QFileInfo(csv).isSymLink() : QFileInfo(csv).isDir()); // not removed
    QCOMPARE(folder.logs().size(), fullDisk ? 2 : 1); // the day log (and the link), nothing more
}

void HistoryRecords::unwritableDayLogStillExports() {
    Folder folder;
    const QByteArray dayLog = folder.read(DayLog);
    const QString path = folder.paths.inLogs(DayLog); // its empty line meets a full disk
    QVERIFY(QFile::remove(path) && QFile::link(QStringLiteral("/dev/full"), path));
    const CsvExporter::Outcome outcome = folder.exportAs(Evening, loaded(dayLog));
    QVERIFY(outcome.written);
    QCOMPARE(folder.read(EveningCsv), Header + "10:00,12.00,.00,.00,,.0\r\n");
    QVERIFY(outcome.message.contains(EveningCsv));
    QVERIFY(outcome.message.contains(DayLog));
    QVERIFY(outcome.message != QStringLiteral("Done"));
}

QTEST_GUILESS_MAIN(HistoryRecords)
#include "tst_history_records.moc"
