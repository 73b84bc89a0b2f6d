#pragma once
// The tagged value rule shared by the configuration files, the telemetry frames and the day-log
// records: "<" name ">" value "</" name ">". The first opening tag and the first closing tag of
// the whole text are used, searched case-sensitively from the first character; the value is the
// text between them, taken verbatim (no trimming). So key order, header lines, blank lines and
// other tags do not matter, and of a key written twice the first occurrences count.

#include <QString>
#include <QStringView>

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

// Same rule on raw bytes, for the receive path, which works on the bytes the line delivered.
struct TaggedBytes {
    TaggedValue::Status status = TaggedValue::Status::MissingOpening;
    QByteArrayView value;
    bool found() const { return status == TaggedValue::Status::Found; }
};
TaggedBytes findTaggedValue(QByteArrayView text, QByteArrayView key);

} // namespace tarnby
