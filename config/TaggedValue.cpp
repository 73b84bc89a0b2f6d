#include "config/TaggedValue.h"

#include <algorithm>

namespace tarnby {

namespace {
constexpr int MaxKey = 60;

struct Span {
    TaggedValue::Status status;
    qsizetype start = 0;
    qsizetype length = 0;
};

// Unsigned, so a Latin-1 letter above 0x7F becomes the same code point in a text tag.
unsigned char keyChar(QLatin1StringView key, qsizetype i) {
    return static_cast<unsigned char>(key.data()[i]);
}
unsigned char keyChar(QByteArrayView key, qsizetype i) {
    return static_cast<unsigned char>(key.data()[i]);
}

// First occurrence of `tag`: found through its key's first letter at `anchor` (in frames and
// record lines a key letter stands almost only in its tags, while "<" starts every tag), then
// compared whole. Same answer as text.indexOf(tag), and several times faster on short lines.
template <typename View> qsizetype firstIndex(View text, View tag, qsizetype anchor) {
    const auto* chars = text.data();
    for (qsizetype at = anchor;; ++at) {
        at = text.indexOf(tag[anchor], at);
        if (at < 0)
            return -1;
        // Tags are a few characters long: compared in place, without a library call.
        const qsizetype begin = at - anchor;
        if (begin + tag.size() <= text.size() && std::equal(tag.begin(), tag.end(), chars + begin))
            return begin;
    }
}

// The rule itself, for text of either character type. The two tags are built from `key` in the
// scratch buffers `open` and `close`, so no search allocates.
template <typename View, typename Char, typename Key>
Span locate(View text, const Key& key, Char* open, Char* close) {
    const qsizetype n = key.size();
    if (n > MaxKey)
        return {TaggedValue::Status::MissingOpening};
    open[0] = '<';
    close[0] = '<';
    close[1] = '/';
    for (qsizetype i = 0; i < n; ++i) {
        open[1 + i] = static_cast<Char>(keyChar(key, i));
        close[2 + i] = static_cast<Char>(keyChar(key, i));
    }
    open[1 + n] = '>';
    close[2 + n] = '>';
    const View openTag(open, n + 2);
    const View closeTag(close, n + 3);
    const qsizetype p = firstIndex(text, openTag, 1);
    if (p < 0)
        return {TaggedValue::Status::MissingOpening};
    const qsizetype q = firstIndex(text, closeTag, 2);
    if (q < 0)
        return {TaggedValue::Status::MissingClosing};
    const qsizetype start = p + openTag.size();
    if (q < start)
        return {TaggedValue::Status::ClosingBeforeOpening};
    return {TaggedValue::Status::Found, start, q - start};
}
} // namespace

TaggedValue findTaggedValue(QStringView text, QLatin1StringView key) {
    char16_t open[MaxKey + 3];
    char16_t close[MaxKey + 3];
    const Span span = locate(text, key, open, close);
    TaggedValue result;
    result.status = span.status;
    if (result.found())
        result.value = text.sliced(span.start, span.length);
    return result;
}

TaggedBytes findTaggedValue(QByteArrayView text, QByteArrayView key) {
    char open[MaxKey + 3];
    char close[MaxKey + 3];
    const Span span = locate(text, key, open, close);
    TaggedBytes result;
    result.status = span.status;
    if (result.found())
        result.value = text.sliced(span.start, span.length);
    return result;
}

} // namespace tarnby
