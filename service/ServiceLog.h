#pragma once
// The service's messages: one line each on standard error, "tarnbyd: " first, written at once,
// so a journal shows them as they come and in order.

#include <QString>

namespace tarnby {

// Writes `text` as one line (see oneLine).
void serviceLog(const QString& text);

// A message box's text as one line: its lines joined, a problem list's "- " marks dropped, its
// items separated by "; " and the sentence after them by ". ".
QString oneLine(const QString& text);

// Qt's own warnings go the same way.
void routeQtMessagesToServiceLog();

} // namespace tarnby
