#pragma once
// Makes a folder unwritable even for root (tests run as root, which ignores chmod), for as long
// as the object lives.

#include <QProcess>
#include <QString>

namespace tarnby::test {

class ImmutableFolder {
public:
    explicit ImmutableFolder(QString path) : path_(std::move(path)) {
        active_ = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path_}) == 0;
    }
    ~ImmutableFolder() { release(); }
    ImmutableFolder(const ImmutableFolder&) = delete;
    ImmutableFolder& operator=(const ImmutableFolder&) = delete;

    // False when chattr is not available or the file system does not support it.
    bool active() const { return active_; }
    void release() {
        if (active_)
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), path_});
        active_ = false;
    }

private:
    QString path_;
    bool active_ = false;
};

} // namespace tarnby::test
