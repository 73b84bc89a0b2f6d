#pragma once
// The board's end of the line: the master side of a pseudo-terminal, linked as
// <folder>/ports/COM<N> so a program configured for port N opens the other side.
//
// The slave side is put in raw mode once, so CR LF and every other byte pass untouched; the
// setting stays with the terminal while the master is open. The master stays open for the
// whole run, with or without a reader, so the device never vanishes under a program that
// reopens it. Readers are counted from the file system's open and close notifications on the
// slave side: a reader killed and restarted between two looks still shows as one departure and
// one arrival, where a hang-up poll on the master would see nothing. The link is removed when the
// port is destroyed, unless another board has replaced it meanwhile.

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

    struct ReaderChanges {
        int arrived = 0;      // opens of the slave side since the last look
        int left = 0;         // closes since the last look
        bool present = false; // some process holds the slave side open now
    };
    // What readers did since the last call; the board's own opens are left out.
    ReaderChanges readerChanges();
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
    PtyPort(int master, int watch, QString deviceName, QString linkPath);
    void removeLink();

    int master_;
    int watch_; // inotify descriptor watching the slave side
    int openers_ = 0;
    int ownOpens_ = 0; // opens by discardUnread not yet taken out of the counts
    QString deviceName_;
    QString linkPath_;
    QString lastError_;
};

} // namespace tarnby::board
