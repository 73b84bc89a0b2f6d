#pragma once
// The history window `Graph`: pick a day log from the logs folder, load a time range of it,
// look at it as up to five traces, read values under the mouse, zoom by dragging, export the
// loaded records as CSV; or look at a whole month, a day's energy and battery range at a time.
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
#include "platform/widgets/Environment.h"

#include <QDialog>

class QCheckBox;
class QFileSystemModel;
class QFrame;
class QLabel;
class QLineEdit;
class QListView;
class QModelIndex;
class QPushButton;
class QStackedWidget;
class QTreeView;

namespace tarnby {

class FolderReveal;
class MonthView;
class PlotWidget;
struct PlotLabels;

class Graph : public QDialog {
    Q_OBJECT
public:
    Graph(const Environment& env, HistoryState& state, QWidget* owner);
    ~Graph() override;

private:
    void buildControls();
    QLayout* buildLeftColumn();
    QLayout* buildPlotColumn();
    void loadStep();
    bool eventFilter(QObject* watched, QEvent* event) override;

    // Event handlers.
    void dir1Change(const QModelIndex& current);
    void file1Click(const QModelIndex& index);
    void file1Moved(const QModelIndex& current); // by the keyboard
    void pickDayLog(const QString& name);
    void monthToggled(bool shown); // Month
    void showMonth(QDate anyDay);
    void traceClick(bool& flag, bool checked);
    void check6Click(bool checked);
    void command1Click(); // DISPLAY
    void csvClick();      // .CSV
    void plotMoved(double x);
    void plotPressed(double x);
    void plotReleased(double x);

    void plotGraph();
    void showLabels(const PlotLabels& labels);
    TimeBoxes timeBoxes() const;
    void message(const QString& text);

    Environment env_;
    HistoryState& state_;
    PlotCursor cursor_;
    QFileSystemModel* dirModel_ = nullptr;
    QFileSystemModel* fileModel_ = nullptr;
    FolderReveal* folderReveal_ = nullptr;

    // Controls, by their design names.
    QLabel *Label15 = nullptr, *Label1 = nullptr, *text1 = nullptr, *Label2 = nullptr,
           *Label3 = nullptr, *Label4 = nullptr, *Label5 = nullptr, *Label6 = nullptr,
           *Label8 = nullptr;
    QLineEdit *Time1h = nullptr, *Time1m = nullptr, *Time2h = nullptr, *Time2m = nullptr;
    QPushButton *Command1 = nullptr, *CSV = nullptr, *Month = nullptr, *Command2 = nullptr;
    QTreeView* Dir1 = nullptr;
    QListView* File1 = nullptr;
    PlotWidget* Plot = nullptr;
    QCheckBox *Check1 = nullptr, *Check2 = nullptr, *Check3 = nullptr, *Check4 = nullptr,
              *Check5 = nullptr, *Check6 = nullptr;
    QLabel *VMax1 = nullptr, *VMin1 = nullptr, *AMax1 = nullptr, *AMin1 = nullptr, *WMax1 = nullptr,
           *WMin1 = nullptr, *RMax1 = nullptr, *RMin1 = nullptr, *SMax1 = nullptr, *SMin1 = nullptr;
    QLabel *vv = nullptr, *av = nullptr, *wv = nullptr, *rv = nullptr, *sv = nullptr, *vt = nullptr,
           *Label7 = nullptr;
    QLabel *stime = nullptr, *ftime = nullptr, *watts = nullptr;
    QFrame* Line3 = nullptr;

    // The plot box shows the day plot or the month view.
    QStackedWidget* plotPages_ = nullptr;
    MonthView* monthView_ = nullptr;
    MonthSummary month_;         // the month shown
    bool fileMouseDown_ = false; // a mouse button is held on File1: the click picks
};

} // namespace tarnby
