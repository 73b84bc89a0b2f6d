// The watt-hour store: its line bytes, the midnight rollover (late ticks, daylight-saving
// days), the exit line and failed writes.

#include "acquisition/WattHourStore.h"
#include "platform/FileWriting.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <ctime>

using namespace tarnby;
using tarnby::test::at;
using tarnby::test::readAll;

namespace {

// 720 W adds exactly 1 Wh per tick, which keeps the expected totals readable.
constexpr double OneWattHourPerTick = 720;

struct Tick {
    QDateTime now;
    bool linkUp = true;
    bool syncFails = false; // the line is written, but the sync after it fails
};

// "MM-dd hh:mm:ss" in 2026, " down" when the link is lost, " unsynced" when the sync fails.
QList<Tick> ticks(std::initializer_list<const char*> texts) {
    QList<Tick> result;
    for (const QString text : texts)
        result.append({QDateTime::fromString("2026-" + text.left(14), "yyyy-MM-dd hh:mm:ss"),
                       !text.endsWith(" down"), text.endsWith(" unsynced")});
    return result;
}
} // namespace

Q_DECLARE_METATYPE(QList<Tick>)

class WattHourStoreTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void lineBytes_data();
    void lineBytes();
    void rolloverAtTheFirstTickOfTheNewDate_data();
    void rolloverAtTheFirstTickOfTheNewDate();
    void failedDayLineIsRetriedAndExitLineWrittenOnce();
};

void WattHourStoreTest::initTestCase() {
    // Before any local time is computed, so every QDateTime below is Berlin time.
    qputenv("TZ", "Europe/Berlin");
    tzset();
}

void WattHourStoreTest::lineBytes_data() {
    QTest::addColumn<QTime>("time");
    QTest::addColumn<double>("total");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("midnight") << QTime(0, 0, 3) << 2345.67 << QByteArray("00:00  2345.7 Wh\r\n");
    QTest::newRow("below 1") << QTime(23, 59, 59) << 0.45 << QByteArray("23:59  .5 Wh\r\n");
    QTest::newRow("wide") << QTime(7, 9) << 1234567.8 << QByteArray("07:09  1234567.8 Wh\r\n");
}

void WattHourStoreTest::lineBytes() {
    QFETCH(QTime, time);
    QFETCH(double, total);
    QFETCH(QByteArray, expected);
    QCOMPARE(wattHourLine(time, total), expected);
}

void WattHourStoreTest::rolloverAtTheFirstTickOfTheNewDate_data() {
    QTest::addColumn<QDate>("startDate");
    QTest::addColumn<QList<Tick>>("ticks");
    QTest::addColumn<QByteArray>("expectedFile");
    QTest::addColumn<double>("expectedTotal");

    const QDate day(2026, 12, 6);
    // Four ticks before midnight; the 00:00:00 tick writes them, then adds its own share; the
    // 00:00:05 tick (still in the first ten seconds) writes nothing.
    QTest::newRow("ticks on time") << day
                                   << ticks({"12-06 23:59:40", "12-06 23:59:45", "12-06 23:59:50",
                                             "12-06 23:59:55", "12-07 00:00:00", "12-07 00:00:05"})
                                   << QByteArray("00:00  4.0 Wh\r\n") << 2.0;
    QTest::newRow("a tick 30 s late")
        << day << ticks({"12-06 23:59:50", "12-06 23:59:55", "12-07 00:00:30", "12-07 00:00:35"})
        << QByteArray("00:00  2.0 Wh\r\n") << 2.0;
    QTest::newRow("a machine asleep over midnight")
        << day << ticks({"12-06 22:00:00", "12-07 06:41:02", "12-07 06:41:07"})
        << QByteArray("06:41  1.0 Wh\r\n") << 2.0;
    // Started at 23:59:58; the first tick comes after midnight.
    QTest::newRow("start-up date counts as the first tick")
        << day << ticks({"12-07 00:00:03"}) << QByteArray("00:00  .0 Wh\r\n") << 1.0;
    QTest::newRow("no midnight") << day << ticks({"12-06 00:00:03", "12-06 00:00:08"})
                                 << QByteArray() << 2.0;
    // Nothing is added while the link is down, but the day still closes.
    QTest::newRow("link down") << day
                               << ticks({"12-06 12:00:00 down", "12-06 12:00:05",
                                         "12-07 00:00:01 down"})
                               << QByteArray("00:00  1.0 Wh\r\n") << 0.0;
    // The line is in the file though unconfirmed: reported, but not written again.
    QTest::newRow("sync fails") << day << ticks({"12-07 00:00:03 unsynced", "12-07 00:00:08"})
                                << QByteArray("00:00  .0 Wh\r\n") << 2.0;
    // Every 5 s of real time across a 23-hour and a 25-hour day (Berlin time).
    for (const auto& [name, first, secondLine] :
         {std::tuple{"23-hour day", QDate(2026, 3, 28), "00:00  16560.0 Wh\r\n"},
          std::tuple{"25-hour day", QDate(2026, 10, 24), "00:00  18000.0 Wh\r\n"}}) {
        QList<Tick> everyFiveSeconds;
        const QDateTime until(first.addDays(2), QTime(0, 0, 5));
        for (QDateTime now(first, QTime(23, 59, 55)); now <= until; now = now.addSecs(5))
            everyFiveSeconds.append({now});
        QTest::newRow(name) << first << everyFiveSeconds
                            << "00:00  1.0 Wh\r\n" + QByteArray(secondLine) << 2.0;
    }
}

void WattHourStoreTest::rolloverAtTheFirstTickOfTheNewDate() {
    QFETCH(QDate, startDate);
    QFETCH(QList<Tick>, ticks);
    QFETCH(QByteArray, expectedFile);
    QFETCH(double, expectedTotal);
    if (QByteArrayView(QTest::currentDataTag()).endsWith("-hour day") &&
        (at(2026, 7, 1, 12, 0).offsetFromUtc() != 7200 ||
         at(2026, 1, 1, 12, 0).offsetFromUtc() != 3600))
        QSKIP("the Europe/Berlin time zone is not installed");
    QTemporaryDir dir;
    WattHourStore store(AppPaths(dir.path()), startDate);
    double total = 0;
    int written = 0;
    for (const Tick& tick : ticks) {
        testing::setSyncStep(tick.syncFails ? +[](int) { return errno = EIO, -1; } : nullptr);
        const auto outcome = store.tick(tick.now, OneWattHourPerTick, total, tick.linkUp);
        testing::setSyncStep(nullptr);
        QVERIFY(!outcome.wroteLine || outcome.append.ok != tick.syncFails);
        written += outcome.wroteLine;
    }
    QCOMPARE(readAll(dir.path() + "/logs/Whours.txt"), expectedFile);
    QCOMPARE(written, expectedFile.count("\r\n"));
    QCOMPARE(total, expectedTotal);
}

void WattHourStoreTest::failedDayLineIsRetriedAndExitLineWrittenOnce() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("logs"));
    const QString path = dir.path() + "/logs/Whours.txt";
    QVERIFY(QFile::link("/dev/full", path));
    WattHourStore store(AppPaths(dir.path()), QDate(2026, 12, 6));
    double total = 0;
    QVERIFY(!store.tick(at(2026, 12, 6, 23, 59, 55), OneWattHourPerTick, total).wroteLine);

    auto outcome = store.tick(at(2026, 12, 7, 0, 0, 0), OneWattHourPerTick, total);
    QVERIFY(outcome.wroteLine);
    QVERIFY(!outcome.append.ok);
    QCOMPARE(outcome.append.error, QStringLiteral("Cannot write logs/Whours.txt (disk full)"));
    QCOMPARE(total, 1.0); // the new day starts anyway; yesterday's total waits
    QCOMPARE(store.heldLines(), QByteArray("00:00  1.0 Wh\r\n"));

    outcome = store.tick(at(2026, 12, 7, 0, 0, 5), OneWattHourPerTick, total);
    QVERIFY(outcome.wroteLine);
    QVERIFY(!outcome.append.ok);

    QVERIFY(QFile::remove(path));
    outcome = store.tick(at(2026, 12, 7, 0, 0, 10), OneWattHourPerTick, total);
    QVERIFY(outcome.wroteLine);
    QVERIFY(outcome.append.ok);
    QVERIFY(!store.tick(at(2026, 12, 7, 0, 0, 15), OneWattHourPerTick, total).wroteLine);
    QVERIFY(store.appendExitLine(at(2026, 12, 7, 0, 1), total).ok);
    QVERIFY(store.appendExitLine(at(2026, 12, 7, 0, 1, 1), total).ok); // the unload after Exit
    QCOMPARE(readAll(path), QByteArray("00:00  1.0 Wh\r\n00:01  4.0 Wh\r\n"));
}

QTEST_GUILESS_MAIN(WattHourStoreTest)
#include "tst_watt_hour_store.moc"
