// The watt-hour store: its line bytes, the midnight rollover (late ticks, daylight-saving
// days), the exit line and failed writes.

#include "acquisition/WattHourStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <ctime>

using namespace tarnby;

namespace {
QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QDateTime at(int year, int month, int day, int hour, int minute, int second = 0) {
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second));
}

// 720 W adds exactly 1 Wh per tick, which keeps the expected totals readable.
constexpr double OneWattHourPerTick = 720;
} // namespace

class WattHourStoreTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void lineBytes_data();
    void lineBytes();
    void rolloverAtTheFirstTickOfTheNewDate_data();
    void rolloverAtTheFirstTickOfTheNewDate();
    void startUpDateCountsAsTheFirstTick();
    void nothingAddedWhileTheLinkIsDown();
    void exitLineOncePerRun();
    void failedRolloverLineIsKeptAndRetried();
    void daylightSavingDays_data();
    void daylightSavingDays();

private:
    QTemporaryDir dir_;
    QString file() const { return dir_.path() + "/logs/Whours.txt"; }
    bool berlin_ = false;
};

void WattHourStoreTest::initTestCase() {
    // Before any local time is computed, so every QDateTime below is Berlin time.
    qputenv("TZ", "Europe/Berlin");
    tzset();
    berlin_ = at(2026, 7, 1, 12, 0).offsetFromUtc() == 7200 &&
              at(2026, 1, 1, 12, 0).offsetFromUtc() == 3600;
}

void WattHourStoreTest::lineBytes_data() {
    QTest::addColumn<QTime>("time");
    QTest::addColumn<double>("total");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("midnight") << QTime(0, 0, 3) << 2345.67 << QByteArray("00:00  2345.7 Wh\r\n");
    QTest::newRow("exit") << QTime(14, 5) << 10.0 << QByteArray("14:05  10.0 Wh\r\n");
    QTest::newRow("nothing") << QTime(0, 0) << 0.0 << QByteArray("00:00  .0 Wh\r\n");
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
    QTest::addColumn<QList<QDateTime>>("ticks");
    QTest::addColumn<QByteArray>("expectedFile");
    QTest::addColumn<double>("expectedTotal");

    QList<QDateTime> onTime;
    for (int s = 40; s < 60; s += 5)
        onTime << at(2026, 12, 6, 23, 59, s);
    for (int s = 0; s <= 20; s += 5)
        onTime << at(2026, 12, 7, 0, 0, s);
    // Four ticks before midnight; the 00:00:00 tick writes them, then adds its own share; the
    // 00:00:05 tick (still in the first ten seconds) writes nothing.
    QTest::newRow("ticks on time") << onTime << QByteArray("00:00  4.0 Wh\r\n") << 5.0;

    QTest::newRow("a tick 30 s late")
        << QList<QDateTime>{at(2026, 12, 6, 23, 59, 50), at(2026, 12, 6, 23, 59, 55),
                            at(2026, 12, 7, 0, 0, 30), at(2026, 12, 7, 0, 0, 35)}
        << QByteArray("00:00  2.0 Wh\r\n") << 2.0;
    QTest::newRow("a machine asleep over midnight")
        << QList<QDateTime>{at(2026, 12, 6, 22, 0), at(2026, 12, 7, 6, 41, 2),
                            at(2026, 12, 7, 6, 41, 7)}
        << QByteArray("06:41  1.0 Wh\r\n") << 2.0;
    QTest::newRow("two midnights")
        << QList<QDateTime>{at(2026, 12, 6, 23, 59, 55), at(2026, 12, 7, 0, 0, 0),
                            at(2026, 12, 7, 23, 59, 55), at(2026, 12, 8, 0, 0, 0)}
        << QByteArray("00:00  1.0 Wh\r\n00:00  2.0 Wh\r\n") << 1.0;
    QTest::newRow("no midnight") << QList<QDateTime>{at(2026, 12, 6, 0, 0, 3),
                                                     at(2026, 12, 6, 0, 0, 8)}
                                 << QByteArray() << 2.0;
}

void WattHourStoreTest::rolloverAtTheFirstTickOfTheNewDate() {
    QFETCH(QList<QDateTime>, ticks);
    QFETCH(QByteArray, expectedFile);
    QFETCH(double, expectedTotal);
    QTemporaryDir dir;
    WattHourStore store(AppPaths(dir.path()), ticks.first().date());
    double total = 0;
    int written = 0;
    for (const QDateTime& now : ticks) {
        const auto outcome = store.tick(now, OneWattHourPerTick, total);
        if (outcome.wroteLine) {
            QVERIFY(outcome.append.ok);
            ++written;
        }
    }
    QCOMPARE(readAll(dir.path() + "/logs/Whours.txt"), expectedFile);
    QCOMPARE(written, expectedFile.count("\r\n"));
    QCOMPARE(total, expectedTotal);
}

void WattHourStoreTest::startUpDateCountsAsTheFirstTick() {
    QTemporaryDir dir;
    // Started at 23:59:58; the first tick comes after midnight.
    WattHourStore store(AppPaths(dir.path()), QDate(2026, 12, 6));
    double total = 0;
    QVERIFY(store.tick(at(2026, 12, 7, 0, 0, 3), OneWattHourPerTick, total).wroteLine);
    QCOMPARE(readAll(dir.path() + "/logs/Whours.txt"), QByteArray("00:00  .0 Wh\r\n"));
    QCOMPARE(total, 1.0);
}

void WattHourStoreTest::nothingAddedWhileTheLinkIsDown() {
    QTemporaryDir dir;
    WattHourStore store(AppPaths(dir.path()), QDate(2026, 12, 6));
    double total = 3;
    store.tick(at(2026, 12, 6, 12, 0, 0), 1440, total, false);
    QCOMPARE(total, 3.0);
    store.tick(at(2026, 12, 6, 12, 0, 5), 1440, total, true);
    QCOMPARE(total, 5.0);
    // The day still closes while the link is down.
    QVERIFY(store.tick(at(2026, 12, 7, 0, 0, 1), 1440, total, false).wroteLine);
    QCOMPARE(total, 0.0);
    QCOMPARE(readAll(dir.path() + "/logs/Whours.txt"), QByteArray("00:00  5.0 Wh\r\n"));
}

void WattHourStoreTest::exitLineOncePerRun() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("logs"));
    QFile existing(dir.path() + "/logs/Whours.txt");
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.write("00:00  12.0 Wh\r\n");
    existing.close();

    WattHourStore store(AppPaths(dir.path()), QDate(2026, 12, 6));
    QVERIFY(store.appendExitLine(at(2026, 12, 6, 14, 5, 40), 10).ok);
    QVERIFY(store.appendExitLine(at(2026, 12, 6, 14, 5, 41), 10).ok); // the unload after Exit
    QCOMPARE(readAll(dir.path() + "/logs/Whours.txt"),
             QByteArray("00:00  12.0 Wh\r\n14:05  10.0 Wh\r\n"));
}

void WattHourStoreTest::failedRolloverLineIsKeptAndRetried() {
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
    QCOMPARE(readAll(path), QByteArray("00:00  1.0 Wh\r\n00:01  4.0 Wh\r\n"));
}

void WattHourStoreTest::daylightSavingDays_data() {
    QTest::addColumn<QDateTime>("from");
    QTest::addColumn<QByteArray>("expected");
    // Ticks every 5 s of real time from just before the day to just after it.
    QTest::newRow("23-hour day") << at(2026, 3, 28, 23, 59, 55)
                                 << QByteArray("00:00  1.0 Wh\r\n00:00  16560.0 Wh\r\n");
    QTest::newRow("25-hour day") << at(2026, 10, 24, 23, 59, 55)
                                 << QByteArray("00:00  1.0 Wh\r\n00:00  18000.0 Wh\r\n");
}

void WattHourStoreTest::daylightSavingDays() {
    if (!berlin_)
        QSKIP("the Europe/Berlin time zone is not installed");
    QFETCH(QDateTime, from);
    QFETCH(QByteArray, expected);
    QTemporaryDir dir;
    WattHourStore store(AppPaths(dir.path()), from.date());
    double total = 0;
    const QDateTime until = from.addDays(2).addSecs(-24 * 3600 + 10);
    for (QDateTime now = from; now <= until; now = now.addSecs(5))
        store.tick(now, OneWattHourPerTick, total);
    QCOMPARE(readAll(dir.path() + "/logs/Whours.txt"), expected);
}

QTEST_GUILESS_MAIN(WattHourStoreTest)
#include "tst_watt_hour_store.moc"
