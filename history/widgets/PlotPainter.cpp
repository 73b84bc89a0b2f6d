#include "history/widgets/PlotPainter.h"

#include "common/widgets/Palette.h"

#include <QPainter>
#include <QPen>
#include <QPointF>

#include <algorithm>
#include <cmath>

namespace tarnby {

namespace {
static_assert(std::tuple_size_v<std::remove_cvref_t<decltype(palette::trace)>> == TraceCount);

// Pixel row of a height on the box.
int row(double pixelY) {
    constexpr double Far = 1 << 20; // far beyond any screen, and still an int
    return static_cast<int>(std::lround(std::clamp(pixelY, -Far, Far)));
}

// A trace with fewer records than pixel columns: every segment as it is.
void paintSegments(QPainter& painter, const PlotTrace& trace, const QColor& colour,
                   const QRect& box, double sx, double sy, std::vector<QPointF>& points) {
    points.resize(trace.y.size());
    for (size_t j = 0; j < trace.y.size(); ++j)
        points[j] = QPointF(box.left() + static_cast<double>(j) * sx, box.top() + trace.y[j] * sy);
    painter.setPen(QPen(colour, 0));
    painter.drawPolyline(points.data(), static_cast<int>(points.size()));
}

// A trace with more records than pixel columns. A one-pixel polyline can show no more in a
// column than one run of pixels from the lowest to the highest point it passes there: the
// column's own records, and half of each step to the neighbouring columns (the segment into
// the next column changes columns half-way). So each column is drawn as that one run, which
// looks the same as every segment drawn one by one, at a fraction of the cost.
void paintColumns(QPainter& painter, const PlotTrace& trace, const QColor& colour, const QRect& box,
                  double sx, double sy, std::vector<QRect>& runs) {
    struct Column {
        int x;
        double first, last, low, high; // pixel heights
    };
    std::vector<Column> columns;
    columns.reserve(static_cast<size_t>(box.width()) + 2);
    const std::vector<double>& y = trace.y;
    for (size_t j = 0; j < y.size(); ++j) {
        const int x = static_cast<int>(std::lround(static_cast<double>(j) * sx));
        const double py = box.top() + y[j] * sy;
        if (columns.empty() || columns.back().x != x) {
            columns.push_back({x, py, py, py, py});
            continue;
        }
        Column& c = columns.back();
        c.last = py;
        c.low = std::min(c.low, py);
        c.high = std::max(c.high, py);
    }
    runs.clear();
    for (size_t i = 0; i < columns.size(); ++i) {
        const Column& c = columns[i];
        double low = c.low;
        double high = c.high;
        if (i > 0) {
            const double in = (columns[i - 1].last + c.first) / 2;
            low = std::min(low, in);
            high = std::max(high, in);
        }
        if (i + 1 < columns.size()) {
            const double out = (c.last + columns[i + 1].first) / 2;
            low = std::min(low, out);
            high = std::max(high, out);
        }
        const int top = std::max(row(low), box.top());
        const int bottom = std::min(row(high), box.bottom());
        if (top <= bottom)
            runs.emplace_back(box.left() + c.x, top, 1, bottom - top + 1);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawRects(runs.data(), static_cast<int>(runs.size()));
}

void paintZeroLine(QPainter& painter, const QRect& box, const ZeroLine& line) {
    if (!line.drawn)
        return;
    const double y = box.top() + line.y * (box.height() - 1) / line.span;
    painter.drawLine(QPointF(box.left(), y), QPointF(box.right(), y));
}
} // namespace

double pixelsPerStep(const QRect& box, const PlotPicture& picture) {
    if (!picture.drawn || !(picture.extent > 0))
        return 0;
    return (box.width() - 1) / picture.extent;
}

void paintPlot(QPainter& painter, const QRect& box, const PlotPicture& picture,
               const std::vector<DragBar>& dragBars) {
    painter.fillRect(box, palette::plotBackground);
    const double sx = pixelsPerStep(box, picture);
    if (sx <= 0)
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);

    painter.setPen(QPen(palette::zeroLine, 0));
    paintZeroLine(painter, box, picture.ampsZero);
    paintZeroLine(painter, box, picture.wattsZero);

    std::vector<QPointF> points;
    std::vector<QRect> runs;
    for (size_t t = 0; t < picture.traces.size(); ++t) {
        const PlotTrace& trace = picture.traces[t];
        if (!trace.shown || trace.y.size() < 2)
            continue;
        const double sy = (box.height() - 1) / trace.span;
        if (sx >= 1)
            paintSegments(painter, trace, palette::trace[t], box, sx, sy, points);
        else
            paintColumns(painter, trace, palette::trace[t], box, sx, sy, runs);
    }

    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(palette::dragBar, 2, Qt::SolidLine, Qt::FlatCap));
    for (const DragBar& bar : dragBars)
        painter.drawLine(QPointF(box.left() + bar.from * sx, box.top() + 1),
                         QPointF(box.left() + bar.to * sx, box.top() + 1));
    painter.restore();
}

} // namespace tarnby
