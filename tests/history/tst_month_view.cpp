// The month view: day logs summed up as the day plot shows them, the month's CSV, and the view
// in the history window driven by mouse and keyboard. Day logs are only read.

#include "acquisition/DayLogWriter.h"
#include "history/DayLogLoader.h"
#include "history/MonthCsv.h"
#include "history/MonthPlot.h"
#include "history/PlotModel.h"
#include "history/TimeRange.h"
#include "history/widgets/Graph.h"
#include "history/widgets/MonthDayButton.h"
#include "tests/history/HistoryTestData.h"
#include "tests/support/TestEnvironment.h"

#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QTest>

using namespace tarnby;
using namespace tarnby::test;

namespace {
const QDate Day(2026, 12, 6);
QString logOf(QDate date) {
    return QStringLiteral("logs/") + dayLogFileName(date);
}
// Records of one minute each from 00:01 with the given volts and watts.
QByteArray records(std::initializer_list<std::pair<double, double>> voltsAndWatts) {
    QByteArray bytes;
    int minute = 0;
    for (const auto& [volts, watts] : voltsAndWatts)
        bytes += recordLine({++minute, volts, 1, watts, 0, 0});
    return bytes;
}
} // namespace

class MonthViewTest : public QObject {
    Q_OBJECT
private slots:
    void dayAsTheDayPlotShowsIt_data();
    void dayAsTheDayPlotShowsIt();
    void monthCsv_data();
    void monthCsv();
    void monthInTheWindow();
};

void MonthViewTest::dayAsTheDayPlotShowsIt_data() {
    QTest::addColumn<QByteArray>("log");
    QTest::addColumn<double>("interval");
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("figures"); // Wh, min V, max V as the readout shows them
    const auto state = [](DayState s) { return static_cast<int>(s); };
    QTest::newRow("three records") << records({{24.5, 120}, {25.1, 120}, {24.9, 120}}) << 60.0
                                   << state(DayState::Summarized) << "4 Wh, 24.50 V to 25.10 V";
    QTest::newRow("damaged lines")
        << QByteArray("<T>10:00</T><V>abc</V><W>60</W>\r\nno time<V>5</V><W>900</W>\r\n"
                      "<T>10:01</T><W>120</W><V>26</V>\r\n<T>10:02</T></W>600<W><V>25</V>\r\n"
                      "<T>xx</T><W>999</W>\r\n<T>10:03</T><W>12o</W><V>24</V><R>900</R>\r\n")
        << 60.0 << state(DayState::Summarized) << "2 Wh, 0.00 V to 26.00 V";
    QTest::newRow("interval not known")
        << records({{24, 60}, {25, 60}}) << qQNaN() << state(DayState::Summarized)
        << "watt-hours not known, 24.00 V to 25.00 V";
    QTest::newRow("empty log") << QByteArray() << 60.0 << state(DayState::NoRecords) << QString();
    QTest::newRow("over the record limit")
        << dayLogBytes(generatedDay(10000)) << 60.0 << state(DayState::OverLimit) << QString();
}

void MonthViewTest::dayAsTheDayPlotShowsIt() {
    QFETCH(QByteArray, log);
    QFETCH(double, interval);
    QFETCH(int, state);
    QFETCH(QString, figures);
    TestEnvironment env;
    env.writeFile(logOf(Day), log);
    const std::optional<double> seconds =
        qIsNaN(interval) ? std::nullopt : std::optional<double>(interval);
    const MonthSummary month = summarizeMonth(AppPaths(env.folder()), Day, seconds);
    const DaySummary& day = month.days[static_cast<size_t>(Day.day() - 1)];
    QCOMPARE(static_cast<int>(day.state), state);
    if (!figures.isEmpty())
        QVERIFY(
            MonthPlot::make(month, 35).days[5].readout.endsWith(QStringLiteral(": ") + figures));
    QCOMPARE(day.wattHours.has_value(), day.summarized() && seconds);
    if (day.wattHours) {
        // The whole day plotted, as a pick of its log in the file list plots it.
        HistoryState plotted;
        plotted.LogIntervalSeconds = seconds;
        DayLogLoader::load(QString::fromLatin1(log), WholeDay.from, WholeDay.to, plotted);
        const PlotResult plot = PlotModel::plotGraph(plotted);
        QCOMPARE(*day.wattHours, plotted.SpanWattHours);
        QCOMPARE(formatPicture(*day.wattHours, "###0") + " Wh", plot.labels->watts);
    }
    QCOMPARE(env.readFile(logOf(Day)), log); // only read
}

void MonthViewTest::monthCsv_data() {
    QTest::addColumn<QDate>("anyDay");
    QTest::addColumn<QList<QDate>>("dates"); // of the day logs
    QTest::addColumn<QList<QByteArray>>("logs");
    QTest::addColumn<bool>("blocked"); // a folder where the CSV file goes
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QString>("message");
    const QByteArray header = "DATE,WATTHOURS,MINVOLTS,MAXVOLTS\r\n";
    const QByteArray twoRecords = records({{24, 60}, {25, 60}}); // 1 Wh
    QTest::newRow("days with and without figures")
        << Day << QList<QDate>{{2026, 12, 1}, {2026, 12, 3}, {2026, 12, 4}}
        << QList<QByteArray>{records({{24.5, 120}, {25.1, 120}, {24.9, 120}}), "\r\n",
                             dayLogBytes(generatedDay(10000))}
        << false << header + "2026-12-01,4.00,24.50,25.10\r\n2026-12-03,,,\r\n2026-12-04,,,\r\n"
        << "Done";
    QTest::newRow("31st and 1st")
        << Day << QList<QDate>{{2026, 11, 30}, {2026, 12, 1}, {2026, 12, 31}, {2027, 1, 1}}
        << QList<QByteArray>(4, twoRecords) << false
        << header + "2026-12-01,1.00,24.00,25.00\r\n2026-12-31,1.00,24.00,25.00\r\n"
        << "Done";
    QTest::newRow("leap February")
        << QDate(2028, 2, 10) << QList<QDate>{{2028, 2, 29}, {2028, 3, 1}}
        << QList<QByteArray>(2, twoRecords) << false << header + "2028-02-29,1.00,24.00,25.00\r\n"
        << "Done";
    QTest::newRow("no day log") << Day << QList<QDate>{} << QList<QByteArray>{} << false
                                << QByteArray("\r\n") << "No data for that date";
    QTest::newRow("cannot be written") << Day << QList<QDate>{Day} << QList<QByteArray>{twoRecords}
                                       << true << QByteArray() << "Nothing was exported.";
}

void MonthViewTest::monthCsv() {
    QFETCH(QDate, anyDay);
    QFETCH(QList<QDate>, dates);
    QFETCH(QList<QByteArray>, logs);
    QFETCH(bool, blocked);
    QFETCH(QByteArray, csv);
    QFETCH(QString, message);
    TestEnvironment env;
    for (int d = 0; d < dates.size(); ++d)
        env.writeFile(logOf(dates[d]), logs[d]);
    const QString csvFile = QStringLiteral("logs/") + monthCsvFileName(anyDay);
    QDir(env.folder()).mkpath(blocked ? csvFile : QStringLiteral("logs"));
    const AppPaths paths(env.folder());
    const MonthSummary month = summarizeMonth(paths, anyDay, 60);
    QCOMPARE(month.days.size(), static_cast<size_t>(anyDay.daysInMonth()));
    const CsvExporter::Outcome outcome = exportMonth(paths, month);
    QVERIFY2(outcome.message.contains(message), qPrintable(outcome.message));
    QCOMPARE(outcome.written, !blocked);
    if (!blocked)
        QCOMPARE(env.readFile(csvFile), csv);
    for (int d = 0; d < dates.size(); ++d)
        QCOMPARE(env.readFile(logOf(dates[d])), logs[d]); // only read
}

void MonthViewTest::monthInTheWindow() {
    TestEnvironment env;
    env.writeProgCfg(); // LogDelay 60
    const QList<QDate> days{{2026, 11, 30}, {2026, 12, 5}, Day, {2027, 1, 2}};
    for (const QDate& date : days)
        env.writeFile(logOf(date), dayLogBytes(generatedDay(700, 1, 1438, date.day())));
    const auto logsOnDisk = [&] {
        QList<QByteArray> bytes;
        for (const QDate& date : days)
            bytes << env.readFile(logOf(date));
        return bytes;
    };
    const QList<QByteArray> before = logsOnDisk();
    HistoryState state;
    Graph window(env.environment(), state, nullptr);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    const auto label = [&](const char* name) {
        return window.findChild<QLabel*>(QLatin1StringView(name))->text();
    };
    const auto day = [&](int d) {
        return window.findChild<MonthDayButton*>(QStringLiteral("day%1").arg(d));
    };

    // No day log picked: the clock's month, with the focus on today.
    auto* month = window.findChild<QPushButton*>(QStringLiteral("Month"));
    month->click();
    QCOMPARE(label("monthTitle"), QStringLiteral("December 2026"));
    QVERIFY(day(6)->hasFocus());
    QVERIFY(label("monthReadout").startsWith(QStringLiteral("Sun 6 Dec 2026: ")));
    QCOMPARE(day(6)->accessibleName(), label("monthReadout"));
    // Keys: the next and previous month, the neighbouring day.
    QTest::keyClick(day(6), Qt::Key_PageUp);
    QCOMPARE(label("monthTitle"), QStringLiteral("November 2026"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
    QVERIFY(day(30)->hasFocus());
    QTest::keyClick(day(30), Qt::Key_PageDown);
    QCOMPARE(label("monthTitle"), QStringLiteral("December 2026"));

    // .CSV exports the month shown; no day log has changed.
    window.findChild<QPushButton*>(QStringLiteral("CSV"))->click();
    QCOMPARE(env.prompts.messages, QStringList{QStringLiteral("Done")});
    QVERIFY(env.readFile(QStringLiteral("logs/P_2026_12.csv")).startsWith("DATE,"));
    QCOMPARE(logsOnDisk(), before);

    // Enter on a day opens its plot as a pick in the file list does; its figure is the day's.
    const QString readout = day(5)->accessibleName();
    day(5)->setFocus();
    QTest::keyClick(day(5), Qt::Key_Return);
    QVERIFY(!month->isChecked());
    QCOMPARE(label("text1"), QStringLiteral("P_2026_12_05.txt"));
    QVERIFY(readout.startsWith(QStringLiteral("Sat 5 Dec 2026: ") + label("watts") + u','));
    QCOMPARE(env.readFile(logOf(days[1])), before[1] + "\r\n");

    // Month again shows the picked day's month; a click on a day opens it.
    month->click();
    QVERIFY(day(5)->hasFocus());
    QTest::mouseClick(day(6), Qt::LeftButton);
    QCOMPARE(label("text1"), QStringLiteral("P_2026_12_06.txt"));
    QVERIFY(window.findChild<QWidget*>(QStringLiteral("Plot"))->isVisible());
}

QTEST_MAIN(MonthViewTest)
#include "tst_month_view.moc"
