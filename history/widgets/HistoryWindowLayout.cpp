// The controls of the history window and their arrangement: title, file name, time boxes and
// buttons above the folder and file lists in the left column; the plot filling the rest, with
// the start, watt-hour and finish labels under it and one column per trace below (check box,
// value under the cursor, scale top, scale bottom). The month view takes the place of the plot
// and everything under it. Object names are the ones tests look the controls up by.

#include "common/widgets/NamedWidget.h"
#include "common/widgets/Palette.h"
#include "history/widgets/FolderFileList.h"
#include "history/widgets/FolderReveal.h"
#include "history/widgets/HistoryWindow.h"
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
QLineEdit* makeTimeBox(QWidget* parent, const char* name, const QString& text) {
    auto* box = makeNamed<QLineEdit>(parent, name, text);
    box->setMaximumWidth(40);
    box->setAlignment(Qt::AlignCenter);
    return box;
}

QCheckBox* makeColouredBox(QWidget* parent, const char* name, const QString& caption,
                           const QColor& background) {
    auto* box = makeNamed<QCheckBox>(parent, name, caption);
    if (background.isValid())
        box->setStyleSheet(QStringLiteral("QCheckBox { background-color: %1; color: black; }")
                               .arg(background.name()));
    return box;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption) {
    auto* button = makeNamed<QPushButton>(parent, name, caption);
    button->setAutoDefault(false);
    return button;
}
} // namespace

QLayout* HistoryWindow::buildLeftColumn() {
    auto* column = new QVBoxLayout;
    auto* title = makeNamed<QLabel>(this, "Label15", QStringLiteral("Log History"));
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setBold(true);
    title->setFont(titleFont);
    column->addWidget(title);

    auto* fileRow = new QHBoxLayout;
    dayLogName_ = makeNamed<QLabel>(this, "text1", QString());
    dayLogName_->setMinimumWidth(150);
    dayLogName_->setFrameShape(QFrame::StyledPanel);
    fileRow->addWidget(makeNamed<QLabel>(this, "Label1", QStringLiteral("File")));
    fileRow->addWidget(dayLogName_, 1);
    column->addLayout(fileRow);

    auto* times = new QGridLayout;
    fromHourBox_ = makeTimeBox(this, "Time1h", QStringLiteral("00"));
    fromMinuteBox_ = makeTimeBox(this, "Time1m", QStringLiteral("00"));
    toHourBox_ = makeTimeBox(this, "Time2h", QStringLiteral("23"));
    toMinuteBox_ = makeTimeBox(this, "Time2m", QStringLiteral("59"));
    times->addWidget(makeNamed<QLabel>(this, "Label2", QStringLiteral("From")), 0, 0);
    times->addWidget(fromHourBox_, 0, 1);
    times->addWidget(makeNamed<QLabel>(this, "Label4", QStringLiteral(":")), 0, 2);
    times->addWidget(fromMinuteBox_, 0, 3);
    times->addWidget(makeNamed<QLabel>(this, "Label3", QStringLiteral("To")), 1, 0);
    times->addWidget(toHourBox_, 1, 1);
    times->addWidget(makeNamed<QLabel>(this, "Label5", QStringLiteral(":")), 1, 2);
    times->addWidget(toMinuteBox_, 1, 3);
    times->setColumnStretch(4, 1);
    column->addLayout(times);

    auto* buttons = new QHBoxLayout;
    displayButton_ = makeButton(this, "Command1", QStringLiteral("DISPLAY"));
    csvButton_ = makeButton(this, "CSV", QStringLiteral(".CSV"));
    monthButton_ = makeButton(this, "Month", QStringLiteral("Month"));
    monthButton_->setCheckable(true);
    monthButton_->setToolTip(QStringLiteral("A month at a glance: the energy and the battery's "
                                            "range of each day"));
    exitButton_ = makeButton(this, "Command2", QStringLiteral("Exit"));
    for (QPushButton* button : {displayButton_, csvButton_, monthButton_, exitButton_})
        buttons->addWidget(button);
    column->addLayout(buttons);
    // While the month is shown, what .CSV exports instead of the day above.
    csvTarget_ = makeNamed<QLabel>(this, "csvTarget", QString());
    csvTarget_->setWordWrap(true);
    csvTarget_->hide();
    column->addWidget(csvTarget_);

    auto* line = makeNamed<QFrame>(this, "Line3");
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    column->addWidget(line);

    folderModel_ = new QFileSystemModel(this);
    folderModel_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    folderModel_->setRootPath(QDir::rootPath());
    folderTree_ = makeNamed<QTreeView>(this, "Dir1");
    folderTree_->setModel(folderModel_);
    for (int c = 1; c < folderModel_->columnCount(); ++c)
        folderTree_->hideColumn(c);
    folderTree_->header()->hide();
    folderTree_->setMinimumWidth(220);
    folderReveal_ = new FolderReveal(*folderTree_, *folderModel_, this);
    column->addWidget(folderTree_, 1);

    dayLogModel_ = new FolderFileList({QStringLiteral("*.txt")}, this);
    dayLogList_ = makeNamed<QListView>(this, "File1");
    dayLogList_->setModel(dayLogModel_);
    column->addWidget(dayLogList_, 1);
    return column;
}

QLayout* HistoryWindow::buildPlotColumn() {
    plotPages_ = makeNamed<QStackedWidget>(this, "plotPages");
    auto* dayPage = new QWidget(plotPages_);
    auto* column = new QVBoxLayout(dayPage);
    column->setContentsMargins(0, 0, 0, 0);
    plotPages_->addWidget(dayPage);
    monthView_ = new MonthView(plotPages_);
    plotPages_->addWidget(monthView_);
    plot_ = new PlotWidget(this);
    plot_->setDragBars(&cursor_.dragBars());
    column->addWidget(plot_, 1);

    auto* ends = new QHBoxLayout;
    startLabel_ = makeNamed<QLabel>(this, "stime", QStringLiteral("Start"));
    energyLabel_ = makeNamed<QLabel>(this, "watts", QStringLiteral("Wh"));
    finishLabel_ = makeNamed<QLabel>(this, "ftime", QStringLiteral("Finish"));
    energyLabel_->setAlignment(Qt::AlignCenter);
    ends->addWidget(startLabel_);
    ends->addStretch(1);
    ends->addWidget(energyLabel_);
    ends->addStretch(1);
    ends->addWidget(finishLabel_);
    column->addLayout(ends);

    // Per trace, by Trace: the check box, its caption, the readout and the scale labels.
    struct Names {
        const char *box, *caption, *readout, *top, *bottom;
    };
    constexpr std::array<Names, TraceCount> names = {{
        {"Check1", "Volts", "vv", "VMax1", "VMin1"},
        {"Check2", "Amps", "av", "AMax1", "AMin1"},
        {"Check3", "Watts", "wv", "WMax1", "WMin1"},
        {"Check4", "RPM", "rv", "RMax1", "RMin1"},
        {"Check5", "WS", "sv", "SMax1", "SMin1"},
    }};
    auto* grid = new QGridLayout;
    const QString zero = QStringLiteral("0");
    for (int t = 0; t < TraceCount; ++t) {
        const auto i = static_cast<size_t>(t);
        traceBoxes_[i] = makeColouredBox(this, names[i].box, QLatin1StringView(names[i].caption),
                                         palette::traceBox[i]);
        readouts_[i] = makeNamed<QLabel>(this, names[i].readout, zero);
        scaleTops_[i] = makeNamed<QLabel>(this, names[i].top, zero);
        scaleBottoms_[i] = makeNamed<QLabel>(this, names[i].bottom, zero);
        grid->addWidget(traceBoxes_[i], 0, t);
        grid->addWidget(readouts_[i], 1, t);
        grid->addWidget(scaleTops_[i], 2, t);
        grid->addWidget(scaleBottoms_[i], 3, t);
        grid->setColumnStretch(t, 1);
    }
    scaledBox_ = makeColouredBox(this, "Check6", QStringLiteral("Scaled"), palette::scaledBox);
    readoutTime_ = makeNamed<QLabel>(this, "vt", QString());
    readoutTime_->setMinimumWidth(50);
    grid->addWidget(scaledBox_, 0, TraceCount);
    auto* timeRow = new QHBoxLayout;
    timeRow->addWidget(makeNamed<QLabel>(this, "Label7", QStringLiteral("Time")));
    timeRow->addWidget(readoutTime_, 1);
    grid->addLayout(timeRow, 1, TraceCount);
    column->addLayout(grid);
    auto* pages = new QVBoxLayout;
    pages->addWidget(plotPages_);
    return pages;
}

} // namespace tarnby
