#include "acquisition/DayLogWriter.h"

#include "acquisition/RecordLayout.h"

namespace tarnby {

QString dayLogFileName(const QDate& date) {
    return QStringLiteral("P_%1_%2_%3.txt")
        .arg(date.year())
        .arg(date.month(), 2, 10, QChar(u'0'))
        .arg(date.day(), 2, 10, QChar(u'0'));
}

DayLogWriter::Outcome DayLogWriter::writeRecord(const QDateTime& now, IntervalSums& sums,
                                                const LiveReadings& readings) {
    Readings averages = last_;
    if (sums.SampleCount != 0) {
        const double count = static_cast<double>(sums.SampleCount);
        averages = {sums.SumVolts / count, sums.SumAmps / count, sums.SumWatts / count,
                    sums.SumRPM / count, sums.SumSpeed / count};
    }
    const QString fileName = dayLogFileName(now.date());
    held_.push_back({fileName, record::recordLine(now.time(), averages, readings.ModeValue,
                                                  readings.WattHourTotal)});
    if (held_.size() > MaxHeldRecords)
        held_.pop_front();
    last_ = averages;
    sums.clear();

    // Oldest first; the records of one file go in one write.
    Outcome outcome{{true, QString()}, fileName, held_.back().line};
    while (!held_.empty()) {
        const QString& file = held_.front().fileName;
        QByteArray lines;
        size_t count = 0;
        for (; count < held_.size() && held_[count].fileName == file; ++count)
            lines += held_[count].line;
        const FileOutcome append = appendLineDurably(paths_.inLogs(file), lines);
        if (!append.ok) {
            // Records in the file but not confirmed on disk are not written again.
            if (append.unconfirmed)
                held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(count));
            outcome.append = append;
            outcome.fileName = file;
            if (held_.size() > 1)
                outcome.append.error += QStringLiteral(", %1 records waiting").arg(held_.size());
            return outcome;
        }
        held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(count));
    }
    return outcome;
}

} // namespace tarnby
