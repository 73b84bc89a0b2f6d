#pragma once
// Drives the simulated board: at the frame rate it makes the next frame (or noise), queues
// its bytes and writes them to the pseudo-terminal, whole or in timed pieces.
//
// Frames go out only while a reader holds the port open: with nobody listening nothing is
// queued, and what a departing reader left unread is discarded, so each reader gets a clean
// stream and the statistics count only frames a reader could have received. A full terminal
// buffer (a reader that stopped reading) holds the queue back instead of losing bytes; the
// frames that fall due meanwhile are skipped, not counted.

#include "tools/BoardOptions.h"
#include "tools/ChargingProfile.h"
#include "tools/PtyPort.h"
#include "tools/SendStats.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <deque>
#include <random>

namespace tarnby::board {

class BoardSender : public QObject {
    Q_OBJECT
public:
    BoardSender(const BoardOptions& options, PtyPort& port, QObject* parent = nullptr);

    void start();
    const SendStats& stats() const { return stats_; }

signals:
    // --count frames (with --noise-only, blocks of garbage) have been written, and --hold
    // was not given.
    void finished();

private:
    struct Marker {
        long long end; // stream offset just past the frame's last byte
        ReceiverView view;
    };

    void onTick();
    void scheduleTick();
    void queueNext();
    void planWrites(int heldBack);
    void onPiece();
    void writeDue();
    void readerLost();
    void settle();
    bool countReached() const;

    BoardOptions options_;
    PtyPort& port_;
    ChargingProfile profile_;
    std::mt19937_64 lineRng_;
    SendStats stats_;

    QTimer tickTimer_;
    QTimer pieceTimer_;
    QTimer retryTimer_;
    QElapsedTimer clock_;
    double periodMs_;
    long long ticks_ = 0;
    bool readerWasPresent_ = false;
    bool finishedSent_ = false;
    bool writeFailing_ = false; // reported once per run of failed writes

    QByteArray pending_;        // queued bytes not yet written
    long long due_ = 0;         // bytes at the head of pending_ whose time has come
    long long written_ = 0;     // stream offset of the first byte of pending_
    std::deque<int> pieces_;    // sizes of the pieces still to fall due, in order
    std::deque<Marker> frames_; // frames queued and not yet written whole
    long long framesMade_ = 0;
    long long noiseBlocks_ = 0; // --noise-only: blocks of garbage queued
    int damagedTurn_ = 0;
};

} // namespace tarnby::board
