// The month view's work: 31 full day logs read and summed up as the day plot would show each.
//
// With TARNBY_MONTH_DIR set, the day logs are written to that folder's logs/ and left there, so
// bench/month_summary_reference.py can summarize the same files.

#include "acquisition/DayLogWriter.h"
#include "acquisition/RecordLayout.h"
#include "history/MonthSummary.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>

using namespace tarnby;

namespace {
constexpr int DayRecords = 9999; // the loader's limit, all in the whole day's range

// An application folder whose logs hold every day of December 2026, each a full day log as the
// logger writes it.
struct MonthFolder {
    QTemporaryDir dir;
    AppPaths paths{folder(dir)};
    qint64 bytes = 0;

    static QString folder(const QTemporaryDir& temporary) {
        const QByteArray kept = qgetenv("TARNBY_MONTH_DIR");
        return kept.isEmpty() ? temporary.path() : QString::fromLocal8Bit(kept);
    }

    MonthFolder() {
        QDir(paths.folder()).mkpath(QStringLiteral("logs"));
        for (int day = 1; day <= 31; ++day) {
            QByteArray text;
            text.reserve(DayRecords * 90);
            double total = 0;
            for (int i = 0; i < DayRecords; ++i) {
                const int minute = 1 + i * 1438 / DayRecords; // 00:01 to 23:58
                const double wave = std::sin(i / 300.0 + day);
                const Readings r{25 + wave, 8 * wave + 2, 25 * (8 * wave + 2), 150 + 100 * wave,
                                 9 + 4 * wave};
                total += r[readingIndex(Reading::Watts)] * 10 / 3600;
                text +=
                    record::recordLine(QTime(minute / 60, minute % 60), r, 0, std::max(0.0, total));
            }
            QFile file(paths.inLogs(dayLogFileName(QDate(2026, 12, day))));
            if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
                qFatal("cannot write a day log");
            bytes += text.size();
        }
    }
};
} // namespace

static void BM_SummarizeMonth(benchmark::State& bench) {
    MonthFolder folder;
    int summarized = 0;
    for (auto _ : bench) {
        const MonthSummary month = summarizeMonth(folder.paths, QDate(2026, 12, 1), 10);
        summarized = 0;
        for (const DaySummary& day : month.days)
            summarized += day.summarized() && day.records == DayRecords;
        benchmark::DoNotOptimize(month.totalWattHours());
    }
    if (summarized != 31)
        bench.SkipWithError("not every day was summarized");
    bench.counters["days"] = summarized;
    bench.counters["files_MB"] = static_cast<double>(folder.bytes) / 1e6;
}
BENCHMARK(BM_SummarizeMonth)->Unit(benchmark::kMillisecond);
