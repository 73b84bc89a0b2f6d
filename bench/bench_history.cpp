// The history window's work on a full day: loading and plotting it, the cursor readout and
// the CSV export.

#include "bench/GeneratedDayLog.h"
#include "history/CsvExporter.h"
#include "history/DayLogLoader.h"
#include "history/PlotCursor.h"
#include "history/PlotModel.h"
#include "history/widgets/PlotPainter.h"
#include "platform/FileWriting.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace tarnby;

namespace {
constexpr int DayRecords = 9999; // the loader's limit, all in the default range
const TimeBoxes WholeDayBoxes{QStringLiteral("00"), QStringLiteral("00"), QStringLiteral("23"),
                              QStringLiteral("59")};

// An application folder with logs/P_2026_12_06.txt holding a generated day.
struct DayFolder {
    QTemporaryDir dir;
    AppPaths paths{dir.path()};
    QString dayLog = QStringLiteral("P_2026_12_06.txt");
    qint64 bytes = 0;

    DayFolder() {
        QDir(dir.path()).mkdir(QStringLiteral("logs"));
        QFile file(paths.inLogs(dayLog));
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write the day log");
        bytes = file.write(bench::generatedDayLog(DayRecords));
    }
};

HistoryState loadedDay(DayFolder& folder) {
    HistoryState state;
    state.LogIntervalSeconds = 10;
    state.SpeedUnits = QStringLiteral("MPH");
    const FileBytes file = readWholeFile(folder.paths.inLogs(folder.dayLog));
    if (DayLogLoader::load(file.bytes, WholeDay, state) != LoadOutcome::Loaded)
        qFatal("the generated day does not load");
    return state;
}
} // namespace

// DISPLAY on a full day: the empty line appended, the file read and its records taken, the
// plot, and all five traces painted into a 1000 x 500 raster image.
static void BM_LoadAndPlotDay(benchmark::State& bench) {
    DayFolder folder;
    HistoryState state;
    state.LogIntervalSeconds = 10;
    QImage image(1000, 500, QImage::Format_RGB32);
    for (auto _ : bench) {
        if (!DayLogLoader::display(folder.paths, folder.dayLog, WholeDayBoxes, state).loaded())
            bench.SkipWithError("the day did not load");
        const PlotResult plot = PlotModel::plotGraph(state);
        QPainter painter(&image);
        paintPlot(painter, image.rect(), plot.picture, {});
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    bench.counters["records"] = state.RecordCount;
    bench.counters["file_kB"] = static_cast<double>(folder.bytes) / 1000;
}
BENCHMARK(BM_LoadAndPlotDay)->Unit(benchmark::kMillisecond);

// Loading alone.
static void BM_LoadDay(benchmark::State& bench) {
    DayFolder folder;
    HistoryState state;
    for (auto _ : bench)
        DayLogLoader::display(folder.paths, folder.dayLog, WholeDayBoxes, state);
}
BENCHMARK(BM_LoadDay)->Unit(benchmark::kMillisecond);

// The plot alone (the check boxes and every zoom re-plot without loading).
static void BM_PlotDay(benchmark::State& bench) {
    DayFolder folder;
    HistoryState state = loadedDay(folder);
    QImage image(1000, 500, QImage::Format_RGB32);
    for (auto _ : bench) {
        const PlotResult plot = PlotModel::plotGraph(state);
        QPainter painter(&image);
        paintPlot(painter, image.rect(), plot.picture, {});
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_PlotDay)->Unit(benchmark::kMillisecond);

// Painting alone: the picture of a full day into the image.
static void BM_PaintDay(benchmark::State& bench) {
    DayFolder folder;
    HistoryState state = loadedDay(folder);
    QImage image(1000, 500, QImage::Format_RGB32);
    const PlotResult plot = PlotModel::plotGraph(state);
    for (auto _ : bench) {
        QPainter painter(&image);
        paintPlot(painter, image.rect(), plot.picture, {});
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_PaintDay)->Unit(benchmark::kMillisecond);

// One mouse move over the full-day plot: the readout of the record under the cursor.
static void BM_CursorReadout(benchmark::State& bench) {
    DayFolder folder;
    HistoryState state = loadedDay(folder);
    PlotModel::plotGraph(state);
    PlotCursor cursor(state);
    double x = 0;
    for (auto _ : bench) {
        x += 7.3;
        if (x > state.PlotTo - state.PlotFrom)
            x -= state.PlotTo - state.PlotFrom;
        benchmark::DoNotOptimize(cursor.move(x));
    }
}
BENCHMARK(BM_CursorReadout)->Unit(benchmark::kMicrosecond);

// .CSV on a full day: the empty line appended to the day log and 9,999 rows written.
static void BM_CsvExport(benchmark::State& bench) {
    DayFolder folder;
    HistoryState state = loadedDay(folder);
    const TimeBoxes boxes{QStringLiteral("00"), QStringLiteral("01"), QStringLiteral("23"),
                          QStringLiteral("58")};
    for (auto _ : bench) {
        const CsvExporter::Outcome outcome =
            CsvExporter::exportRecords(folder.paths, folder.dayLog, boxes, state);
        if (!outcome.written)
            bench.SkipWithError("the export failed");
    }
}
BENCHMARK(BM_CsvExport)->Unit(benchmark::kMillisecond);
