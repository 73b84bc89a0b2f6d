#pragma once
// Small helpers shared by the core tests: a file's bytes, a local date and time.

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QString>

namespace tarnby::test {

// The whole file, or nothing when it cannot be read.
inline QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline QDateTime at(int year, int month, int day, int hour, int minute, int second = 0) {
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second));
}

} // namespace tarnby::test
