// The watt-hour store: rollover at midnight (late ticks, DST days), exit lines, failed writes.

#include "acquisition/WattHourStore.h"
#include "platform/FileWriting.h"
#include "tests/support/TestFiles.h"

#include <QtTest>
#include <cerrno>
#include <ctime>

using namespace tarnby;
using tarnby::test::at;
using tarnby::test::readAll;

// 720 W adds exactly 1 Wh per tick, which keeps the expected totals readable.
constexpr double OneWattHourPerTick = 720;

class WattHourStoreTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        qputenv("TZ", "Europe/Berlin"); // before any local time is computed
        tzset();
    }

    void rolloverAtTheFirstTickOfTheNewDate_data() {
        // "MM-dd" of 2026 at start-up, then the ticks "MM-dd hh:mm:ss", or every 5 s "... to ...";
        // " down": the link is lost; " unsynced": the sync after the write fails; " full": the file
        // is a link to /dev/full; " exit": the program ends.
        QTest::addColumn<QStringList>("ticks");
        QTest::addColumn<QByteArray>("expectedFile");
        QTest::addColumn<double>("expectedTotal");
        const auto row = [](const char* name, const QStringList& ticks, const char* file,
                            double total) {
            QTest::newRow(name) << ticks << QByteArray(file) << total;
        };
        // 00:00:00 writes the day's total, then adds its own share; the next tick writes nothing.
        row("ticks on time",
            {"12-06", "12-06 23:59:50", "12-06 23:59:55", "12-07 00:00:00", "12-07 00:00:05"},
            "00:00  2.0 Wh\r\n", 2);
        row("the first tick is late (asleep over midnight)", {"12-06", "12-07 06:41:02"},
            "06:41  .0 Wh\r\n", 1);
        row("link down: nothing added, the day still closes",
            {"12-06", "12-06 12:00:00 down", "12-06 12:00:05", "12-07 00:00:01 down"},
            "00:00  1.0 Wh\r\n", 0);
        row("sync fails: reported, the line not written again",
            {"12-06", "12-07 00:00:03 unsynced", "12-07 00:00:08"}, "00:00  .0 Wh\r\n", 2);
        row("disk full: the day's line waits and goes first; a second exit writes nothing",
            {"12-06", "12-06 23:59:55", "12-07 00:00:00 full", "12-07 00:00:05 full",
             "12-07 00:00:10", "12-07 00:01:00 exit", "12-07 00:01:01 exit"},
            "00:00  1.0 Wh\r\n00:01  3.0 Wh\r\n", 3);
        row("23-hour day", {"03-28", "03-28 23:59:55 to 03-30 00:00:05"},
            "00:00  1.0 Wh\r\n00:00  16560.0 Wh\r\n", 2);
        row("25-hour day", {"10-24", "10-24 23:59:55 to 10-26 00:00:05"},
            "00:00  1.0 Wh\r\n00:00  18000.0 Wh\r\n", 2);
    }
    void rolloverAtTheFirstTickOfTheNewDate() {
        QFETCH(QStringList, ticks);
        QFETCH(QByteArray, expectedFile);
        QFETCH(double, expectedTotal);
        if (QByteArrayView(QTest::currentDataTag()).endsWith("-hour day") &&
            (at(2026, 7, 1, 12, 0).offsetFromUtc() != 7200 ||
             at(2026, 1, 1, 12, 0).offsetFromUtc() != 3600))
            QSKIP("the Europe/Berlin time zone is not installed");
        const auto time = [](const QString& text) {
            return QDateTime::fromString("2026-" + text.left(14), "yyyy-MM-dd hh:mm:ss");
        };
        QTemporaryDir dir;
        const QString path = dir.path() + "/logs/Whours.txt";
        QVERIFY(QDir(dir.path()).mkdir("logs"));
        WattHourStore store(AppPaths(dir.path()),
                            QDate::fromString("2026-" + ticks.takeFirst(), "yyyy-MM-dd"));
        double total = 0;
        const auto syncRestored = qScopeGuard([] { testing::setSyncStep(nullptr); });
        for (const QString& text : ticks) {
            const bool full = text.endsWith(" full"), unsynced = text.endsWith(" unsynced");
            if (full != QFileInfo(path).isSymLink())
                QVERIFY(full ? QFile::link("/dev/full", path) : QFile::remove(path));
            testing::setSyncStep(unsynced ? +[](int) { return errno = EIO, -1; } : nullptr);
            const QDateTime until = time(text.contains(" to ") ? text.mid(18) : text);
            for (QDateTime now = time(text); now <= until; now = now.addSecs(5)) {
                const auto outcome =
                    text.endsWith(" exit")
                        ? WattHourStore::TickOutcome{true, store.appendExitLine(now, total)}
                        : store.tick(now, OneWattHourPerTick, total, !text.endsWith(" down"));
                QVERIFY(!outcome.wroteLine || outcome.append.ok != (full || unsynced));
            }
        }
        QCOMPARE(readAll(path), expectedFile);
        QCOMPARE(total, expectedTotal);
    }
};

QTEST_GUILESS_MAIN(WattHourStoreTest)
#include "tst_watt_hour_store.moc"
