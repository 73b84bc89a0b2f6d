#pragma once
// Bytes from the serial line in, telemetry frames out. No widget, no port: the caller hands
// over each notification's bytes.
//
// Rules (per notification):
// - The bytes are appended to ReceiveBuffer; nothing that arrived is dropped.
// - If the buffer then holds "][" anywhere it is emptied (two frames sent back to back are
//   both discarded: the board must separate frames). Since every "]" is consumed before the
//   next notification, the pair can only arrive within one notification's bytes. A receiver
//   made with BackToBack::CutBoth (the calibration window's) cuts such frames like any other.
// - Every complete frame in the buffer is cut, in order: a "]" that stands before any "["
//   discards the text up to and including it (and never re-counts the previous frame); text
//   before a "[" is ignored; the text after a cut frame's "]" stays for the next frame.
// - The buffer never grows beyond MaxBufferBytes between notifications: noise that never holds
//   both brackets keeps only its most recent bytes (a frame is under a hundred bytes).
// - CutFrame::previousFrameText is what the status line shows for that frame; the caller then
//   evaluates frameText (extractFrameValues, computeReadings) and, when that fails, shows the
//   corrupt-data text instead. Only that frame is lost: the bytes after it are already kept.

#include <QByteArray>
#include <QByteArrayView>
#include <vector>

namespace tarnby {

struct CutFrame {
    QByteArray frameText;         // from its "[" to its "]" inclusive
    QByteArray previousFrameText; // the frame cut before this one ("" at the first cut)
};

class FrameReceiver {
public:
    static constexpr qsizetype MaxBufferBytes = 4096;

    // What frames sent back to back ("][") do.
    enum class BackToBack {
        EmptyBuffer, // both are discarded with the rest of the buffer
        CutBoth      // each is cut as if the board had separated them
    };
    explicit FrameReceiver(BackToBack backToBack = BackToBack::EmptyBuffer)
        : backToBack_(backToBack) {}

    struct Notification {
        // True when the buffer held both brackets at some point (the data lamp lights).
        bool reachedCut = false;
        std::vector<CutFrame> frames;
    };

    Notification receive(QByteArrayView bytes);

    // Starts afresh (on each reopen of the port).
    void clearBuffer() { receiveBuffer_.clear(); }
    const QByteArray& receiveBuffer() const { return receiveBuffer_; }

private:
    BackToBack backToBack_;
    QByteArray receiveBuffer_;
    QByteArray lastFrame_; // the frame cut last, the next frame's previousFrameText
};

} // namespace tarnby
