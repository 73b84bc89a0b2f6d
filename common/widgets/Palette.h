#pragma once
// Every colour the windows draw with, in one place. The five trace colours are shared by the day
// plot, its check boxes and the month view, so a trace looks the same wherever it appears.

#include <QColor>
#include <array>

namespace tarnby::palette {

// The traces in drawing order: volts, amps, watts, RPM, wind speed.
inline const std::array<QColor, 5> trace = {QColor(0xFF, 0x00, 0x00), QColor(0x00, 0xFF, 0x00),
                                            QColor(0x00, 0x00, 0xFF), QColor(0xFF, 0xFF, 0x00),
                                            QColor(0xFF, 0xFF, 0xFF)};
// The check boxes under the plot: the watts box is a lighter blue than its trace so its caption
// stays readable; the wind-speed box keeps the window's own colour (invalid here).
inline const std::array<QColor, 5> traceBox = {QColor(0xFF, 0x00, 0x00), QColor(0x00, 0xFF, 0x00),
                                               QColor(0x80, 0x80, 0xFF), QColor(0xFF, 0xFF, 0x00),
                                               QColor()};
inline const QColor scaledBox(0x80, 0x80, 0x80);

inline const QColor plotBackground(0x40, 0x40, 0x40);
inline const QColor zeroLine(0xA0, 0xA0, 0xA0); // distinct from every trace and the background
inline const QColor dragBar(0xFF, 0x00, 0x00);

// The month view.
inline const QColor pointedDay(0x50, 0x50, 0x50);
inline const QColor dayEnergy(0x80, 0x80, 0xFF); // as the watts check box
inline const QColor bestDayEnergy(0xB0, 0xB0, 0xFF);
inline const QColor dayVolts(0xFF, 0x00, 0x00); // as the volts trace
inline const QColor dayNumber(0xD0, 0xD0, 0xD0);
inline const QColor refusedDay(0xFF, 0xFF, 0x00);
inline const QColor dayFocus(0xFF, 0xFF, 0xFF);
inline const QColor energyScale(0x40, 0x40, 0xC0);
inline const QColor voltsScale(0xC0, 0x00, 0x00);
inline const QColor legendText(0x60, 0x60, 0x60);

// The main window.
inline const QColor modeText(0xFF, 0x00, 0x00);
inline const QColor lampLit(0xFF, 0x00, 0x00);
inline const QColor lampBeforeFirstBlink(0xFF, 0xFF, 0xFF);
inline const QColor publishing(0x00, 0xC0, 0x00);
inline const QColor notPublishing(0xFF, 0xA0, 0x00); // connecting, or why not in the tooltip

} // namespace tarnby::palette
