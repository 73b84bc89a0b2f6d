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
    QString time2h, time2m;
    int plots = 0;

    PlotCursor::Press press(double x) {
        cursor.move(x);
        return cursor.press(x);
    }
    bool release(double x) {
        cursor.move(x);
        return cursor.release(x, [this](const QString& h, const QString& m) {
            time2h = h;
            time2m = m;
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
    void dragZoomsIntoTheDraggedStretch();
    void zoomsNest();
    void releaseAtOrLeftOfThePressDoesNotZoom_data();
    void releaseAtOrLeftOfThePressDoesNotZoom();
    void releasePastTheRightEdgeStopsAtTheLastRecord_data();
    void releasePastTheRightEdgeStopsAtTheLastRecord();
    void readoutStopsOutsideTheLoadedRecords();
    void dragBarsGrowAndStayUntilTheReplot();
};

void HistoryCursor::readout_data() {
    QTest::addColumn<double>("plotFrom");
    QTest::addColumn<double>("x");
    QTest::addColumn<int>("timeRecord");
    QTest::addColumn<int>("valueRecord");
    QTest::newRow("full day x 249.6") << 1.0 << 249.6 << 250 << 250;
    QTest::newRow("fractional start 500.7, x 10.2") << 500.7 << 10.2 << 510 << 511;
    QTest::newRow("left edge") << 1.0 << 0.0 << 1 << 1;
    QTest::newRow("half goes to even") << 100.5 << 3.0 << 103 << 104;       // 103.5 -> 104
    QTest::newRow("half goes to even, down") << 100.5 << 2.0 << 102 << 102; // 102.5 -> 102
}

void HistoryCursor::readout() {
    QFETCH(double, plotFrom);
    QFETCH(double, x);
    QFETCH(int, timeRecord);
    QFETCH(int, valueRecord);
    HistoryState s = plottedDay(2000);
    s.PlotFrom = plotFrom;
    s.PlotTo = plotFrom + 999;
    PlotModel::plotGraph(s);
    PlotCursor cursor(s);
    const PlotCursor::Readout r = cursor.move(x);
    QVERIFY(r.timeWritten && r.valuesWritten);
    QCOMPARE(r.vt, timeOf(timeRecord));
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
    QCOMPARE(r.vt, QStringLiteral("00:03"));
    QCOMPARE(r.vv, QStringLiteral("12.5 V"));
    QCOMPARE(r.av, QStringLiteral("0 A"));
    QCOMPARE(r.wv, QStringLiteral("2.68 W"));
    QCOMPARE(r.rv, QStringLiteral("12.34 RPM"));
    QCOMPARE(r.sv, QStringLiteral("5.3 MPH"));
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
    PlotCursor cursor(s);
    QVERIFY(!cursor.move(3).timeWritten);
}

void HistoryCursor::dragZoomsIntoTheDraggedStretch() {
    HistoryState s = plottedDay(1000);
    Drag drag(s);
    const PlotCursor::Press press = drag.press(99.3);
    QVERIFY(press.started);
    QCOMPARE(press.Time1h + u':' + press.Time1m, timeOf(100));
    QVERIFY(drag.release(199.3));
    QCOMPARE(s.PlotFrom, 100.3);
    QCOMPARE(s.PlotTo, 200.3);
    QCOMPARE(drag.time2h + u':' + drag.time2m, timeOf(200));
    QCOMPARE(drag.plots, 1);
    QCOMPARE(s.ReplotBusy, 0);
    QCOMPARE(s.ButtonHeld, 0);
    QCOMPARE(s.PlotExtent, 100.0);
}

void HistoryCursor::zoomsNest() {
    HistoryState s = plottedDay(1000);
    Drag drag(s);
    drag.press(99.3);
    QVERIFY(drag.release(199.3));
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

void HistoryCursor::releaseAtOrLeftOfThePressDoesNotZoom_data() {
    QTest::addColumn<double>("releaseX");
    QTest::newRow("at the press point") << 300.0;
    QTest::newRow("left of it") << 120.0;
}

void HistoryCursor::releaseAtOrLeftOfThePressDoesNotZoom() {
    QFETCH(double, releaseX);
    HistoryState s = plottedDay(1000);
    Drag drag(s);
    const PlotCursor::Press press = drag.press(300);
    QVERIFY(press.started);
    QVERIFY(!drag.release(releaseX));
    QCOMPARE(s.PlotFrom, 1.0);
    QCOMPARE(s.PlotTo, 1000.0);
    QCOMPARE(drag.plots, 0);
    QCOMPARE(s.ButtonHeld, 0);
    QCOMPARE(s.ReplotBusy, 0);
}

void HistoryCursor::releasePastTheRightEdgeStopsAtTheLastRecord_data() {
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("recordCount");
    QTest::addColumn<double>("releaseX");
    QTest::addColumn<double>("plotTo");
    QTest::newRow("just past the edge") << 1000 << 1000 << 1000.5 << 1000.0;
    QTest::newRow("far past the arrays") << 1000 << 1000 << 20000.0 << 1000.0;
    // After the limit message RecordCount is 10,000 but only 9,999 records are held.
    QTest::newRow("after the limit message") << 9999 << 10000 << 12000.0 << 9999.0;
}

void HistoryCursor::releasePastTheRightEdgeStopsAtTheLastRecord() {
    QFETCH(int, records);
    QFETCH(int, recordCount);
    QFETCH(double, releaseX);
    QFETCH(double, plotTo);
    HistoryState s = plottedDay(records);
    s.RecVolts[records + 1] = 99; // a stale slot of an earlier load
    s.RecordCount = recordCount;
    Drag drag(s);
    drag.press(500);
    QVERIFY(drag.release(releaseX));
    QCOMPARE(s.PlotFrom, 501.0);
    QCOMPARE(s.PlotTo, plotTo);
    // A press at the very end leaves nothing to zoom into.
    drag.press(s.PlotTo - s.PlotFrom);
    QVERIFY(!drag.release(s.PlotTo - s.PlotFrom + 50));
}

void HistoryCursor::readoutStopsOutsideTheLoadedRecords() {
    HistoryState s = plottedDay(1000);
    s.RecVolts[1001] = 99;
    s.RecTime[1001] = 23 * 3600;
    PlotCursor cursor(s);
    cursor.move(500);
    const QString inside = cursor.timeText();
    // Past the right edge (the captured mouse during a drag): no readout of slot 1001.
    PlotCursor::Readout r = cursor.move(1000.2);
    QVERIFY(!r.timeWritten);
    QVERIFY(!r.valuesWritten);
    QCOMPARE(cursor.timeText(), inside);
    // Left of the plot: no slot 0.
    r = cursor.move(-1.5);
    QVERIFY(!r.timeWritten);
    // Time record inside, value record beyond: the time is written, the values are not.
    s.PlotFrom = 990.6;
    s.PlotTo = 1000;
    PlotModel::plotGraph(s);
    r = cursor.move(10.0); // time of record floor(1000.6), values of record round(1000.6)
    QVERIFY(r.timeWritten);
    QCOMPARE(r.vt, timeOf(1000));
    QVERIFY(!r.valuesWritten);
}

void HistoryCursor::dragBarsGrowAndStayUntilTheReplot() {
    HistoryState s = plottedDay(1000);
    PlotCursor cursor(s);
    cursor.move(100);
    QVERIFY(!cursor.move(100).barDrawn); // no button held
    cursor.press(100);
    QVERIFY(cursor.move(150).barDrawn);
    QCOMPARE(cursor.dragBars(), (std::vector<DragBar>{{100, 150}}));
    cursor.move(120); // back to the left: the longer bar stays
    QCOMPARE(cursor.dragBars(), (std::vector<DragBar>{{100, 150}}));
    cursor.move(60); // left of the press point
    QCOMPARE(cursor.dragBars(), (std::vector<DragBar>{{60, 150}}));
    cursor.release(60, [](const QString&, const QString&) { QFAIL("zoomed"); });
    QCOMPARE(cursor.dragBars().size(), size_t(1)); // no re-plot, so the bar is still drawn
    cursor.press(400);
    cursor.move(420);
    QCOMPARE(cursor.dragBars(), (std::vector<DragBar>{{60, 150}, {400, 420}}));
    // While the re-plot of a release runs, a move draws no bar.
    s.ReplotBusy = 1;
    QVERIFY(!cursor.move(450).barDrawn);
    s.ReplotBusy = 0;
    cursor.clearDragBars();
    QVERIFY(cursor.dragBars().empty());
}

QTEST_GUILESS_MAIN(HistoryCursor)
#include "tst_history_cursor.moc"
