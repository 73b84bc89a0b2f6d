#pragma once
// What screen readers see of the readings list: a list with one item per row, named by its
// value and label ("12.57 Volts").

#include <QString>

class QAccessibleInterface;
class QObject;

namespace tarnby {

// An accessibility factory (QAccessible::installFactory) for ReadingsList.
QAccessibleInterface* readingsListAccessible(const QString& className, QObject* object);

} // namespace tarnby
