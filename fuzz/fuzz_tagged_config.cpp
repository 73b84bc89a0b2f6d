// The tagged value rule and both configuration readers on arbitrary text.
//
// Input: the first byte is a key length, then the key, then the text. The rule is checked on
// bytes and on text against a plain search: the value is exactly the text between the first
// opening tag and the first closing tag, a view into the searched text. The text is then read
// as prog.cfg and as settings.cfg, taking every key the program reads, as the program takes it;
// when every value read is safe to store, writing the values and reading the written bytes
// back gives the same values with no problem reported.

#include "common/NumberText.h"
#include "config/CalibrationSettings.h"
#include "config/ConfigFile.h"
#include "config/ProgSettings.h"
#include "config/TaggedValue.h"
#include "fuzz/FuzzCheck.h"

#include <QByteArray>
#include <QString>
#include <algorithm>
#include <cstdint>

using namespace tarnby;
using namespace tarnby::fuzz;
using namespace Qt::StringLiterals;

namespace {

using Status = TaggedValue::Status;

// Keys longer than this are never found by the rule (tags are built in a fixed scratch buffer);
// every key the system uses is far shorter.
constexpr qsizetype LongestKey = 60;

struct Expected {
    Status status = Status::MissingOpening;
    qsizetype start = 0;
    qsizetype length = 0;
};

template <typename Text>
Expected expectedTag(const Text& text, const Text& open, const Text& close) {
    const qsizetype p = text.indexOf(open);
    if (p < 0)
        return {Status::MissingOpening};
    const qsizetype q = text.indexOf(close);
    if (q < 0)
        return {Status::MissingClosing};
    const qsizetype start = p + open.size();
    if (q < start)
        return {Status::ClosingBeforeOpening};
    return {Status::Found, start, q - start};
}

QByteArray statusName(Status status) {
    switch (status) {
    case Status::Found:
        return "Found";
    case Status::MissingOpening:
        return "MissingOpening";
    case Status::MissingClosing:
        return "MissingClosing";
    case Status::ClosingBeforeOpening:
        return "ClosingBeforeOpening";
    }
    return "?";
}

void checkRuleOnBytes(QByteArrayView text, QByteArrayView key) {
    const QByteArray keyBytes = key.toByteArray();
    const Expected expected =
        expectedTag(text.toByteArray(), '<' + keyBytes + '>', "</" + keyBytes + '>');
    const TaggedBytes got = findTaggedValue(text, key);
    const auto context = [&] {
        return QByteArray("key " + printable(key) + " in " + printable(text) + ": expected " +
                          statusName(expected.status) + ", got " + statusName(got.status));
    };
    if (key.size() > LongestKey) {
        FUZZ_CHECK(got.status == Status::MissingOpening, context());
        return;
    }
    FUZZ_CHECK(got.status == expected.status, context());
    if (got.found()) {
        FUZZ_CHECK(got.value.data() == text.data() + expected.start &&
                       got.value.size() == expected.length,
                   context() + ", value " + printable(got.value));
    } else {
        FUZZ_CHECK(got.value.isEmpty(), context());
    }
}

void checkRuleOnText(const QString& text, QByteArrayView key) {
    const QLatin1StringView latinKey(key.data(), key.size());
    const QString keyText = QString(latinKey);
    const Expected expected = expectedTag(text, u'<' + keyText + u'>', u"</"_s + keyText + u'>');
    const TaggedValue got = findTaggedValue(QStringView(text), latinKey);
    const auto context = [&] {
        return QByteArray("key " + printable(key) + " in " + printable(text) + ": expected " +
                          statusName(expected.status) + ", got " + statusName(got.status));
    };
    if (key.size() > LongestKey) {
        FUZZ_CHECK(got.status == Status::MissingOpening, context());
        return;
    }
    FUZZ_CHECK(got.status == expected.status, context());
    if (got.found()) {
        FUZZ_CHECK(got.value.data() == text.constData() + expected.start &&
                       got.value.size() == expected.length,
                   context() + ", value " + printable(got.value.toString()));
    } else {
        FUZZ_CHECK(got.value.isEmpty(), context());
    }
}

// How the program takes a key: as text, as a number or as a whole number.
enum class Take { Text, Number, WholeNumber };

Take takeFor(QLatin1StringView key) {
    if (key == "SV"_L1 || key == "MA"_L1)
        return Take::Number;
    if (key == "BR"_L1)
        return Take::WholeNumber;
    return Take::Text;
}

QString takeKey(ConfigReading& reading, QLatin1StringView key) {
    switch (takeFor(key)) {
    case Take::Text:
        return reading.take(key);
    case Take::Number:
        return reading.takeNumber(key);
    case Take::WholeNumber:
        return reading.takeWholeNumber(key);
    }
    return {};
}

// Takes every key of `Settings` from `text`, checking each take against the rule, and returns
// the values with whether every key was taken without a problem.
template <typename Settings>
Settings readSettings(const QString& text, const QString& fileName, bool* clean) {
    ConfigReading reading = ConfigReading::fromText(text, fileName);
    const auto context = [&] {
        return QByteArray(fileName.toLatin1() + " from " + printable(text));
    };
    FUZZ_CHECK(reading.fileUsable() == !text.trimmed().isEmpty(), context());
    FUZZ_CHECK(reading.text() == text, context());
    Settings settings;
    for (const auto& key : Settings::keys) {
        const qsizetype problemsBefore = reading.problems().size();
        const QString value = takeKey(reading, key.name);
        settings.*key.field = value;
        const qsizetype noted = reading.problems().size() - problemsBefore;
        const auto keyContext = [&] {
            return QByteArray(context() + ", key " + QByteArray(key.name.data(), key.name.size()));
        };
        if (!reading.fileUsable()) {
            FUZZ_CHECK(value.isEmpty() && noted == 0, keyContext());
            continue;
        }
        const TaggedValue tagged = findTaggedValue(QStringView(text), key.name);
        FUZZ_CHECK(value == (tagged.found() ? tagged.value.toString() : QString()), keyContext());
        bool problem = !tagged.found();
        if (!problem && takeFor(key.name) == Take::Number)
            problem = !readsAsNumber(value);
        if (!problem && takeFor(key.name) == Take::WholeNumber)
            problem = !readExactWholeNumber(value).has_value();
        // One problem per key that cannot be used, none for a usable one.
        FUZZ_CHECK(noted == (problem ? 1 : 0),
                   keyContext() + ", problems noted " + QByteArray::number(noted));
    }
    FUZZ_CHECK(reading.ok() == reading.problems().isEmpty(), context());
    if (!reading.ok())
        FUZZ_CHECK(reading.problemMessage(QString()).contains(fileName), context());
    *clean = reading.ok();
    return settings;
}

template <typename Settings> bool allSafe(const Settings& settings) {
    for (const auto& key : Settings::keys)
        if (!isSafeConfigText(settings.*key.field))
            return false;
    return true;
}

template <typename Settings>
void checkRoundTrip(const Settings& settings, const QByteArray& bytes, const QString& fileName,
                    const QByteArray& header) {
    FUZZ_CHECK(bytes.startsWith(header), printable(bytes));
    if (!allSafe(settings))
        return;
    bool clean = false;
    const Settings readBack = readSettings<Settings>(QString::fromLatin1(bytes), fileName, &clean);
    for (const auto& key : Settings::keys) {
        FUZZ_CHECK(readBack.*key.field == settings.*key.field,
                   fileName.toLatin1() + " key " + QByteArray(key.name.data(), key.name.size()) +
                       ": wrote " + printable(settings.*key.field) + ", read back " +
                       printable(readBack.*key.field));
    }
}

void checkReaders(const QString& text) {
    bool progClean = false;
    const ProgSettings prog = readSettings<ProgSettings>(text, u"prog.cfg"_s, &progClean);
    checkRoundTrip(prog, progCfgBytes(prog), u"prog.cfg"_s, "Program Config File\r\n\r\n");

    bool calibrationClean = false;
    const CalibrationSettings calibration =
        readSettings<CalibrationSettings>(text, u"settings.cfg"_s, &calibrationClean);
    checkRoundTrip(calibration, settingsCfgBytes(calibration), u"settings.cfg"_s,
                   "Calibration Settings\r\n\r\n\r\n");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const char* bytes = reinterpret_cast<const char*>(data);
    // Key lengths 0 to 71, so keys beyond the longest the rule builds tags for occur too.
    const qsizetype keyLength = std::min<qsizetype>(data[0] % 72, static_cast<qsizetype>(size) - 1);
    const QByteArrayView key(bytes + 1, keyLength);
    const QByteArrayView text(bytes + 1 + keyLength, static_cast<qsizetype>(size) - 1 - keyLength);

    checkRuleOnBytes(text, key);
    // Configuration files are 8-bit text, read one character per byte.
    const QString decoded = QString::fromLatin1(text.data(), text.size());
    // Key names on text are checked in ASCII, the only letters tags are made of: a key byte
    // above 0x7f is widened with its sign when the tags are built, so it never matches its
    // Latin-1 character.
    if (std::all_of(key.begin(), key.end(),
                    [](char c) { return static_cast<signed char>(c) >= 0; }))
        checkRuleOnText(decoded, key);
    checkReaders(decoded);
    return 0;
}
