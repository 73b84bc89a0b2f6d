#include "config/TaggedValue.h"

#include <QtGlobal>

#include <bit>
#include <cstring>

namespace tarnby {

namespace {
constexpr qsizetype MaxKey = 60;

using Status = TaggedValue::Status;

unsigned codeAt(QByteArrayView text, qsizetype i) {
    return static_cast<unsigned char>(text.data()[i]);
}
unsigned codeAt(QStringView text, qsizetype i) {
    return text.data()[i].unicode();
}

// Where "<" stands among the (at most 64) characters from `at` on: bit j is set when chars[at +
// j] is "<". Computed a word of 8 bytes at a time, without a branch per character: in a word
// holding each character XOR "<", a lane is zero exactly where "<" was, its high bit is left by
// ~(((x & low) + low) | x | low) (no carry crosses lanes), and one multiplication gathers the
// lanes' high bits side by side in the top bits.
template <typename Char> std::uint64_t openingsFrom(const Char* chars, qsizetype at, qsizetype n) {
    constexpr int Bits = 8 * sizeof(Char);
    constexpr int Lanes = 8 / sizeof(Char);
    constexpr std::uint64_t Ones = ~std::uint64_t(0) / ((std::uint64_t(1) << Bits) - 1);
    constexpr std::uint64_t Low = Ones * ((std::uint64_t(1) << (Bits - 1)) - 1);
    constexpr std::uint64_t Gather = [] {
        std::uint64_t m = 0;
        for (int k = 0; k < Lanes; ++k)
            m |= std::uint64_t(1) << ((Lanes - 1) * Bits - (Bits - 1) * k);
        return m;
    }();
    // The lanes of one word that hold "<", as the low bits of the result.
    const auto openingLanes = [](std::uint64_t word) {
        const std::uint64_t x = word ^ (Ones * '<');
        const std::uint64_t zero = ~(((x & Low) + Low) | x | Low);
        return ((zero >> (Bits - 1)) * Gather >> ((Lanes - 1) * Bits)) &
               ((std::uint64_t(1) << Lanes) - 1);
    };
    std::uint64_t found = 0;
    int lane = 0;
    for (; lane < 64 && at + lane + Lanes <= n; lane += Lanes) {
        std::uint64_t word;
        std::memcpy(&word, chars + at + lane, 8);
        found |= openingLanes(word) << lane;
    }
    if (lane < 64 && at + lane < n) {
        std::uint64_t word = 0; // lanes past the text stay zero bytes, never "<"
        std::memcpy(&word, chars + at + lane, static_cast<size_t>(n - at - lane) * sizeof(Char));
        found |= openingLanes(word) << lane;
    }
    return found;
}

// Whether `key` followed by ">" stands in `text` from `at` on, once the character at `at` is
// known to be the key's first (or ">" for an empty key). A Latin-1 key byte above 0x7F matches
// the same code point in text.
template <typename View> bool restOfTagAt(View text, qsizetype at, QByteArrayView key) {
    const qsizetype close = at + key.size();
    if (close >= text.size() || codeAt(text, close) != '>')
        return false;
    for (qsizetype i = 1; i < key.size(); ++i)
        if (codeAt(text, at + i) != static_cast<unsigned char>(key.data()[i]))
            return false;
    return true;
}

TaggedValue toValue(QStringView text, Status status, qsizetype start, qsizetype length) {
    TaggedValue value;
    value.status = status;
    if (status == Status::Found)
        value.value = text.sliced(start, length);
    return value;
}
TaggedBytes toValue(QByteArrayView text, Status status, qsizetype start, qsizetype length) {
    TaggedBytes value;
    value.status = status;
    if (status == Status::Found)
        value.value = text.sliced(start, length);
    return value;
}
} // namespace

TaggedKeys::TaggedKeys(std::span<const QByteArrayView> keys) {
    Q_ASSERT(keys.size() <= MaxKeys);
    for (QByteArrayView key : keys) {
        if (count_ == MaxKeys)
            break;
        const int i = count_++;
        keys_[static_cast<size_t>(i)] = key;
        if (key.size() > MaxKey)
            continue;
        searched_ |= static_cast<std::uint8_t>(1u << i);
        const unsigned char next = key.isEmpty() ? '>' : static_cast<unsigned char>(key[0]);
        byNextChar_[next] |= static_cast<std::uint8_t>(1u << i);
    }
}

// One pass over the "<" of the text, earliest first, 64 characters at a time. At each, the tags
// that can start there are those whose key (or, for an empty key, its ">") begins at the next
// character (opening) or, after "/", at the one after it (closing); each tag is taken at its first
// occurrence, and the pass ends once every tag sought has been found.
template <typename View, typename Result> void TaggedKeys::locate(View text, Result* values) const {
    std::array<qsizetype, MaxKeys> open{}, close{};
    unsigned openLeft = searched_, closeLeft = searched_;
    const qsizetype n = text.size();
    for (qsizetype base = 0; base < n && (openLeft | closeLeft) != 0; base += 64) {
        std::uint64_t openings = 0;
        if constexpr (std::endian::native == std::endian::little) {
            openings = openingsFrom(text.data(), base, n);
        } else {
            for (qsizetype j = 0; j < 64 && base + j < n; ++j)
                openings |= std::uint64_t(codeAt(text, base + j) == '<') << j;
        }
        for (; openings != 0 && (openLeft | closeLeft) != 0; openings &= openings - 1) {
            const qsizetype at = base + std::countr_zero(openings);
            if (at + 1 >= n)
                break;
            const unsigned first = codeAt(text, at + 1);
            unsigned opening = first < 256 ? byNextChar_[first] & openLeft : 0;
            for (; opening != 0; opening &= opening - 1) {
                const int i = std::countr_zero(opening);
                if (restOfTagAt(text, at + 1, keys_[static_cast<size_t>(i)])) {
                    open[static_cast<size_t>(i)] = at;
                    openLeft &= ~(1u << i);
                }
            }
            if (first != '/' || at + 2 >= n)
                continue;
            const unsigned second = codeAt(text, at + 2);
            unsigned closing = second < 256 ? byNextChar_[second] & closeLeft : 0;
            for (; closing != 0; closing &= closing - 1) {
                const int i = std::countr_zero(closing);
                if (restOfTagAt(text, at + 2, keys_[static_cast<size_t>(i)])) {
                    close[static_cast<size_t>(i)] = at;
                    closeLeft &= ~(1u << i);
                }
            }
        }
    }
    for (int i = 0; i < count_; ++i) {
        const unsigned bit = 1u << i;
        const auto k = static_cast<size_t>(i);
        const qsizetype start = open[k] + keys_[k].size() + 2;
        const Status status = (openLeft & bit) || !(searched_ & bit) ? Status::MissingOpening
                              : (closeLeft & bit)                    ? Status::MissingClosing
                              : close[k] < start                     ? Status::ClosingBeforeOpening
                                                                     : Status::Found;
        values[i] = toValue(text, status, start, close[k] - start);
    }
}

void TaggedKeys::find(QByteArrayView text, TaggedBytes* values) const {
    locate(text, values);
}

void TaggedKeys::find(QStringView text, TaggedValue* values) const {
    locate(text, values);
}

TaggedValue findTaggedValue(QStringView text, QLatin1StringView key) {
    TaggedValue value;
    TaggedKeys({QByteArrayView(key.data(), key.size())}).find(text, &value);
    return value;
}

TaggedBytes findTaggedValue(QByteArrayView text, QByteArrayView key) {
    TaggedBytes value;
    TaggedKeys({key}).find(text, &value);
    return value;
}

} // namespace tarnby
