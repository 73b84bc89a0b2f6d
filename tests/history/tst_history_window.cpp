// The history window driven as a user would: month view, day log picks, a zoom by drag.

#include "history/widgets/HistoryWindow.h"
#include "history/widgets/MonthDayButton.h"
#include "history/widgets/PlotWidget.h"
#include "tests/history/HistoryTestData.h"
#include "tests/support/TestEnvironment.h"

#include <QAccessible>
#include <QDir>
#include <QListView>

using namespace tarnby;
using namespace tarnby::test;

namespace {
const QString DayLog = QStringLiteral("P_2026_12_06.txt");
constexpr int DayRecords = 2880; // 00:01 to 23:58, two records a minute
} // namespace

class HistoryWindowTest : public QObject {
    Q_OBJECT
private slots:
    // Month shows the clock's month, focus on today; PageUp/PageDown turn it; Enter on a day
    // plots it with its readout's figure. In the file list the focus alone picks nothing; keys,
    // Enter and a click each pick once. A drag zooms. No day log changes but by a pick.
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
        for (const auto& [key, expected] :
             std::initializer_list<std::pair<int, int>>{{Qt::Key_End, 31},
                                                        {Qt::Key_Up, 31},
                                                        {Qt::Key_Down, 31},
                                                        {Qt::Key_Home, 1},
                                                        {Qt::Key_Tab, 0},
                                                        {Qt::Key_Backtab, 1}}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
            const auto* focused = qobject_cast<MonthDayButton*>(QApplication::focusWidget());
            QCOMPARE(focused ? focused->mark().date.day() : 0, expected);
        }
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
        QTRY_COMPARE(list->model()->index(0, 0, list->rootIndex()).data().toString(), DayLog);
        QAccessibleInterface* listed = QAccessible::queryAccessibleInterface(list);
        QCOMPARE(listed->tableInterface()->rowCount(), 3);
        QCOMPARE(listed->child(2)->text(QAccessible::Name), QStringLiteral("Whours.txt"));
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
        const QPoint press(plot->width() / 3, plot->height() / 2),
            release(2 * press.x(), press.y());
        const double from = 1 + plot->plotX(press.x()), to = 1 + plot->plotX(release.x());
        QTest::mouseMove(plot, press);
        QTest::mousePress(plot, Qt::LeftButton, {}, press);
        QCOMPARE(boxes("Time1h", "Time1m"), textOf(window, "vt"));
        QTest::mouseMove(plot, release);
        QTest::mouseRelease(plot, Qt::LeftButton, {}, release);
        QCOMPARE(state.PlotFrom, from);
        QCOMPARE(state.PlotTo, to);
        const auto timeAt = [&state](double position) {
            return timeOfDayText(state.records.time[static_cast<size_t>(std::nearbyint(position))] /
                                 60);
        };
        QCOMPARE((QStringList{boxes("Time1h", "Time1m"), boxes("Time2h", "Time2m"),
                              textOf(window, "VMax1")}),
                 (QStringList{timeAt(from), timeAt(to), "35.00 V"}));
        QVERIFY(textOf(window, "watts") != dayWattHours);
    }
};

QTEST_MAIN(HistoryWindowTest)
#include "tst_history_window.moc"
