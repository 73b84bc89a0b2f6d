// PlotGraph and the plot cursor without a screen: fixed scales from prog.cfg and fitted ones,
// the watt-hours of the span, the readout under the mouse, the drag that zooms and nests.

#include "history/HistorySettings.h"
#include "history/PlotCursor.h"
#include "history/PlotModel.h"
#include "tests/history/HistoryTestData.h"
#include "tests/support/TestEnvironment.h"

#include <QTest>

using namespace tarnby;
using namespace tarnby::test;

namespace {
// `count` records one minute apart from 10:00, every value from `make`.
template <typename Make> HistoryState dayOf(int count, Make make) {
    std::vector<DayRecord> day;
    for (int i = 0; i < count; ++i) {
        DayRecord r{10 * 60 + i};
        make(i, r);
        day.push_back(r);
    }
    HistoryState s;
    fillRecords(s, day);
    s.SpeedUnits = QStringLiteral("MPH");
    s.LogIntervalSeconds = 60;
    return s;
}

// Record k: at minute k (00:01 on), k / 100 volts, k / 10 amps, k watts, k % 500 RPM, k / 50
// wind speed; all plotted.
HistoryState plottedDay(int count) {
    HistoryState s = dayOf(count, [](int i, DayRecord& r) {
        const int k = i + 1;
        r = {k % 1440, k / 100.0, k / 10.0, double(k), double(k % 500), k / 50.0};
    });
    PlotModel::plotGraph(s);
    return s;
}

QString timeOf(int record) {
    return timeOfDayText(record % 1440);
}

QByteArray cfg(const char* logDelay, const char* sv, const char* ma, const char* units) {
    return QByteArray("<LogDelay>") + logDelay + "</LogDelay><SV>" + sv + "</SV><MA>" + ma +
           "</MA><WSUnits>" + units + "</WSUnits>\r\n";
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

class HistoryPlot : public QObject {
    Q_OBJECT
private slots:
    void fixedScalesFromProgCfg_data() {
        QTest::addColumn<QByteArray>("file"); // empty: no file
        QTest::addColumn<bool>("problem");
        QTest::addColumn<QStringList>("labels"); // VMax1, AMax1, SMax1, watts
        using L = QStringList;
        // 100 records of 120 W, one minute apart: 99 intervals after the first.
        QTest::newRow("12 V") << cfg("60", "12", "20", "MPH") << false
                              << L{"17.50 V", "20.0 A", "100 MPH", "198 Wh"};
        QTest::newRow("5 s ran at the clamped 10 s, MA 10")
            << cfg("5", "24", "10", "MPH") << false << L{"35.00 V", "10.0 A", "100 MPH", "33 Wh"};
        QTest::newRow("missing file")
            << QByteArray() << true << L{"35.00 V", "20.0 A", "100 ", "Wh"};
    }

    void fixedScalesFromProgCfg() {
        QFETCH(QByteArray, file);
        QFETCH(bool, problem);
        QFETCH(QStringList, labels);
        TestEnvironment env;
        if (!file.isEmpty())
            env.writeFile(QStringLiteral("prog.cfg"), file);
        // Values far off the fixed scales, amps below 0: the scales and zero lines ignore them.
        HistoryState s = dayOf(100, [](int i, DayRecord& r) {
            r.volts = 80, r.amps = -2 + i % 5, r.watts = 120, r.rpm = 450, r.speed = 120;
        });
        const QString message = readHistorySettings(env.path(QStringLiteral("prog.cfg")), s);
        QCOMPARE(message.isEmpty(), !problem);
        QCOMPARE(message.contains(u"prog.cfg") && message.contains(u"uses instead"), problem);
        const PlotResult r = PlotModel::plotGraph(s);
        const PlotLabels& l = *r.labels;
        QCOMPARE((QStringList{l.VMax1, l.AMax1, l.SMax1, l.watts}), labels);
        QCOMPARE((QStringList{l.VMin1, l.AMin1, l.WMax1, l.WMin1, l.RMax1, l.RMin1}),
                 (QStringList{"0.00 V", "0.0 A", "1000 W", "0 W", "400 RPM", "0 RPM"}));
        QCOMPARE(l.SMin1, QStringLiteral("0") + l.SMax1.mid(3));
        QVERIFY(!r.picture.ampsZero.drawn);
        QVERIFY(!r.picture.wattsZero.drawn);
    }

    void fittedScales_data() {
        QTest::addColumn<double>("voltsFullScale");
        QTest::addColumn<QList<double>>("volts");
        QTest::addColumn<QList<double>>("amps"); // watts are volts x amps
        QTest::addColumn<QStringList>("labels"); // VMin1, VMax1, AMin1, AMax1, WMin1, WMax1
        QTest::addColumn<double>("ampsZeroY");   // -1: no zero line
        using D = QList<double>;
        using L = QStringList;
        // A range of 15.7 A: the zero line 15.7 / 40 below 12.5 on a span of 15.7 x 21 / 20.
        QTest::newRow("negative amps")
            << 35.0 << D{25, 25, 25, 25, 25} << D{2, -3.2, 12.5, 0.4, 7}
            << L{"25.00 V", "25.00 V", "-3.2 A", "12.5 A", "-80 W", "313 W"} << 12.8925; // 312.5 up
        // A 24 V bank read on a 12 V setting: the bottoms stay at the fixed tops.
        QTest::newRow("above the fixed tops")
            << 17.5 << D{26, 27, 28, 29} << D{30, 30, 30, 30}
            << L{"17.50 V", "29.00 V", "20.0 A", "30.0 A", "780 W", "870 W"} << -1.0;
    }

    void fittedScales() {
        QFETCH(double, voltsFullScale);
        QFETCH(QList<double>, volts);
        QFETCH(QList<double>, amps);
        QFETCH(QStringList, labels);
        QFETCH(double, ampsZeroY);
        HistoryState s = dayOf(int(volts.size()), [&](int i, DayRecord& r) {
            r.volts = volts[i], r.amps = amps[i], r.watts = volts[i] * amps[i];
        });
        s.VoltsFullScale = voltsFullScale;
        s.ScaledAxes = false;
        const PlotResult r = PlotModel::plotGraph(s);
        const PlotLabels& l = *r.labels;
        QCOMPARE((QStringList{l.VMin1, l.VMax1, l.AMin1, l.AMax1, l.WMin1, l.WMax1}), labels);
        QCOMPARE(r.picture.ampsZero.drawn, ampsZeroY >= 0);
        QCOMPARE(r.picture.wattsZero.drawn, ampsZeroY >= 0);
        if (ampsZeroY >= 0) {
            QCOMPARE(r.picture.ampsZero.y, ampsZeroY);
            QCOMPARE(r.picture.ampsZero.span, 16.485);
            QCOMPARE(s.AmpsSpan, 16.485);
        }
    }

    void readout_data() {
        QTest::addColumn<double>("plotFrom");
        QTest::addColumn<double>("x");
        QTest::addColumn<int>("timeRecord");  // 0: no time written
        QTest::addColumn<int>("valueRecord"); // 0: no values written
        QTest::newRow("full day x 249.6") << 1.0 << 249.6 << 250 << 250;
        QTest::newRow("half goes to even") << 100.5 << 3.0 << 103 << 104; // 103.5 -> 104
        // Past the right edge (the captured mouse during a drag): no stale slot 1001.
        QTest::newRow("past the right edge") << 1.0 << 1000.2 << 0 << 0;
        // The time of record floor(1000.6), the values of record round(1000.6) = 1001: not shown.
        QTest::newRow("values beyond the last record") << 990.6 << 10.0 << 1000 << 0;
    }

    void readout() {
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

    void dragZoomsAndZoomsNest() {
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

    void release_data() {
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("recordCount");
        QTest::addColumn<double>("pressX");
        QTest::addColumn<double>("releaseX");
        QTest::addColumn<double>("plotFrom"); // 1 and plotTo == records: no zoom
        QTest::addColumn<double>("plotTo");
        QTest::newRow("at the press point") << 1000 << 1000 << 300.0 << 300.0 << 1.0 << 1000.0;
        QTest::newRow("far past the arrays") << 1000 << 1000 << 500.0 << 20000.0 << 501.0 << 1000.0;
        // After the limit message RecordCount is 10,000 but only 9,999 records are held.
        QTest::newRow("after the limit message")
            << 9999 << 10000 << 500.0 << 12000.0 << 501.0 << 9999.0;
    }

    void release() {
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
};

QTEST_GUILESS_MAIN(HistoryPlot)
#include "tst_history_plot.moc"
