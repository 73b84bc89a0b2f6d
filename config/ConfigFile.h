#pragma once
// Reading a configuration file whole and taking its values.
//
// Readers never invent values: a file that is missing, unreadable or empty, a key that is
// missing or whose closing tag stands before its opening tag, and a value that must be a
// number but is not, are noted per key, and the window reports them to the user in one message
// naming the file. Writers build the whole text in memory and replace the file with
// replaceFileWhole, so a crash or a full disk never leaves half a file.
//
// Both files are 8-bit text: a byte is read as the character of the same code (0xB0 is "°")
// and written back as that byte, so a file from a system with another code page keeps every
// byte through a Save of unchanged values.

#include "platform/FileWriting.h"

#include <QByteArray>
#include <QLatin1StringView>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <initializer_list>
#include <optional>

namespace tarnby {

// What is wrong with one value of a configuration file.
enum class ValueProblem : std::uint8_t {
    None,
    // The key cannot be taken; its text is empty.
    FileUnusable, // the file is missing, unreadable or empty: said once, for the whole file
    Missing,      // no opening tag
    NoClosingTag,
    ClosingTagFirst,
    // The key was taken, but its value is not what the key holds.
    NotANumber,
    NotAWholeNumber,
    NotACheckValue, // a check box's value is 0, 1 or 2
    TooLarge,
    UnsafeText, // a "<" or a line break, which cannot be saved
};

// The one wording of each problem, as a line of the message that names the file ("the key <BR>
// is missing"). Empty for None and FileUnusable.
QString describeProblem(QLatin1StringView key, const QString& text, ValueProblem problem);

// One value as read.
struct ConfigText {
    QLatin1StringView key;
    QString text; // verbatim (no trimming); empty when the key could not be taken
    ValueProblem problem = ValueProblem::None;

    // The key was found: its text is as stored, even when the value is wrong.
    bool taken() const {
        return problem == ValueProblem::None || problem >= ValueProblem::NotANumber;
    }
    QString problemText() const { return describeProblem(key, text, problem); }
};

// A value that holds a number: its text, and beside it the number when the text reads as one.
template <typename Number> struct ConfigNumber : ConfigText { std::optional<Number> number; };

// One file as read, apart from its values.
struct ConfigFile {
    QString fileName;    // as the user knows it: "prog.cfg"
    QString fileProblem; // the file missing, unreadable or empty; empty when it was read

    bool fileUsable() const { return fileProblem.isEmpty(); }
    // The problem lines of `values` (pointers to ConfigText), in this order; with `keysOnly`, only
    // of keys that could not be taken at all. Nothing when the file could not be read (see
    // problemMessage).
    template <typename Values>
    QStringList problems(const Values& values, bool keysOnly = false) const {
        QStringList lines;
        for (const ConfigText* value : values) {
            if (fileUsable() && value->problem != ValueProblem::None &&
                !(keysOnly && value->taken()))
                lines << value->problemText();
        }
        return lines;
    }
    QStringList problems(std::initializer_list<const ConfigText*> values,
                         bool keysOnly = false) const {
        return problems<std::initializer_list<const ConfigText*>>(values, keysOnly);
    }
    // "There is a problem with <file>:", a line for each problem (the file's own problem alone
    // when it could not be read), then `wayOn` (what the user can do) after an empty line.
    // Empty when the file was read and `problems` is empty.
    QString problemMessage(const QStringList& problems, const QString& wayOn) const;
};

// --- For the readers of config/ ---

// The whole text of a configuration file (one character per byte), or why there is none.
struct ConfigSource {
    QString text;
    QString fileProblem;
};
ConfigSource readConfigSource(const QString& path);
// Text already in memory (tests, fuzzing): blank text is an empty file.
ConfigSource configSourceFromText(const QString& text);

// The key's value by the tagged value rule, or why it cannot be taken.
ConfigText takeValue(const ConfigSource& source, QLatin1StringView key);
// As takeValue(), with the text read as a number; `required`: NotANumber when it is none.
ConfigNumber<double> takeNumber(const ConfigSource& source, QLatin1StringView key, bool required);
// As takeValue(), with the text read as a whole number: rounded (a half to even, never a
// problem), or exactly whole (NotAWholeNumber otherwise).
enum class Whole { Rounded, Exact };
ConfigNumber<int> takeWholeNumber(const ConfigSource& source, QLatin1StringView key, Whole rule);

// One key line of a configuration file: "<key>" value "</key>" CR LF, the value one byte per
// character (a character above U+00FF, which no 8-bit file can hold, becomes "?").
QByteArray taggedLine(QLatin1StringView key, const QString& value);

// Texts typed into a settings box end up between tags: a "<" or a line break would corrupt
// the keys that follow it at the next start-up.
bool isSafeConfigText(const QString& text);

} // namespace tarnby
