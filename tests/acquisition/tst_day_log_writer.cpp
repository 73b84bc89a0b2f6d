// Day-log records: bytes, averages, each date's file, and a write fault changing nothing.

#include "acquisition/DayLogWriter.h"
#include "platform/FileWriting.h"
#include "tests/support/TestFiles.h"

#include <QtTest>
#include <cerrno>
#include <cstring>

using namespace tarnby;
using tarnby::test::at;
using tarnby::test::inChildWithFileSizeLimit;
using tarnby::test::readAll;

class DayLogWriterTest : public QObject {
    Q_OBJECT
private slots:
    void sameRecordsWhateverTheWriteFault_data() {
        // Removed to recover: "path -> target" a link, "path/" a folder, else a file; "sync": the
        // sync after each whole write fails (the records are in the file: never written twice);
        // "size limit": in a child process, a file size limit cuts each write short.
        QTest::addColumn<QString>("blocker");
        QTest::addColumn<QString>("error");
        const auto row = [](const char* blocker, const QString& error) {
            QTest::newRow(*blocker ? blocker : "no fault") << QString(blocker) << error;
        };
        const QString cannot = "Cannot write logs/P_2026_12_06.txt (";
        row("", "");
        row("logs/P_2026_12_06.txt -> /dev/full", cannot + "disk full)");
        row("logs", "Cannot create folder logs for P_2026_12_06.txt");
        row("logs/P_2026_12_06.txt/", cannot + QString::fromLocal8Bit(strerror(EISDIR)) + ")");
        row("sync", cannot + QString::fromLocal8Bit(strerror(EIO)) + ")");
        row("size limit", cannot + "disk full)");
    }
    void sameRecordsWhateverTheWriteFault() {
        QFETCH(QString, blocker);
        QFETCH(QString, error);
        const rlim_t limit = blocker == "size limit" ? 40 : RLIM_INFINITY; // in a child process
        QCOMPARE(inChildWithFileSizeLimit(limit, [&] { writeThroughFault(blocker, error); }), 0);
    }

private:
    void writeThroughFault(const QString& blocker, const QString& error) {
        QTemporaryDir dir; // no logs folder yet
        const QDir app(dir.path());
        const QString block = app.filePath(blocker.section(" -> ", 0, 0));
        const bool syncFails = blocker == "sync";
        const auto syncRestored = qScopeGuard([] { testing::setSyncStep(nullptr); });
        if (syncFails)
            testing::setSyncStep([](int) { return errno = EIO, -1; });
        else if (blocker.contains(" -> "))
            QVERIFY(app.mkdir("logs") && QFile::link(blocker.section(" -> ", 1), block));
        else if (blocker.endsWith('/'))
            QVERIFY(app.mkpath(blocker));
        else if (!blocker.isEmpty() && blocker != "size limit")
            QVERIFY(QFile(block).open(QIODevice::WriteOnly));
        DayLogWriter writer{AppPaths(dir.path())};
        IntervalSums sums; // no frame since start-up: zeros
        auto outcome = writer.writeRecord(at(2026, 12, 6, 23, 59, 30), sums, {});
        QCOMPARE(outcome.fileName + ": " + outcome.append.error, "P_2026_12_06.txt: " + error);
        const bool held = !error.isEmpty() && !syncFails;
        QCOMPARE(writer.heldRecords(), size_t(held));
        // After midnight, still failing: a held record still comes first.
        sums = IntervalSums{37.8, 10.5, 132.4, 390, 18, 3}; // three frames
        outcome = writer.writeRecord(at(2026, 12, 7, 0, 0, 10), sums, {.WattHourTotal = 10.25});
        QCOMPARE(sums.SampleCount, 0LL);
        QCOMPARE(outcome.append.error,
                 held ? error + ", 2 records waiting" : QString(error).replace("12_06", "12_07"));
        QCOMPARE(QFileInfo::exists(app.filePath("logs/P_2026_12_07.txt")), !held);
        // Writable again: everything held is written, each record into its own day's file. No
        // frame in this interval: the same averages, with the time and total of now.
        if (syncFails)
            testing::setSyncStep(nullptr);
        else if (blocker == "size limit")
            QVERIFY(tarnby::test::limitFileSize(RLIM_INFINITY));
        else if (held)
            QVERIFY(blocker.endsWith('/') ? app.rmdir(blocker) : QFile::remove(block));
        outcome = writer.writeRecord(at(2026, 12, 7, 0, 1, 10), sums, {.WattHourTotal = 1e6});
        QVERIFY(outcome.append.ok && writer.heldRecords() == 0);
        QCOMPARE(
            readAll(app.filePath("logs/P_2026_12_06.txt")) + '|' +
                readAll(app.filePath("logs/P_2026_12_07.txt")),
            QByteArray(
                "<T>23:59</T><V>.00</V><I>.00</I><W>.00</W><R></R><S>.0</S><M>0</M>"
                "   .0Wh\r\n|<T>00:00</T><V>12.60</V><I>3.50</I><W>44.13</W><R>130</R><S>6.0</S>"
                "<M>0</M>   10.3Wh\r\n"
                "<T>00:01</T><V>12.60</V><I>3.50</I><W>44.13</W><R>130</R><S>6.0</S>"
                "<M>0</M>   1000000.0Wh\r\n"));
    }
};

QTEST_GUILESS_MAIN(DayLogWriterTest)
#include "tst_day_log_writer.moc"
