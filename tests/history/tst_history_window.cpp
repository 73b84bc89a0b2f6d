// The month view's figures and CSV (day logs only read), and the history window driven as a user
// would: month view, day log picks, zooms by drag.

#include "acquisition/DayLogWriter.h"
#include "history/MonthCsv.h"
#include "history/MonthPlot.h"
#include "history/PlotModel.h"
#include "history/widgets/HistoryWindow.h"
#include "history/widgets/MonthDayButton.h"
#include "history/widgets/PlotWidget.h"
#include "tests/history/HistoryTestData.h"
#include "tests/support/TestEnvironment.h"

#include <QAccessible>
#include <QDir>
#include <QListView>
#include <sys/stat.h>

using namespace tarnby;
using namespace tarnby::test;

namespace {
const QString DayLog = QStringLiteral("P_2026_12_06.txt");
constexpr int DayRecords = 2880; // 00:01 to 23:58, two records a minute
const QDate Day(2026, 12, 6);
QString logOf(QDate date) {
    return QStringLiteral("logs/") + dayLogFileName(date);
}
// Records of one minute each from 00:01: 4 Wh at 60 s each.
const QByteArray ThreeRecords =
    dayLogBytes({{1, 24.5, 1, 120}, {2, 25.1, 1, 120}, {3, 24.9, 1, 120}});
// Lines read as a pick reads them: 2 Wh, 0 to 26 V.
const QByteArray Damaged = "<T>10:00</T><V>abc</V><W>60</W>\r\nno time<V>5</V><W>900</W>\r\n"
                           "<T>10:01</T><W>120</W><V>26</V>\r\n<T>10:02</T></W>600<W><V>25</V>\r\n"
                           "<T>xx</T><W>999</W>\r\n<T>10:03</T><W>12o</W><V>24</V><R>900</R>\r\n";
// Records at 00:00 and 23:59 are left out, as the day plot leaves them: 2 Wh, 24.5 to 25.1 V.
const QByteArray AtMidnight =
    dayLogBytes({{0, 30, 9, 9}, {1, 24.5, 1, 120}, {2, 25.1, 1, 120}, {1439, 20, 9, 9}});
} // namespace

class HistoryWindowTest : public QObject {
    Q_OBJECT
private slots:
    // Energy scale steps (1, 2, 5, 10, ...), the earliest of equal best days, the days the total
    // leaves out; for an empty month no energy scale. Days 1, 2, ...: NaN is over the limit.
    void monthTexts_data() {
        QTest::addColumn<QList<double>>("wattHours");
        QTest::addColumn<QString>("texts"); // energy top, bottom, total, best day, day 1
        const QString day1 = "|Tue 1 Dec 2026: ";
        QTest::newRow("steps, a tie")
            << QList<double>{3, 499.5, 499.5, -1.5, 51}
            << "500 Wh|-2 Wh|Month total: 1052 Wh|Best day: Wed 2 Dec, 500 Wh" + day1 +
                   "3 Wh, 24.00 V to 25.00 V";
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
        const MonthPlot p = MonthPlot::make(month, 35);
        QCOMPARE((QStringList{p.energyTop, p.energyBottom, p.total, p.best, p.days[0].readout}),
                 texts.split(u'|'));
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
            << Day << QList<QDate>{{2026, 12, 1}, {2026, 12, 2}, {2026, 12, 3},
                                   {2026, 12, 4}, {2026, 12, 5}, {2026, 12, 7}}
            << QList<QByteArray>{ThreeRecords, {},        "\r\n", dayLogBytes(generatedDay(10000)),
                                 Damaged,      AtMidnight}
            << header + "2026-12-01,4.00,24.50,25.10\r\n2026-12-02,,,\r\n2026-12-03,,,\r\n"
                        "2026-12-04,,,\r\n2026-12-05,2.00,.00,26.00\r\n"
                        "2026-12-07,2.00,24.50,25.10\r\n"
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
        for (int d = 0; d < dates.size(); ++d) {
            if (logs[d].isNull())
                continue;
            QCOMPARE(env.readFile(logOf(dates[d])), logs[d]); // only read
            const DaySummary& day = month.days[size_t(dates[d].day() - 1)];
            if (dates[d].month() == anyDay.month() && day.summarized()) // the day plot's figure
                QCOMPARE(day.wattHours, PlotModel::spanWattHours(loaded(logs[d])));
        }
    }

    // Month shows the clock's month, focus on today; PageUp/PageDown turn it; Enter on a day
    // plots it with its readout's figure. In the file list the focus alone picks nothing; keys,
    // Enter and a click each pick once. Drags zoom. No day log changes but by a pick.
    void monthPickAndZoom() {
        TestEnvironment t;
        t.writeProgCfg(); // LogDelay 60, SV 24, MA 20, WSUnits MPH
        const QByteArray dayLog = dayLogBytes(generatedDay(DayRecords));
        t.writeFile(QStringLiteral("logs/") + DayLog, dayLog);
        t.writeFile(QStringLiteral("logs/Whours.txt"), "2026/12/06 23:59 1234.5\r\n");
        const auto onDisk = [&t] { return t.readFile(QStringLiteral("logs/") + DayLog); };
        HistoryState state;
        HistoryWindow window(t.environment(), state, nullptr);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        const auto boxes = [&window](const char* hours, const char* minutes) {
            return textOf(window, hours) + u':' + textOf(window, minutes);
        };
        const auto day = [&window](int d) {
            return window.findChild<MonthDayButton*>(QStringLiteral("day%1").arg(d));
        };
        click(window, "Month");
        QCOMPARE(textOf(window, "monthTitle"), QStringLiteral("December 2026"));
        QVERIFY(day(6)->hasFocus() && textOf(window, "monthLegend").contains(u"\"!\": a day log") &&
                child(window, "csvTarget")->isVisible());
        QTest::keyClick(day(6), Qt::Key_PageUp);
        QCOMPARE(textOf(window, "monthTitle"), QStringLiteral("November 2026"));
        QCOMPARE(textOf(window, "csvTarget"),
                 ".CSV exports November 2026 to logs/P_2026_11.csv, not the day above.");
        QVERIFY(day(31)->isHidden() && day(31)->accessibleName().isEmpty());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown);
        QCOMPARE(textOf(window, "monthTitle"), QStringLiteral("December 2026"));
        // The days are one Tab stop; Home and End move in it, Up and Down stay.
        const auto key = [](Qt::Key pressed) {
            QTest::keyClick(QApplication::focusWidget(), pressed);
            const auto* focused = qobject_cast<MonthDayButton*>(QApplication::focusWidget());
            return focused ? focused->mark().date.day() : 0;
        };
        QCOMPARE((QList<int>{key(Qt::Key_End), key(Qt::Key_Up), key(Qt::Key_Down),
                             key(Qt::Key_Home), key(Qt::Key_Tab), key(Qt::Key_Backtab)}),
                 (QList<int>{31, 31, 31, 1, 0, 1}));
        QTest::keyClick(day(5), Qt::Key_Space); // days without a log: readout only, no file
        QTest::mouseClick(day(20), Qt::LeftButton);
        QCOMPARE(textOf(window, "monthReadout"), QStringLiteral("Sun 20 Dec 2026: no day log"));
        QVERIFY(t.prompts.messages.isEmpty() && textOf(window, "text1").isEmpty());
        t.writeFile(QStringLiteral("logs/P_2026_12_30.txt"), dayLogBytes(generatedDay(9)));
        click(window, "CSV"); // the month read again, for the file and the screen
        QCOMPARE(t.prompts.messages.takeFirst(), QStringLiteral("Done"));
        QVERIFY(t.readFile(QStringLiteral("logs/P_2026_12.csv")).contains("\r\n2026-12-30,"));
        QVERIFY(!day(30)->accessibleName().endsWith(QStringLiteral("no day log")));
        QCOMPARE(QDir(t.path(QStringLiteral("logs"))).entryList(QDir::Files).size(), 4);
        QCOMPARE(onDisk(), dayLog);
        const QString readout = day(6)->accessibleName();
        QTest::keyClick(day(6), Qt::Key_Return);
        QCOMPARE(textOf(window, "text1"), DayLog);
        QVERIFY(child(window, "csvTarget")->isHidden());
        QVERIFY(readout.startsWith(QStringLiteral("Sun 6 Dec 2026: ") + textOf(window, "watts") +
                                   u','));
        QCOMPARE(onDisk(), dayLog + "\r\n"); // each load appends an empty line

        // The folder's files by name, each one found by a screen reader as by the keyboard.
        auto* list = child<QListView>(window, "File1");
        QTRY_COMPARE(list->model()->rowCount(list->rootIndex()), 3);
        QAccessibleInterface* listed = QAccessible::queryAccessibleInterface(list);
        QStringList names; // as a screen reader finds them
        for (int row = 0; row < listed->tableInterface()->rowCount(); ++row)
            names << listed->tableInterface()->cellAt(row, 0)->text(QAccessible::Name);
        QCOMPARE(names, (QStringList{DayLog, "P_2026_12_30.txt", "Whours.txt"}));
        state.RecordCount = 0;
        list->setFocus(Qt::TabFocusReason);
        QTest::keyClick(list, Qt::Key_End); // Whours.txt
        QCOMPARE(t.prompts.messages, QStringList{QStringLiteral("No data for that date")});
        QTest::keyClick(list, Qt::Key_Home);
        QCOMPARE(state.RecordCount, DayRecords);
        QCOMPARE(onDisk(), dayLog + "\r\n\r\n");
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(onDisk(), dayLog + "\r\n\r\n\r\n");
        const QRect firstRow = list->visualRect(list->model()->index(0, 0, list->rootIndex()));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, firstRow.center());
        QCOMPARE(onDisk(), dayLog + "\r\n\r\n\r\n\r\n");
        QCOMPARE(t.prompts.messages.size(), 1);
        QCOMPARE(boxes("Time1h", "Time1m") + u' ' + boxes("Time2h", "Time2m"), "00:01 23:58");

        const QString dayWattHours = textOf(window, "watts");
        auto* plot = child<PlotWidget>(window, "Plot");
        const auto timeAt = [&state](double position) {
            return timeOfDayText(state.records.time[static_cast<size_t>(std::nearbyint(position))] /
                                 60);
        };
        for (int zoom = 0; zoom < 2; ++zoom) { // each drag zooms the plot as drawn: zooms nest
            const QPoint press(plot->width() / 3, plot->height() / 2),
                release(2 * press.x(), press.y());
            const double from = state.PlotFrom + plot->plotX(press.x()),
                         to = state.PlotFrom + plot->plotX(release.x());
            QTest::mouseMove(plot, press);
            QTest::mousePress(plot, Qt::LeftButton, {}, press);
            QCOMPARE(boxes("Time1h", "Time1m"), textOf(window, "vt"));
            QTest::mouseMove(plot, release);
            QTest::mouseRelease(plot, Qt::LeftButton, {}, release);
            QCOMPARE((QList<double>{state.PlotFrom, state.PlotTo}), (QList<double>{from, to}));
            QCOMPARE((QStringList{boxes("Time1h", "Time1m"), boxes("Time2h", "Time2m"),
                                  textOf(window, "VMax1")}),
                     (QStringList{timeAt(from), timeAt(to), "35.00 V"}));
        }
        QVERIFY(textOf(window, "watts") != dayWattHours && !state.replotBusy && !state.buttonHeld);
    }
};

QTEST_MAIN(HistoryWindowTest)
#include "tst_history_window.moc"
