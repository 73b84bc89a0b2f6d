#include "acquisition/FrameValues.h"

#include "common/NumberText.h"
#include "config/TaggedValue.h"

#include <array>

namespace tarnby {

namespace {
using Status = TaggedValue::Status;

// V and I: their absence (or the single character "0") means the board had no reading.
enum class Required { Present, Absent, Corrupt };

Required requiredValue(const TaggedBytes& raw, double& value) {
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

double optionalValue(const TaggedBytes& raw, bool* corrupt) {
    if (raw.status == Status::ClosingBeforeOpening && corrupt)
        *corrupt = true;
    if (!raw.found())
        return 0.0;
    const NumberReading number = readNumberText(raw.value);
    if (number.outOfRange && corrupt)
        *corrupt = true;
    return number.value.value_or(0.0);
}
} // namespace

double frameNumber(QByteArrayView frameText, QByteArrayView tag, bool* corrupt) {
    return optionalValue(findTaggedValue(frameText, tag), corrupt);
}

FrameExtraction extractFrameValues(QByteArrayView frameText) {
    // The five tags, found in one pass over the frame.
    enum { V, I, R, M, S, Tags };
    static const TaggedKeys keys{"V", "I", "R", "M", "S"};
    std::array<TaggedBytes, Tags> raw;
    keys.find(frameText, raw.data());

    FrameExtraction result;
    // In this order: a V that is absent drops the frame even when a later tag is corrupt.
    for (const auto& [tag, field] :
         {std::pair{V, &FrameValues::V}, std::pair{I, &FrameValues::I}}) {
        switch (requiredValue(raw[tag], result.values.*field)) {
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
    result.values.R = optionalValue(raw[R], &corrupt);
    result.values.M = optionalValue(raw[M], &corrupt);
    result.values.S = optionalValue(raw[S], &corrupt);
    result.outcome =
        corrupt ? FrameExtraction::Outcome::Corrupt : FrameExtraction::Outcome::Accepted;
    return result;
}

} // namespace tarnby
