#include "tools/BoardSender.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tarnby::board {

namespace {

// A reader that stops reading fills the terminal's buffer; beyond this much queued text the
// board stops making frames until the reader catches up.
constexpr qsizetype kBacklogLimit = 8192;

// One line on standard output per event, stamped with the seconds since the board started.
void say(const QString& text) {
    static QElapsedTimer sinceStart;
    if (!sinceStart.isValid())
        sinceStart.start();
    std::fprintf(stdout, "tarnby-board: [%.1f s] %s\n", sinceStart.elapsed() / 1000.0,
                 text.toLocal8Bit().constData());
    std::fflush(stdout);
}

} // namespace

BoardSender::BoardSender(const BoardOptions& options, PtyPort& port, QObject* parent)
    : QObject(parent), options_(options), port_(port), profile_(options.seed, BoardCalibration{}),
      lineRng_(options.seed ^ 0x5eed5eedULL), periodMs_(1000.0 / options.rate) {
    tickTimer_.setSingleShot(true);
    tickTimer_.setTimerType(Qt::PreciseTimer);
    pieceTimer_.setSingleShot(true);
    pieceTimer_.setTimerType(Qt::PreciseTimer);
    retryTimer_.setSingleShot(true);
    retryTimer_.setInterval(20);
    connect(&tickTimer_, &QTimer::timeout, this, &BoardSender::onTick);
    connect(&pieceTimer_, &QTimer::timeout, this, &BoardSender::onPiece);
    connect(&retryTimer_, &QTimer::timeout, this, &BoardSender::writeDue);
}

void BoardSender::start() {
    clock_.start();
    say(QStringLiteral("ready on %1 -> %2, %3 frames/s, seed %4")
            .arg(port_.linkPath(), port_.deviceName())
            .arg(options_.rate)
            .arg(options_.seed));
    onTick();
}

void BoardSender::scheduleTick() {
    // Ticks keep to a fixed schedule; after a stall (a suspended machine) the board carries on
    // from now instead of sending the missed frames in a burst.
    ++ticks_;
    double dueAt = ticks_ * periodMs_;
    const double now = static_cast<double>(clock_.nsecsElapsed()) / 1e6;
    if (dueAt < now - periodMs_) {
        ticks_ = static_cast<long long>(now / periodMs_) + 1;
        dueAt = ticks_ * periodMs_;
    }
    tickTimer_.start(std::max(0, static_cast<int>(std::ceil(dueAt - now))));
}

bool BoardSender::countReached() const {
    const long long made =
        options_.noiseOnly ? noiseBlocks_ : stats_.frames + static_cast<long long>(frames_.size());
    return options_.count > 0 && made >= options_.count;
}

void BoardSender::onTick() {
    scheduleTick();
    port_.drainInput();
    const PtyPort::ReaderChanges readers = port_.readerChanges();
    if (readers.left > 0 && readerWasPresent_) {
        say(QStringLiteral("reader gone after %1 frames").arg(stats_.frames));
        readerLost();
        readerWasPresent_ = false;
    }
    if (!readers.present)
        return;
    if (!readerWasPresent_)
        say(QStringLiteral("reader connected"));
    readerWasPresent_ = true;

    if (countReached() || pending_.size() > kBacklogLimit)
        return;
    queueNext();
}

void BoardSender::queueNext() {
    if (options_.noiseOnly) {
        std::uniform_int_distribution<int> length(60, 80);
        const QByteArray garbage = lineNoise(lineRng_, length(lineRng_));
        stats_.noiseBytes += garbage.size();
        pending_ += garbage;
        ++noiseBlocks_;
        planWrites(0);
        return;
    }

    ++framesMade_;
    FrameKind kind = FrameKind::Good;
    if (options_.badEvery > 0 && framesMade_ % options_.badEvery == 0) {
        kind = options_.badKinds[damagedTurn_];
        damagedTurn_ = (damagedTurn_ + 1) % static_cast<int>(options_.badKinds.size());
    }
    const RawReading reading = options_.fixed ? *options_.fixed : profile_.next(periodMs_ / 1000);

    if (options_.noise && std::bernoulli_distribution(0.5)(lineRng_)) {
        std::uniform_int_distribution<int> length(1, 16);
        const QByteArray garbage = lineNoise(lineRng_, length(lineRng_));
        stats_.noiseBytes += garbage.size();
        pending_ += garbage;
    }
    const QByteArray frame = frameBytes(reading, kind) + "\r\n";
    pending_ += frame;
    frames_.push_back(Marker{written_ + pending_.size(), receiverView(reading, kind)});

    // Sometimes the end of this frame waits for the next write, riding with the head of the
    // next frame, as it does from a board that sends in fixed-size blocks. The last frame of a
    // --count run goes out whole.
    int heldBack = 0;
    if (options_.split && !countReached() && std::bernoulli_distribution(0.5)(lineRng_)) {
        std::uniform_int_distribution<int> tail(
            1, std::min<int>(12, static_cast<int>(frame.size()) - 1));
        heldBack = tail(lineRng_);
    }
    planWrites(heldBack);
}

void BoardSender::planWrites(int heldBack) {
    // Whatever is still planned from the last frame falls due now.
    pieceTimer_.stop();
    for (int size : pieces_)
        due_ += size;
    pieces_.clear();

    const long long ready = pending_.size() - heldBack;
    if (!options_.split || ready - due_ < 2) {
        due_ = std::max(due_, ready);
        writeDue();
        return;
    }
    // Two to four pieces, cut at random points of the text that is ready.
    std::uniform_int_distribution<int> pieceCount(2, 4);
    const int count = static_cast<int>(std::min<long long>(pieceCount(lineRng_), ready - due_));
    std::uniform_int_distribution<long long> at(due_ + 1, ready - 1);
    std::vector<long long> cuts;
    for (int i = 1; i < count; ++i)
        cuts.push_back(at(lineRng_));
    std::sort(cuts.begin(), cuts.end());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
    long long from = due_;
    for (long long cut : cuts) {
        pieces_.push_back(static_cast<int>(cut - from));
        from = cut;
    }
    pieces_.push_back(static_cast<int>(ready - from));
    onPiece();
}

void BoardSender::onPiece() {
    if (pieces_.empty())
        return;
    due_ += pieces_.front();
    pieces_.pop_front();
    writeDue();
    if (!pieces_.empty()) {
        // Short pauses: all pieces of a frame are out well before the next frame is due.
        const int most =
            std::clamp(static_cast<int>(periodMs_ / (2.0 * (pieces_.size() + 1))), 1, 40);
        std::uniform_int_distribution<int> pause(std::min(2, most), most);
        pieceTimer_.start(pause(lineRng_));
    }
}

void BoardSender::writeDue() {
    while (due_ > 0 && !pending_.isEmpty()) {
        const long long n =
            port_.write(pending_.constData(), std::min<long long>(due_, pending_.size()));
        if (n == PtyPort::ReaderGone) {
            if (!writeFailing_)
                say(QStringLiteral("write failed: %1").arg(port_.lastError()));
            writeFailing_ = true;
            readerLost();
            return;
        }
        if (n == 0) {
            retryTimer_.start();
            return;
        }
        writeFailing_ = false;
        pending_.remove(0, n);
        due_ -= n;
        written_ += n;
        stats_.bytes += n;
        settle();
    }
}

void BoardSender::settle() {
    while (!frames_.empty() && frames_.front().end <= written_) {
        stats_.count(frames_.front().view);
        frames_.pop_front();
    }
    if (countReached() && frames_.empty() && pending_.isEmpty() && !finishedSent_) {
        finishedSent_ = true;
        if (options_.noiseOnly)
            say(QStringLiteral("sent %1 bytes of noise").arg(stats_.noiseBytes));
        else
            say(QStringLiteral("sent %1 frames").arg(stats_.frames));
        if (!options_.hold)
            emit finished();
    }
}

void BoardSender::readerLost() {
    // The unwritten rest goes: a new reader starts with a fresh frame, not a stale tail.
    written_ += pending_.size();
    pending_.clear();
    due_ = 0;
    pieces_.clear();
    pieceTimer_.stop();
    retryTimer_.stop();
    frames_.clear();
    port_.discardUnread();
}

} // namespace tarnby::board
