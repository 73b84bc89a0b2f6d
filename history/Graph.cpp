#include "history/Graph.h"

#include "history/CsvExporter.h"
#include "history/DayLogLoader.h"
#include "history/FolderReveal.h"
#include "history/HistoryFiles.h"
#include "history/HistorySettings.h"
#include "history/PlotModel.h"
#include "history/PlotWidget.h"

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

Graph::Graph(const Environment& env, HistoryState& state, QWidget* owner)
    : QDialog(owner), env_(env), state_(state), cursor_(state) {
    setObjectName(QStringLiteral("Graph"));
    setWindowTitle(QStringLiteral("Graph"));
    setSizeGripEnabled(true);
    buildControls();
    resize(1120, 680);
    loadStep();
}

Graph::~Graph() = default;

void Graph::buildControls() {
    auto* main = new QHBoxLayout(this);
    main->addLayout(buildLeftColumn(), 0);
    main->addLayout(buildPlotColumn(), 1);

    connect(Command1, &QPushButton::clicked, this, &Graph::command1Click);
    connect(CSV, &QPushButton::clicked, this, &Graph::csvClick);
    connect(Command2, &QPushButton::clicked, this, &QDialog::accept);
    connect(File1, &QListView::clicked, this, &Graph::file1Click);
    connect(Dir1->selectionModel(), &QItemSelectionModel::currentChanged, this, &Graph::dir1Change);
    connect(Check1, &QCheckBox::toggled, this,
            [this](bool on) { traceClick(state_.ShowVolts, on); });
    connect(Check2, &QCheckBox::toggled, this,
            [this](bool on) { traceClick(state_.ShowAmps, on); });
    connect(Check3, &QCheckBox::toggled, this,
            [this](bool on) { traceClick(state_.ShowWatts, on); });
    connect(Check4, &QCheckBox::toggled, this, [this](bool on) { traceClick(state_.ShowRPM, on); });
    connect(Check5, &QCheckBox::toggled, this, [this](bool on) { traceClick(state_.ShowWS, on); });
    connect(Check6, &QCheckBox::toggled, this, &Graph::check6Click);
    connect(Plot, &PlotWidget::mouseMoved, this, &Graph::plotMoved);
    connect(Plot, &PlotWidget::mousePressed, this, &Graph::plotPressed);
    connect(Plot, &PlotWidget::mouseReleased, this, &Graph::plotReleased);
}

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
    Command2 = new QPushButton(QStringLiteral("Exit"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command1->setAutoDefault(false);
    CSV->setAutoDefault(false);
    Command2->setAutoDefault(false);
    buttons->addWidget(Command1);
    buttons->addWidget(CSV);
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
    auto* column = new QVBoxLayout;
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
    const QCheckBox* checks[] = {Check1, Check2, Check3, Check4, Check5};
    QLabel* readouts[] = {vv, av, wv, rv, sv};
    QLabel* tops[] = {VMax1, AMax1, WMax1, RMax1, SMax1};
    QLabel* bottoms[] = {VMin1, AMin1, WMin1, RMin1, SMin1};
    for (int t = 0; t < TraceCount; ++t) {
        grid->addWidget(const_cast<QCheckBox*>(checks[t]), 0, t);
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
    return column;
}

void Graph::loadStep() {
    // The logs folder, named with the separator of the platform's paths.
    const QString logs = env_.paths.logsFolder();
    if (QFileInfo(logs).isDir()) {
        folderReveal_->show(logs);
    } else {
        folderReveal_->show(env_.paths.folder());
        message(QStringLiteral("The logs folder %1 does not exist, so there are no day logs to "
                               "show. Day logs are written there while logging is on.")
                    .arg(QDir::toNativeSeparators(logs)));
    }
    state_.ButtonHeld = 0;
    state_.PlotFrom = 0;
    state_.PlotTo = 0;
    state_.PlotExtent = 0; // a new box holds no drawing
    const QString problems = readHistorySettings(env_.paths.progCfg(), state_);
    if (!problems.isEmpty())
        message(problems);
    // Checking each box runs its click handling, as a click by the user would.
    for (QCheckBox* box : {Check1, Check2, Check3, Check4, Check5, Check6})
        box->setChecked(true);
    state_.ScaledAxes = state_.ShowVolts = state_.ShowAmps = state_.ShowWatts = state_.ShowRPM =
        state_.ShowWS = true;
}

void Graph::dir1Change(const QModelIndex& current) {
    const QString folder = dirModel_->filePath(current);
    File1->setRootIndex(fileModel_->setRootPath(folder));
}

void Graph::file1Click(const QModelIndex& index) {
    text1->setText(fileModel_->fileName(index));
    Time1h->setText(QStringLiteral("00"));
    Time2h->setText(QStringLiteral("23"));
    Time1m->setText(QStringLiteral("00"));
    Time2m->setText(QStringLiteral("59"));
    command1Click();
}

void Graph::traceClick(bool& flag, bool checked) {
    flag = checked;
    if (state_.RecordCount > 1)
        plotGraph();
}

void Graph::check6Click(bool checked) {
    state_.ScaledAxes = checked;
    Check6->setText(checked ? QStringLiteral("Scaled") : QStringLiteral("Unscaled"));
    if (state_.RecordCount > 1)
        plotGraph();
}

void Graph::command1Click() {
    const QString name = text1->text();
    if (name.isEmpty()) {
        message(chooseDayLogMessage());
        return;
    }
    const TimeRangeCheck range = readTimeRange(timeBoxes());
    if (!range.range) {
        message(range.message);
        return;
    }
    const QString path = env_.paths.inLogs(name);
    // A day log that cannot take its empty line (read-only) is still loaded.
    appendEmptyLine(path);
    const FileText file = readWholeFile(path);
    if (!file.ok) {
        message(QStringLiteral("The day log %1 cannot be read (%2).")
                    .arg(QDir::toNativeSeparators(path), file.error));
        return;
    }
    switch (DayLogLoader::load(file.text, range.range->from, range.range->to, state_)) {
    case LoadOutcome::Loaded:
        plotGraph();
        break;
    case LoadOutcome::NoData:
        message(DayLogLoader::noDataMessage());
        break;
    case LoadOutcome::TooMany:
        message(DayLogLoader::tooManyRecordsMessage());
        break;
    }
}

void Graph::csvClick() {
    const CsvExporter::Outcome outcome =
        CsvExporter::exportRecords(env_.paths, text1->text(), timeBoxes(), state_);
    message(outcome.message);
}

void Graph::plotMoved(double x) {
    const PlotCursor::Readout readout = cursor_.move(x);
    if (readout.timeWritten)
        vt->setText(readout.vt);
    if (readout.valuesWritten) {
        vv->setText(readout.vv);
        av->setText(readout.av);
        wv->setText(readout.wv);
        rv->setText(readout.rv);
        sv->setText(readout.sv);
    }
    if (readout.barDrawn)
        Plot->dragBarsChanged();
}

void Graph::plotPressed(double x) {
    const PlotCursor::Press press = cursor_.press(x);
    if (press.started) {
        Time1h->setText(press.Time1h);
        Time1m->setText(press.Time1m);
    }
}

void Graph::plotReleased(double x) {
    cursor_.release(x, [this](const QString& hours, const QString& minutes) {
        Time2h->setText(hours);
        Time2m->setText(minutes);
        plotGraph();
    });
}

void Graph::plotGraph() {
    PlotResult result = PlotModel::plotGraph(state_);
    cursor_.clearDragBars();
    Plot->setPicture(std::move(result.picture));
    if (result.labels)
        showLabels(*result.labels);
}

void Graph::showLabels(const PlotLabels& l) {
    VMax1->setText(l.VMax1);
    VMin1->setText(l.VMin1);
    AMax1->setText(l.AMax1);
    AMin1->setText(l.AMin1);
    WMax1->setText(l.WMax1);
    WMin1->setText(l.WMin1);
    RMax1->setText(l.RMax1);
    RMin1->setText(l.RMin1);
    SMax1->setText(l.SMax1);
    SMin1->setText(l.SMin1);
    stime->setText(l.stime);
    ftime->setText(l.ftime);
    Time1h->setText(l.Time1h);
    Time1m->setText(l.Time1m);
    Time2h->setText(l.Time2h);
    Time2m->setText(l.Time2m);
    watts->setText(l.watts);
    watts->setToolTip(state_.LogIntervalSeconds
                          ? QString()
                          : QStringLiteral("The logging interval in prog.cfg is not a number, so "
                                           "the watt-hours of the span are not known."));
}

TimeBoxes Graph::timeBoxes() const {
    return {Time1h->text(), Time1m->text(), Time2h->text(), Time2m->text()};
}

void Graph::message(const QString& text) {
    env_.prompts.showMessage(this, text);
}

} // namespace tarnby
