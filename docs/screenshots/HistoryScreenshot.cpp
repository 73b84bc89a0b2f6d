// Renders the history window on a generated day to a PNG: the whole day plotted, the readout
// of the record under the cursor, and a zoom being dragged. The window paints itself offscreen
// through the same code as on a desktop.
//
// Usage: history-screenshot <file.png>

#include "history/widgets/Graph.h"
#include "history/widgets/PlotWidget.h"
#include "tests/history/HistoryTestData.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QDir>
#include <QListView>
#include <QTest>
#include <QTreeView>
#include <cstdio>

using namespace tarnby;

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <file.png>\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarnby"));
    // A quiet folder for the application folder, so the folder tree shows little else.
    if (QFileInfo(QStringLiteral("/var/tmp")).isDir())
        qputenv("TMPDIR", "/var/tmp");

    test::TestEnvironment env;
    env.writeProgCfg(QStringLiteral("1"), QStringLiteral("30"));
    const QString dayLog = QStringLiteral("P_2026_12_06.txt");
    env.writeFile(QStringLiteral("logs/") + dayLog,
                  test::dayLogBytes(test::generatedDay(2870, 1, 1438, 11), 30));
    env.writeFile(QStringLiteral("logs/P_2026_12_05.txt"),
                  test::dayLogBytes(test::generatedDay(2870, 1, 1438, 5), 30));
    env.writeFile(QStringLiteral("logs/Whours.txt"), "2026/12/05 23:59 1618.2\r\n");

    HistoryState state;
    Graph window(env.environment(), state, nullptr);
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
    files->setCurrentIndex(item);
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, files->visualRect(item).center());
    if (state.RecordCount < 2) {
        std::fprintf(stderr, "the day did not load: %s\n",
                     qPrintable(env.prompts.messages.join(u'\n')));
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
    return 0;
}
