#pragma once
// Appends one whole line to a file with one write, flushed to disk (fdatasync) before the file
// is closed, so a crash or power cut never leaves a torn earlier line. Creates the file, and
// the folder that should hold it, when missing.

#include <QByteArray>
#include <QString>

namespace tarnby {

struct AppendOutcome {
    bool ok = false;
    QString error; // for the user, naming the file
};

AppendOutcome appendLineDurably(const QString& path, const QByteArray& line);

} // namespace tarnby
