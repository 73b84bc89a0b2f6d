#pragma once
// The bytes the board puts on the line: telemetry frames "[<V>…</V><I>…</I><R>…</R><M>…</M>
// <S>…</S>]" (the caller ends each with CR LF), the kinds of damaged frame a flaky board or
// cable produces, and line noise. Noise never holds "[" or "]", so it never joins or cuts a
// frame; it only sits between frames.

#include "tools/RawReading.h"

#include <QByteArray>
#include <random>

namespace tarnby::board {

enum class FrameKind {
    Good,
    ZeroVolts,       // V is exactly "0": a receiver drops the frame
    LowerCaseTags,   // "<v>…</v>" and so on: no V tag, a receiver drops the frame
    ClosingTagFirst, // "</V>" before "<V>": a receiver takes its corrupt-data path
    LettersForVolts, // V is letters: a receiver accepts the frame with V = 0
};

QByteArray frameBytes(const RawReading& reading, FrameKind kind);

// What a receiver that follows the frame rules makes of a frame: dropped, corrupt, or
// accepted with these values (a value that is not a number counts as 0).
struct ReceiverView {
    enum class Fate { Accepted, Dropped, Corrupt } fate = Fate::Dropped;
    double V = 0, I = 0, R = 0, M = 0, S = 0;
};
ReceiverView receiverView(const RawReading& reading, FrameKind kind);

// length bytes of noise: any byte value except "[" and "]".
QByteArray lineNoise(std::mt19937_64& rng, int length);

} // namespace tarnby::board
