// The history window driven as a user would: pick a day log by mouse or keyboard, drag a zoom
// over the plot, and check the labels and the time boxes.

#include "common/PictureFormat.h"
#include "common/TimeText.h"
#include "history/widgets/Graph.h"
#include "history/widgets/PlotWidget.h"
#include "tests/history/HistoryTestData.h"
#include "tests/support/TestEnvironment.h"

#include <QListView>
#include <QPushButton>
#include <QTest>

using namespace tarnby;
using namespace tarnby::test;

namespace {
const QString DayLog = QStringLiteral("P_2026_12_06.txt");
constexpr int DayRecords = 2880; // 00:01 to 23:58, two records a minute
} // namespace

class HistoryWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { window_.reset(); }
    void pickADayThenDragAZoom();
    void keyboardPicksLikeAClick();

private:
    bool open();
    bool click(const QString& file); // in File1, once the folder has been listed
    template <typename T = QWidget> T* child(const char* name) const {
        return test::child<T>(*window_, name);
    }
    QString text(const char* name) const { return textOf(*window_, name); }
    QStringList texts(std::initializer_list<const char*> names) const {
        QStringList out;
        for (const char* name : names)
            out << text(name);
        return out;
    }
    QByteArray dayLogOnDisk() const { return env_->readFile(QStringLiteral("logs/") + DayLog); }

    std::unique_ptr<TestEnvironment> env_;
    HistoryState state_;
    std::unique_ptr<Graph> window_;
    QByteArray dayLog_;
};

void HistoryWindow::init() {
    env_ = std::make_unique<TestEnvironment>();
    env_->writeProgCfg(); // LogDelay 60, SV 24, MA 20, WSUnits MPH
    dayLog_ = dayLogBytes(generatedDay(DayRecords), 30);
    env_->writeFile(QStringLiteral("logs/") + DayLog, dayLog_);
    env_->writeFile(QStringLiteral("logs/Whours.txt"), "2026/12/06 23:59 1234.5\r\n");
    state_ = HistoryState();
}

bool HistoryWindow::open() {
    window_ = std::make_unique<Graph>(env_->environment(), state_, nullptr);
    window_->show();
    return QTest::qWaitForWindowExposed(window_.get());
}

bool HistoryWindow::click(const QString& file) {
    auto* list = child<QListView>("File1");
    QModelIndex item;
    const bool listed = QTest::qWaitFor([&] {
        for (int row = 0; row < list->model()->rowCount(list->rootIndex()); ++row) {
            const QModelIndex index = list->model()->index(row, 0, list->rootIndex());
            if (index.data().toString() == file)
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

void HistoryWindow::pickADayThenDragAZoom() {
    QVERIFY(open());
    QVERIFY(click(DayLog));
    QVERIFY(env_->prompts.messages.isEmpty());
    QCOMPARE(state_.RecordCount, DayRecords);
    QCOMPARE(dayLogOnDisk(), dayLog_ + "\r\n"); // each load appends an empty line
    QCOMPARE(texts({"text1", "stime", "ftime", "Time1h", "Time1m", "Time2h", "Time2m", "VMax1",
                    "AMax1", "SMax1"}),
             QStringList({DayLog, "00:01", "23:58", "00", "01", "23", "58", "35.00 V", "20.0 A",
                          "100 MPH"}));
    const QString dayWattHours = text("watts");
    QCOMPARE(dayWattHours, formatPicture(state_.SpanWattHours, "###0") + QStringLiteral(" Wh"));

    // Drag over the middle third of the plot.
    auto* plot = child<PlotWidget>("Plot");
    const int y = plot->height() / 2;
    const int pressAt = plot->width() / 3;
    const int releaseAt = 2 * plot->width() / 3;
    const double pressX = plot->plotX(pressAt), releaseX = plot->plotX(releaseAt);
    QTest::mouseMove(plot, QPoint(pressAt, y));
    QVERIFY(text("vv").endsWith(QStringLiteral(" V")));
    QTest::mousePress(plot, Qt::LeftButton, {}, QPoint(pressAt, y));
    QCOMPARE(texts({"Time1h", "Time1m"}).join(u':'), text("vt"));
    QTest::mouseMove(plot, QPoint((pressAt + releaseAt) / 2, y));
    QTest::mouseMove(plot, QPoint(releaseAt, y));
    QTest::mouseRelease(plot, Qt::LeftButton, {}, QPoint(releaseAt, y));

    QCOMPARE(state_.PlotFrom, 1 + pressX);
    QCOMPARE(state_.PlotTo, 1 + releaseX);
    const auto timeAt = [this](double position) {
        return timeOfDayText(state_.RecTime[static_cast<size_t>(std::nearbyint(position))] / 60);
    };
    QCOMPARE(text("stime"), timeAt(state_.PlotFrom));
    QCOMPARE(text("ftime"), timeAt(state_.PlotTo));
    QCOMPARE(texts({"Time1h", "Time1m"}).join(u':'), text("stime"));
    QCOMPARE(texts({"Time2h", "Time2m"}).join(u':'), text("ftime"));
    QVERIFY(text("watts") != dayWattHours);
    QCOMPARE(text("VMax1"), QStringLiteral("35.00 V")); // fixed scales stay
}

void HistoryWindow::keyboardPicksLikeAClick() {
    QVERIFY(open());
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    auto* list = child<QListView>("File1");
    QTRY_COMPARE(list->model()->rowCount(list->rootIndex()), 2);
    // The folder's files are listed first and sorted by name a moment later.
    QTRY_COMPARE(list->model()->index(0, 0, list->rootIndex()).data().toString(), DayLog);
    list->setFocus(Qt::TabFocusReason); // the focus alone picks nothing
    QVERIFY(env_->prompts.messages.isEmpty());
    QTest::keyClick(list, Qt::Key_End); // Whours.txt
    QCOMPARE(env_->prompts.messages, QStringList{QStringLiteral("No data for that date")});
    QTest::keyClick(list, Qt::Key_Home); // the day log
    QCOMPARE(text("text1"), DayLog);
    QCOMPARE(state_.RecordCount, DayRecords);
    QCOMPARE(dayLogOnDisk(), dayLog_ + "\r\n");
    // Enter picks the row again, as a click on it does; a click picks once.
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(dayLogOnDisk(), dayLog_ + "\r\n\r\n");
    QVERIFY(click(DayLog));
    QCOMPARE(dayLogOnDisk(), dayLog_ + "\r\n\r\n\r\n");
    QCOMPARE(env_->prompts.messages.size(), 1);
}

QTEST_MAIN(HistoryWindow)
#include "tst_history_window.moc"
