#pragma once
// A message of the history window shared by its buttons and the export.

#include <QString>

namespace tarnby {

// What DISPLAY and .CSV say while no day log has been picked.
inline QString chooseDayLogMessage() {
    return QStringLiteral("Choose a day log from the file list first.");
}

} // namespace tarnby
