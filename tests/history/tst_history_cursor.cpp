// The plot cursor: the record under the mouse, the drag that zooms, nested zooms, releases
// that must not zoom, the limits of the loaded records and the drag bars.

#include "history/PlotCursor.h"
#include "history/PlotModel.h"
#include "tests/history/HistoryTestData.h"

#include <QTest>

using namespace tarnby;
using namespace tarnby::test;

namespace {
// Record k: at minute k (00:01 on), k / 100 volts, k / 10 amps, k watts, k % 500 RPM, k / 50
// wind speed; all plotted.
HistoryState plottedDay(int count) {
    std::vector<DayRecord> day;
    for (int k = 1; k <= count; ++k)
        day.push_back({k % 1440, k / 100.0, k / 10.0, double(k), double(k % 500), k / 50.0});
    HistoryState s;
    fillRecords(s, day);
    s.SpeedUnits = QStringLiteral("MPH");
    s.LogIntervalSeconds = 10;
    PlotModel::plotGraph(s);
    return s;
}

QString timeOf(int record) {
    return timeOfDayText(record % 1440);
}

// Press, move and release as the window forwards them; the zoom re-plots.
struct Drag {
    explicit Drag(HistoryState& s) : state(s), cursor(s) {}
    HistoryState& state;
    PlotCursor cursor;
    QString endBoxes; // Time2h:Time2m of the last zoom
    int plots = 0;

    PlotCursor::Press press(double x) {
        cursor.move(x);
        return cursor.press(x);
    }
    bool release(double x) {
        cursor.move(x);
        return cursor.release(x, [this](const QString& h, const QString& m) {
            endBoxes = h + u':' + m;
            QCOMPARE(state.ReplotBusy, 1);
            PlotModel::plotGraph(state);
            cursor.clearDragBars();
            ++plots;
        });
    }
};
} // namespace

class HistoryCursor : public QObject {
    Q_OBJECT
private slots:
    void readout_data();
    void readout();
    void readoutTexts();
    void nothingBeforeTwoRecordsOrADrawing();
    void dragZoomsAndZoomsNest();
    void release_data();
    void release();
    void dragBarsGrowAndStayUntilTheReplot();
};

void HistoryCursor::readout_data() {
    QTest::addColumn<double>("plotFrom");
    QTest::addColumn<double>("x");
    QTest::addColumn<int>("timeRecord");  // 0: no time written
    QTest::addColumn<int>("valueRecord"); // 0: no values written
    QTest::newRow("full day x 249.6") << 1.0 << 249.6 << 250 << 250;
    QTest::newRow("fractional start 500.7, x 10.2") << 500.7 << 10.2 << 510 << 511;
    QTest::newRow("left edge") << 1.0 << 0.0 << 1 << 1;
    QTest::newRow("half goes to even") << 100.5 << 3.0 << 103 << 104;       // 103.5 -> 104
    QTest::newRow("half goes to even, down") << 100.5 << 2.0 << 102 << 102; // 102.5 -> 102
    // Past the right edge (the captured mouse during a drag) or left of it: no stale slot 1001,
    // no slot 0.
    QTest::newRow("past the right edge") << 1.0 << 1000.2 << 0 << 0;
    QTest::newRow("left of the plot") << 1.0 << -1.5 << 0 << 0;
    // The time of record floor(1000.6), the values of record round(1000.6) = 1001: not shown.
    QTest::newRow("values beyond the last record") << 990.6 << 10.0 << 1000 << 0;
}

void HistoryCursor::readout() {
    QFETCH(double, plotFrom);
    QFETCH(double, x);
    QFETCH(int, timeRecord);
    QFETCH(int, valueRecord);
    HistoryState s = plottedDay(1000);
    s.RecTime[1001] = 23 * 3600; // a stale slot of an earlier load
    s.RecWatts[1001] = 99;
    s.PlotFrom = plotFrom;
    PlotModel::plotGraph(s);
    PlotCursor cursor(s);
    const PlotCursor::Readout r = cursor.move(x);
    QCOMPARE(r.timeWritten, timeRecord > 0);
    QCOMPARE(r.valuesWritten, valueRecord > 0);
    if (timeRecord)
        QCOMPARE(r.vt, timeOf(timeRecord));
    if (valueRecord)
        QCOMPARE(r.wv, QString::number(valueRecord) + QStringLiteral(" W"));
    QVERIFY(!r.barDrawn);
}

void HistoryCursor::readoutTexts() {
    HistoryState s = plottedDay(10);
    s.RecVolts[3] = 12.5;
    s.RecAmps[3] = 0;
    s.RecWatts[3] = 2.675; // two decimals, a half to the even neighbour: 2.68
    s.RecRPM[3] = 12.345;  // 12.34
    s.RecSpeed[3] = 5.3;
    PlotCursor cursor(s);
    const PlotCursor::Readout r = cursor.move(2.0);
    QCOMPARE((QStringList{r.vt, r.vv, r.av, r.wv, r.rv, r.sv}),
             (QStringList{"00:03", "12.5 V", "0 A", "2.68 W", "12.34 RPM", "5.3 MPH"}));
}

void HistoryCursor::nothingBeforeTwoRecordsOrADrawing() {
    for (int records : {0, 1}) {
        HistoryState s = plottedDay(10);
        s.RecordCount = records;
        PlotCursor cursor(s);
        QVERIFY(!cursor.move(3).timeWritten);
        QVERIFY(!cursor.press(3).started);
        QCOMPARE(s.ButtonHeld, 1); // still follows the button
        QVERIFY(!cursor.release(6, [](const QString&, const QString&) { QFAIL("zoomed"); }));
        QCOMPARE(s.ButtonHeld, 0);
        QVERIFY(cursor.dragBars().empty());
    }
    // Records held from an earlier opening, but the new window's box is still empty.
    HistoryState s = plottedDay(10);
    s.PlotFrom = s.PlotTo = 0;
    PlotModel::plotGraph(s);
    QVERIFY(!PlotCursor(s).move(3).timeWritten);
}

void HistoryCursor::dragZoomsAndZoomsNest() {
    HistoryState s = plottedDay(1000);
    Drag drag(s);
    const PlotCursor::Press press = drag.press(99.3);
    QVERIFY(press.started);
    QCOMPARE(press.Time1h + u':' + press.Time1m, timeOf(100));
    QVERIFY(drag.release(199.3));
    QCOMPARE(s.PlotFrom, 100.3);
    QCOMPARE(s.PlotTo, 200.3);
    QCOMPARE(drag.endBoxes, timeOf(200));
    QCOMPARE(s.PlotExtent, 100.0);
    QCOMPARE(s.ReplotBusy, 0);
    QCOMPARE(s.ButtonHeld, 0);
    // The next drag works on the plot as drawn: positions from 100.3 on.
    drag.press(10);
    QVERIFY(drag.release(30.5));
    QCOMPARE(s.PlotFrom, 110.3);
    QCOMPARE(s.PlotTo, 100.3 + 30.5);
    drag.press(0.5);
    QVERIFY(drag.release(2));
    QCOMPARE(s.PlotFrom, 110.8);
    QCOMPARE(s.PlotTo, 112.3);
    QCOMPARE(drag.plots, 3);
}

void HistoryCursor::release_data() {
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("recordCount");
    QTest::addColumn<double>("pressX");
    QTest::addColumn<double>("releaseX");
    QTest::addColumn<double>("plotFrom"); // 1 and plotTo == records: no zoom
    QTest::addColumn<double>("plotTo");
    QTest::newRow("at the press point") << 1000 << 1000 << 300.0 << 300.0 << 1.0 << 1000.0;
    QTest::newRow("left of it") << 1000 << 1000 << 300.0 << 120.0 << 1.0 << 1000.0;
    QTest::newRow("just past the edge") << 1000 << 1000 << 500.0 << 1000.5 << 501.0 << 1000.0;
    QTest::newRow("far past the arrays") << 1000 << 1000 << 500.0 << 20000.0 << 501.0 << 1000.0;
    QTest::newRow("press at the right edge") << 1000 << 1000 << 999.0 << 1049.0 << 1.0 << 1000.0;
    // After the limit message RecordCount is 10,000 but only 9,999 records are held.
    QTest::newRow("after the limit message")
        << 9999 << 10000 << 500.0 << 12000.0 << 501.0 << 9999.0;
}

void HistoryCursor::release() {
    QFETCH(int, records);
    QFETCH(int, recordCount);
    QFETCH(double, pressX);
    QFETCH(double, releaseX);
    QFETCH(double, plotFrom);
    QFETCH(double, plotTo);
    HistoryState s = plottedDay(records);
    s.RecVolts[static_cast<size_t>(records) + 1] = 99; // a stale slot of an earlier load
    s.RecordCount = recordCount;
    Drag drag(s);
    QVERIFY(drag.press(pressX).started);
    const bool zooms = plotFrom != 1;
    QCOMPARE(drag.release(releaseX), zooms);
    QCOMPARE(s.PlotFrom, plotFrom);
    QCOMPARE(s.PlotTo, plotTo);
    QCOMPARE(drag.plots, int(zooms));
    QCOMPARE(s.ButtonHeld, 0);
    QCOMPARE(s.ReplotBusy, 0);
}

void HistoryCursor::dragBarsGrowAndStayUntilTheReplot() {
    HistoryState s = plottedDay(1000);
    PlotCursor cursor(s);
    QVERIFY(!cursor.move(100).barDrawn); // no button held
    cursor.press(100);
    QVERIFY(cursor.move(150).barDrawn);
    cursor.move(120); // back to the left: the longer bar stays
    QCOMPARE(cursor.dragBars(), (std::vector<DragBar>{{100, 150}}));
    cursor.move(60); // left of the press point
    QCOMPARE(cursor.dragBars(), (std::vector<DragBar>{{60, 150}}));
    cursor.release(60, [](const QString&, const QString&) { QFAIL("zoomed"); });
    cursor.press(400); // no re-plot, so the first bar is still drawn
    cursor.move(420);
    QCOMPARE(cursor.dragBars(), (std::vector<DragBar>{{60, 150}, {400, 420}}));
    // While the re-plot of a release runs, a move draws no bar.
    s.ReplotBusy = 1;
    QVERIFY(!cursor.move(450).barDrawn);
}

QTEST_GUILESS_MAIN(HistoryCursor)
#include "tst_history_cursor.moc"
