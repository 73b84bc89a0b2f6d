#pragma once
// The tagged value rule shared by the configuration files, the telemetry frames and the day-log
// records: "<" name ">" value "</" name ">". The first opening tag and the first closing tag of
// the whole text are used, searched case-sensitively from the first character; the value is the
// text between them, taken verbatim (no trimming). So key order, header lines, blank lines and
// other tags do not matter, and of a key written twice the first occurrences count. A key of
// more than 60 characters is never found.

#include <QByteArrayView>
#include <QLatin1StringView>
#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>

namespace tarnby {

struct TaggedValue {
    enum class Status {
        Found,
        MissingOpening, // no opening tag
        MissingClosing, // opening tag but no closing tag
        ClosingBeforeOpening
    };
    Status status = Status::MissingOpening;
    QStringView value; // a view into the searched text; empty unless Found

    bool found() const { return status == Status::Found; }
};

// Latin-1 key names (tags are plain ASCII).
TaggedValue findTaggedValue(QStringView text, QLatin1StringView key);

// Same rule on raw bytes, for the receive path and the day logs, which work on the bytes as
// they are.
struct TaggedBytes {
    TaggedValue::Status status = TaggedValue::Status::MissingOpening;
    QByteArrayView value;
    bool found() const { return status == TaggedValue::Status::Found; }
};
TaggedBytes findTaggedValue(QByteArrayView text, QByteArrayView key);

// The rule for several keys of one text at once, in one pass over the text: values[i] is what
// findTaggedValue(text, keys[i]) gives (those are this with one key). Made once for lines that
// all hold the same keys, such as the records of a day log. The keys' bytes must outlive it.
class TaggedKeys {
public:
    static constexpr int MaxKeys = 8;
    explicit TaggedKeys(std::span<const QByteArrayView> keys);
    TaggedKeys(std::initializer_list<QByteArrayView> keys)
        : TaggedKeys(std::span(keys.begin(), keys.size())) {}

    int size() const { return count_; }
    void find(QByteArrayView text, TaggedBytes* values) const;
    void find(QStringView text, TaggedValue* values) const;

private:
    template <typename View, typename Result> void locate(View text, Result* values) const;

    std::array<QByteArrayView, MaxKeys> keys_{};
    int count_ = 0;
    std::uint8_t searched_ = 0; // bit i: key i can be found (not too long)
    // Bit i is set at the character that follows "<" in key i's opening tag, which is also the
    // one that follows "</" in its closing tag: the key's first letter, or ">" for an empty key.
    std::array<std::uint8_t, 256> byNextChar_{};
};

} // namespace tarnby
