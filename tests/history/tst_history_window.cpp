// The history window driven as a user would: open it on a generated day, click the day log,
// drag a zoom over the plot, and check the labels, the time boxes and the painted plot.

#include "common/PictureFormat.h"
#include "common/TimeText.h"
#include "history/Graph.h"
#include "history/HistoryFiles.h"
#include "history/PlotWidget.h"
#include "tests/history/HistoryTestData.h"
#include "tests/support/ImmutablePath.h"
#include "tests/support/TestEnvironment.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>

using namespace tarnby;
using namespace tarnby::test;

namespace {
const QString DayLog = QStringLiteral("P_2026_12_06.txt");
constexpr int DayRecords = 2880; // 00:01 to 23:58, two records a minute

template <typename T = QLabel> T* child(QWidget& window, const char* name) {
    T* found = window.findChild<T*>(QLatin1StringView(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

// The texts of the named labels, buttons, check boxes or line edits.
QStringList texts(QWidget& window, std::initializer_list<const char*> names) {
    QStringList out;
    for (const char* name : names) {
        QObject* o = window.findChild<QObject*>(QLatin1StringView(name));
        if (!o)
            qFatal("no control %s", name);
        out << o->property("text").toString();
    }
    return out;
}
QString text(QWidget& window, const char* name) {
    return texts(window, {name}).first();
}
QString startBoxes(QWidget& w) {
    return texts(w, {"Time1h", "Time1m"}).join(u':');
}
QString endBoxes(QWidget& w) {
    return texts(w, {"Time2h", "Time2m"}).join(u':');
}

// Clicks the day log in File1 once the folder has been listed.
bool clickDayLog(Graph& window, const QString& name) {
    auto* list = child<QListView>(window, "File1");
    QModelIndex item;
    const bool listed = QTest::qWaitFor([&] {
        for (int row = 0; row < list->model()->rowCount(list->rootIndex()); ++row) {
            const QModelIndex index = list->model()->index(row, 0, list->rootIndex());
            if (index.data().toString() == name)
                item = index;
        }
        return item.isValid();
    });
    if (!listed)
        return false;
    list->scrollTo(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(item).center());
    return true;
}

bool redAcrossTheTop(const QImage& plot, int fromColumn, int toColumn) {
    for (int x = fromColumn; x <= toColumn; ++x)
        if (plot.pixel(x, 1) != qRgb(0xFF, 0, 0))
            return false;
    return true;
}
} // namespace

class HistoryWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void opensWithTheDesignCaptions();
    void pickADayThenDragAZoom();
    void plotRepaintsFromStateAndKeepsTheDragBar();
    void displayChecksItsInputs();
    void scaleBoxCaptionAndToggles();
    void recordsOutliveTheWindow();
    void readOnlyDayLogStillLoads();
    void missingProgCfgIsReportedWithTheDefaults();

private:
    std::unique_ptr<TestEnvironment> env_;
    HistoryState state_;
};

void HistoryWindow::init() {
    env_ = std::make_unique<TestEnvironment>();
    env_->writeProgCfg(); // LogDelay 60, SV 24, MA 20, WSUnits MPH
    env_->writeFile(QStringLiteral("logs/") + DayLog, dayLogBytes(generatedDay(DayRecords), 30));
    env_->writeFile(QStringLiteral("logs/Whours.txt"), "2026/12/06 23:59 1234.5\r\n");
    state_ = HistoryState();
}

void HistoryWindow::opensWithTheDesignCaptions() {
    Graph window(env_->environment(), state_, nullptr);
    QCOMPARE(window.objectName(), QStringLiteral("Graph"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Graph"));
    QCOMPARE(texts(window, {"Label15", "text1", "Time1h", "Time1m", "Time2h", "Time2m", "Command1",
                            "CSV", "Command2", "Check6", "stime", "watts"}),
             QStringList({"Log History", "", "00", "00", "23", "59", "DISPLAY", ".CSV", "Exit",
                          "Scaled", "Start", "Wh"}));
    for (const char* name : {"Check1", "Check2", "Check3", "Check4", "Check5", "Check6"})
        QVERIFY(child<QCheckBox>(window, name)->isChecked());
    QVERIFY(env_->prompts.messages.isEmpty());
    // The file list shows the .txt files of the logs folder, the watt-hour file among them.
    window.show();
    QVERIFY(clickDayLog(window, QStringLiteral("Whours.txt")));
    QCOMPARE(env_->prompts.messages, QStringList{QStringLiteral("No data for that date")});
}

void HistoryWindow::pickADayThenDragAZoom() {
    Graph window(env_->environment(), state_, nullptr);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(clickDayLog(window, DayLog));
    QVERIFY(env_->prompts.messages.isEmpty());
    QCOMPARE(state_.RecordCount, DayRecords);
    QCOMPARE(texts(window, {"text1", "stime", "ftime", "Time1h", "Time1m", "Time2h", "Time2m",
                            "VMax1", "AMax1", "SMax1"}),
             QStringList({DayLog, "00:01", "23:58", "00", "01", "23", "58", "35.00 V", "20.0 A",
                          "100 MPH"}));
    const QString dayWattHours = text(window, "watts");
    QCOMPARE(dayWattHours, formatPicture(state_.SpanWattHours, "###0") + QStringLiteral(" Wh"));

    // Drag over the middle third of the plot.
    auto* plot = child<PlotWidget>(window, "Plot");
    const int y = plot->height() / 2;
    const int pressAt = plot->width() / 3;
    const int releaseAt = 2 * plot->width() / 3;
    const double pressX = plot->plotX(pressAt), releaseX = plot->plotX(releaseAt);
    QTest::mouseMove(plot, QPoint(pressAt, y));
    QVERIFY(text(window, "vv").endsWith(QStringLiteral(" V")));
    QTest::mousePress(plot, Qt::LeftButton, {}, QPoint(pressAt, y));
    QCOMPARE(startBoxes(window), text(window, "vt"));
    QTest::mouseMove(plot, QPoint((pressAt + releaseAt) / 2, y));
    QTest::mouseMove(plot, QPoint(releaseAt, y));
    QTest::mouseRelease(plot, Qt::LeftButton, {}, QPoint(releaseAt, y));

    QCOMPARE(state_.PlotFrom, 1 + pressX);
    QCOMPARE(state_.PlotTo, 1 + releaseX);
    const auto timeAt = [this](double position) {
        return timeOfDayText(state_.RecTime[static_cast<size_t>(std::nearbyint(position))] / 60);
    };
    QCOMPARE(text(window, "stime"), timeAt(state_.PlotFrom));
    QCOMPARE(text(window, "ftime"), timeAt(state_.PlotTo));
    QCOMPARE(startBoxes(window), text(window, "stime"));
    QCOMPARE(endBoxes(window), text(window, "ftime"));
    QVERIFY(text(window, "stime") > QStringLiteral("07:00"));
    QVERIFY(text(window, "ftime") < QStringLiteral("17:00"));
    QVERIFY(text(window, "watts") != dayWattHours);
    QCOMPARE(text(window, "VMax1"), QStringLiteral("35.00 V")); // fixed scales stay

    // DISPLAY now reloads the zoomed span, without the records of its first and last minute.
    const int zoomedRecords = qRound(state_.PlotTo) - qRound(state_.PlotFrom) + 1;
    child<QPushButton>(window, "Command1")->click();
    QVERIFY(env_->prompts.messages.isEmpty());
    QVERIFY(state_.RecordCount < zoomedRecords);
    QVERIFY(state_.RecordCount > zoomedRecords - 5);
    QCOMPARE(state_.PlotFrom, 1.0);
}

void HistoryWindow::plotRepaintsFromStateAndKeepsTheDragBar() {
    Graph window(env_->environment(), state_, nullptr);
    window.resize(900, 600);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(clickDayLog(window, DayLog));
    auto* plot = child<PlotWidget>(window, "Plot");
    const int widthBefore = plot->width();

    // Larger window: the plot fills the new space, traces reach the new right edge.
    window.resize(1300, 800);
    QTRY_VERIFY(plot->width() > widthBefore + 200);
    const QImage after = plot->grab().toImage();
    QCOMPARE(after.size(), plot->size());
    int drawn = 0;
    for (int y = 3; y < after.height(); ++y)
        for (int x = after.width() - 20; x < after.width(); ++x)
            drawn += after.pixel(x, y) != qRgb(0x40, 0x40, 0x40); // not the background
    QVERIFY(drawn > 20);

    // A drag bar survives being covered and uncovered; the re-plot of the zoom clears it.
    const int y = plot->height() / 2;
    QTest::mouseMove(plot, QPoint(100, y));
    QTest::mousePress(plot, Qt::LeftButton, {}, QPoint(100, y));
    QTest::mouseMove(plot, QPoint(300, y));
    QTest::mouseMove(plot, QPoint(200, y)); // back to the left: the longer bar stays
    QVERIFY(redAcrossTheTop(plot->grab().toImage(), 102, 298));
    window.hide();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(redAcrossTheTop(plot->grab().toImage(), 102, 298));
    QTest::mouseRelease(plot, Qt::LeftButton, {}, QPoint(200, y));
    const QImage zoomed = plot->grab().toImage();
    QVERIFY(!redAcrossTheTop(zoomed, 102, 298));
    QVERIFY(zoomed.pixel(plot->width() / 2, 1) != qRgb(0xFF, 0, 0));
}

void HistoryWindow::displayChecksItsInputs() {
    Graph window(env_->environment(), state_, nullptr);
    window.show();
    auto* display = child<QPushButton>(window, "Command1");
    display->click();
    QCOMPARE(env_->prompts.messages.takeLast(), chooseDayLogMessage());
    child<QPushButton>(window, "CSV")->click();
    QCOMPARE(env_->prompts.messages.takeLast(), chooseDayLogMessage());
    QCOMPARE(QDir(env_->path(QStringLiteral("logs"))).entryList(QDir::Files).size(), 2);

    QVERIFY(clickDayLog(window, DayLog));
    const QByteArray dayLog = env_->readFile(QStringLiteral("logs/") + DayLog);
    const auto setBoxes = [&window](const QStringList& boxes) {
        const char* names[] = {"Time1h", "Time1m", "Time2h", "Time2m"};
        for (int i = 0; i < 4; ++i)
            child<QLineEdit>(window, names[i])->setText(boxes[i]);
    };
    setBoxes({"00", "00", "ab", "59"});
    display->click();
    QVERIFY(env_->prompts.messages.takeLast().contains(QStringLiteral("is not a time of day")));
    QCOMPARE(state_.RecordCount, DayRecords);                           // no load,
    QCOMPARE(env_->readFile(QStringLiteral("logs/") + DayLog), dayLog); // not even the empty line
    // Single digits are times; a start not before the end is a range without records.
    setBoxes({"9", "5", "9", "5"});
    display->click();
    QCOMPARE(env_->prompts.messages.takeLast(), QStringLiteral("No data for that date"));
    QCOMPARE(state_.RecordCount, 0);
    setBoxes({"9", "5", "9", "9"});
    display->click();
    QVERIFY(env_->prompts.messages.isEmpty());
    QCOMPARE(state_.RecordCount, 6); // 09:06 to 09:08, two a minute
    QCOMPARE(text(window, "stime"), QStringLiteral("09:06"));
}

void HistoryWindow::scaleBoxCaptionAndToggles() {
    Graph window(env_->environment(), state_, nullptr);
    window.show();
    auto* scaled = child<QCheckBox>(window, "Check6");
    // Before any load the boxes change their flags and draw nothing.
    scaled->click();
    QCOMPARE(scaled->text(), QStringLiteral("Unscaled"));
    QVERIFY(!state_.ScaledAxes);
    QCOMPARE(text(window, "VMax1"), QStringLiteral("0"));
    scaled->click();
    QCOMPARE(scaled->text(), QStringLiteral("Scaled"));

    QVERIFY(clickDayLog(window, DayLog));
    const QString scaledTop = text(window, "WMax1");
    scaled->click();
    const QString fittedTop = text(window, "WMax1");
    QVERIFY(fittedTop != scaledTop); // fitted to the day
    child<QCheckBox>(window, "Check3")->click();
    QVERIFY(!state_.ShowWatts);
    QCOMPARE(text(window, "WMax1"), fittedTop);
    QVERIFY(!child<PlotWidget>(window, "Plot")->picture().traces[2].shown);
}

void HistoryWindow::recordsOutliveTheWindow() {
    {
        Graph window(env_->environment(), state_, nullptr);
        window.show();
        QVERIFY(clickDayLog(window, DayLog));
        child<QPushButton>(window, "Command2")->click();
        QVERIFY(!window.isVisible());
    }
    Graph again(env_->environment(), state_, nullptr);
    QCOMPARE(state_.RecordCount, DayRecords); // the records stay ...
    QCOMPARE(state_.PlotFrom, 0.0);           // ... the box starts empty
    QVERIFY(!child<PlotWidget>(again, "Plot")->picture().drawn);
    QCOMPARE(text(again, "text1"), QString());
    child<QPushButton>(again, "CSV")->click();
    QCOMPARE(env_->prompts.messages, QStringList{chooseDayLogMessage()});
}

void HistoryWindow::readOnlyDayLogStillLoads() {
    const QByteArray dayLog = env_->readFile(QStringLiteral("logs/") + DayLog);
    ImmutablePath readOnly(env_->path(QStringLiteral("logs/") + DayLog));
    if (!readOnly.ok())
        QSKIP("chattr +i is not available here");
    Graph window(env_->environment(), state_, nullptr);
    window.show();
    QVERIFY(clickDayLog(window, DayLog));
    QVERIFY(env_->prompts.messages.isEmpty());
    QCOMPARE(state_.RecordCount, DayRecords);
    QCOMPARE(env_->readFile(QStringLiteral("logs/") + DayLog), dayLog);
}

void HistoryWindow::missingProgCfgIsReportedWithTheDefaults() {
    QFile::remove(env_->path(QStringLiteral("prog.cfg")));
    Graph window(env_->environment(), state_, nullptr);
    QCOMPARE(env_->prompts.messages.size(), 1);
    QVERIFY(env_->prompts.messages.first().contains(QStringLiteral("prog.cfg")));
    QVERIFY(env_->prompts.messages.first().contains(QStringLiteral("missing")));
    window.show();
    QVERIFY(clickDayLog(window, DayLog));
    QCOMPARE(texts(window, {"VMax1", "AMax1", "watts"}),
             QStringList({"35.00 V", "20.0 A", "Wh"})); // no interval, no figure
}

QTEST_MAIN(HistoryWindow)
#include "tst_history_window.moc"
