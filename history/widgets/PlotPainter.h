#pragma once
// Paints a plot picture into a box: the dark grey background, the zero lines, the shown traces
// in their colours, then the drag bars along the top edge. The plot widget and anything else
// that shows a plot (an offscreen image) use this one routine.
//
// The box's horizontal scale runs from 0 at its left pixel column to the picture's extent at
// its right one, and each trace's vertical scale from 0 at the top row to its span at the
// bottom row.

#include "history/PlotCursor.h"
#include "history/PlotModel.h"

#include <QRect>
#include <vector>

class QPainter;

namespace tarnby {

void paintPlot(QPainter& painter, const QRect& box, const PlotPicture& picture,
               const std::vector<DragBar>& dragBars);

// Pixels per record step across `box`, 0 for an empty picture.
double pixelsPerStep(const QRect& box, const PlotPicture& picture);

} // namespace tarnby
