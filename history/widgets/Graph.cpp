#include "history/widgets/Graph.h"

#include "acquisition/DayLogWriter.h"
#include "history/CsvExporter.h"
#include "history/DayLogLoader.h"
#include "history/HistoryMessages.h"
#include "history/HistorySettings.h"
#include "history/MonthCsv.h"
#include "history/MonthPlot.h"
#include "history/PlotModel.h"
#include "history/widgets/FolderReveal.h"
#include "history/widgets/MonthView.h"
#include "history/widgets/PlotWidget.h"
#include "platform/FileWriting.h"

#include <QCheckBox>
#include <QDir>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStackedWidget>
#include <QTreeView>

namespace tarnby {

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
    connect(Month, &QPushButton::toggled, this, &Graph::monthToggled);
    connect(File1, &QListView::clicked, this, &Graph::file1Click);
    connect(File1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &Graph::file1Moved);
    File1->installEventFilter(this);
    File1->viewport()->installEventFilter(this);
    connect(monthView_, &MonthView::dayChosen, this,
            [this](QDate date) { pickDayLog(dayLogFileName(date)); });
    connect(monthView_, &MonthView::monthStep, this,
            [this](int months) { showMonth(month_.first.addMonths(months)); });
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

bool Graph::eventFilter(QObject* watched, QEvent* event) {
    if (watched == File1->viewport()) {
        if (event->type() == QEvent::MouseButtonPress ||
            event->type() == QEvent::MouseButtonDblClick)
            fileMouseDown_ = true;
        else if (event->type() == QEvent::MouseButtonRelease)
            fileMouseDown_ = false;
    } else if (watched == File1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && File1->currentIndex().isValid()) {
            file1Click(File1->currentIndex());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void Graph::file1Click(const QModelIndex& index) {
    pickDayLog(fileModel_->fileName(index));
}

void Graph::file1Moved(const QModelIndex& current) {
    // A mouse press moves the current row too, but the click picks on release. A row that
    // only became current (the list taking the focus) is not picked: nothing selected it.
    if (!fileMouseDown_ && current.isValid() && File1->selectionModel()->isSelected(current))
        file1Click(current);
}

void Graph::pickDayLog(const QString& name) {
    text1->setText(name);
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
        Month->setChecked(false);
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
    if (Month->isChecked()) {
        message(exportMonth(env_.paths, month_).message);
        return;
    }
    const CsvExporter::Outcome outcome =
        CsvExporter::exportRecords(env_.paths, text1->text(), timeBoxes(), state_);
    message(outcome.message);
}

void Graph::monthToggled(bool shown) {
    if (!shown) {
        plotPages_->setCurrentIndex(0);
        return;
    }
    const QDate picked = dayLogDate(text1->text()).value_or(env_.clock.now().date());
    showMonth(picked);
    plotPages_->setCurrentWidget(monthView_);
    monthView_->focusDay(picked.day());
}

void Graph::showMonth(QDate anyDay) {
    month_ = summarizeMonth(env_.paths, anyDay, state_.LogIntervalSeconds);
    monthView_->setPlot(MonthPlot::make(month_, state_.VoltsFullScale));
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
