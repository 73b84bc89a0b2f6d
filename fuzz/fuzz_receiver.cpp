// The frame receiver fed a repeat count, a count of chunk sizes, the sizes, then a payload,
// repeated so that noise overflows the buffer. One notification gives a frame per "]" from the
// first "[" after the previous "]"; none with "][" anywhere. After each one the buffer is bounded,
// without "]" (without "][": the latest bytes since the last "]"); each frame is "[...]" naming
// the one before; chunks give the same frames when no run between brackets exceeds the buffer.

#include "acquisition/FrameReceiver.h"
#include "fuzz/FuzzCheck.h"

#include <QByteArrayList>
#include <algorithm>
#include <cstdint>
#include <vector>

using namespace tarnby;
using namespace tarnby::fuzz;

namespace {
QByteArrayList framesByRule(const QByteArray& stream) {
    QByteArrayList frames;
    qsizetype from = 0;
    for (qsizetype close = stream.indexOf(']'); close >= 0; close = stream.indexOf(']', from)) {
        const qsizetype open = stream.indexOf('[', from);
        if (open >= 0 && open < close)
            frames << stream.mid(open, close - open + 1);
        from = close + 1;
    }
    return frames;
}

// Feeds `stream` in chunks of the given sizes (cycling), checking every notification.
QByteArrayList receive(const QByteArray& stream, const std::vector<qsizetype>& sizes) {
    const bool backToBack = stream.contains("][");
    FrameReceiver receiver;
    QByteArrayList frames;
    qsizetype lastClose = -1;
    for (qsizetype at = 0, chunk = 0; at < stream.size();) {
        const qsizetype length =
            std::min(sizes[size_t(chunk++) % sizes.size()], stream.size() - at);
        const QByteArrayView bytes = QByteArrayView(stream).sliced(at, length);
        const FrameReceiver::Notification n = receiver.receive(bytes);
        if (const qsizetype close = bytes.lastIndexOf(']'); close >= 0)
            lastClose = at + close;
        at += length;
        const QByteArray& buffer = receiver.receiveBuffer();
        FUZZ_CHECK(buffer.size() <= FrameReceiver::MaxBufferBytes && !buffer.contains(']'),
                   "buffer " + printable(buffer));
        if (!backToBack) {
            const qsizetype keepFrom = std::max(lastClose + 1, at - FrameReceiver::MaxBufferBytes);
            FUZZ_CHECK(
                QByteArrayView(buffer) == QByteArrayView(stream).sliced(keepFrom, at - keepFrom),
                "buffer " + printable(buffer) + " after " + QByteArray::number(at) + " bytes");
        }
        for (const CutFrame& frame : n.frames) {
            const QByteArray& text = frame.frameText;
            FUZZ_CHECK(text.startsWith('[') && text.endsWith(']') && text.count(']') == 1,
                       "frame " + printable(text));
            FUZZ_CHECK(frame.previousFrameText == frames.value(frames.size() - 1),
                       "frame " + printable(text) + " names " + printable(frame.previousFrameText));
            frames << text;
        }
    }
    return frames;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    size_t i = 0;
    const int repeats = size > i ? 1 + data[i++] % 16 : 1;
    std::vector<qsizetype> sizes;
    for (size_t count = size > i ? data[i++] % 32 : 0; count > 0 && i < size; --count, ++i)
        sizes.push_back(data[i] < 128 ? data[i] : (data[i] - 127) * 64); // 0: an empty read
    if (std::all_of(sizes.begin(), sizes.end(), [](qsizetype s) { return s == 0; }))
        sizes.push_back(1);
    // Overflows the buffer several times, yet stays fast when fed byte by byte.
    const QByteArray stream =
        QByteArray(reinterpret_cast<const char*>(data + i), qsizetype(size - i))
            .repeated(repeats)
            .left(4 * FrameReceiver::MaxBufferBytes);
    const QByteArrayList whole = receive(stream, {stream.size()});
    const QByteArrayList chunked = receive(stream, sizes);
    if (stream.contains("][")) {
        FUZZ_CHECK(whole.isEmpty(), "\"][\" kept " + QByteArray::number(whole.size()) + " frames");
        return 0;
    }
    FUZZ_CHECK(whole == framesByRule(stream), printable(whole.join(" | ")));
    const QByteArrayList runs = stream.split(']');
    if (std::all_of(runs.begin(), runs.end(), [](const QByteArray& run) {
            return run.size() <= FrameReceiver::MaxBufferBytes;
        }))
        FUZZ_CHECK(chunked == whole, printable(chunked.join(" | ")) + " in chunks");
    return 0;
}
