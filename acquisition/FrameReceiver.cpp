#include "acquisition/FrameReceiver.h"

#include <cstring>

namespace tarnby {

namespace {
qsizetype find(const char* data, qsizetype from, qsizetype to, char c) {
    if (from >= to)
        return -1;
    const void* hit = std::memchr(data + from, c, static_cast<size_t>(to - from));
    return hit ? static_cast<const char*>(hit) - data : -1;
}

bool holdsBackToBack(const QByteArray& buffer, qsizetype from) {
    const char* data = buffer.constData();
    const qsizetype size = buffer.size();
    for (qsizetype at = find(data, from, size, ']'); at >= 0; at = find(data, at + 1, size, ']'))
        if (at + 1 < size && data[at + 1] == '[')
            return true;
    return false;
}
} // namespace

FrameReceiver::Notification FrameReceiver::receive(QByteArrayView bytes) {
    Notification notification;
    const qsizetype previousSize = receiveBuffer_.size();
    receiveBuffer_.append(bytes.data(), bytes.size());

    // Frames sent back to back cannot be told apart from a frame with a stray bracket in it:
    // the whole buffer goes. The buffer never ends in "]" after a notification, so only this
    // notification's bytes can hold the pair.
    if (backToBack_ == BackToBack::EmptyBuffer && holdsBackToBack(receiveBuffer_, previousSize)) {
        receiveBuffer_.clear();
        return notification;
    }

    const char* data = receiveBuffer_.constData();
    const qsizetype size = receiveBuffer_.size();
    notification.reachedCut = find(data, 0, size, '[') >= 0 && find(data, 0, size, ']') >= 0;

    qsizetype consumed = 0;
    for (;;) {
        const qsizetype close = find(data, consumed, size, ']');
        if (close < 0)
            break;
        const qsizetype open = find(data, consumed, close, '[');
        if (open >= 0) {
            QByteArray frame(data + open, close - open + 1);
            notification.frames.push_back(CutFrame{frame, lastFrame_});
            lastFrame_ = std::move(frame);
        }
        // Without a "[" the text up to this "]" is the tail of a frame whose head was lost
        // (or noise): it is dropped and nothing is evaluated again.
        consumed = close + 1;
    }

    // What is left holds no "]": at most the head of the next frame. Noise that never closes
    // keeps only its latest bytes.
    const qsizetype keepFrom = std::max(consumed, size - MaxBufferBytes);
    if (keepFrom > 0)
        receiveBuffer_.remove(0, keepFrom);
    if (receiveBuffer_.capacity() > 16 * MaxBufferBytes)
        receiveBuffer_.squeeze();
    return notification;
}

} // namespace tarnby
