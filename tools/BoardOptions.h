#pragma once
// The simulator's command line.

#include "tools/FrameMaker.h"
#include "tools/RawReading.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace tarnby::board {

struct BoardOptions {
    QString folder; // application folder; the link is <folder>/ports/COM<port>
    int port = 1;
    double rate = 2;                 // frames per second
    std::optional<RawReading> fixed; // raw values sent unchanged in every frame
    bool split = false;              // each frame in several writes, the stream cut anywhere
    int badEvery = 0;                // every Nth frame is a damaged one (0: none)
    std::vector<FrameKind> badKinds; // the damaged kinds mixed in, in turn
    bool noise = false;              // line noise between frames
    bool noiseOnly = false;          // garbage of a wrong baud rate, no frames at all
    long long count = 0;             // stop after this many frames (0: run until stopped)
    bool hold = false;               // after --count, keep the port open until stopped
    unsigned long long seed = 0;
    QString statsFile;

    QString linkPath() const;
};

// Parses the arguments (argv[0] first). On a mistake returns nothing and sets *message; for
// --help and --version sets *message to the text to print and *exitNow.
std::optional<BoardOptions> parseBoardOptions(const QStringList& arguments, QString* message,
                                              bool* exitNow);

} // namespace tarnby::board
