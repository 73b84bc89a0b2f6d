// The history window driven as a user would: pick a day log by mouse or keyboard, drag a zoom
// over the plot, and check the labels and the time boxes.

#include "common/PictureFormat.h"
#include "history/widgets/Graph.h"
#include "history/widgets/PlotWidget.h"
#include "tests/history/HistoryTestData.h"
#include "tests/support/TestEnvironment.h"

#include <QListView>

using namespace tarnby;
using namespace tarnby::test;

namespace {
const QString DayLog = QStringLiteral("P_2026_12_06.txt");
constexpr int DayRecords = 2880; // 00:01 to 23:58, two records a minute

// The window over a folder with one day log and Whours.txt, once the folder has been listed.
struct Opened {
    Opened() {
        window.show();
        QTRY_COMPARE(list->model()->rowCount(list->rootIndex()), 2);
    }
    bool writeFiles() const {
        t.writeProgCfg(); // LogDelay 60, SV 24, MA 20, WSUnits MPH
        t.writeFile(QStringLiteral("logs/") + DayLog, dayLog);
        t.writeFile(QStringLiteral("logs/Whours.txt"), "2026/12/06 23:59 1234.5\r\n");
        return true;
    }
    QByteArray onDisk() const { return t.readFile(QStringLiteral("logs/") + DayLog); }
    QString boxes(const char* hours, const char* minutes) const {
        return textOf(window, hours) + u':' + textOf(window, minutes);
    }
    void clickRow(int row) {
        const QRect item = list->visualRect(list->model()->index(row, 0, list->rootIndex()));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
    }

    TestEnvironment t;
    const QByteArray dayLog = dayLogBytes(generatedDay(DayRecords), 30);
    const bool written = writeFiles();
    HistoryState state;
    Graph window{t.environment(), state, nullptr};
    QListView* list = child<QListView>(window, "File1");
};
} // namespace

class HistoryWindow : public QObject {
    Q_OBJECT
private slots:
    // A click loads and plots the day on fixed scales; a drag over the middle third zooms.
    void pickADayThenDragAZoom() {
        Opened w;
        QTRY_COMPARE(w.list->model()->index(0, 0, w.list->rootIndex()).data().toString(), DayLog);
        w.clickRow(0);
        QVERIFY(w.t.prompts.messages.isEmpty());
        QCOMPARE(w.state.RecordCount, DayRecords);
        QCOMPARE(w.onDisk(), w.dayLog + "\r\n"); // each load appends an empty line
        QCOMPARE((QStringList{textOf(w.window, "text1"), textOf(w.window, "stime"),
                              textOf(w.window, "ftime"), w.boxes("Time1h", "Time1m"),
                              w.boxes("Time2h", "Time2m"), textOf(w.window, "VMax1")}),
                 (QStringList{DayLog, "00:01", "23:58", "00:01", "23:58", "35.00 V"}));
        const QString dayWattHours = textOf(w.window, "watts");
        QCOMPARE(dayWattHours,
                 formatPicture(w.state.SpanWattHours, "###0") + QStringLiteral(" Wh"));

        auto* plot = child<PlotWidget>(w.window, "Plot");
        const QPoint press(plot->width() / 3, plot->height() / 2),
            release(2 * press.x(), press.y());
        QTest::mouseMove(plot, press);
        QTest::mousePress(plot, Qt::LeftButton, {}, press);
        QCOMPARE(w.boxes("Time1h", "Time1m"), textOf(w.window, "vt"));
        QTest::mouseMove(plot, release);
        QTest::mouseRelease(plot, Qt::LeftButton, {}, release);
        QCOMPARE(w.state.PlotFrom, 1 + plot->plotX(press.x()));
        QCOMPARE(w.state.PlotTo, 1 + plot->plotX(release.x()));
        const auto timeAt = [&w](double position) {
            return timeOfDayText(w.state.RecTime[static_cast<size_t>(std::nearbyint(position))] /
                                 60);
        };
        QCOMPARE(w.boxes("Time1h", "Time1m"), timeAt(w.state.PlotFrom));
        QCOMPARE(w.boxes("Time2h", "Time2m"), timeAt(w.state.PlotTo));
        QCOMPARE(textOf(w.window, "stime"), timeAt(w.state.PlotFrom));
        QVERIFY(textOf(w.window, "watts") != dayWattHours);
        QCOMPARE(textOf(w.window, "VMax1"), QStringLiteral("35.00 V")); // fixed scales stay
    }

    // The focus alone picks nothing; a row reached by keys is picked as a click picks it, Enter
    // picks it again, and a click picks once.
    void keyboardPicksLikeAClick() {
        Opened w;
        QVERIFY(QTest::qWaitForWindowActive(&w.window));
        // The folder's files are listed first and sorted by name a moment later.
        QTRY_COMPARE(w.list->model()->index(0, 0, w.list->rootIndex()).data().toString(), DayLog);
        w.list->setFocus(Qt::TabFocusReason);
        QVERIFY(w.t.prompts.messages.isEmpty());
        QTest::keyClick(w.list, Qt::Key_End); // Whours.txt
        QCOMPARE(w.t.prompts.messages, QStringList{QStringLiteral("No data for that date")});
        QTest::keyClick(w.list, Qt::Key_Home);
        QCOMPARE(textOf(w.window, "text1"), DayLog);
        QCOMPARE(w.state.RecordCount, DayRecords);
        QCOMPARE(w.onDisk(), w.dayLog + "\r\n");
        QTest::keyClick(w.list, Qt::Key_Return);
        QCOMPARE(w.onDisk(), w.dayLog + "\r\n\r\n");
        w.clickRow(0);
        QCOMPARE(w.onDisk(), w.dayLog + "\r\n\r\n\r\n");
        QCOMPARE(w.t.prompts.messages.size(), 1);
    }
};

QTEST_MAIN(HistoryWindow)
#include "tst_history_window.moc"
