// tarnby-daylog-check <day log>: loads the file as the history window does (readWholeFile, then
// DayLogLoader for the whole day) and prints the outcome ("Loaded", "NoData", "TooMany") and
// then one line per record kept: its time in seconds and its volts, amps, watts, RPM and speed.
// The fault tests use it to show that a day log left by a killed program still loads.

#include "history/DayLogLoader.h"
#include "platform/FileWriting.h"

#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tarnby-daylog-check <day log>\n");
        return 2;
    }
    const tarnby::FileText file = tarnby::readWholeFile(QString::fromLocal8Bit(argv[1]));
    if (!file.ok) {
        std::fprintf(stderr, "cannot read %s: %s\n", argv[1], qPrintable(file.error));
        return 1;
    }
    tarnby::HistoryState state;
    // The range is open at both ends: -1 to 86400 takes in 00:00 and 23:59.
    const tarnby::LoadOutcome outcome = tarnby::DayLogLoader::load(file.text, -1, 86400, state);
    switch (outcome) {
    case tarnby::LoadOutcome::Loaded:
        std::printf("Loaded\n");
        break;
    case tarnby::LoadOutcome::NoData:
        std::printf("NoData\n");
        break;
    case tarnby::LoadOutcome::TooMany:
        std::printf("TooMany\n");
        break;
    }
    const int kept = outcome == tarnby::LoadOutcome::Loaded ? state.RecordCount : 0;
    for (int k = 1; k <= kept; ++k) {
        const auto slot = static_cast<size_t>(k);
        std::printf("%d %.2f %.2f %.2f %.0f %.1f\n", state.RecTime[slot], state.RecVolts[slot],
                    state.RecAmps[slot], state.RecWatts[slot], state.RecRPM[slot],
                    state.RecSpeed[slot]);
    }
    return 0;
}
