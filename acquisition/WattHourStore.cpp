#include "acquisition/WattHourStore.h"

#include "common/PictureFormat.h"
#include "common/TimeText.h"

namespace tarnby {

QByteArray wattHourLine(const QTime& time, double total) {
    return timeOfDayText(time).toLatin1() + "  " + formatPicture(total, "#####.0").toLatin1() +
           " Wh\r\n";
}

WattHourStore::TickOutcome WattHourStore::tick(const QDateTime& now, double liveWatts,
                                               double& wattHourTotal, bool linkUp) {
    TickOutcome outcome;
    // The date, not a window after midnight: a tick delayed by a busy or suspended machine
    // still closes the day once, and the next tick of the new day does not close it again.
    const QDate today = now.date();
    if (today != lastDate_) {
        held_ += wattHourLine(now.time(), wattHourTotal);
        wattHourTotal = 0;
        lastDate_ = today;
    }
    if (!held_.isEmpty()) {
        outcome.wroteLine = true;
        outcome.append = writeHeld();
    }
    // Each 5 s tick adds five seconds of energy: 720 ticks make an hour.
    if (linkUp)
        wattHourTotal += liveWatts / 720;
    return outcome;
}

FileOutcome WattHourStore::appendExitLine(const QDateTime& now, double wattHourTotal) {
    if (exitWritten_)
        return FileOutcome{true, {}, false};
    exitWritten_ = true;
    held_ += wattHourLine(now.time(), wattHourTotal);
    return writeHeld();
}

FileOutcome WattHourStore::writeHeld() {
    const FileOutcome outcome = appendLineDurably(paths_.wattHourFile(), held_);
    // Lines in the file but not confirmed on disk are not written again.
    if (outcome.ok || outcome.unconfirmed)
        held_.clear();
    return outcome;
}

} // namespace tarnby
