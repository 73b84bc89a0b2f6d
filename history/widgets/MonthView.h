#pragma once
// The month view of the history window's plot box: the month's title, total and best day
// above; one button per day between the energy scale (left) and the volts scale (right); under
// them the readout of the day pointed at or in focus, where the day plot's cursor readout goes.
//
// Keys, with the focus on a day: Left and Right the neighbouring day, Home and End the first
// and last, Enter, Space or a click chooses the day; Up and Down do nothing; Page Up and Page
// Down (also on the month buttons) the previous and next month. The days are one Tab stop: the
// day last in focus.

#include "history/MonthPlot.h"

#include <QWidget>
#include <array>

class QLabel;
class QPushButton;

namespace tarnby {

class MonthDayButton;

class MonthView : public QWidget {
    Q_OBJECT
public:
    explicit MonthView(QWidget* parent = nullptr);

    // Shows a month; the focus, if on a day, stays on the same day number (or the last day).
    void setPlot(const MonthPlot& plot);
    // Puts the keyboard focus on day `day` (1 to the month's length).
    void focusDay(int day);

signals:
    void dayChosen(QDate date); // its readout shown; the window loads it if it has a log
    void monthStep(int months); // -1: the previous month, 1: the next

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    int focusedDay() const; // 0 when no day has the focus
    void makeTabStop(const MonthDayButton* stop);
    int shownDays() const { return static_cast<int>(plot_.days.size()); }

    MonthPlot plot_;
    QLabel *title_ = nullptr, *total_ = nullptr, *best_ = nullptr;
    QLabel *energyTop_ = nullptr, *energyBottom_ = nullptr, *voltsTop_ = nullptr,
           *voltsBottom_ = nullptr;
    QLabel* readout_ = nullptr;
    QPushButton *previous_ = nullptr, *next_ = nullptr;
    std::array<MonthDayButton*, 31> days_{};
};

} // namespace tarnby
