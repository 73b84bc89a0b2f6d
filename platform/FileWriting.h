#pragma once
// Every way the program writes a file, with one outcome type and one wording of the reasons:
// a durable append of whole lines (day logs, watt-hours), an atomic replace (configuration
// files, exports), the plain empty-line append of the history window, and reading a file whole.

#include <QByteArray>
#include <QString>

namespace tarnby {

struct FileOutcome {
    bool ok = false;
    QString error; // why not, for the user
    // Every byte reached the file, but the sync or the close that confirms them failed: the
    // bytes are there, only their safety on disk is in doubt, so writing them again would
    // repeat them. Never set when ok.
    bool unconfirmed = false;
};

// The reason for the system error `error`, short enough for the status line ("disk full").
QString fileErrorText(int error);

// Appends `line` (one or more whole lines) with one write, flushed to disk (fdatasync) before
// the file is closed, so a crash or power cut never leaves a torn earlier line. Creates the
// file, and the folder that should hold it, when missing. A short write (the disk filled up
// mid-line) is taken back to the old length, so a failed append leaves the file as it was and
// the caller may append the same line again; only an unconfirmed outcome means it is there.
// On failure `error` is the whole sentence for the status line, naming the file
// ("Cannot write logs/Whours.txt (disk full)").
FileOutcome appendLineDurably(const QString& path, const QByteArray& line);

// Who may read a replaced file.
enum class FileAccess {
    AsBefore, // the old file's permissions; a new file gets the default ones
    OwnerOnly // 0600 from the first byte and after every rewrite (a file holding a password)
};

// Replaces `path` (or the file a link at `path` names) with `bytes` atomically: a temporary
// file in the same folder, synced, renamed over the old one. A crash or a full disk never
// leaves half a file. The temporary file of a replace, or of an owner-only file, is created
// 0600 and keeps that until it has the permissions `access` asks for. `error` is the reason
// alone.
FileOutcome replaceFileWhole(const QString& path, const QByteArray& bytes,
                             FileAccess access = FileAccess::AsBefore);

// Opens `path` for appending, creating it when missing, and writes one bare CR LF. A plain
// append: no sync, no folder created. `error` is the reason alone. Only a regular file is
// written to, and opening it never waits (a FIFO of that name is a failure, not a hang).
FileOutcome appendEmptyLine(const QString& path);

struct FileBytes {
    bool ok = false;
    QByteArray bytes; // the whole file as it is
    QString error;    // the reason alone, when !ok
};
// Only a regular file is read, and opening it never waits (a FIFO or a device of that name is
// a failure, not a hang).
FileBytes readWholeFile(const QString& path);

namespace testing {
// Replaces fdatasync in appendLineDurably (nullptr restores it), so tests can see what a sync
// failing after a whole write leaves.
void setSyncStep(int (*sync)(int fd));
} // namespace testing

} // namespace tarnby
