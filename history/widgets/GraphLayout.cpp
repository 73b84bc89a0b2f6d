// The controls of the history window and their arrangement: title, file name, time boxes and
// buttons above the folder and file lists in the left column; the plot filling the rest, with
// the start, watt-hour and finish labels under it and one column per trace below (check box,
// value under the cursor, scale top, scale bottom). The month view takes the place of the plot
// and everything under it.

#include "history/PlotModel.h"
#include "history/widgets/FolderReveal.h"
#include "history/widgets/Graph.h"
#include "history/widgets/MonthView.h"
#include "history/widgets/PlotWidget.h"

#include <QCheckBox>
#include <QDir>
#include <QFileSystemModel>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStackedWidget>
#include <QTreeView>
#include <QVBoxLayout>

namespace tarnby {

namespace {
QLabel* makeLabel(QWidget* parent, const char* name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1StringView(name));
    return label;
}

QLineEdit* makeTimeBox(QWidget* parent, const char* name, const QString& text) {
    auto* box = new QLineEdit(text, parent);
    box->setObjectName(QLatin1StringView(name));
    box->setMaximumWidth(40);
    box->setAlignment(Qt::AlignCenter);
    return box;
}

QCheckBox* makeCheck(QWidget* parent, const char* name, const QString& caption,
                     const char* background) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QLatin1StringView(name));
    if (background)
        box->setStyleSheet(QStringLiteral("QCheckBox { background-color: %1; color: black; }")
                               .arg(QLatin1StringView(background)));
    return box;
}
} // namespace

QLayout* Graph::buildLeftColumn() {
    auto* column = new QVBoxLayout;
    Label15 = makeLabel(this, "Label15", QStringLiteral("Log History"));
    QFont titleFont = Label15->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setBold(true);
    Label15->setFont(titleFont);
    column->addWidget(Label15);

    auto* fileRow = new QHBoxLayout;
    Label1 = makeLabel(this, "Label1", QStringLiteral("File"));
    text1 = makeLabel(this, "text1", QString());
    text1->setMinimumWidth(150);
    text1->setFrameShape(QFrame::StyledPanel);
    fileRow->addWidget(Label1);
    fileRow->addWidget(text1, 1);
    column->addLayout(fileRow);

    auto* times = new QGridLayout;
    Label2 = makeLabel(this, "Label2", QStringLiteral("From"));
    Label3 = makeLabel(this, "Label3", QStringLiteral("To"));
    Time1h = makeTimeBox(this, "Time1h", QStringLiteral("00"));
    Time1m = makeTimeBox(this, "Time1m", QStringLiteral("00"));
    Time2h = makeTimeBox(this, "Time2h", QStringLiteral("23"));
    Time2m = makeTimeBox(this, "Time2m", QStringLiteral("59"));
    Label4 = makeLabel(this, "Label4", QStringLiteral(":"));
    Label5 = makeLabel(this, "Label5", QStringLiteral(":"));
    // The design's two further separators stand behind these two; they show nothing more.
    Label6 = makeLabel(this, "Label6", QStringLiteral(":"));
    Label8 = makeLabel(this, "Label8", QStringLiteral(":"));
    Label6->hide();
    Label8->hide();
    times->addWidget(Label2, 0, 0);
    times->addWidget(Time1h, 0, 1);
    times->addWidget(Label4, 0, 2);
    times->addWidget(Time1m, 0, 3);
    times->addWidget(Label3, 1, 0);
    times->addWidget(Time2h, 1, 1);
    times->addWidget(Label5, 1, 2);
    times->addWidget(Time2m, 1, 3);
    times->setColumnStretch(4, 1);
    column->addLayout(times);

    auto* buttons = new QHBoxLayout;
    Command1 = new QPushButton(QStringLiteral("DISPLAY"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    CSV = new QPushButton(QStringLiteral(".CSV"), this);
    CSV->setObjectName(QStringLiteral("CSV"));
    Month = new QPushButton(QStringLiteral("Month"), this);
    Month->setObjectName(QStringLiteral("Month"));
    Month->setCheckable(true);
    Month->setToolTip(QStringLiteral("A month at a glance: the energy and the battery's range "
                                     "of each day"));
    Command2 = new QPushButton(QStringLiteral("Exit"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command1->setAutoDefault(false);
    CSV->setAutoDefault(false);
    Month->setAutoDefault(false);
    Command2->setAutoDefault(false);
    buttons->addWidget(Command1);
    buttons->addWidget(CSV);
    buttons->addWidget(Month);
    buttons->addWidget(Command2);
    column->addLayout(buttons);

    Line3 = new QFrame(this);
    Line3->setObjectName(QStringLiteral("Line3"));
    Line3->setFrameShape(QFrame::HLine);
    Line3->setFrameShadow(QFrame::Sunken);
    column->addWidget(Line3);

    dirModel_ = new QFileSystemModel(this);
    dirModel_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    dirModel_->setRootPath(QDir::rootPath());
    Dir1 = new QTreeView(this);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    Dir1->setModel(dirModel_);
    for (int c = 1; c < dirModel_->columnCount(); ++c)
        Dir1->hideColumn(c);
    Dir1->header()->hide();
    Dir1->setMinimumWidth(220);
    folderReveal_ = new FolderReveal(*Dir1, *dirModel_, this);
    column->addWidget(Dir1, 1);

    fileModel_ = new QFileSystemModel(this);
    fileModel_->setFilter(QDir::Files | QDir::NoDotAndDotDot);
    fileModel_->setNameFilters({QStringLiteral("*.txt")});
    fileModel_->setNameFilterDisables(false);
    File1 = new QListView(this);
    File1->setObjectName(QStringLiteral("File1"));
    File1->setModel(fileModel_);
    column->addWidget(File1, 1);
    return column;
}

QLayout* Graph::buildPlotColumn() {
    plotPages_ = new QStackedWidget(this);
    plotPages_->setObjectName(QStringLiteral("plotPages"));
    auto* dayPage = new QWidget(plotPages_);
    auto* column = new QVBoxLayout(dayPage);
    column->setContentsMargins(0, 0, 0, 0);
    plotPages_->addWidget(dayPage);
    monthView_ = new MonthView(plotPages_);
    plotPages_->addWidget(monthView_);
    Plot = new PlotWidget(this);
    Plot->setDragBars(&cursor_.dragBars());
    column->addWidget(Plot, 1);

    auto* ends = new QHBoxLayout;
    stime = makeLabel(this, "stime", QStringLiteral("Start"));
    watts = makeLabel(this, "watts", QStringLiteral("Wh"));
    ftime = makeLabel(this, "ftime", QStringLiteral("Finish"));
    watts->setAlignment(Qt::AlignCenter);
    ends->addWidget(stime);
    ends->addStretch(1);
    ends->addWidget(watts);
    ends->addStretch(1);
    ends->addWidget(ftime);
    column->addLayout(ends);

    auto* grid = new QGridLayout;
    Check1 = makeCheck(this, "Check1", QStringLiteral("Volts"), "#FF0000");
    Check2 = makeCheck(this, "Check2", QStringLiteral("Amps"), "#00FF00");
    Check3 = makeCheck(this, "Check3", QStringLiteral("Watts"), "#8080FF");
    Check4 = makeCheck(this, "Check4", QStringLiteral("RPM"), "#FFFF00");
    Check5 = makeCheck(this, "Check5", QStringLiteral("WS"), nullptr);
    Check6 = makeCheck(this, "Check6", QStringLiteral("Scaled"), "#808080");
    const QString zero = QStringLiteral("0");
    vv = makeLabel(this, "vv", zero);
    av = makeLabel(this, "av", zero);
    wv = makeLabel(this, "wv", zero);
    rv = makeLabel(this, "rv", zero);
    sv = makeLabel(this, "sv", zero);
    VMax1 = makeLabel(this, "VMax1", zero);
    VMin1 = makeLabel(this, "VMin1", zero);
    AMax1 = makeLabel(this, "AMax1", zero);
    AMin1 = makeLabel(this, "AMin1", zero);
    WMax1 = makeLabel(this, "WMax1", zero);
    WMin1 = makeLabel(this, "WMin1", zero);
    RMax1 = makeLabel(this, "RMax1", zero);
    RMin1 = makeLabel(this, "RMin1", zero);
    SMax1 = makeLabel(this, "SMax1", zero);
    SMin1 = makeLabel(this, "SMin1", zero);
    QCheckBox* checks[] = {Check1, Check2, Check3, Check4, Check5};
    QLabel* readouts[] = {vv, av, wv, rv, sv};
    QLabel* tops[] = {VMax1, AMax1, WMax1, RMax1, SMax1};
    QLabel* bottoms[] = {VMin1, AMin1, WMin1, RMin1, SMin1};
    for (int t = 0; t < TraceCount; ++t) {
        grid->addWidget(checks[t], 0, t);
        grid->addWidget(readouts[t], 1, t);
        grid->addWidget(tops[t], 2, t);
        grid->addWidget(bottoms[t], 3, t);
        grid->setColumnStretch(t, 1);
    }
    Label7 = makeLabel(this, "Label7", QStringLiteral("Time"));
    vt = makeLabel(this, "vt", QString());
    vt->setMinimumWidth(50);
    grid->addWidget(Check6, 0, TraceCount);
    auto* timeRow = new QHBoxLayout;
    timeRow->addWidget(Label7);
    timeRow->addWidget(vt, 1);
    grid->addLayout(timeRow, 1, TraceCount);
    column->addLayout(grid);
    auto* pages = new QVBoxLayout;
    pages->addWidget(plotPages_);
    return pages;
}

} // namespace tarnby
