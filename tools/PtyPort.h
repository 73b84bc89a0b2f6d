#pragma once
// The board's end of the line: the master side of a pseudo-terminal, linked as
// <folder>/ports/COM<N> so a program configured for port N opens the other side.
//
// The slave side is put in raw mode once, so CR LF and every other byte pass untouched; the
// setting stays with the terminal while the master is open. The master stays open for the
// whole run, with or without a reader, so the device never vanishes under a program that
// reopens it. The link is removed when the port is destroyed, unless another board has
// replaced it meanwhile.

#include <QString>
#include <memory>

namespace tarnby::board {

class PtyPort {
public:
    // Opens a pseudo-terminal and links it as linkPath, replacing a stale symbolic link there
    // (a board that was killed leaves one) and creating the link's folder when missing. An
    // existing entry that is not a symbolic link is left alone and fails the open.
    static std::unique_ptr<PtyPort> open(const QString& linkPath, QString* error);
    ~PtyPort();
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;

    const QString& linkPath() const { return linkPath_; }
    const QString& deviceName() const { return deviceName_; }

    // True while some process holds the slave side open.
    bool readerPresent() const;
    // Discards what a reader that went away left unread, so the next reader starts clean.
    void discardUnread();
    // Discards what a reader wrote towards the board.
    void drainInput();

    enum : long long { ReaderGone = -1 };
    // Writes without blocking: the number of bytes taken (0 when the terminal's buffer is
    // full), or ReaderGone.
    long long write(const char* data, long long length);
    // The system's text for the last failed write.
    QString lastError() const { return lastError_; }

private:
    PtyPort(int master, QString deviceName, QString linkPath);
    void removeLink();

    int master_;
    QString deviceName_;
    QString linkPath_;
    QString lastError_;
};

} // namespace tarnby::board
