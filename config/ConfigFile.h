#pragma once
// Reading a configuration file whole and taking its values.
//
// Readers never invent values: a file that is missing, unreadable or empty, a key that is
// missing or whose closing tag stands before its opening tag, and a value that must be a
// number but is not, are collected as problems that the window reports to the user, naming the
// file. Writers build the whole text in memory and replace the file with replaceFileWhole, so a
// crash or a full disk never leaves half a file.
//
// Both files are 8-bit text: a byte is read as the character of the same code (0xB0 is "°")
// and written back as that byte, so a file from a system with another code page keeps every
// byte through a Save of unchanged values.

#include "platform/FileWriting.h"

#include <QByteArray>
#include <QLatin1StringView>
#include <QString>
#include <QStringList>

namespace tarnby {

class ConfigReading {
public:
    // Reads `path` whole. `fileName` is the name shown to the user ("prog.cfg").
    static ConfigReading read(const QString& path, const QString& fileName);
    // For text already in memory (tests, fuzzing).
    static ConfigReading fromText(const QString& text, const QString& fileName);

    bool fileUsable() const { return fileUsable_; }
    const QString& text() const { return text_; }

    // The key's value by the tagged value rule; empty text with a problem noted when the key
    // cannot be taken (missing, or its closing tag before its opening tag).
    QString take(QLatin1StringView key);
    // As take(), noting a problem when the value does not read as a number.
    QString takeNumber(QLatin1StringView key);
    // As take(), noting a problem when the value is not a whole number.
    QString takeWholeNumber(QLatin1StringView key);

    // Records a problem found by the caller in a value already taken (a check-box value out
    // of range, say), so that one message names them all.
    void noteProblem(const QString& problem) { problems_ << problem; }

    bool ok() const { return problems_.isEmpty(); }
    const QStringList& problems() const { return problems_; }
    // A message naming the file and each problem, ending with `wayOn` (what the user can do).
    QString problemMessage(const QString& wayOn) const;

private:
    QString fileName_;
    QString text_;
    bool fileUsable_ = false;
    QStringList problems_;
};

// One key line of a configuration file: "<key>" value "</key>" CR LF, the value one byte per
// character (a character above U+00FF, which no 8-bit file can hold, becomes "?").
QByteArray taggedLine(QLatin1StringView key, const QString& value);

// Texts typed into a settings box end up between tags: a "<" or a line break would corrupt
// the keys that follow it at the next start-up.
bool isSafeConfigText(const QString& text);

} // namespace tarnby
