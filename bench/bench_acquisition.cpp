// Receive path and record writer speed.
//
// BM_ReceiveFrames: the receiver, the frame extraction and the reading computation, fed a
// board's stream cut at random points as a serial port delivers it, with some bad frames and
// line noise between frames. The line runs at 57,600 baud (5,760 bytes/s); the path should
// keep up with 10,000 times that on one core.
//
// BM_WriteRecord: one day-log record, including fdatasync, on the disk that holds /var/tmp
// (set TARNBY_BENCH_DIR to measure another).

#include "acquisition/DayLogWriter.h"
#include "acquisition/FrameReceiver.h"
#include "acquisition/FrameValues.h"
#include "acquisition/LiveReadings.h"

#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <vector>

using namespace tarnby;

namespace {
struct Stream {
    QByteArray bytes;
    std::vector<QByteArrayView> reads;
    long long frames = 0;
};

QByteArray number(QRandomGenerator& random, int low, int high) {
    return QByteArray::number(random.bounded(low, high));
}

Stream boardStream() {
    QRandomGenerator random(5760);
    Stream s;
    for (int i = 0; i < 20000; ++i) {
        const int kind = random.bounded(100);
        QByteArray v = number(random, 1150, 1480);
        QByteArray tags = "<V>" + v + "</V>";
        if (kind == 0)
            tags = "</V>" + v + "<V>"; // corrupt
        else if (kind == 1)
            tags = "<V>0</V>"; // dropped
        else if (kind == 2)
            tags = "<V>1x7</V>"; // letters: V = 0
        s.bytes += '[' + tags + "<I>" + number(random, 480, 760) + "</I><R>" +
                   number(random, 0, 400) + "</R><M>0</M><S>" + number(random, 0, 90) + "</S>]";
        s.bytes += kind == 3 ? QByteArray("\r\n~#noise#~\r\n") : QByteArray("\r\n");
        ++s.frames;
    }
    // A serial read holds whatever arrived since the last one: from a byte to a few frames.
    for (qsizetype at = 0; at < s.bytes.size();) {
        const qsizetype length = std::min<qsizetype>(random.bounded(1, 160), s.bytes.size() - at);
        s.reads.push_back(QByteArrayView(s.bytes.constData() + at, length));
        at += length;
    }
    return s;
}

CalibrationSettings calibration() {
    return {QStringLiteral("100"), QStringLiteral("500"), QStringLiteral("10"), QStringLiteral("2"),
            QStringLiteral("10")};
}
} // namespace

static void BM_ReceiveFrames(benchmark::State& state) {
    const Stream stream = boardStream();
    const CalibrationNumbers factors = CalibrationNumbers::read(calibration());
    long long accepted = 0;
    for (auto _ : state) {
        FrameReceiver receiver;
        LiveReadings readings;
        IntervalSums sums;
        for (QByteArrayView read : stream.reads) {
            for (const CutFrame& frame : receiver.receive(read).frames) {
                const FrameExtraction e = extractFrameValues(frame.frameText);
                if (e.outcome == FrameExtraction::Outcome::Accepted &&
                    computeReadings(e.values, factors, true, readings, sums))
                    ++accepted;
            }
        }
        benchmark::DoNotOptimize(sums);
    }
    state.SetBytesProcessed(state.iterations() * stream.bytes.size());
    state.counters["frames/s"] =
        benchmark::Counter(double(state.iterations() * stream.frames), benchmark::Counter::kIsRate);
    state.counters["accepted"] = double(accepted) / double(state.iterations());
}
BENCHMARK(BM_ReceiveFrames)->Unit(benchmark::kMillisecond);

static void BM_WriteRecord(benchmark::State& state) {
    const QByteArray base = qgetenv("TARNBY_BENCH_DIR");
    QTemporaryDir dir((base.isEmpty() ? QStringLiteral("/var/tmp") : QString::fromLocal8Bit(base)) +
                      QStringLiteral("/tarnby-bench-XXXXXX"));
    if (!dir.isValid()) {
        state.SkipWithError("cannot create a folder for the day logs");
        return;
    }
    DayLogWriter writer{AppPaths(dir.path())};
    LiveReadings readings;
    readings.WattHourTotal = 1234.56;
    QDateTime now(QDate(2026, 12, 6), QTime(12, 0));
    for (auto _ : state) {
        IntervalSums sums;
        sums.SumVolts = 125.7;
        sums.SumAmps = 32.0;
        sums.SumWatts = 402.2;
        sums.SumRPM = 1230;
        sums.SumSpeed = 53;
        sums.SampleCount = 10;
        const DayLogWriter::Outcome outcome = writer.writeRecord(now, sums, readings);
        if (!outcome.append.ok) {
            state.SkipWithError(outcome.append.error.toLocal8Bit().constData());
            break;
        }
        now = now.addSecs(10);
    }
}
// The time a tick waits for the disk, not just the CPU it uses.
BENCHMARK(BM_WriteRecord)->Unit(benchmark::kMicrosecond)->UseRealTime();
