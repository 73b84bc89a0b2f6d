// The CSV export: its exact bytes, its file name, the names it refuses, and what it says when
// there is nothing to export or the disk will not take the file.

#include "common/PictureFormat.h"
#include "history/CsvExporter.h"
#include "history/DayLogLoader.h"
#include "history/PictureBytes.h"
#include "tests/history/HistoryTestData.h"
#include "tests/support/ImmutablePath.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <optional>
#include <random>

using namespace tarnby;
using namespace tarnby::test;

namespace {
const QString DayLog = QStringLiteral("P_2010_03_07.txt");
const TimeBoxes Evening{QStringLiteral("06"), QStringLiteral("30"), QStringLiteral("18"),
                        QStringLiteral("05")};
const QString EveningCsv = QStringLiteral("P_2010_03_07._0630_1805.csv");
const QByteArray Header = "TIME,VOLTS,AMPS,WATTS,RPM,SPEED\r\n";

// An application folder with a logs folder holding one day log.
struct Folder {
    QTemporaryDir dir;
    AppPaths paths{dir.path()};
    explicit Folder(const QByteArray& dayLog = "<T>10:00</T><V>12</V>\r\n") {
        QDir(dir.path()).mkdir(QStringLiteral("logs"));
        QFile file(paths.inLogs(DayLog));
        if (file.open(QIODevice::WriteOnly))
            file.write(dayLog);
    }
    QByteArray read(const QString& name) const {
        QFile file(paths.inLogs(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QStringList logs() const { return QDir(paths.logsFolder()).entryList(QDir::Files); }
    CsvExporter::Outcome exportAs(const TimeBoxes& boxes, const HistoryState& s) const {
        return CsvExporter::exportRecords(paths, DayLog, boxes, s);
    }
};

HistoryState loaded(const QByteArray& dayLog) {
    HistoryState s;
    DayLogLoader::load(QString::fromLatin1(dayLog), 0, (23 * 60 + 59) * 60, s);
    return s;
}
} // namespace

class HistoryExport : public QObject {
    Q_OBJECT
private slots:
    void bytesOfASmallDay();
    void fileName_data();
    void fileName();
    void refusedNames_data();
    void refusedNames();
    void noDataLeavesOneEmptyLine();
    void secondExportReplacesTheFirst();
    void recordLimitExportsTheHeldRecords();
    void failedWriteIsReported_data();
    void failedWriteIsReported();
    void readOnlyDayLogStillExports();
    void fieldsAgreeWithThePictureFormats();
};

void HistoryExport::bytesOfASmallDay() {
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
                                                 "18:04,123.40,.00,.00,,.0\r\n"));
    // The day log gets one empty line; nothing else changes on disk.
    QCOMPARE(folder.read(DayLog), dayLog + "\r\n");
    QCOMPARE(folder.logs(), QStringList({EveningCsv, DayLog}));
}

void HistoryExport::fileName_data() {
    QTest::addColumn<QString>("dayLog");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QString>("name");
    QTest::newRow("evening") << DayLog << QStringList{"06", "30", "18", "05"} << EveningCsv;
    QTest::newRow("no leading zeros added")
        << DayLog << QStringList{"9", "5", "18", "05"} << "P_2010_03_07._95_1805.csv";
    QTest::newRow("boxes as typed")
        << DayLog << QStringList{" 7", "", "23", "59"} << "P_2010_03_07._ 7_2359.csv";
    QTest::newRow("no dot: no base")
        << "Whours" << QStringList{"00", "00", "23", "59"} << "_0000_2359.csv";
    QTest::newRow("base up to the first dot")
        << "a.b.txt" << QStringList{"00", "00", "23", "59"} << "a._0000_2359.csv";
}

void HistoryExport::fileName() {
    QFETCH(QString, dayLog);
    QFETCH(QStringList, boxes);
    QFETCH(QString, name);
    const CsvExporter::Name got =
        CsvExporter::fileName(dayLog, {boxes[0], boxes[1], boxes[2], boxes[3]});
    QVERIFY(got.ok());
    QCOMPARE(got.fileName, name);
}

void HistoryExport::refusedNames_data() {
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

void HistoryExport::refusedNames() {
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
    QCOMPARE(folder.logs(), QStringList{DayLog});
    QCOMPARE(folder.read(DayLog), dayLog);
    QCOMPARE(QDir(folder.dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("logs")});
}

void HistoryExport::noDataLeavesOneEmptyLine() {
    Folder folder;
    // Before any load, then after a load that found nothing: the day log takes an empty line
    // each time.
    QCOMPARE(folder.exportAs(Evening, HistoryState()).message,
             QStringLiteral("No data for that date"));
    QCOMPARE(folder.read(EveningCsv), QByteArray("\r\n"));
    QCOMPARE(folder.exportAs(Evening, loaded("\r\n")).message,
             QStringLiteral("No data for that date"));
    QCOMPARE(folder.read(EveningCsv), QByteArray("\r\n"));
    QCOMPARE(folder.read(DayLog), QByteArray("<T>10:00</T><V>12</V>\r\n\r\n\r\n"));
}

void HistoryExport::secondExportReplacesTheFirst() {
    Folder folder;
    folder.exportAs(
        Evening, loaded(recordLine({600, 12, 1, 12, 0, 3}) + recordLine({601, 13, 1, 13, 0, 3})));
    QVERIFY(folder.exportAs(Evening, loaded(recordLine({700, 25.5, -2, -51, 0, 1}))).written);
    QCOMPARE(folder.read(EveningCsv), Header + "11:40,25.50,-2.00,-51.00,,1.0\r\n");
}

void HistoryExport::recordLimitExportsTheHeldRecords() {
    Folder folder;
    HistoryState s;
    fillRecords(s, generatedDay(9999));
    s.RecordCount = 10000; // as the limit message leaves it
    s.RecVolts[10000] = 654321.5;
    QVERIFY(folder.exportAs(Evening, s).written);
    const QByteArray csv = folder.read(EveningCsv);
    QCOMPARE(csv.count("\r\n"), 1 + 9999);
    QVERIFY(!csv.contains("654321"));
}

void HistoryExport::failedWriteIsReported_data() {
    QTest::addColumn<bool>("fullDisk"); // else a read-only logs folder
    QTest::newRow("read-only logs folder") << false;
    QTest::newRow("full disk") << true;
}

void HistoryExport::failedWriteIsReported() {
    QFETCH(bool, fullDisk);
    Folder folder;
    const HistoryState s = loaded(folder.read(DayLog));
    std::optional<ImmutablePath> readOnly;
    if (fullDisk) {
        if (!QFileInfo::exists(QStringLiteral("/dev/full")))
            QSKIP("no /dev/full here");
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), folder.paths.inLogs(EveningCsv)));
    } else if (!readOnly.emplace(folder.paths.logsFolder()).ok()) {
        QSKIP("chattr +i is not available here");
    }
    const CsvExporter::Outcome outcome = folder.exportAs(Evening, s);
    QVERIFY(!outcome.written);
    QVERIFY(outcome.message.contains(EveningCsv));
    QVERIFY(outcome.message.contains(QStringLiteral("could not be written")));
    QVERIFY(!outcome.message.contains(QStringLiteral("Done")));
    if (fullDisk)
        QVERIFY(QFileInfo(folder.paths.inLogs(EveningCsv)).isSymLink()); // not removed
    else
        QCOMPARE(folder.logs(), QStringList{DayLog});
}

void HistoryExport::readOnlyDayLogStillExports() {
    Folder folder;
    const QByteArray dayLog = folder.read(DayLog);
    ImmutablePath readOnly(folder.paths.inLogs(DayLog));
    if (!readOnly.ok())
        QSKIP("chattr +i is not available here");
    const CsvExporter::Outcome outcome = folder.exportAs(Evening, loaded(dayLog));
    QVERIFY(outcome.written);
    QCOMPARE(folder.read(EveningCsv), Header + "10:00,12.00,.00,.00,,.0\r\n");
    QVERIFY(outcome.message.contains(EveningCsv));
    QVERIFY(outcome.message.contains(DayLog));
    QVERIFY(outcome.message != QStringLiteral("Done"));
    QCOMPARE(folder.read(DayLog), dayLog);
}

void HistoryExport::fieldsAgreeWithThePictureFormats() {
    // The byte formatter of the rows against the shared picture format, on the values a day
    // log holds (up to four decimals), on halves, and on arbitrary doubles.
    std::vector<double> values = {0,     -0.0,   0.5,   0.4,   2.5,      34.5,         12.346,
                                  123.4, -0.001, 0.005, 1.005, 2.675,    -2.5,         0.05,
                                  0.15,  99.95,  1e9,   -1e12, 9999.995, 123456789.125};
    std::mt19937_64 random(12345);
    std::uniform_real_distribution<double> wide(-20000, 20000);
    std::uniform_int_distribution<int> places(0, 4);
    for (int i = 0; i < 4000; ++i) {
        const double v = wide(random);
        const double scale = std::pow(10.0, places(random));
        values.push_back(i % 2 ? v : std::round(v * scale) / scale);
    }
    const char* patterns[] = {"####", "###.0", "##.00"};
    for (double v : values) {
        for (int decimals = 0; decimals <= 2; ++decimals) {
            QByteArray fast;
            appendHashPicture(fast, v, decimals);
            if (fast != formatPicture(v, patterns[decimals]).toLatin1())
                QFAIL(QByteArray::number(v, 'g', 17) + " in " + patterns[decimals]);
        }
    }
}

QTEST_GUILESS_MAIN(HistoryExport)
#include "tst_history_export.moc"
