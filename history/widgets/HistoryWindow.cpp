#include "history/widgets/HistoryWindow.h"

#include "acquisition/DayLogWriter.h"
#include "history/CsvExporter.h"
#include "history/DayLogLoader.h"
#include "history/HistorySettings.h"
#include "history/MonthCsv.h"
#include "history/MonthPlot.h"
#include "history/PlotModel.h"
#include "history/widgets/FolderFileList.h"
#include "history/widgets/FolderReveal.h"
#include "history/widgets/MonthView.h"
#include "history/widgets/PlotWidget.h"

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

HistoryWindow::HistoryWindow(const Environment& env, HistoryState& state, QWidget* owner)
    : QDialog(owner), env_(env), state_(state), cursor_(state) {
    setObjectName(QStringLiteral("Graph"));
    setWindowTitle(QStringLiteral("Graph"));
    setSizeGripEnabled(true);
    buildControls();
    resize(1120, 680);
    prepareOpening();
}

HistoryWindow::~HistoryWindow() = default;

void HistoryWindow::buildControls() {
    auto* main = new QHBoxLayout(this);
    main->addLayout(buildLeftColumn(), 0);
    main->addLayout(buildPlotColumn(), 1);

    connect(displayButton_, &QPushButton::clicked, this, &HistoryWindow::displayDayLog);
    connect(csvButton_, &QPushButton::clicked, this, &HistoryWindow::exportCsv);
    connect(exitButton_, &QPushButton::clicked, this, &QDialog::accept);
    connect(monthButton_, &QPushButton::toggled, this, &HistoryWindow::setMonthShown);
    connect(dayLogList_, &QListView::clicked, this, &HistoryWindow::pickListedDayLog);
    connect(dayLogList_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &HistoryWindow::followKeyboardPick);
    dayLogList_->installEventFilter(this);
    dayLogList_->viewport()->installEventFilter(this);
    connect(monthView_, &MonthView::dayChosen, this, &HistoryWindow::pickMonthDay);
    connect(monthView_, &MonthView::monthStep, this,
            [this](int months) { showMonth(month_.first.addMonths(months)); });
    connect(folderTree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &HistoryWindow::showFolder);
    for (Trace trace : AllTraces)
        connect(traceBoxes_[traceIndex(trace)], &QCheckBox::toggled, this,
                [this, trace](bool on) { setTraceShown(trace, on); });
    connect(scaledBox_, &QCheckBox::toggled, this, &HistoryWindow::setScaledAxes);
    connect(plot_, &PlotWidget::mouseMoved, this, &HistoryWindow::showReadout);
    connect(plot_, &PlotWidget::mousePressed, this, &HistoryWindow::startDrag);
    connect(plot_, &PlotWidget::mouseReleased, this, &HistoryWindow::finishDrag);
}

void HistoryWindow::prepareOpening() {
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
    state_.buttonHeld = false;
    state_.PlotFrom = 0;
    state_.PlotTo = 0;
    state_.PlotExtent = 0; // a new box holds no drawing
    const QString problems = readHistorySettings(env_.paths.progCfg(), state_);
    if (!problems.isEmpty())
        message(problems);
    // Checking each box runs its click handling, as a click by the user would.
    for (QCheckBox* box : traceBoxes_)
        box->setChecked(true);
    scaledBox_->setChecked(true);
    state_.ScaledAxes = true;
    state_.traceShown.fill(true);
}

void HistoryWindow::showFolder(const QModelIndex& folder) {
    dayLogModel_->setFolder(folderModel_->filePath(folder));
}

bool HistoryWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == dayLogList_->viewport()) {
        if (event->type() == QEvent::MouseButtonPress ||
            event->type() == QEvent::MouseButtonDblClick)
            fileMouseDown_ = true;
        else if (event->type() == QEvent::MouseButtonRelease)
            fileMouseDown_ = false;
    } else if (watched == dayLogList_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) &&
            dayLogList_->currentIndex().isValid()) {
            pickListedDayLog(dayLogList_->currentIndex());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void HistoryWindow::pickListedDayLog(const QModelIndex& item) {
    pickDayLog(item.data().toString());
}

void HistoryWindow::followKeyboardPick(const QModelIndex& current) {
    // A mouse press moves the current row too, but the click picks on release. A row that
    // only became current (the list taking the focus) is not picked: nothing selected it.
    if (!fileMouseDown_ && current.isValid() && dayLogList_->selectionModel()->isSelected(current))
        pickListedDayLog(current);
}

void HistoryWindow::pickMonthDay(QDate date) {
    // A day without a log only shows its readout: loading it would create the file.
    const QString name = dayLogFileName(date);
    if (QFileInfo::exists(env_.paths.inLogs(name)))
        pickDayLog(name);
}

void HistoryWindow::pickDayLog(const QString& name) {
    dayLogName_->setText(name);
    fromHourBox_->setText(QStringLiteral("00"));
    toHourBox_->setText(QStringLiteral("23"));
    fromMinuteBox_->setText(QStringLiteral("00"));
    toMinuteBox_->setText(QStringLiteral("59"));
    displayDayLog();
}

void HistoryWindow::setTraceShown(Trace trace, bool shown) {
    state_.traceShown[traceIndex(trace)] = shown;
    if (state_.RecordCount > 1)
        replot();
}

void HistoryWindow::setScaledAxes(bool scaled) {
    state_.ScaledAxes = scaled;
    scaledBox_->setText(scaled ? QStringLiteral("Scaled") : QStringLiteral("Unscaled"));
    if (state_.RecordCount > 1)
        replot();
}

void HistoryWindow::displayDayLog() {
    const DayLogLoader::Displayed displayed =
        DayLogLoader::display(env_.paths, dayLogName_->text(), timeBoxes(), state_);
    if (!displayed.loaded()) {
        message(displayed.message);
        return;
    }
    monthButton_->setChecked(false);
    replot();
}

void HistoryWindow::exportCsv() {
    if (monthButton_->isChecked()) {
        showMonth(month_.first); // the day logs as they are now, in the file and on the screen
        message(exportMonth(env_.paths, month_).message);
        return;
    }
    const CsvExporter::Outcome outcome =
        CsvExporter::exportRecords(env_.paths, dayLogName_->text(), timeBoxes(), state_);
    message(outcome.message);
}

void HistoryWindow::setMonthShown(bool shown) {
    csvTarget_->setVisible(shown);
    if (!shown) {
        plotPages_->setCurrentIndex(0);
        return;
    }
    const QDate picked = dayLogDate(dayLogName_->text()).value_or(env_.clock.now().date());
    showMonth(picked);
    plotPages_->setCurrentWidget(monthView_);
    monthView_->focusDay(picked.day());
}

void HistoryWindow::showMonth(QDate anyDay) {
    month_ = summarizeMonth(env_.paths, anyDay, state_.LogIntervalSeconds);
    const MonthPlot plot = MonthPlot::make(month_, state_.VoltsFullScale);
    monthView_->setPlot(plot);
    csvTarget_->setText(QStringLiteral(".CSV exports %1 to logs/%2, not the day above.")
                            .arg(plot.title, monthCsvFileName(anyDay)));
}

void HistoryWindow::showReadout(double x) {
    const PlotCursor::Readout readout = cursor_.move(x);
    if (readout.timeWritten)
        readoutTime_->setText(readout.time);
    if (readout.valuesWritten)
        for (size_t t = 0; t < readouts_.size(); ++t)
            readouts_[t]->setText(readout.values[t]);
    if (readout.barDrawn)
        plot_->dragBarsChanged();
}

void HistoryWindow::startDrag(double x) {
    const PlotCursor::Press press = cursor_.press(x);
    if (press.started) {
        fromHourBox_->setText(press.fromHour);
        fromMinuteBox_->setText(press.fromMinute);
    }
}

void HistoryWindow::finishDrag(double x) {
    cursor_.release(x, [this](const QString& hours, const QString& minutes) {
        toHourBox_->setText(hours);
        toMinuteBox_->setText(minutes);
        replot();
    });
}

void HistoryWindow::replot() {
    PlotResult result = PlotModel::plotGraph(state_);
    cursor_.clearDragBars();
    plot_->setPicture(std::move(result.picture));
    if (result.labels)
        showLabels(*result.labels);
}

void HistoryWindow::showLabels(const PlotLabels& labels) {
    for (size_t t = 0; t < scaleTops_.size(); ++t) {
        scaleTops_[t]->setText(labels.scaleTop[t]);
        scaleBottoms_[t]->setText(labels.scaleBottom[t]);
    }
    startLabel_->setText(labels.start);
    finishLabel_->setText(labels.finish);
    fromHourBox_->setText(labels.boxes.fromHour);
    fromMinuteBox_->setText(labels.boxes.fromMinute);
    toHourBox_->setText(labels.boxes.toHour);
    toMinuteBox_->setText(labels.boxes.toMinute);
    energyLabel_->setText(labels.energy);
    energyLabel_->setToolTip(state_.LogIntervalSeconds
                                 ? QString()
                                 : QStringLiteral("The logging interval in prog.cfg is not a "
                                                  "number, so the watt-hours of the span are "
                                                  "not known."));
}

TimeBoxes HistoryWindow::timeBoxes() const {
    return {fromHourBox_->text(), fromMinuteBox_->text(), toHourBox_->text(), toMinuteBox_->text()};
}

void HistoryWindow::message(const QString& text) {
    env_.prompts.showMessage(this, text);
}

} // namespace tarnby
