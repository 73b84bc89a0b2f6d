// The frame receiver fed arbitrary bytes in arbitrary chunks.
//
// Input: one byte of repeat count, one byte giving how many chunk-size bytes follow, those
// chunk-size bytes, then the payload. The stream is the payload repeated, so noise longer than
// the receive buffer occurs. It is given to one receiver in a single notification and to another
// in chunks whose sizes cycle through the chunk-size bytes (no chunk-size bytes: one byte per
// notification).
//
// Checked:
// - the single notification cuts exactly the frames of the documented rule: for each "]", the
//   text from the first "[" after the previous "]" (none when there is no such "[");
// - when the stream holds no "][" and no run between brackets exceeds the receive buffer, the
//   chunked receiver cuts the same frames, with the same outcomes and values; with longer runs,
//   each chunked frame is the tail of the frame cut at the same "]" (only the buffer limit may
//   have dropped the start), and frames keep their order;
// - after every notification the buffer holds at most MaxBufferBytes, no "]", and (without
//   "][") exactly the stream's latest bytes since its last "]";
// - each frame starts with "[", ends with its only "]", and names the frame cut before it;
// - each frame's outcome follows the value rules, with finite values.

#include "acquisition/FrameReceiver.h"
#include "acquisition/FrameValues.h"
#include "common/NumberText.h"
#include "config/TaggedValue.h"
#include "fuzz/FuzzCheck.h"

#include <QByteArray>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

using namespace tarnby;
using namespace tarnby::fuzz;

namespace {

using Outcome = FrameExtraction::Outcome;
constexpr qsizetype MaxStream = 4 * FrameReceiver::MaxBufferBytes;

struct StreamFrame {
    qsizetype close = 0; // position of its "]" in the stream
    QByteArray text;
};

// The frames of the documented rule for a stream given in one piece.
std::vector<StreamFrame> framesByRule(const QByteArray& stream) {
    std::vector<StreamFrame> frames;
    qsizetype from = 0;
    for (qsizetype close = stream.indexOf(']'); close >= 0;
         close = stream.indexOf(']', close + 1)) {
        const qsizetype open = stream.indexOf('[', from);
        if (open >= 0 && open < close)
            frames.push_back({close, stream.mid(open, close - open + 1)});
        from = close + 1;
    }
    return frames;
}

// The longest run of bytes without a "]" (the most any frame's text before its "]" can need).
qsizetype longestRunWithoutClose(const QByteArray& stream) {
    qsizetype longest = 0;
    qsizetype run = 0;
    for (const char c : stream) {
        run = c == ']' ? 0 : run + 1;
        longest = std::max(longest, run);
    }
    return longest;
}

// The value rules of one frame, from the tags directly.
FrameExtraction extractionByRule(QByteArrayView frame) {
    FrameExtraction result;
    for (const auto& [tag, field] :
         {std::pair{"V", &FrameValues::V}, std::pair{"I", &FrameValues::I}}) {
        const TaggedBytes raw = findTaggedValue(frame, tag);
        if (raw.status == TaggedValue::Status::ClosingBeforeOpening) {
            result.outcome = Outcome::Corrupt;
            return result;
        }
        if (!raw.found() || raw.value.isEmpty() || raw.value == QByteArrayView("0")) {
            result.outcome = Outcome::Dropped;
            return result;
        }
        const NumberReading number = readNumberText(raw.value);
        if (number.outOfRange) {
            result.outcome = Outcome::Corrupt;
            return result;
        }
        result.values.*field = number.value.value_or(0.0);
    }
    bool corrupt = false;
    for (const auto& [tag, field] :
         {std::pair{"R", &FrameValues::R}, std::pair{"M", &FrameValues::M},
          std::pair{"S", &FrameValues::S}}) {
        const TaggedBytes raw = findTaggedValue(frame, tag);
        corrupt = corrupt || raw.status == TaggedValue::Status::ClosingBeforeOpening;
        result.values.*field = raw.found() ? readNumber(raw.value).value_or(0.0) : 0.0;
    }
    result.outcome = corrupt ? Outcome::Corrupt : Outcome::Accepted;
    return result;
}

void checkExtraction(const QByteArray& frame) {
    const FrameExtraction got = extractFrameValues(frame);
    const FrameExtraction expected = extractionByRule(frame);
    const auto context = [&] { return QByteArray("frame " + printable(frame)); };
    FUZZ_CHECK(got.outcome == expected.outcome, context());
    if (got.outcome != Outcome::Accepted)
        return;
    for (const double FrameValues::*field :
         {&FrameValues::V, &FrameValues::I, &FrameValues::R, &FrameValues::M, &FrameValues::S}) {
        FUZZ_CHECK(std::isfinite(got.values.*field), context());
        FUZZ_CHECK(got.values.*field == expected.values.*field, context());
    }
}

struct Received {
    std::vector<CutFrame> frames;
};

// Checks what holds after any notification, whatever the stream.
void checkNotification(const FrameReceiver& receiver, const FrameReceiver::Notification& n,
                       QByteArray& lastFrame, Received& received) {
    const QByteArray& buffer = receiver.receiveBuffer();
    FUZZ_CHECK(buffer.size() <= FrameReceiver::MaxBufferBytes,
               "buffer of " + QByteArray::number(buffer.size()) + " bytes");
    FUZZ_CHECK(!buffer.contains(']'), "buffer " + printable(buffer));
    if (!n.frames.empty())
        FUZZ_CHECK(n.reachedCut, "frames cut without reaching a cut");
    for (const CutFrame& frame : n.frames) {
        const QByteArray& text = frame.frameText;
        FUZZ_CHECK(text.size() >= 2 && text.startsWith('[') && text.endsWith(']') &&
                       text.count(']') == 1,
                   "frame " + printable(text));
        FUZZ_CHECK(frame.previousFrameText == lastFrame,
                   "frame " + printable(text) + " names " + printable(frame.previousFrameText) +
                       " as previous, not " + printable(lastFrame));
        lastFrame = text;
        received.frames.push_back(frame);
    }
    FUZZ_CHECK(receiver.frameText() == lastFrame, "frameText " + printable(receiver.frameText()));
}

struct Input {
    QByteArray stream;
    std::vector<qsizetype> chunkSizes;
};

Input parse(const uint8_t* data, size_t size) {
    Input input;
    size_t i = 0;
    const int repeats = size > i ? 1 + data[i++] % 16 : 1;
    const size_t chunkBytes = size > i ? data[i++] % 32 : 0;
    for (size_t k = 0; k < chunkBytes && i < size; ++k, ++i) {
        // Small chunks byte by byte, large ones in steps of 64 bytes, 0 for an empty read.
        const uint8_t b = data[i];
        input.chunkSizes.push_back(b < 128 ? b : (b - 127) * 64);
    }
    const QByteArray payload(reinterpret_cast<const char*>(data + i),
                             static_cast<qsizetype>(size - i));
    // Long enough to overflow the receive buffer several times, short enough to stay fast when
    // delivered byte by byte.
    input.stream = payload.repeated(repeats).left(MaxStream);
    if (input.chunkSizes.empty() || std::all_of(input.chunkSizes.begin(), input.chunkSizes.end(),
                                                [](qsizetype s) { return s == 0; }))
        input.chunkSizes.push_back(1);
    return input;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Input input = parse(data, size);
    const QByteArray& stream = input.stream;
    const bool backToBack = stream.contains("][");

    // All of it in one notification.
    Received whole;
    {
        FrameReceiver receiver;
        QByteArray lastFrame;
        const FrameReceiver::Notification n = receiver.receive(stream);
        checkNotification(receiver, n, lastFrame, whole);
        if (backToBack) {
            FUZZ_CHECK(n.frames.empty() && receiver.receiveBuffer().isEmpty(),
                       "\"][\" kept " + QByteArray::number(n.frames.size()) + " frames");
        } else {
            const std::vector<StreamFrame> expected = framesByRule(stream);
            FUZZ_CHECK(whole.frames.size() == expected.size(),
                       QByteArray::number(whole.frames.size()) + " frames cut, rule gives " +
                           QByteArray::number(expected.size()));
            for (size_t k = 0; k < expected.size(); ++k)
                FUZZ_CHECK(whole.frames[k].frameText == expected[k].text,
                           printable(whole.frames[k].frameText) + " vs " +
                               printable(expected[k].text));
        }
    }

    // The same bytes in chunks.
    Received chunked;
    {
        FrameReceiver receiver;
        QByteArray lastFrame;
        qsizetype at = 0;
        qsizetype lastClose = -1;
        size_t chunk = 0;
        while (at < stream.size()) {
            const qsizetype length =
                std::min(input.chunkSizes[chunk++ % input.chunkSizes.size()], stream.size() - at);
            const QByteArrayView bytes = QByteArrayView(stream).sliced(at, length);
            const FrameReceiver::Notification n = receiver.receive(bytes);
            if (const qsizetype close = bytes.lastIndexOf(']'); close >= 0)
                lastClose = at + close;
            at += length;
            checkNotification(receiver, n, lastFrame, chunked);
            if (!backToBack) {
                // Nothing that arrived is lost: the buffer is the latest bytes since the last "]".
                const qsizetype keepFrom =
                    std::max(lastClose + 1, at - FrameReceiver::MaxBufferBytes);
                FUZZ_CHECK(QByteArrayView(receiver.receiveBuffer()) ==
                               QByteArrayView(stream).sliced(keepFrom, at - keepFrom),
                           "buffer " + printable(receiver.receiveBuffer()) + " after " +
                               QByteArray::number(at) + " bytes");
            }
        }
    }

    for (const CutFrame& frame : chunked.frames)
        checkExtraction(frame.frameText);

    if (backToBack)
        return 0;
    if (longestRunWithoutClose(stream) <= FrameReceiver::MaxBufferBytes) {
        FUZZ_CHECK(chunked.frames.size() == whole.frames.size(),
                   QByteArray::number(chunked.frames.size()) + " frames in chunks, " +
                       QByteArray::number(whole.frames.size()) + " in one piece");
        for (size_t k = 0; k < whole.frames.size(); ++k) {
            FUZZ_CHECK(chunked.frames[k].frameText == whole.frames[k].frameText,
                       printable(chunked.frames[k].frameText) + " vs " +
                           printable(whole.frames[k].frameText));
        }
    } else {
        // Each chunked frame is the tail of the frame cut at the same "]", in order.
        const std::vector<StreamFrame> expected = framesByRule(stream);
        size_t e = 0;
        for (const CutFrame& frame : chunked.frames) {
            while (e < expected.size() && !expected[e].text.endsWith(frame.frameText))
                ++e;
            FUZZ_CHECK(e < expected.size(), "frame " + printable(frame.frameText) +
                                                " is no tail of a frame of the stream");
            ++e;
        }
    }
    return 0;
}
