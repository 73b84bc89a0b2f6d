#pragma once
// The live list of readings: rows of a value and its label in three columns, the
// first of which stays empty, in a sunken box. Only the cells whose text changed are redrawn:
// on a steady board a frame redraws a few digits and nothing else. Screen readers see one item
// per row and hear when its text changes.

#include "acquisition/ReadingDisplay.h"

#include <QFrame>
#include <QStringList>
#include <QVector>

namespace tarnby {

class ReadingsList : public QFrame {
    Q_OBJECT
public:
    explicit ReadingsList(QWidget* parent = nullptr);

    void setColumnWidths(int first, int value, int label);
    // Shows these rows; a different number of rows redraws the whole list.
    void showRows(const QVector<ReadingRow>& rows);

    const QVector<ReadingRow>& rows() const { return rows_; }
    QStringList values() const;
    QStringList labels() const;
    // Where a row is drawn, in the list's coordinates.
    QRect rowRect(int row) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QRect cellRect(int row, int column) const;
    void rowTextChanged(int row);

    QVector<ReadingRow> rows_;
    int columnLeft_[3] = {0, 0, 0};
    int columnWidth_[3] = {0, 0, 0};
    int rowHeight_ = 1;
    static constexpr int textMargin_ = 3;
};

} // namespace tarnby
