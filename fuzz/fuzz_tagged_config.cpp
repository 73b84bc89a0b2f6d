// The tagged value rule and both configuration files on arbitrary text. Input: a key length,
// the key, the text. The rule, on bytes and on text, finds what a plain search finds between the
// first opening and first closing tag. Read as prog.cfg and settings.cfg, problems name the file;
// safe values written read back the same, and write again as the same bytes.

#include "config/CalibrationSettings.h"
#include "config/ConfigFile.h"
#include "config/ProgSettings.h"
#include "config/TaggedValue.h"
#include "fuzz/FuzzCheck.h"

#include <algorithm>
#include <cstdint>

using namespace tarnby;
using namespace tarnby::fuzz;
using namespace Qt::StringLiterals;

namespace {
using Status = TaggedValue::Status;
// Keys longer than this are never found (tags are built in a fixed buffer); real keys are short.
constexpr qsizetype LongestKey = 60;

template <typename Text, typename View, typename Key>
void checkRule(const Text& text, Key key, const Text& open, const Text& close) {
    const auto got = findTaggedValue(View(text), key);
    const qsizetype p = text.indexOf(open), q = text.indexOf(close), start = p + open.size();
    const Status expected = key.size() > LongestKey || p < 0 ? Status::MissingOpening
                            : q < 0                          ? Status::MissingClosing
                            : q < start                      ? Status::ClosingBeforeOpening
                                                             : Status::Found;
    const QByteArray context = "key " + printable(QByteArray(key.data(), key.size())) + " status " +
                               QByteArray::number(int(got.status));
    FUZZ_CHECK(got.status == expected, context);
    FUZZ_CHECK(got.found()
                   ? got.value.data() == text.constData() + start && got.value.size() == q - start
                   : got.value.isEmpty(),
               context);
}

// Read, and when every value may be written, written and read again: the same texts and bytes.
template <typename Config, typename Settings>
void checkFile(const QString& text, const QString& fileName, Config (*fromText)(const QString&),
               QByteArray (*bytesOf)(const Settings&)) {
    const Config config = fromText(text);
    const QString message = config.problemMessage(config.problems(config.values()), {});
    FUZZ_CHECK(message.isEmpty() || message.contains(fileName), printable(text.toLatin1()));
    const Settings settings = config.texts();
    for (const auto& key : Settings::keys)
        if (!isSafeConfigText(settings.*key.field))
            return;
    const QByteArray bytes = bytesOf(settings);
    const Settings readBack = fromText(QString::fromLatin1(bytes)).texts();
    for (const auto& key : Settings::keys)
        FUZZ_CHECK(readBack.*key.field == settings.*key.field,
                   printable(bytes) + " gives back " + printable((readBack.*key.field).toLatin1()));
    FUZZ_CHECK(bytesOf(readBack) == bytes, printable(bytes));
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const char* bytes = reinterpret_cast<const char*>(data);
    // Key lengths up to 71, beyond the longest the rule builds tags for.
    const qsizetype keyLength = std::min<qsizetype>(data[0] % 72, qsizetype(size) - 1);
    const QByteArray key(bytes + 1, keyLength);
    const QByteArray text(bytes + 1 + keyLength, qsizetype(size) - 1 - keyLength);
    checkRule<QByteArray, QByteArrayView>(text, QByteArrayView(key), '<' + key + '>',
                                          "</" + key + '>');
    // Configuration files are 8-bit text, one character per byte; tags are ASCII.
    const QString decoded = QString::fromLatin1(text);
    if (std::all_of(key.begin(), key.end(),
                    [](char c) { return static_cast<signed char>(c) >= 0; }))
        checkRule<QString, QStringView>(decoded, QLatin1StringView(key),
                                        u'<' + QString::fromLatin1(key) + u'>',
                                        "</"_L1 + QString::fromLatin1(key) + u'>');
    checkFile(decoded, u"prog.cfg"_s, progConfigFromText, progCfgBytes);
    checkFile(decoded, u"settings.cfg"_s, calibrationConfigFromText, settingsCfgBytes);
    return 0;
}
