#include "acquisition/FrameValues.h"

#include "common/NumberText.h"
#include "config/TaggedValue.h"

namespace tarnby {

namespace {
using Status = TaggedValue::Status;

// V and I: their absence (or the single character "0") means the board had no reading.
enum class Required { Present, Absent, Corrupt };

Required requiredValue(QByteArrayView frameText, QByteArrayView tag, double& value) {
    const TaggedBytes raw = findTaggedValue(frameText, tag);
    if (raw.status == Status::ClosingBeforeOpening)
        return Required::Corrupt;
    if (!raw.found() || raw.value.isEmpty() || raw.value == QByteArrayView("0"))
        return Required::Absent;
    const NumberReading number = readNumberText(raw.value);
    if (number.outOfRange)
        return Required::Corrupt;
    value = number.value.value_or(0.0);
    return Required::Present;
}
} // namespace

double frameNumber(QByteArrayView frameText, QByteArrayView tag, bool* corrupt) {
    const TaggedBytes raw = findTaggedValue(frameText, tag);
    if (raw.status == Status::ClosingBeforeOpening && corrupt)
        *corrupt = true;
    if (!raw.found())
        return 0.0;
    return readNumber(raw.value).value_or(0.0);
}

FrameExtraction extractFrameValues(QByteArrayView frameText) {
    FrameExtraction result;
    // In this order: a V that is absent drops the frame even when a later tag is corrupt.
    for (const auto& [tag, field] :
         {std::pair{"V", &FrameValues::V}, std::pair{"I", &FrameValues::I}}) {
        switch (requiredValue(frameText, tag, result.values.*field)) {
        case Required::Corrupt:
            result.outcome = FrameExtraction::Outcome::Corrupt;
            return result;
        case Required::Absent:
            result.outcome = FrameExtraction::Outcome::Dropped;
            return result;
        case Required::Present:
            break;
        }
    }
    bool corrupt = false;
    result.values.R = frameNumber(frameText, "R", &corrupt);
    result.values.M = frameNumber(frameText, "M", &corrupt);
    result.values.S = frameNumber(frameText, "S", &corrupt);
    result.outcome =
        corrupt ? FrameExtraction::Outcome::Corrupt : FrameExtraction::Outcome::Accepted;
    return result;
}

} // namespace tarnby
