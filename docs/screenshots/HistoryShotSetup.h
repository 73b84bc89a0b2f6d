#pragma once
// What the history window's screenshot runs on: an application folder in a temporary directory
// with a prog.cfg and generated day logs, a clock standing still on 6 December 2026 at noon,
// and message boxes that are only recorded.

#include "acquisition/RecordLayout.h"
#include "config/ProgSettings.h"
#include "platform/Clock.h"
#include "platform/widgets/Environment.h"
#include "platform/widgets/UserPrompts.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace tarnby::shot {

class StillClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime(QDate(2026, 12, 6), QTime(12, 0)); }
};

class RecordedPrompts final : public UserPrompts {
public:
    void showMessage(QWidget*, const QString& text) override { messages << text; }
    void runModal(QDialog& window) override { window.show(); }
    QStringList messages;
};

struct ShotFolder {
    ShotFolder() { QDir(dir.path()).mkdir(QStringLiteral("logs")); }
    Environment environment() { return {AppPaths(dir.path()), clock, prompts, {}}; }
    bool write(const QString& relative, const QByteArray& bytes) const {
        QFile file(dir.path() + u'/' + relative);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }
    // prog.cfg of a 24 V, 20 A system logging every `logDelay` seconds, wind speed in MPH.
    bool writeProgCfg(const QString& logDelay) const {
        return write(QStringLiteral("prog.cfg"), progCfgBytes({"1", "0", "0", logDelay, "0", "1",
                                                               "1", "MPH", "24", "20", "4800"}));
    }

    QTemporaryDir dir;
    StillClock clock;
    RecordedPrompts prompts;
};

struct DayRecord {
    int minute = 0; // minutes since midnight
    Readings readings{};
    double& operator[](Reading reading) { return readings[readingIndex(reading)]; }
};

// `count` records spread evenly from 00:01 to 23:58: wind gusting over the day, a load in the
// evening. Same seed, same day.
inline std::vector<DayRecord> generatedDay(int count, std::uint32_t seed) {
    std::vector<DayRecord> day(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        DayRecord& r = day[static_cast<size_t>(i)];
        r.minute = 1 + static_cast<int>(i * 1438LL / count);
        const double h = r.minute / 60.0; // hour of day
        seed = seed * 1664525u + 1013904223u;
        const double noise = static_cast<double>(seed >> 8) / (1u << 23) - 1; // -1 to 1
        const double speed =
            std::max(0.0, 9.5 - 5.5 * std::cos(h / 3.82) + 3 * std::sin(h * 1.7) + noise / 3);
        const double rpm = std::clamp((speed - 7) * 32, 0.0, 460.0);
        const double amps = std::max(0.0, (rpm - 40) / 22) - 2.2 - (h > 17.5 && h < 22.5 ? 5.5 : 0);
        const double volts = 25.4 + 0.06 * amps;
        r.readings = {volts, amps, volts * amps, rpm, speed};
    }
    return day;
}

// The records as the logger writes them, with a watt-hour total of 0.
inline QByteArray dayLogBytes(const std::vector<DayRecord>& day) {
    QByteArray bytes;
    for (const DayRecord& r : day)
        bytes += record::recordLine(QTime(r.minute / 60, r.minute % 60), r.readings, 0, 0);
    return bytes;
}

} // namespace tarnby::shot
