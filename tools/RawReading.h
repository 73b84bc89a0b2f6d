#pragma once
// One set of raw values as the board writes them into a frame: the texts between the tags.

#include <QByteArray>

namespace tarnby::board {

struct RawReading {
    QByteArray V;
    QByteArray I;
    QByteArray R;
    QByteArray M;
    QByteArray S;
};

} // namespace tarnby::board
