// Day logs in, plots and CSV files out: the records read and their limit, the plot's scales and
// watt-hours, the readout, the export and its refusals.

#include "history/CsvExporter.h"
#include "history/DayLogLoader.h"
#include "history/HistorySettings.h"
#include "history/PlotCursor.h"
#include "history/PlotModel.h"
#include "tests/history/HistoryTestData.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <sys/stat.h>

using namespace tarnby;
using namespace tarnby::test;

namespace {
const QString DayLog = QStringLiteral("P_2010_03_07.txt");
const TimeBoxes Evening{"06", "30", "18", "05"};
const QString EveningCsv = QStringLiteral("P_2010_03_07._0630_1805.csv");

QString recordTimes(const HistoryState& s) {
    QStringList times;
    for (int k = 1; k <= s.loadedRecords(); ++k)
        times << timeOfDayText(s.records.time[static_cast<size_t>(k)] / 60);
    return times.join(u' ');
}

// An application folder whose logs folder holds one day log (null: a FIFO in its place).
struct Folder : TestEnvironment {
    explicit Folder(const QByteArray& dayLog = "<T>10:00</T><V>12</V>\r\n") : dayLog(dayLog) {
        if (dayLog.isNull())
            QVERIFY(!::mkfifo(qPrintable(path(QStringLiteral("logs/") + DayLog)), 0600));
        else
            writeFile(QStringLiteral("logs/") + DayLog, dayLog);
    }
    QByteArray read(const QString& name) const { return readFile(QStringLiteral("logs/") + name); }
    QStringList logs() const { // files, links, folders, FIFOs
        return QDir(path(QStringLiteral("logs")))
            .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
    }
    CsvExporter::Outcome exportAs(const TimeBoxes& boxes, const HistoryState& s) const {
        return CsvExporter::exportRecords(AppPaths(folder()), DayLog, boxes, s);
    }
    QByteArray dayLog;
};

// `count` records one minute apart from 00:01, loaded as a pick of their day log loads them.
template <typename Make> HistoryState dayOf(int count, Make make) {
    std::vector<DayRecord> day(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        make(i, day[static_cast<size_t>(i)] = {i + 1});
    return loaded(dayLogBytes(day));
}
} // namespace

class HistoryRecords : public QObject {
    Q_OBJECT
private slots:
    // DISPLAY on a state that holds an earlier load of three records: what each outcome says
    // and leaves. Only records replace records, at most 9,999 of them (the 10,000th record stops
    // the load), all of them exported; a day log that cannot be read changes nothing.
    void displayOutcomes_data() {
        QTest::addColumn<QByteArray>("dayLog"); // null: a FIFO, never to be waited on
        QTest::addColumn<int>("outcome");       // LoadOutcome
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("recordCount");
        QTest::addColumn<QString>("last"); // the time of the last record kept
        QTest::addColumn<double>("plotTo");
        QTest::newRow("loaded") << dayLogBytes({{5}, {6}}) << int(LoadOutcome::Loaded) << QString()
                                << 2 << "00:06" << 2.0;
        QTest::newRow("no data") << QByteArray("<T>00:00</T>\r\n") << int(LoadOutcome::NoData)
                                 << "No data for that date" << 0 << "" << 3.0;
        QTest::newRow("over the limit")
            << dayLogBytes(generatedDay(10000)) << int(LoadOutcome::TooMany)
            << "Over 10,000 records, too many to display. Please use a smaller time range. If you "
               "set you logging interval to 10 seconds or more, you wont have this problem in "
               "the future. "
            << 10000 << timeOfDayText(generatedDay(10000)[9998].minute) << 3.0;
        QTest::newRow("unreadable") << QByteArray() << int(LoadOutcome::Unreadable)
                                    << "The day log " << 3 << "00:03" << 3.0;
    }
    void displayOutcomes() {
        QFETCH(QByteArray, dayLog);
        QFETCH(int, outcome);
        QFETCH(QString, message);
        QFETCH(int, recordCount);
        QFETCH(QString, last);
        QFETCH(double, plotTo);
        Folder folder(dayLog);
        HistoryState s = loaded(dayLogBytes({{1}, {2}, {3}}));
        const DayLogLoader::Displayed shown =
            DayLogLoader::display(AppPaths(folder.folder()), DayLog, {"00", "00", "23", "59"}, s);
        QCOMPARE(int(shown.outcome.value_or(LoadOutcome::Loaded)), outcome);
        QVERIFY2(shown.message.startsWith(message) && shown.message.isEmpty() == message.isEmpty(),
                 qPrintable(shown.message));
        QCOMPARE(s.RecordCount, recordCount);
        QCOMPARE(recordTimes(s).right(5), last);
        QCOMPARE(s.records.time.size(), size_t(s.loadedRecords()) + 1); // slot 0 unused
        QCOMPARE(CsvExporter::csvText(s).count("\r\n"), 1 + s.loadedRecords());
        QCOMPARE(s.PlotTo, plotTo);
    }

    void fieldsOfOneLine_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<double>>("values"); // volts, amps, watts, RPM, speed
        QTest::addColumn<QString>("time");
        using V = QList<double>;
        QTest::newRow("all fields") << "<T>14:05</T><V>12.57</V><I>3.20</I><W>40.22</W><R>500</R>"
                                       "<S>5.3</S><M>0</M>   1234.5Wh"
                                    << V{12.57, 3.2, 40.22, 500, 5.3} << "14:05";
        QTest::newRow("RPM 750 is a glitch, letters 0, negatives rounding to 0")
            << "<T>12:05</T><V>abc</V><I>-.01</I><W>-.00</W><R>750</R><S>-.0</S>"
            << V{0, -0.01, 0, 0, 0} << "12:05";
        QTest::newRow("only strictly inside 00:00 to 23:59")
            << QString::fromLatin1(dayLogBytes({{0}, {1}, {600}, {601}, {1438}, {1439}}))
            << V{0, 0, 0, 0, 0} << "00:01 10:00 10:01 23:58";
        // Lines end at CR LF only: LF-ended lines are one line, read as its first record.
        QTest::newRow("LF-only file is one line")
            << "<T>10:00</T><V>11</V>\n<T>11:00</T><V>12</V>" << V{11, 0, 0, 0, 0} << "10:00";
    }
    void fieldsOfOneLine() {
        QFETCH(QString, text);
        QFETCH(QList<double>, values);
        QFETCH(QString, time);
        const HistoryState s = loaded(text.toLatin1() + "\r\n");
        QCOMPARE(recordTimes(s), time);
        QList<double> read;
        for (Trace trace : AllTraces)
            read << s.records.of(trace)[1];
        QCOMPARE(read, values);
    }

    // The CSV bytes; the day log takes one empty line and nothing else changes. With no data,
    // the file holds one empty line.
    void exportBytes() {
        Folder folder("<T>06:31</T><V>12.346</V><I>0</I><W>4.5</W><R>2.5</R><S>0</S>\r\n"
                      "<T>12:00</T><V>0.5</V><I>-3.2</I><W>-1.6</W><R>0.4</R><S>12.25</S>\r\n"
                      "<T>18:04</T><V>abc</V><I>1234.567</I><W>10000</W><R>34.5</R><S>7</S>\r\n"
                      "<T>18:04</T><V>123.4</V><I>-0.001</I>\r\n");
        const CsvExporter::Outcome outcome = folder.exportAs(Evening, loaded(folder.dayLog));
        QVERIFY(outcome.written && outcome.message == QStringLiteral("Done"));
        QCOMPARE(folder.read(EveningCsv), QByteArray("TIME,VOLTS,AMPS,WATTS,RPM,SPEED\r\n"
                                                     "06:31,12.35,.00,4.50,3,.0\r\n"
                                                     "12:00,.50,-3.20,-1.60,,12.3\r\n"
                                                     "18:04,.00,1234.57,10000.00,35,7.0\r\n"
                                                     "18:04,123.40,-.00,.00,,.0\r\n"));
        QCOMPARE(folder.read(DayLog), folder.dayLog + "\r\n");
        QCOMPARE(folder.logs(), QStringList({EveningCsv, DayLog}));
        QCOMPARE(folder.exportAs(Evening, HistoryState()).message,
                 QStringLiteral("No data for that date"));
        QCOMPARE(folder.read(EveningCsv), QByteArray("\r\n"));
        QCOMPARE(CsvExporter::fileName(QStringLiteral("a.b.txt"), Evening).fileName,
                 QStringLiteral("a._0630_1805.csv"));
    }

    // A box text that cannot be part of a file name, or an export name that is a link or not a
    // regular file, is refused and writes nothing anywhere; a write cut short (a file size limit,
    // as a full disk) names the file and keeps the earlier export. None says "Done".
    void exportRefusedOrFailed_data() {
        QTest::addColumn<QString>("box");      // the first hours box
        QTest::addColumn<QString>("obstacle"); // at the export's name: "link", "folder" or "limit"
        QTest::addColumn<QString>("message");  // (an earlier export, and a file size limit)
        const auto row = [](const char* name, const char* box, const char* obstacle,
                            const QString& message) {
            QTest::newRow(name) << QString(box) << QString(obstacle) << message;
        };
        row("climbs out of logs", "../../x", "", "\"../../x\" cannot be part of a");
        row("control character", "1\x01", "", "\"1\x01\" cannot be part of a");
        row("backslash", "0\\6", "", "\"0\\6\" cannot be part of a");
        row("a link to an earlier export", "06", "link", EveningCsv + " is a link or not a");
        row("a folder", "06", "folder", EveningCsv + " is a link or not a");
        row("cut short", "06", "limit", EveningCsv + " could not be written");
    }
    void exportRefusedOrFailed() {
        QFETCH(QString, box);
        QFETCH(QString, obstacle);
        QFETCH(QString, message);
        Folder folder;
        const QString csv = folder.path(QStringLiteral("logs/") + EveningCsv);
        const QByteArray earlier = "TIME,VOLTS,AMPS,WATTS,RPM,SPEED\r\n10:00,12.00,,,,\r\n";
        if (obstacle == u"folder")
            QVERIFY(QDir().mkdir(csv));
        else if (!obstacle.isEmpty())
            folder.writeFile(obstacle == u"link" ? "earlier.csv" : "logs/" + EveningCsv, earlier);
        if (obstacle == u"link")
            QVERIFY(QFile::link(folder.path("earlier.csv"), csv));
        const auto exportRefused = [&] {
            const CsvExporter::Outcome outcome =
                folder.exportAs({box, "30", "18", "05"}, loaded(folder.dayLog));
            QVERIFY2(!outcome.written && outcome.message.contains(message) &&
                         !outcome.message.contains(QStringLiteral("Done")),
                     qPrintable(outcome.message));
        };
        QCOMPARE(inChildWithFileSizeLimit(obstacle == u"limit" ? 8 : RLIM_INFINITY, exportRefused),
                 0);
        QCOMPARE(folder.logs(),
                 (obstacle.isEmpty() ? QStringList{DayLog} : QStringList{EveningCsv, DayLog}));
        QCOMPARE(folder.read(DayLog), folder.dayLog); // the day log untouched too
        QCOMPARE(readAll(obstacle == u"link" ? folder.path("earlier.csv") : csv),
                 obstacle.isEmpty() || obstacle == u"folder" ? QByteArray() : earlier);
    }

    // Fixed scales from prog.cfg ignore the values; fitted ones reach them, but never bottom
    // above the fixed top nor top below 0. 100 records cycle through the volts and amps.
    void scales_data() {
        QTest::addColumn<QByteArray>("file"); // prog.cfg; empty: none
        QTest::addColumn<bool>("fitted");
        QTest::addColumn<QList<double>>("volts");
        QTest::addColumn<QList<double>>("amps"); // watts are volts x amps; 450 RPM, speed 120
        QTest::addColumn<QString>("labels");     // V, A, W, RPM bottom and top; speed top; Wh
        using D = QList<double>;
        // 99 intervals after the first record of 120 W; 5 s ran as 10 s.
        QTest::newRow("fixed, 12 V 10 A 5 s")
            << QByteArray("<LogDelay>5</LogDelay><SV>12</SV><MA>10</MA><WSUnits>knots</WSUnits>")
            << false << D{80} << D{1.5}
            << "0.00 V,17.50 V,0.0 A,10.0 A,0 W,1000 W,0 RPM,400 RPM,100 knots,33 Wh";
        QTest::newRow("fixed, no file")
            << QByteArray() << false << D{80} << D{-3, 3}
            << "0.00 V,35.00 V,0.0 A,20.0 A,0 W,1000 W,0 RPM,400 RPM,100 ,Wh";
        QTest::newRow("fitted, negative amps") // 312.5 W
            << QByteArray() << true << D{25} << D{2, -3.2, 12.5, 0.4, 7}
            << "25.00 V,25.00 V,-3.2 A,12.5 A,-80 W,313 W,400 RPM,450 RPM,120 ,Wh";
        // A 24 V bank read on a 12 V setting: the bottoms stay at the fixed tops.
        QTest::newRow("fitted, above the fixed tops")
            << QByteArray("<SV>12</SV>") << true << D{26, 27, 28, 29} << D{30}
            << "17.50 V,29.00 V,20.0 A,30.0 A,780 W,870 W,400 RPM,450 RPM,120 ,Wh";
    }
    void scales() {
        QFETCH(QByteArray, file);
        QFETCH(bool, fitted);
        QFETCH(QList<double>, volts);
        QFETCH(QList<double>, amps);
        QFETCH(QString, labels);
        TestEnvironment env;
        if (!file.isEmpty())
            env.writeFile(QStringLiteral("prog.cfg"), file);
        HistoryState s = dayOf(100, [&](int i, DayRecord& r) {
            r.volts = volts[i % volts.size()], r.amps = amps[i % amps.size()];
            r.watts = r.volts * r.amps, r.rpm = 450, r.speed = 120;
        });
        const QString message = readHistorySettings(env.path(QStringLiteral("prog.cfg")), s);
        QVERIFY(!file.isEmpty() || message.contains(u"prog.cfg"));
        s.ScaledAxes = !fitted;
        const PlotLabels l = *PlotModel::plotGraph(s).labels;
        QCOMPARE((QStringList{l.scaleBottom[0], l.scaleTop[0], l.scaleBottom[1], l.scaleTop[1],
                              l.scaleBottom[2], l.scaleTop[2], l.scaleBottom[3], l.scaleTop[3],
                              l.scaleTop[4], l.energy}),
                 labels.split(u','));
    }

    // The time of record floor(x + PlotFrom), the values of the nearest one, never past the last
    // loaded record (a stale slot of an earlier load lies beyond it).
    void readout_data() {
        QTest::addColumn<double>("plotFrom");
        QTest::addColumn<double>("x");
        QTest::addColumn<int>("timeRecord");                              // 0: no time written
        QTest::addColumn<int>("valueRecord");                             // 0: no values written
        QTest::newRow("half goes to even") << 100.5 << 3.0 << 103 << 104; // 103.5 -> 104
        QTest::newRow("past the right edge") << 1.0 << 1000.2 << 0 << 0;
        QTest::newRow("values beyond the last record") << 990.6 << 10.0 << 1000 << 0;
    }
    void readout() {
        QFETCH(double, plotFrom);
        QFETCH(double, x);
        QFETCH(int, timeRecord);
        QFETCH(int, valueRecord);
        HistoryState s = dayOf(1000, [](int i, DayRecord& r) { r.watts = i + 1; }); // k W
        s.records.time.push_back(23 * 3600); // a slot past the last loaded record
        for (std::vector<double>& values : s.records.values)
            values.push_back(99);
        s.PlotFrom = plotFrom;
        PlotModel::plotGraph(s);
        const PlotCursor::Readout r = PlotCursor(s).move(x);
        QCOMPARE(r.timeWritten ? r.time : QString(),
                 timeRecord ? timeOfDayText(timeRecord) : QString());
        QCOMPARE(r.valuesWritten ? r.values[traceIndex(Trace::Watts)] : QString(),
                 valueRecord ? QString::number(valueRecord) + QStringLiteral(" W") : QString());
    }
};

QTEST_GUILESS_MAIN(HistoryRecords)
#include "tst_history_records.moc"
