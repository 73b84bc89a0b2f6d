#pragma once
// One day of the month view: a button that paints the day's mark (its energy bar, its volts
// range, its number underneath) and that a click, Space or Enter chooses. Its accessible name is
// the day's readout, so a screen reader reads the date and the figures of the day in focus.
//
// Keys it does not use itself (the arrows, Home, End, Page Up, Page Down) go on to the month
// view, which moves between the days and the months and makes one day the Tab stop.

#include "history/MonthPlot.h"

#include <QAbstractButton>

namespace tarnby {

class MonthDayButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit MonthDayButton(QWidget* parent = nullptr);

    void setMark(const MonthDayMark& mark, bool zeroLine, double zeroY);
    const MonthDayMark& mark() const { return mark_; }

    QSize sizeHint() const override { return {22, 200}; }
    QSize minimumSizeHint() const override { return {8, 60}; }

signals:
    // The mouse came over the day, or the keyboard focus did.
    void pointed(const QString& readout);
    void focused();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    MonthDayMark mark_;
    bool zeroLine_ = false;
    double zeroY_ = 0;
};

} // namespace tarnby
