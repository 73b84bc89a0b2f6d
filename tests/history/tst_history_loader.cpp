// The day-log loader: which lines become records, what each field holds, the record limit,
// the time boxes that feed it and the day-log file work around it.

#include "common/NumberText.h"
#include "config/TaggedValue.h"
#include "history/CsvExporter.h"
#include "history/DayLogLoader.h"
#include "history/HistoryFiles.h"
#include "history/PlotCursor.h"
#include "history/PlotModel.h"
#include "history/TimeRange.h"
#include "tests/history/HistoryTestData.h"
#include "tests/support/ImmutablePath.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <random>

using namespace tarnby;
using namespace tarnby::test;

namespace {
constexpr int WholeDayFrom = 0;                 // 00:00
constexpr int WholeDayTo = (23 * 60 + 59) * 60; // 23:59

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
    void defaultRangeLeavesOutMidnightAndTheLastMinute();
    void rangeWithoutRoomHasNoData_data();
    void rangeWithoutRoomHasNoData();
    void recordLimit_data();
    void recordLimit();
    void fieldsOfOneLine_data();
    void fieldsOfOneLine();
    void lfOnlyFileIsOneLine();
    void fieldsFollowTheTaggedValueRule();
    void staleSlotsAboveTheLastLoadNeverShow();
    void timeBoxes_data();
    void timeBoxes();
    void eachLoadAppendsOneEmptyLine();
    void readOnlyDayLogIsStillRead();
};

void HistoryLoader::defaultRangeLeavesOutMidnightAndTheLastMinute() {
    const QString text = lineAt(0) + lineAt(1) + lineAt(12 * 60) + lineAt(23 * 60 + 58) +
                         lineAt(23 * 60 + 59) + QStringLiteral("\r\n\r\n");
    HistoryState s;
    QCOMPARE(DayLogLoader::load(text, WholeDayFrom, WholeDayTo, s), LoadOutcome::Loaded);
    QCOMPARE(s.RecordCount, 3);
    QCOMPARE(recordTimes(s), QStringLiteral("00:01 12:00 23:58"));
    QCOMPARE(s.PlotFrom, 1.0);
    QCOMPARE(s.PlotTo, 3.0);
    QCOMPARE(s.LogLines.size(), 8); // five records, two empty lines, the empty last line
}

void HistoryLoader::rangeWithoutRoomHasNoData_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("kept");
    QTest::newRow("start equals end") << 10 * 60 << 10 * 60 << QString();
    QTest::newRow("start after end") << 11 * 60 << 10 * 60 << QString();
    QTest::newRow("both ends strict") << 10 * 60 << 10 * 60 + 2 << QStringLiteral("10:01");
}

void HistoryLoader::rangeWithoutRoomHasNoData() {
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QString, kept);
    const QString text = lineAt(10 * 60) + lineAt(10 * 60 + 1) + lineAt(10 * 60 + 2);
    HistoryState s;
    s.PlotFrom = 4;
    s.PlotTo = 9;
    const LoadOutcome outcome = DayLogLoader::load(text, from * 60, to * 60, s);
    QCOMPARE(recordTimes(s), kept);
    if (kept.isEmpty()) {
        QCOMPARE(outcome, LoadOutcome::NoData);
        QCOMPARE(s.RecordCount, 0);
        QCOMPARE(s.PlotFrom, 4.0); // the earlier plot stays
        QCOMPARE(s.PlotTo, 9.0);
    } else {
        QCOMPARE(outcome, LoadOutcome::Loaded);
    }
}

void HistoryLoader::recordLimit_data() {
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<int>("recordCount");
    QTest::newRow("9,999 plot") << 9999 << int(LoadOutcome::Loaded) << 9999;
    QTest::newRow("10,000 are too many") << 10000 << int(LoadOutcome::TooMany) << 10000;
    QTest::newRow("far more stop at 10,000") << 12000 << int(LoadOutcome::TooMany) << 10000;
}

void HistoryLoader::recordLimit() {
    QFETCH(int, records);
    QFETCH(int, outcome);
    QFETCH(int, recordCount);
    const std::vector<DayRecord> day = generatedDay(records);
    HistoryState s;
    s.PlotFrom = 2;
    s.PlotTo = 3;
    QCOMPARE(
        int(DayLogLoader::load(QString::fromLatin1(dayLogBytes(day)), WholeDayFrom, WholeDayTo, s)),
        outcome);
    QCOMPARE(s.RecordCount, recordCount);
    // Records 1 to 9,999 are in the arrays either way.
    QCOMPARE(s.RecTime[9999], day[9998].minute * 60);
    QCOMPARE(s.RecVolts[9999], *readNumber(formatPicture(day[9998].volts, "##.00")));
    QCOMPARE(s.RecTime[10000], 0); // the limit record is never stored
    if (outcome == int(LoadOutcome::TooMany)) {
        QCOMPARE(s.PlotFrom, 2.0);
        QCOMPARE(s.PlotTo, 3.0);
        QCOMPARE(DayLogLoader::tooManyRecordsMessage(),
                 QStringLiteral("Over 10,000 records, too many to display. Please use a smaller "
                                "time range. If you set you logging interval to 10 seconds or "
                                "more, you wont have this problem in the future. "));
    } else {
        QCOMPARE(s.PlotTo, 9999.0);
    }
}

void HistoryLoader::fieldsOfOneLine_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("kept");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QList<double>>("values"); // volts, amps, watts, RPM, speed
    using V = QList<double>;
    QTest::newRow("the day-log example")
        << "<T>14:05</T><V>12.57</V><I>3.20</I><W>40.22</W><R>123</R><S>5.3</S><M>0</M>   1234.5Wh"
        << true << "14:05" << V{12.57, 3.2, 40.22, 123, 5.3};
    QTest::newRow("only time and volts")
        << "<T>12:05</T><V>.50</V>" << true << "12:05" << V{0.5, 0, 0, 0, 0};
    QTest::newRow("RPM 750 is a glitch")
        << "<T>12:05</T><R>750</R>" << true << "12:05" << V{0, 0, 0, 0, 0};
    QTest::newRow("RPM 500 stays")
        << "<T>12:05</T><R>500</R>" << true << "12:05" << V{0, 0, 0, 500, 0};
    QTest::newRow("letters in volts")
        << "<T>12:05</T><V>abc</V><I>2</I>" << true << "12:05" << V{0, 2, 0, 0, 0};
    QTest::newRow("empty RPM of a calm minute")
        << "<T>12:05</T><R></R><S>.0</S>" << true << "12:05" << V{0, 0, 0, 0, 0};
    QTest::newRow("discharge") << "<T>19:40</T><I>-4.75</I><W>-115.90</W>" << true << "19:40"
                               << V{0, -4.75, -115.9, 0, 0};
    QTest::newRow("closing tag before opening")
        << "<T>12:05</T></V>13<V><I>1</I>" << true << "12:05" << V{0, 1, 0, 0, 0};
    QTest::newRow("first tag of two counts")
        << "<T>12:05</T><V>1</V><V>2</V>" << true << "12:05" << V{1, 0, 0, 0, 0};
    QTest::newRow("tags are case-sensitive")
        << "<T>12:05</T><v>12</v>" << true << "12:05" << V{0, 0, 0, 0, 0};
    QTest::newRow("single-digit hour")
        << "<T>7:05</T><V>1</V>" << true << "07:05" << V{1, 0, 0, 0, 0};
    QTest::newRow("hour 24 is no time") << "<T>24:00</T><V>1</V>" << false << "" << V{};
    QTest::newRow("empty time") << "<T></T><V>1</V>" << false << "" << V{};
    QTest::newRow("no time tag") << "<V>12.5</V><I>1</I>" << false << "" << V{};
    QTest::newRow("time without closing tag") << "<T>12:05<V>1</V>" << false << "" << V{};
    QTest::newRow("watt-hour line") << "2026/12/06 23:59 1234.5" << false << "" << V{};
}

void HistoryLoader::fieldsOfOneLine() {
    QFETCH(QString, line);
    QFETCH(bool, kept);
    QFETCH(QString, time);
    QFETCH(QList<double>, values);
    HistoryState s;
    const LoadOutcome outcome =
        DayLogLoader::load(line + QStringLiteral("\r\n"), WholeDayFrom, WholeDayTo, s);
    QCOMPARE(outcome, kept ? LoadOutcome::Loaded : LoadOutcome::NoData);
    if (!kept)
        return;
    QCOMPARE(s.RecordCount, 1);
    QCOMPARE(timeOfDayText(s.RecTime[1] / 60), time);
    const QList<double> got{s.RecVolts[1], s.RecAmps[1], s.RecWatts[1], s.RecRPM[1], s.RecSpeed[1]};
    QCOMPARE(got, values);
}

void HistoryLoader::lfOnlyFileIsOneLine() {
    QString text = lineAt(10 * 60, 11) + lineAt(11 * 60, 12) + lineAt(12 * 60, 13);
    text.remove(u'\r');
    HistoryState s;
    QCOMPARE(DayLogLoader::load(text, WholeDayFrom, WholeDayTo, s), LoadOutcome::Loaded);
    QCOMPARE(s.LogLines.size(), 1);
    QCOMPARE(s.RecordCount, 1);
    QCOMPARE(s.RecTime[1], 10 * 3600);
    QCOMPARE(s.RecVolts[1], 11.0);
}

void HistoryLoader::fieldsFollowTheTaggedValueRule() {
    // Lines built from tag fragments in random order, with stray and repeated tags: each field
    // must hold what the shared tagged value rule takes from the line.
    const char* fragments[] = {"<V>",  "</V>", "<I>",  "</I>", "<W>", "</W>", "<R>", "</R>", "<S>",
                               "</S>", "<M>",  "</M>", "<",    ">",   "/",    "</",  "<<",   "12.5",
                               "-3",   ".5",   "600",  "7",    "x",   " ",    "<T>", "</T>"};
    std::mt19937 random(99);
    std::uniform_int_distribution<int> pick(0, int(std::size(fragments)) - 1);
    std::uniform_int_distribution<int> length(0, 14);
    for (int n = 0; n < 3000; ++n) {
        QString line = QStringLiteral("<T>12:00</T>");
        for (int i = length(random); i > 0; --i)
            line += QLatin1StringView(fragments[pick(random)]);
        const auto expected = [&line](const char* tag) {
            const TaggedValue field = findTaggedValue(line, QLatin1StringView(tag));
            return field.found() ? readNumber(field.value).value_or(0) : 0.0;
        };
        HistoryState s;
        QCOMPARE(DayLogLoader::load(line, WholeDayFrom, WholeDayTo, s), LoadOutcome::Loaded);
        const double rpm = expected("R");
        const QList<double> want{expected("V"), expected("I"), expected("W"), rpm > 500 ? 0 : rpm,
                                 expected("S")};
        const QList<double> got{s.RecVolts[1], s.RecAmps[1], s.RecWatts[1], s.RecRPM[1],
                                s.RecSpeed[1]};
        if (got != want)
            QFAIL(qPrintable(line));
    }
}

void HistoryLoader::staleSlotsAboveTheLastLoadNeverShow() {
    HistoryState s;
    QString first;
    for (int m = 1; m <= 5; ++m)
        first += lineAt(10 * 60 + m, 99);
    QCOMPARE(DayLogLoader::load(first, WholeDayFrom, WholeDayTo, s), LoadOutcome::Loaded);
    const QString second = lineAt(8 * 60, 12) + lineAt(8 * 60 + 1, 13) + lineAt(8 * 60 + 2, 14);
    QCOMPARE(DayLogLoader::load(second, WholeDayFrom, WholeDayTo, s), LoadOutcome::Loaded);
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
    QTest::addColumn<QString>("h1");
    QTest::addColumn<QString>("m1");
    QTest::addColumn<QString>("h2");
    QTest::addColumn<QString>("m2");
    QTest::addColumn<int>("from"); // -1: refused
    QTest::addColumn<int>("to");
    QTest::newRow("whole day") << "00"
                               << "00"
                               << "23"
                               << "59" << 0 << (23 * 60 + 59) * 60;
    QTest::newRow("single digits") << "7"
                                   << "5"
                                   << "9"
                                   << "0" << (7 * 60 + 5) * 60 << 9 * 3600;
    QTest::newRow("blanks around") << " 7 "
                                   << "05"
                                   << "09"
                                   << "00 " << (7 * 60 + 5) * 60 << 9 * 3600;
    QTest::newRow("start after end is a range") << "12"
                                                << "00"
                                                << "10"
                                                << "00" << 12 * 3600 << 10 * 3600;
    QTest::newRow("letters") << "ab"
                             << "00"
                             << "23"
                             << "59" << -1 << 0;
    QTest::newRow("hour 24") << "00"
                             << "00"
                             << "24"
                             << "00" << -1 << 0;
    QTest::newRow("minute 60") << "00"
                               << "60"
                               << "23"
                               << "59" << -1 << 0;
    QTest::newRow("empty box") << ""
                               << "00"
                               << "23"
                               << "59" << -1 << 0;
    QTest::newRow("negative") << "-1"
                              << "00"
                              << "23"
                              << "59" << -1 << 0;
    QTest::newRow("fraction") << "1.5"
                              << "00"
                              << "23"
                              << "59" << -1 << 0;
    QTest::newRow("three digits") << "007"
                                  << "00"
                                  << "23"
                                  << "59" << -1 << 0;
    QTest::newRow("seconds smuggled in") << "10"
                                         << "00:30"
                                         << "23"
                                         << "59" << -1 << 0;
}

void HistoryLoader::timeBoxes() {
    QFETCH(QString, h1);
    QFETCH(QString, m1);
    QFETCH(QString, h2);
    QFETCH(QString, m2);
    QFETCH(int, from);
    QFETCH(int, to);
    const TimeRangeCheck check = readTimeRange({h1, m1, h2, m2});
    QCOMPARE(check.range.has_value(), from >= 0);
    if (from >= 0) {
        QCOMPARE(check.range->from, from);
        QCOMPARE(check.range->to, to);
    } else {
        QVERIFY(check.message.contains(QStringLiteral("is not a time of day")));
    }
}

void HistoryLoader::eachLoadAppendsOneEmptyLine() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("P_2026_12_06.txt"));
    QVERIFY(appendEmptyLine(path).ok); // creates a missing day log
    QVERIFY(appendEmptyLine(path).ok);
    const FileText text = readWholeFile(path);
    QVERIFY(text.ok);
    QCOMPARE(text.text, QStringLiteral("\r\n\r\n"));
    QVERIFY(!appendEmptyLine(dir.filePath(QStringLiteral("missing/P.txt"))).ok);
    QVERIFY(!readWholeFile(dir.filePath(QStringLiteral("missing/P.txt"))).ok);
}

void HistoryLoader::readOnlyDayLogIsStillRead() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("P_2026_12_06.txt"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(recordLine({600, 12, 1, 12, 0, 3}));
    }
    ImmutablePath readOnly(path);
    if (!readOnly.ok())
        QSKIP("chattr +i is not available here");
    const FileOutcome appended = appendEmptyLine(path);
    QVERIFY(!appended.ok);
    QVERIFY(!appended.error.isEmpty());
    const FileText text = readWholeFile(path);
    QVERIFY(text.ok);
    HistoryState s;
    QCOMPARE(DayLogLoader::load(text.text, WholeDayFrom, WholeDayTo, s), LoadOutcome::Loaded);
    QCOMPARE(s.RecordCount, 1);
}

QTEST_GUILESS_MAIN(HistoryLoader)
#include "tst_history_loader.moc"
