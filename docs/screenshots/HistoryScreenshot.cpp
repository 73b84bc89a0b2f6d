// Renders the history window on a generated day to a PNG: the whole day plotted, the readout
// of the record under the cursor, and a zoom being dragged; and, when a second file is named,
// the month view of the month before, a day in focus. The window paints itself offscreen
// through the same code as on a desktop.
//
// Usage: history-screenshot <file.png> [<month.png>]

#include "docs/screenshots/HistoryShotSetup.h"
#include "history/widgets/HistoryWindow.h"
#include "history/widgets/PlotWidget.h"

#include <QApplication>
#include <QDir>
#include <QListView>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <cmath>
#include <cstdio>

using namespace tarnby;

namespace {
// November 2026 logged every day but two, windier and calmer days in turn, then the month view
// of it with one day pointed at.
int shootMonth(HistoryWindow& window, const shot::ShotFolder& folder, const QString& file) {
    for (int d = 1; d <= 30; ++d) {
        if (d == 17 || d == 18) // the logger was off
            continue;
        const double wind = 1.0 + 0.55 * std::sin(d * 0.9) + 0.25 * std::sin(d * 2.3);
        std::vector<shot::DayRecord> day = shot::generatedDay(2870, 100 + d);
        for (shot::DayRecord& r : day) {
            r[Reading::RPM] *= wind;
            const double generated = (wind - 1) * std::max(0.0, r[Reading::RPM] - 40) / 22;
            r[Reading::Amps] += generated;
            r[Reading::Volts] += 0.06 * generated;
            r[Reading::Watts] = r[Reading::Volts] * r[Reading::Amps];
        }
        if (!folder.write(QStringLiteral("logs/P_2026_11_%1.txt").arg(d, 2, 10, QChar(u'0')),
                          shot::dayLogBytes(day)))
            return 1;
    }
    window.findChild<QPushButton*>(QStringLiteral("Month"))->click();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp);
    auto* pointed = window.findChild<QWidget*>(QStringLiteral("day9"));
    if (!pointed)
        return 1;
    QTest::mouseMove(&window, QPoint(4, 4)); // off the days: the focus alone shows the readout
    pointed->setFocus();
    QTest::qWait(100);
    if (!window.grab().save(file, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return 1;
    }
    return 0;
}
} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: %s <file.png> [<month.png>]\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarnby"));
    // A quiet folder for the application folder, so the folder tree shows little else.
    if (QFileInfo(QStringLiteral("/var/tmp")).isDir())
        qputenv("TMPDIR", "/var/tmp");

    shot::ShotFolder folder;
    const QString dayLog = QStringLiteral("P_2026_12_06.txt");
    if (!folder.writeProgCfg(QStringLiteral("30")) ||
        !folder.write(QStringLiteral("logs/") + dayLog,
                      shot::dayLogBytes(shot::generatedDay(2870, 11))) ||
        !folder.write(QStringLiteral("logs/P_2026_12_05.txt"),
                      shot::dayLogBytes(shot::generatedDay(2870, 5))) ||
        !folder.write(QStringLiteral("logs/Whours.txt"), "2026/12/05 23:59 1618.2\r\n")) {
        std::fprintf(stderr, "cannot write the application folder\n");
        return 1;
    }

    HistoryState state;
    HistoryWindow window(folder.environment(), state, nullptr);
    window.resize(1180, 700);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;

    auto* files = window.findChild<QListView*>(QStringLiteral("File1"));
    QModelIndex item;
    const bool listed = QTest::qWaitFor([&] {
        for (int row = 0; row < files->model()->rowCount(files->rootIndex()); ++row) {
            const QModelIndex index = files->model()->index(row, 0, files->rootIndex());
            if (index.data().toString() == dayLog)
                item = index;
        }
        return item.isValid();
    });
    if (!listed)
        return 1;
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, files->visualRect(item).center());
    if (state.RecordCount < 2) {
        std::fprintf(stderr, "the day did not load: %s\n",
                     qPrintable(folder.prompts.messages.join(u'\n')));
        return 1;
    }

    // A drag from late morning into the afternoon, the mouse still held.
    auto* plot = window.findChild<PlotWidget*>(QStringLiteral("Plot"));
    const int y = plot->height() / 2;
    const int from = plot->width() * 45 / 100;
    const int to = plot->width() * 63 / 100;
    QTest::mouseMove(plot, QPoint(from, y));
    QTest::mousePress(plot, Qt::LeftButton, {}, QPoint(from, y));
    for (int x = from; x <= to; x += 10)
        QTest::mouseMove(plot, QPoint(x, y));
    QTest::mouseMove(plot, QPoint(to, y));
    // The folder tree opens the way down to the logs folder as the folders are read.
    auto* folders = window.findChild<QTreeView*>(QStringLiteral("Dir1"));
    const bool revealed = QTest::qWaitFor([folders] {
        return folders->viewport()->rect().contains(folders->visualRect(folders->currentIndex()));
    });
    if (!revealed)
        std::fprintf(stderr, "the folder tree did not open down to the logs folder\n");
    QTest::qWait(100);

    if (!window.grab().save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    QTest::mouseRelease(plot, Qt::LeftButton, {}, QPoint(to, y));
    if (argc == 3)
        return shootMonth(window, folder, QString::fromLocal8Bit(argv[2]));
    return 0;
}
