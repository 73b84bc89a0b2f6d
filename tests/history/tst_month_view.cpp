// The month view's figures, as the day plot shows them, and the month's CSV. Day logs are only
// read.

#include "acquisition/DayLogWriter.h"
#include "history/MonthCsv.h"
#include "history/MonthPlot.h"
#include "history/PlotModel.h"
#include "tests/history/HistoryTestData.h"
#include "tests/support/TestEnvironment.h"

#include <sys/stat.h>

using namespace tarnby;
using namespace tarnby::test;

namespace {
const QDate Day(2026, 12, 6);
QString logOf(QDate date) {
    return QStringLiteral("logs/") + dayLogFileName(date);
}
// Records of one minute each from 00:01: 4 Wh at 60 s each.
const QByteArray ThreeRecords =
    dayLogBytes({{1, 24.5, 1, 120}, {2, 25.1, 1, 120}, {3, 24.9, 1, 120}});
} // namespace

class MonthViewTest : public QObject {
    Q_OBJECT
private slots:
    // A day's watt-hours are the figure its plot shows; damaged lines are read as a pick reads
    // them. (Empty days and days over the record limit: see the month's CSV.)
    void dayAsTheDayPlotShowsIt_data() {
        QTest::addColumn<QByteArray>("log");
        QTest::addColumn<QString>("figures"); // Wh, min V, max V as the readout shows them
        QTest::newRow("three records") << ThreeRecords << "4 Wh, 24.50 V to 25.10 V";
        QTest::newRow("damaged lines")
            << QByteArray("<T>10:00</T><V>abc</V><W>60</W>\r\nno time<V>5</V><W>900</W>\r\n"
                          "<T>10:01</T><W>120</W><V>26</V>\r\n<T>10:02</T></W>600<W><V>25</V>\r\n"
                          "<T>xx</T><W>999</W>\r\n<T>10:03</T><W>12o</W><V>24</V><R>900</R>\r\n")
            << "2 Wh, 0.00 V to 26.00 V";
        QTest::newRow("records at 00:00 and 23:59 left out, as the day plot leaves them")
            << dayLogBytes({{0, 30, 9, 9}, {1, 24.5, 1, 120}, {2, 25.1, 1, 120}, {1439, 20, 9, 9}})
            << "2 Wh, 24.50 V to 25.10 V";
    }
    void dayAsTheDayPlotShowsIt() {
        QFETCH(QByteArray, log);
        QFETCH(QString, figures);
        TestEnvironment env;
        env.writeFile(logOf(Day), log);
        const MonthSummary month = summarizeMonth(AppPaths(env.folder()), Day, 60);
        QVERIFY(
            MonthPlot::make(month, 35).days[5].readout.endsWith(QStringLiteral(": ") + figures));
        HistoryState plotted = loaded(log);
        plotted.LogIntervalSeconds = 60;
        QVERIFY(figures.startsWith(PlotModel::plotGraph(plotted).labels->energy + u','));
        QCOMPARE(month.days[5].wattHours.value_or(-1),
                 PlotModel::spanWattHours(plotted).value_or(0));
        QCOMPARE(env.readFile(logOf(Day)), log); // only read
    }

    // Energy scale steps (1, 2, 5, 10, ...), the earliest of equal best days, the days the total
    // leaves out; for an empty month no energy scale. Days 1, 2, ...: NaN is over the limit.
    void monthTexts_data() {
        QTest::addColumn<QList<double>>("wattHours");
        QTest::addColumn<QString>("texts"); // energy top, bottom, total, best day, day 1
        const QString day1 = "|Tue 1 Dec 2026: ";
        QTest::newRow("2 and 5 steps, a tie")
            << QList<double>{3, 12, 12, -1.5}
            << "20 Wh|-2 Wh|Month total: 26 Wh|Best day: Wed 2 Dec, 12 Wh" + day1 +
                   "3 Wh, 24.00 V to 25.00 V";
        QTest::newRow("2.5 steps")
            << QList<double>{51, 499.5}
            << "500 Wh|0 Wh|Month total: 551 Wh|Best day: Wed 2 Dec, 500 Wh" + day1 +
                   "51 Wh, 24.00 V to 25.00 V";
        QTest::newRow("not counted")
            << QList<double>{qQNaN(), 4, qQNaN()}
            << "10 Wh|0 Wh|Month total: 4 Wh, 2 days not counted (1, 3)|Best day: Wed 2 Dec, 4 Wh" +
                   day1 +
                   "over the record limit, too many records to plot, not counted in the "
                   "month total";
        QTest::newRow("no day logs")
            << QList<double>{} << "||Month total: no day logs|Best day: none" + day1 + "no day log";
    }
    void monthTexts() {
        QFETCH(QList<double>, wattHours);
        QFETCH(QString, texts);
        MonthSummary month{QDate(2026, 12, 1), {}};
        for (int d = 0; d < 31; ++d) {
            DaySummary& day = month.days.emplace_back(DaySummary{month.first.addDays(d)});
            const double wh = wattHours.value(d, qInf());
            day.state = std::isnan(wh)   ? DayState::OverLimit
                        : std::isinf(wh) ? DayState::NoLog
                                         : DayState::Summarized;
            if (day.summarized())
                day.wattHours = wh, day.minVolts = 24, day.maxVolts = 25;
        }
        const MonthPlot plot = MonthPlot::make(month, 35);
        QCOMPARE(QStringList({plot.energyTop, plot.energyBottom, plot.total, plot.best,
                              plot.days[0].readout})
                     .join(u'|'),
                 texts);
    }

    void monthCsv_data() {
        QTest::addColumn<QDate>("anyDay");
        QTest::addColumn<QList<QDate>>("dates");     // of the day logs
        QTest::addColumn<QList<QByteArray>>("logs"); // null: a FIFO, never to be waited on
        QTest::addColumn<QByteArray>("csv");         // empty: a folder where the CSV file goes
        QTest::addColumn<QString>("message");
        const QByteArray header = "DATE,WATTHOURS,MINVOLTS,MAXVOLTS\r\n";
        const QByteArray twoRecords = dayLogBytes({{1, 24, 1, 60}, {2, 25, 1, 60}}); // 1 Wh
        QTest::newRow("days with and without figures")
            << Day << QList<QDate>{{2026, 12, 1}, {2026, 12, 2}, {2026, 12, 3}, {2026, 12, 4}}
            << QList<QByteArray>{ThreeRecords, {}, "\r\n", dayLogBytes(generatedDay(10000))}
            << header + "2026-12-01,4.00,24.50,25.10\r\n2026-12-02,,,\r\n2026-12-03,,,\r\n"
                        "2026-12-04,,,\r\n"
            << "Done";
        QTest::newRow("leap February, 1st and last")
            << QDate(2028, 2, 10)
            << QList<QDate>{{2028, 1, 31}, {2028, 2, 1}, {2028, 2, 29}, {2028, 3, 1}}
            << QList<QByteArray>(4, twoRecords)
            << header + "2028-02-01,1.00,24.00,25.00\r\n2028-02-29,1.00,24.00,25.00\r\n"
            << "Done";
        QTest::newRow("no day log") << Day << QList<QDate>{} << QList<QByteArray>{}
                                    << QByteArray("\r\n") << "No data for that date";
        QTest::newRow("cannot be written")
            << Day << QList<QDate>{Day} << QList<QByteArray>{twoRecords} << QByteArray()
            << "Nothing was exported.";
    }
    void monthCsv() {
        QFETCH(QDate, anyDay);
        QFETCH(QList<QDate>, dates);
        QFETCH(QList<QByteArray>, logs);
        QFETCH(QByteArray, csv);
        QFETCH(QString, message);
        TestEnvironment env;
        for (int d = 0; d < dates.size(); ++d)
            if (logs[d].isNull())
                QVERIFY(!::mkfifo(qPrintable(env.path(logOf(dates[d]))), 0600));
            else
                env.writeFile(logOf(dates[d]), logs[d]);
        const QString csvFile = QStringLiteral("logs/") + monthCsvFileName(anyDay);
        QDir(env.folder()).mkpath(csv.isEmpty() ? csvFile : QStringLiteral("logs"));
        const AppPaths paths(env.folder());
        const MonthSummary month = summarizeMonth(paths, anyDay, 60);
        QCOMPARE(month.days.size(), static_cast<size_t>(anyDay.daysInMonth()));
        const CsvExporter::Outcome outcome = exportMonth(paths, month);
        QVERIFY2(outcome.message.contains(message), qPrintable(outcome.message));
        QCOMPARE(outcome.written ? env.readFile(csvFile) : QByteArray(), csv);
        for (int d = 0; d < dates.size(); ++d)
            if (!logs[d].isNull())
                QCOMPARE(env.readFile(logOf(dates[d])), logs[d]); // only read
    }
};

QTEST_MAIN(MonthViewTest)
#include "tst_month_view.moc"
