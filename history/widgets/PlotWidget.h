#pragma once
// The plot box `Plot`: shows the last plot picture and the drag bars, repainting them from
// that state whenever the window system asks (covered and uncovered, resized), and turns mouse
// positions into the box's horizontal scale for the cursor.

#include "history/PlotCursor.h"
#include "history/PlotModel.h"

#include <QWidget>
#include <vector>

namespace tarnby {

class PlotWidget : public QWidget {
    Q_OBJECT
public:
    explicit PlotWidget(QWidget* parent = nullptr);

    // Replaces the drawing; an undrawn picture is a cleared box.
    void setPicture(PlotPicture picture);
    const PlotPicture& picture() const { return picture_; }
    // The drag bars to paint over the traces (owned by the cursor, which outlives this).
    void setDragBars(const std::vector<DragBar>* bars) { bars_ = bars; }
    // The bars grew: repaint the strip along the top edge.
    void dragBarsChanged();

    // A pixel column in the box's horizontal scale (0 at the left edge, the extent at the
    // right); 0 while the box is empty.
    double plotX(double pixelX) const;

    QSize sizeHint() const override { return {760, 420}; }
    QSize minimumSizeHint() const override { return {240, 140}; }

signals:
    void mousePressed(double x);
    void mouseMoved(double x);
    void mouseReleased(double x);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    PlotPicture picture_;
    const std::vector<DragBar>* bars_ = nullptr;
};

} // namespace tarnby
