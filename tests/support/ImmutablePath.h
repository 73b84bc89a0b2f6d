#pragma once
// Makes a file or folder immutable for the life of the guard (chattr +i), which stops even
// root from writing into it; tests run as root, and root ignores permission bits.

#include <QProcess>
#include <QString>

namespace tarnby::test {

class ImmutablePath {
public:
    explicit ImmutablePath(QString path) : path_(std::move(path)) {
        ok_ = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path_}) == 0;
    }
    ~ImmutablePath() { release(); }
    ImmutablePath(const ImmutablePath&) = delete;
    ImmutablePath& operator=(const ImmutablePath&) = delete;
    // False when chattr is not available or the file system does not support it.
    bool ok() const { return ok_; }
    void release() {
        if (ok_)
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), path_});
        ok_ = false;
    }

private:
    QString path_;
    bool ok_ = false;
};

} // namespace tarnby::test
