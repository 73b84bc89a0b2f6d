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

QString text(QWidget& window, const char* name) {
    return child(window, name)->text();
}
QString box(QWidget& window, const char* name) {
    return child<QLineEdit>(window, name)->text();
}

// Clicks the day log in File1 once the folder has been listed.
bool clickDayLog(Graph& window, const QString& name) {
    auto* list = child<QListView>(window, "File1");
    QModelIndex item;
    const bool listed = QTest::qWaitFor([&] {
        const QAbstractItemModel* model = list->model();
        for (int row = 0; row < model->rowCount(list->rootIndex()); ++row) {
            const QModelIndex index = model->index(row, 0, list->rootIndex());
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

// Pixels of the plot that are not its dark grey background, in the columns from..to.
int drawnPixels(const QImage& plot, int fromColumn, int toColumn, int fromRow = 0) {
    int count = 0;
    for (int y = fromRow; y < plot.height(); ++y)
        for (int x = fromColumn; x <= toColumn; ++x)
            count += plot.pixel(x, y) != qRgb(0x40, 0x40, 0x40);
    return count;
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
    QCOMPARE(text(window, "Label15"), QStringLiteral("Log History"));
    QCOMPARE(text(window, "text1"), QString());
    QCOMPARE(QStringList({box(window, "Time1h"), box(window, "Time1m"), box(window, "Time2h"),
                          box(window, "Time2m")}),
             QStringList({"00", "00", "23", "59"}));
    QCOMPARE(child<QPushButton>(window, "Command1")->text(), QStringLiteral("DISPLAY"));
    QCOMPARE(child<QPushButton>(window, "CSV")->text(), QStringLiteral(".CSV"));
    QCOMPARE(child<QPushButton>(window, "Command2")->text(), QStringLiteral("Exit"));
    const char* checks[] = {"Check1", "Check2", "Check3", "Check4", "Check5", "Check6"};
    for (const char* name : checks)
        QVERIFY(child<QCheckBox>(window, name)->isChecked());
    QCOMPARE(child<QCheckBox>(window, "Check6")->text(), QStringLiteral("Scaled"));
    QCOMPARE(text(window, "stime"), QStringLiteral("Start"));
    QCOMPARE(text(window, "watts"), QStringLiteral("Wh"));
    QCOMPARE(state_.VoltsFullScale, 35.0);
    QCOMPARE(state_.LogIntervalSeconds, std::optional<double>(60));
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
    QCOMPARE(text(window, "text1"), DayLog);
    QCOMPARE(state_.RecordCount, DayRecords);
    QCOMPARE(text(window, "stime"), QStringLiteral("00:01"));
    QCOMPARE(text(window, "ftime"), QStringLiteral("23:58"));
    QCOMPARE(QStringList({box(window, "Time1h"), box(window, "Time1m"), box(window, "Time2h"),
                          box(window, "Time2m")}),
             QStringList({"00", "01", "23", "58"}));
    QCOMPARE(text(window, "VMax1"), QStringLiteral("35.00 V"));
    QCOMPARE(text(window, "AMax1"), QStringLiteral("20.0 A"));
    QCOMPARE(text(window, "SMax1"), QStringLiteral("100 MPH"));
    const QString dayWattHours = text(window, "watts");
    QCOMPARE(dayWattHours, formatPicture(state_.SpanWattHours, "###0") + QStringLiteral(" Wh"));

    // Drag over the middle third of the plot.
    auto* plot = child<PlotWidget>(window, "Plot");
    const int y = plot->height() / 2;
    const int pressAt = plot->width() / 3;
    const int releaseAt = 2 * plot->width() / 3;
    const double pressX = plot->plotX(pressAt);
    const double releaseX = plot->plotX(releaseAt);
    QTest::mouseMove(plot, QPoint(pressAt, y));
    QVERIFY(!text(window, "vt").isEmpty());
    QVERIFY(text(window, "vv").endsWith(QStringLiteral(" V")));
    QTest::mousePress(plot, Qt::LeftButton, {}, QPoint(pressAt, y));
    QCOMPARE(box(window, "Time1h") + u':' + box(window, "Time1m"), text(window, "vt"));
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
    QCOMPARE(box(window, "Time1h") + u':' + box(window, "Time1m"), text(window, "stime"));
    QCOMPARE(box(window, "Time2h") + u':' + box(window, "Time2m"), text(window, "ftime"));
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
    QImage before = plot->grab().toImage();
    QVERIFY(drawnPixels(before, 0, before.width() - 1) > before.width());

    // Larger window: the plot fills the new space, traces reach the new right edge.
    window.resize(1300, 800);
    QTRY_VERIFY(plot->width() > before.width() + 200);
    QImage after = plot->grab().toImage();
    QCOMPARE(after.size(), plot->size());
    QVERIFY(drawnPixels(after, after.width() - 20, after.width() - 1, 3) > 20);

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
    QCOMPARE(zoomed.pixel(plot->width() / 2, 1) == qRgb(0xFF, 0, 0), false);
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
    for (const char* badHour : {"ab", "24", "-1", ""}) {
        child<QLineEdit>(window, "Time2h")->setText(QLatin1StringView(badHour));
        display->click();
        QVERIFY(env_->prompts.messages.takeLast().contains(QStringLiteral("is not a time of day")));
        QCOMPARE(state_.RecordCount, DayRecords); // no load
    }
    QCOMPARE(env_->readFile(QStringLiteral("logs/") + DayLog), dayLog); // not even the empty line
    // Single digits are times; a start not before the end is a range without records.
    child<QLineEdit>(window, "Time1h")->setText(QStringLiteral("9"));
    child<QLineEdit>(window, "Time1m")->setText(QStringLiteral("5"));
    child<QLineEdit>(window, "Time2h")->setText(QStringLiteral("9"));
    child<QLineEdit>(window, "Time2m")->setText(QStringLiteral("5"));
    display->click();
    QCOMPARE(env_->prompts.messages.takeLast(), QStringLiteral("No data for that date"));
    QCOMPARE(state_.RecordCount, 0);
    child<QLineEdit>(window, "Time2m")->setText(QStringLiteral("9"));
    display->click();
    QVERIFY(env_->prompts.messages.isEmpty());
    const std::vector<DayRecord> day = generatedDay(DayRecords);
    QCOMPARE(state_.RecordCount, std::count_if(day.begin(), day.end(), [](const DayRecord& r) {
                 return r.minute > 9 * 60 + 5 && r.minute < 9 * 60 + 9;
             }));
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
    QVERIFY(text(window, "WMax1") != scaledTop); // fitted to the day
    const QString fittedTop = text(window, "WMax1");
    auto* watts = child<QCheckBox>(window, "Check3");
    watts->click();
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
    QCOMPARE(state_.RecordCount, DayRecords);
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
    const QString message = env_->prompts.messages.first();
    QVERIFY(message.contains(QStringLiteral("prog.cfg")));
    QVERIFY(message.contains(QStringLiteral("missing")));
    QVERIFY(message.contains(QStringLiteral("24 V")));
    QCOMPARE(state_.VoltsFullScale, 35.0);
    QCOMPARE(int(state_.MaxAmps), 20);
    window.show();
    QVERIFY(clickDayLog(window, DayLog));
    QCOMPARE(text(window, "VMax1"), QStringLiteral("35.00 V"));
    QCOMPARE(text(window, "watts"), QStringLiteral("Wh")); // no interval, no figure
}

QTEST_MAIN(HistoryWindow)
#include "tst_history_window.moc"
