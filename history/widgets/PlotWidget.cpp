#include "history/widgets/PlotWidget.h"

#include "history/widgets/PlotPainter.h"

#include <QMouseEvent>
#include <QPainter>

namespace tarnby {

PlotWidget::PlotWidget(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Plot"));
    setMouseTracking(true);
    // Every paint covers the whole box, so nothing underneath needs drawing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void PlotWidget::setPicture(PlotPicture picture) {
    picture_ = std::move(picture);
    update();
}

void PlotWidget::dragBarsChanged() {
    update(QRect(0, 0, width(), 4));
}

double PlotWidget::plotX(double pixelX) const {
    const double sx = pixelsPerStep(rect(), picture_);
    return sx > 0 ? pixelX / sx : 0;
}

void PlotWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    static const std::vector<DragBar> none;
    paintPlot(painter, rect(), picture_, bars_ ? *bars_ : none);
}

void PlotWidget::mousePressEvent(QMouseEvent* event) {
    emit mousePressed(plotX(event->position().x()));
}

void PlotWidget::mouseMoveEvent(QMouseEvent* event) {
    emit mouseMoved(plotX(event->position().x()));
}

void PlotWidget::mouseReleaseEvent(QMouseEvent* event) {
    emit mouseReleased(plotX(event->position().x()));
}

} // namespace tarnby
