#include "history/widgets/MonthView.h"

#include "common/widgets/NamedWidget.h"
#include "common/widgets/Palette.h"
#include "history/widgets/MonthDayButton.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace tarnby {

namespace {
// A label whose text is set later, in `colour` (the window's own text colour when invalid).
QLabel* makeLabel(QWidget* parent, const char* name, const QColor& colour = QColor()) {
    auto* label = makeNamed<QLabel>(parent, name);
    if (colour.isValid())
        label->setStyleSheet(QStringLiteral("color: %1;").arg(colour.name()));
    return label;
}

QPushButton* makeStepButton(QWidget* parent, const char* name, const QString& caption,
                            const QString& what) {
    auto* button = makeNamed<QPushButton>(parent, name, caption);
    button->setAccessibleName(what);
    button->setToolTip(what);
    button->setAutoDefault(false);
    button->setMaximumWidth(40);
    return button;
}
} // namespace

MonthView::MonthView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("MonthView"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);

    auto* header = new QHBoxLayout;
    previous_ = makeStepButton(this, "previousMonth", QStringLiteral("<"),
                               QStringLiteral("Previous month (Page Up)"));
    next_ = makeStepButton(this, "nextMonth", QStringLiteral(">"),
                           QStringLiteral("Next month (Page Down)"));
    title_ = makeLabel(this, "monthTitle");
    QFont titleFont = title_->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.3);
    titleFont.setBold(true);
    title_->setFont(titleFont);
    title_->setMinimumWidth(160);
    title_->setAlignment(Qt::AlignCenter);
    total_ = makeLabel(this, "monthTotal");
    best_ = makeLabel(this, "bestDay");
    header->addWidget(previous_);
    header->addWidget(title_);
    header->addWidget(next_);
    header->addStretch(1);
    header->addWidget(total_);
    header->addSpacing(24);
    header->addWidget(best_);
    column->addLayout(header);

    auto* plot = new QGridLayout;
    energyTop_ = makeLabel(this, "energyTop", palette::energyScale);
    energyBottom_ = makeLabel(this, "energyBottom", palette::energyScale);
    voltsTop_ = makeLabel(this, "voltsTop", palette::voltsScale);
    voltsBottom_ = makeLabel(this, "voltsBottom", palette::voltsScale);
    energyTop_->setAlignment(Qt::AlignRight | Qt::AlignTop);
    energyBottom_->setAlignment(Qt::AlignRight | Qt::AlignBottom);
    voltsTop_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    voltsBottom_->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    auto* bars = makeNamed<QWidget>(this, "monthBars");
    bars->setStyleSheet(
        QStringLiteral("#monthBars { background-color: %1; }").arg(palette::plotBackground.name()));
    bars->setAttribute(Qt::WA_StyledBackground);
    auto* barRow = new QHBoxLayout(bars);
    barRow->setContentsMargins(2, 2, 2, 2);
    barRow->setSpacing(1);
    for (size_t d = 0; d < days_.size(); ++d) {
        auto* day = new MonthDayButton(bars);
        barRow->addWidget(day);
        days_[d] = day;
    }
    plot->addWidget(energyTop_, 0, 0);
    plot->addWidget(energyBottom_, 1, 0);
    plot->addWidget(bars, 0, 1, 2, 1);
    plot->addWidget(voltsTop_, 0, 2);
    plot->addWidget(voltsBottom_, 1, 2);
    plot->setColumnStretch(1, 1);
    column->addLayout(plot, 1);

    readout_ = makeLabel(this, "monthReadout");
    readout_->setMinimumHeight(readout_->fontMetrics().height() * 2);
    readout_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    auto* legend = makeLabel(this, "monthLegend", palette::legendText);
    legend->setText(QStringLiteral("Bars: the day's energy (left scale). Red: the day's lowest "
                                   "to highest battery volts (right scale). A dashed box with "
                                   "\"!\": a day log that cannot be read or holds too many "
                                   "records, not counted in the month total."));
    legend->setWordWrap(true);
    legend->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* footer = new QHBoxLayout;
    footer->addWidget(readout_, 1);
    footer->addWidget(legend, 1);
    column->addLayout(footer);

    makeTabStop(days_[0]);
    for (MonthDayButton* day : days_) {
        connect(day, &MonthDayButton::pointed, readout_, &QLabel::setText);
        connect(day, &MonthDayButton::focused, this, [this, day] { makeTabStop(day); });
        connect(day, &QAbstractButton::clicked, this, [this, day] {
            readout_->setText(day->mark().readout);
            emit dayChosen(day->mark().date);
        });
    }
    connect(previous_, &QPushButton::clicked, this, [this] { emit monthStep(-1); });
    connect(next_, &QPushButton::clicked, this, [this] { emit monthStep(1); });
}

void MonthView::setPlot(const MonthPlot& plot) {
    const int focused = focusedDay();
    plot_ = plot;
    title_->setText(plot.title);
    total_->setText(plot.total);
    best_->setText(plot.best);
    energyTop_->setText(plot.energyTop);
    energyBottom_->setText(plot.energyBottom);
    voltsTop_->setText(plot.voltsTop);
    voltsBottom_->setText(plot.voltsBottom);
    readout_->clear();
    for (size_t d = 0; d < days_.size(); ++d) {
        const bool shown = d < plot.days.size();
        if (shown)
            days_[d]->setMark(plot.days[d], plot.zeroLine, plot.zeroY);
        else
            days_[d]->setAccessibleName(QString()); // no day of this month
        days_[d]->setVisible(shown);
        if (!shown && days_[d]->focusPolicy() == Qt::StrongFocus && shownDays() > 0)
            makeTabStop(days_[static_cast<size_t>(shownDays() - 1)]);
    }
    if (focused > 0)
        focusDay(focused);
}

void MonthView::focusDay(int day) {
    if (shownDays() == 0)
        return;
    MonthDayButton* button = days_[static_cast<size_t>(std::clamp(day, 1, shownDays()) - 1)];
    button->setFocus(Qt::OtherFocusReason);
    readout_->setText(button->mark().readout);
}

void MonthView::makeTabStop(const MonthDayButton* stop) {
    for (MonthDayButton* day : days_)
        day->setFocusPolicy(day == stop ? Qt::StrongFocus : Qt::ClickFocus);
}

int MonthView::focusedDay() const {
    for (int d = 0; d < shownDays(); ++d)
        if (days_[static_cast<size_t>(d)]->hasFocus())
            return d + 1;
    return 0;
}

void MonthView::keyPressEvent(QKeyEvent* event) {
    const int day = focusedDay();
    switch (event->key()) {
    case Qt::Key_PageUp:
        emit monthStep(-1);
        return;
    case Qt::Key_PageDown:
        emit monthStep(1);
        return;
    case Qt::Key_Left:
        if (day > 0)
            return focusDay(day - 1);
        break;
    case Qt::Key_Right:
        if (day > 0)
            return focusDay(day + 1);
        break;
    case Qt::Key_Home:
        if (day > 0)
            return focusDay(1);
        break;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (day > 0)
            return; // the days stay in focus
        break;
    case Qt::Key_End:
        if (day > 0)
            return focusDay(shownDays());
        break;
    default:
        break;
    }
    QWidget::keyPressEvent(event);
}

} // namespace tarnby
