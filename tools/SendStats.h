#pragma once
// What the board has put on the line, counted when a frame's last byte has been written.
// A frame cut short because its reader went away is not counted.

#include "tools/FrameMaker.h"

#include <QString>

namespace tarnby::board {

struct SendStats {
    long long frames = 0;   // frames written whole, of every kind
    long long accepted = 0; // of those, the ones a receiver accepts
    long long dropped = 0;  // ones a receiver drops without a word (V "0", no V tag)
    long long corrupt = 0;  // ones that put a receiver on its corrupt-data path
    // Raw values of the accepted frames, as a receiver reads them (letters count 0).
    double sumV = 0, sumI = 0, sumR = 0, sumM = 0, sumS = 0;
    long long noiseBytes = 0;
    long long bytes = 0; // everything written

    void count(const ReceiverView& view);
};

// Writes the statistics as "key=value" lines, replacing the file whole.
bool writeStatsFile(const QString& path, const SendStats& stats);

} // namespace tarnby::board
