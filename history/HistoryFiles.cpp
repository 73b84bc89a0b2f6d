#include "history/HistoryFiles.h"

#include <QFile>
#include <QFileInfo>

namespace tarnby {

FileOutcome appendEmptyLine(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return {false, file.errorString()};
    if (file.write("\r\n", 2) != 2 || !file.flush())
        return {false, file.errorString()};
    file.close();
    return {true, {}};
}

FileText readWholeFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {false, {}, file.errorString()};
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return {false, {}, file.errorString()};
    return {true, QString::fromUtf8(bytes), {}};
}

FileOutcome writeWholeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {false, file.errorString()};
    if (file.write(bytes) == bytes.size() && file.flush()) {
        file.close();
        return {true, {}};
    }
    const QString error = file.errorString();
    file.close();
    const QFileInfo info(path);
    if (info.isFile() && !info.isSymLink())
        QFile::remove(path);
    return {false, error};
}

} // namespace tarnby
