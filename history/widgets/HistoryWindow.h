#pragma once
// The history window (object name and title "Graph"): pick a day log from the logs folder, load
// a time range of it, look at it as up to five traces, read values under the mouse, zoom by
// dragging, export the loaded records as CSV; or look at a whole month, a day's energy and
// battery range at a time. The month is read from the day logs each time it is shown and again
// for each export of it, so screen and file say what the logs hold then.
//
// The window works on a HistoryState that the main window keeps for the whole run, so the
// records of the last load survive closing and reopening. Each opening reads prog.cfg again
// (LogDelay, SV, MA, WSUnits); a missing or broken prog.cfg is reported and the window opens
// with SV 24, MA 20, no speed units and no watt-hour figure for what could not be read.
// Every message goes through the environment's prompts.

#include "history/HistoryState.h"
#include "history/MonthSummary.h"
#include "history/PlotCursor.h"
#include "history/TimeRange.h"
#include "history/Trace.h"
#include "platform/widgets/Environment.h"

#include <QDialog>
#include <array>

class QCheckBox;
class QFileSystemModel;
class QLabel;
class QLineEdit;
class QListView;
class QModelIndex;
class QPushButton;
class QStackedWidget;
class QTreeView;

namespace tarnby {

class FolderFileList;
class FolderReveal;
class MonthView;
class PlotWidget;
struct PlotLabels;

class HistoryWindow : public QDialog {
    Q_OBJECT
public:
    HistoryWindow(const Environment& env, HistoryState& state, QWidget* owner);
    ~HistoryWindow() override;

private:
    void buildControls();
    QLayout* buildLeftColumn();
    QLayout* buildPlotColumn();
    void prepareOpening();
    bool eventFilter(QObject* watched, QEvent* event) override;

    // What the user does.
    void showFolder(const QModelIndex& folder);
    void pickListedDayLog(const QModelIndex& item);
    void followKeyboardPick(const QModelIndex& current);
    void pickMonthDay(QDate date);
    void pickDayLog(const QString& name);
    void setMonthShown(bool shown);
    void showMonth(QDate anyDay);
    void setTraceShown(Trace trace, bool shown);
    void setScaledAxes(bool scaled);
    void displayDayLog();
    void exportCsv();
    void showReadout(double x);
    void startDrag(double x);
    void finishDrag(double x);

    void replot();
    void showLabels(const PlotLabels& labels);
    TimeBoxes timeBoxes() const;
    void message(const QString& text);

    Environment env_;
    HistoryState& state_;
    PlotCursor cursor_;
    QFileSystemModel* folderModel_ = nullptr;
    FolderFileList* dayLogModel_ = nullptr; // the *.txt files of the folder chosen in the tree
    FolderReveal* folderReveal_ = nullptr;

    QLabel* dayLogName_ = nullptr; // the picked day log's file name, without its folder
    QLineEdit *fromHourBox_ = nullptr, *fromMinuteBox_ = nullptr, *toHourBox_ = nullptr,
              *toMinuteBox_ = nullptr;
    QPushButton *displayButton_ = nullptr, *csvButton_ = nullptr, *monthButton_ = nullptr,
                *exitButton_ = nullptr;
    QLabel* csvTarget_ = nullptr; // shown with the month: .CSV exports the month
    QTreeView* folderTree_ = nullptr;
    QListView* dayLogList_ = nullptr;
    PlotWidget* plot_ = nullptr;
    // Under the plot, one column per trace, by Trace.
    std::array<QCheckBox*, TraceCount> traceBoxes_{};
    std::array<QLabel*, TraceCount> readouts_{}; // the value under the cursor
    std::array<QLabel*, TraceCount> scaleTops_{}, scaleBottoms_{};
    QCheckBox* scaledBox_ = nullptr;
    QLabel* readoutTime_ = nullptr;
    QLabel *startLabel_ = nullptr, *finishLabel_ = nullptr, *energyLabel_ = nullptr;

    // The plot box shows the day plot or the month view.
    QStackedWidget* plotPages_ = nullptr;
    MonthView* monthView_ = nullptr;
    MonthSummary month_;         // the month shown
    bool fileMouseDown_ = false; // a mouse button is held on the day-log list: the click picks
};

} // namespace tarnby
