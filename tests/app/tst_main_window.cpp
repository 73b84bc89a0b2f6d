// The main window driven as a user would, with a fake serial port, a chosen clock and scripted
// answers to its message boxes and modal windows.

#include "app/widgets/KestrinLogger.h"
#include "tests/support/TestEnvironment.h"

#include <QAbstractButton>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace tarnby;
using namespace tarnby::test;
using namespace Qt::StringLiterals;

namespace {
const QString PortProblem = u"There is a possible Port Number problem. Check available PORTS"_s;
const QString BadDelay = u"Invalid delay period, needs to be a number between 10 and 600"_s;

// Saves the setup window with the given port text, as a user typing it and pressing Save.
std::function<void(QDialog&)> saveSetupWithPort(const QString& port) {
    return [port](QDialog& window) {
        auto* box = window.findChild<QLineEdit*>(u"PortNumber"_s);
        QVERIFY(box);
        box->setText(port);
        window.findChild<QPushButton*>(u"Command1"_s)->click();
    };
}

// Runs a timer's tick now, as the event loop would when it falls due.
void fire(QTimer& timer) {
    QMetaObject::invokeMethod(&timer, "timeout", Qt::DirectConnection);
}

std::function<void(QDialog&)> abortSetup() {
    return [](QDialog& window) { window.findChild<QPushButton*>(u"Command2"_s)->click(); };
}
} // namespace

class MainWindow : public QObject {
    Q_OBJECT
private slots:
    void portZeroKeepsPortClosedAndLoggingOff();
    void automaticLoggingClampsTheInterval_data();
    void automaticLoggingClampsTheInterval();
    void badPortGoesThroughSetupToAFreshStart();
    void recoveryKeepsTheDaysEnergy();
    void abortInRecoveryLeavesPortClosed();
    void optionalRowsAndFonts_data();
    void optionalRowsAndFonts();
    void exitWithoutPortAppendsTheTotal();
    void brokenProgCfgIsReportedAndPortStaysClosed();
    void frameUpdatesListAndCaption();
    void badFactorShowsCorruptDataKeepingEarlierValues();
    void startStopStartAveragesOnlyTheLatestFrames();
    void startButtonRefusesBadInterval();
    void failedRecordHoldsTheStatusLine();
    void lostLinkIsReopenedWithoutMessages();
    void afterSetupSettingsAreReappliedAndPortReopened();
    void afterCalibrateFactorsAreReloadedAndPortReopened();
};

void MainWindow::portZeroKeepsPortClosedAndLoggingOff() {
    TestEnvironment t;
    t.writeProgCfg(u"0"_s, u"60"_s, u"1"_s);
    t.writeSettingsCfg();
    KestrinLogger w(t.environment());
    w.startUp();
    QVERIFY(!w.portOpen());
    QVERIFY(!w.loggingOn());
    QVERIFY(w.StartLogging->isEnabled());
    QVERIFY(!w.StopLogging->isEnabled());
    QVERIFY(t.prompts.messages.isEmpty());
    QCOMPARE(w.windowTitle(), u"Tarnby - Waiting for Signal"_s);
    QCOMPARE(w.statusText(), u"     possible COMMS problem"_s);
}

void MainWindow::automaticLoggingClampsTheInterval_data() {
    QTest::addColumn<QString>("logDelay");
    QTest::addColumn<bool>("logging");
    QTest::addColumn<QString>("boxText");
    QTest::addColumn<int>("intervalMs");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("60") << "60" << true << "60" << 60000 << QStringList();
    QTest::newRow("5") << "5" << true << "10" << 10000 << QStringList();
    QTest::newRow("900") << "900" << true << "600" << 600000 << QStringList();
    QTest::newRow("abc tells the user") << "abc" << false << "abc" << 0 << QStringList{BadDelay};
}

void MainWindow::automaticLoggingClampsTheInterval() {
    QFETCH(QString, logDelay);
    QFETCH(bool, logging);
    QFETCH(QString, boxText);
    QFETCH(int, intervalMs);
    QFETCH(QStringList, messages);
    TestEnvironment t;
    t.writeProgCfg(u"1"_s, logDelay, u"1"_s);
    t.writeSettingsCfg();
    KestrinLogger w(t.environment());
    w.startUp();
    QVERIFY(w.portOpen());
    QCOMPARE(w.loggingOn(), logging);
    QCOMPARE(w.delay->text(), boxText);
    QCOMPARE(t.prompts.messages, messages);
    if (logging) {
        QCOMPARE(w.loggingTimer().interval(), intervalMs);
        QVERIFY(!w.delay->isEnabled());
        QVERIFY(!w.Setup->isEnabled());
        QVERIFY(!w.CalibrateButton->isEnabled());
        QVERIFY(w.StopLogging->isEnabled());
    } else {
        QVERIFY(w.StartLogging->isEnabled());
    }
}

void MainWindow::badPortGoesThroughSetupToAFreshStart() {
    TestEnvironment t;
    t.writeProgCfg(u"COM1"_s);
    t.writeSettingsCfg();
    t.prompts.modalSteps.push_back(saveSetupWithPort(u"3"_s));
    KestrinLogger w(t.environment());
    w.startUp();
    QCOMPARE(t.prompts.messages, QStringList{PortProblem});
    QCOMPARE(t.prompts.modalWindows, QStringList{u"ProgramSetup"_s});
    QVERIFY(w.portOpen());
    QCOMPARE(t.ports.links.front()->portNumber_, 3);
    QCOMPARE(t.ports.links.front()->settings_, u"4800,N,8,1"_s);
}

void MainWindow::recoveryKeepsTheDaysEnergy() {
    TestEnvironment t;
    t.writeProgCfg(u"1"_s);
    t.writeSettingsCfg(u"10"_s, u"0"_s, u"10"_s);
    KestrinLogger w(t.environment());
    w.startUp();
    t.ports.links.front()->deliver("[<V>120</V><I>100</I>]\r\n"); // 12 V, 10 A
    for (int i = 0; i < 72; ++i)
        fire(w.wattHourTimer()); // six minutes at 120 W: 12 Wh
    QCOMPARE(w.readings().WattHourTotal, 12.0);
    // Setup with an unusable port: the recovery re-runs start-up, which must keep the total.
    t.prompts.modalSteps.push_back(saveSetupWithPort(u"0"_s));
    t.prompts.modalSteps.push_back(abortSetup());
    w.Setup->click();
    QCOMPARE(t.prompts.messages, QStringList{PortProblem});
    QVERIFY(!w.portOpen());
    QCOMPARE(w.readings().WattHourTotal, 12.0);
    QCOMPARE(w.readings().LiveVolts, 0.0);
}

void MainWindow::abortInRecoveryLeavesPortClosed() {
    TestEnvironment t;
    t.writeProgCfg(u"1"_s);
    t.writeSettingsCfg();
    t.ports.failOpen = true;
    t.prompts.modalSteps.push_back(abortSetup());
    KestrinLogger w(t.environment());
    w.startUp();
    QCOMPARE(t.prompts.messages, QStringList{PortProblem});
    QVERIFY(!w.portOpen());
    QVERIFY(t.readFile(u"prog.cfg"_s).contains("<Port>0</Port>"));
}

void MainWindow::optionalRowsAndFonts_data() {
    QTest::addColumn<QString>("displayRpm");
    QTest::addColumn<QString>("displayWs");
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<int>("points");
    const QStringList base{u"Volts"_s, u"Amps"_s, u"Watts"_s, u"WattHours"_s};
    QTest::newRow("neither") << "0"
                             << "0" << base << 24;
    QTest::newRow("rpm only") << "1"
                              << "0" << (base + QStringList{u"RPM"_s}) << 20;
    QTest::newRow("wind only") << "0"
                               << "1.0" << (base + QStringList{u"knots"_s}) << 20;
    QTest::newRow("both") << "1"
                          << "1" << (base + QStringList{u"RPM"_s, u"knots"_s}) << 18;
}

void MainWindow::optionalRowsAndFonts() {
    QFETCH(QString, displayRpm);
    QFETCH(QString, displayWs);
    QFETCH(QStringList, labels);
    QFETCH(int, points);
    TestEnvironment t;
    t.writeProgCfg(u"0"_s, u"60"_s, u"0"_s, displayRpm, displayWs, u"knots"_s);
    t.writeSettingsCfg();
    KestrinLogger w(t.environment());
    w.startUp();
    QCOMPARE(w.ListView1->labels(), labels);
    QCOMPARE(w.ListView1->values(), QStringList(labels.size(), u"0.0"_s));
    QCOMPARE(w.ListView1->font().pointSize(), points);
}

void MainWindow::exitWithoutPortAppendsTheTotal() {
    TestEnvironment t;
    t.writeProgCfg(u"0"_s);
    t.writeSettingsCfg();
    t.clock.time = QDateTime(QDate(2026, 12, 6), QTime(14, 5, 30));
    KestrinLogger w(t.environment());
    w.startUp();
    w.show();
    w.Exit->click();
    QVERIFY(!w.isVisible());
    w.endOfRun(); // the end of the event loop after Exit must not add a second line
    QCOMPARE(t.readFile(u"logs/Whours.txt"_s), QByteArray("14:05  .0 Wh\r\n"));
}

void MainWindow::brokenProgCfgIsReportedAndPortStaysClosed() {
    TestEnvironment t;
    t.writeFile(u"prog.cfg"_s, "Program Config File\r\n\r\n<Port>1</Port>\r\n<BR>4800</BR>\r\n");
    t.writeSettingsCfg();
    KestrinLogger w(t.environment());
    w.startUp();
    QCOMPARE(t.prompts.messages.size(), 1);
    QVERIFY(t.prompts.messages[0].contains(u"prog.cfg"_s));
    QVERIFY(t.prompts.messages[0].contains(u"<LogDelay>"_s));
    QVERIFY(!w.portOpen());
    QVERIFY(t.prompts.modalWindows.isEmpty()); // no recovery loop
    QCOMPARE(t.readFile(u"prog.cfg"_s),
             QByteArray("Program Config File\r\n\r\n<Port>1</Port>\r\n<BR>4800</BR>\r\n"));
}

void MainWindow::frameUpdatesListAndCaption() {
    TestEnvironment t;
    t.writeProgCfg(u"1"_s, u"60"_s, u"0"_s, u"1"_s, u"1"_s, u"MPH"_s);
    t.writeSettingsCfg(u"10"_s, u"500"_s, u"10"_s, u"1"_s, u"2"_s);
    KestrinLogger w(t.environment());
    w.startUp();
    FakeSerialLink* port = t.ports.links.front();
    port->deliver("[<V>125.7</V><I>53");
    QCOMPARE(w.windowTitle(), u"Tarnby - Waiting for Signal"_s);
    port->deliver("2</I><R>2</R><M>0</M><S>11</S>]\r\n");
    QCOMPARE(w.windowTitle(), u"Tarnby  12.57V 3.2A"_s);
    QCOMPARE(w.ListView1->values(),
             (QStringList{u"12.57"_s, u"3.2"_s, u"40.2"_s, u"0.0"_s, u"120"_s, u"6"_s}));
    QCOMPARE(w.BlinkData->colour(), QColor(Qt::red));
    QCOMPARE(w.statusText(), QString()); // the frame before the first one
    port->deliver("[<V>120</V><I>500</I>]\r\n");
    QCOMPARE(w.statusText(), u"[<V>125.7</V><I>532</I><R>2</R><M>0</M><S>11</S>]"_s);
}

void MainWindow::badFactorShowsCorruptDataKeepingEarlierValues() {
    TestEnvironment t;
    t.writeProgCfg(u"1"_s);
    t.writeSettingsCfg(u"10"_s, u"500"_s, u"abc"_s);
    KestrinLogger w(t.environment());
    w.startUp();
    t.ports.links.front()->deliver("[<V>131</V><I>600</I>]\r\n");
    QCOMPARE(w.statusText(), u"possible corrupt COMMS data"_s);
    QCOMPARE(w.readings().LiveVolts, 13.1);
    QCOMPARE(w.readings().LiveAmps, 0.0);
}

void MainWindow::startStopStartAveragesOnlyTheLatestFrames() {
    TestEnvironment t;
    t.writeProgCfg(u"1"_s, u"10"_s);
    t.writeSettingsCfg(u"10"_s, u"0"_s, u"10"_s);
    t.clock.time = QDateTime(QDate(2026, 12, 6), QTime(9, 30));
    KestrinLogger w(t.environment());
    w.startUp();
    FakeSerialLink* port = t.ports.links.front();
    w.StartLogging->click();
    port->deliver("[<V>100</V><I>10</I>]\r\n");
    w.StopLogging->click();
    QVERIFY(w.delay->isEnabled());
    port->deliver("[<V>200</V><I>10</I>]\r\n"); // while off: no sum
    w.StartLogging->click();
    port->deliver("[<V>120</V><I>20</I>]\r\n");
    port->deliver("[<V>140</V><I>40</I>]\r\n");
    fire(w.loggingTimer());
    QCOMPARE(
        t.readFile(u"logs/P_2026_12_06.txt"_s),
        QByteArray(
            "<T>09:30</T><V>13.00</V><I>3.00</I><W>40.00</W><R></R><S>.0</S><M>0</M>   .0Wh\r\n"));
    QCOMPARE(w.BlinkLog->colour(), QColor(Qt::red));
}

void MainWindow::startButtonRefusesBadInterval() {
    TestEnvironment t;
    t.writeProgCfg(u"0"_s);
    t.writeSettingsCfg();
    KestrinLogger w(t.environment());
    w.startUp();
    w.delay->setEnabled(true);
    w.delay->setText(u"ten"_s);
    w.StartLogging->click();
    QCOMPARE(t.prompts.messages, QStringList{BadDelay});
    QVERIFY(!w.loggingOn());
    QCOMPARE(w.delay->text(), u"ten"_s);
    QVERIFY(w.delay->isEnabled());
}

void MainWindow::failedRecordHoldsTheStatusLine() {
    TestEnvironment t;
    t.writeProgCfg(u"1"_s, u"10"_s, u"1"_s);
    t.writeSettingsCfg();
    t.clock.time = QDateTime(QDate(2026, 12, 6), QTime(9, 30));
    QVERIFY(QFile::link(u"/dev/full"_s, t.path(u"logs/P_2026_12_06.txt"_s)));
    KestrinLogger w(t.environment());
    w.startUp();
    fire(w.loggingTimer());
    QVERIFY2(w.statusText().contains(u"P_2026_12_06.txt"_s), qPrintable(w.statusText()));
    const QString fault = w.statusText();
    t.ports.links.front()->deliver("[<V>100</V><I>600</I>]\r\n[<V>100</V><I>600</I>]\r\n");
    QCOMPARE(w.statusText(), fault); // frame texts do not hide the fault
    QFile::remove(t.path(u"logs/P_2026_12_06.txt"_s));
    fire(w.loggingTimer());
    QCOMPARE(w.statusText(), u"[<V>100</V><I>600</I>]"_s);
    QVERIFY(t.readFile(u"logs/P_2026_12_06.txt"_s).startsWith("<T>09:30</T>"));
}

void MainWindow::lostLinkIsReopenedWithoutMessages() {
    TestEnvironment t;
    t.writeProgCfg(u"1"_s);
    t.writeSettingsCfg(u"10"_s, u"0"_s, u"10"_s);
    KestrinLogger w(t.environment());
    w.startUp();
    FakeSerialLink* port = t.ports.links.front();
    port->deliver("[<V>120</V><I>100</I>]\r\n[<V>1");
    port->loseLink();
    QCOMPARE(w.statusText(), u"     possible COMMS problem"_s);
    const double total = w.readings().WattHourTotal;
    fire(w.wattHourTimer());
    QCOMPARE(w.readings().WattHourTotal, total); // no energy counted while the line is gone
    QVERIFY(w.reconnectTimer().isActive());
    fire(w.reconnectTimer());
    QVERIFY(w.portOpen());
    QVERIFY(!w.reconnectTimer().isActive());
    port->deliver("30</V><I>100</I>]\r\n[<V>130</V><I>100</I>]\r\n"); // the half frame is gone
    QCOMPARE(w.readings().LiveVolts, 13.0);
    QVERIFY(t.prompts.messages.isEmpty());
}

void MainWindow::afterSetupSettingsAreReappliedAndPortReopened() {
    TestEnvironment t;
    t.writeProgCfg(u"1"_s, u"60"_s, u"0"_s, u"0"_s, u"0"_s);
    t.writeSettingsCfg(u"10"_s, u"0"_s, u"10"_s);
    KestrinLogger w(t.environment());
    w.startUp();
    w.delay->setEnabled(true);
    w.delay->setText(u"45"_s); // typed after Stop; replaced by the saved value
    t.prompts.modalSteps.push_back([&t](QDialog& window) {
        // The user picks another port and turns on the optional rows; then the calibration
        // changes on disk as well.
        window.findChild<QLineEdit*>(u"PortNumber"_s)->setText(u"2"_s);
        window.findChild<QLineEdit*>(u"LogDelay"_s)->setText(u"30"_s);
        window.findChild<QLineEdit*>(u"WSUnits"_s)->setText(u"m/s"_s);
        for (const char* box : {"DisplayRPM", "DisplayWS"})
            window.findChild<QAbstractButton*>(QString::fromLatin1(box))->setChecked(true);
        window.findChild<QPushButton*>(u"Command1"_s)->click();
        t.writeSettingsCfg(u"20"_s, u"0"_s, u"10"_s);
    });
    w.Setup->click();
    QVERIFY(w.portOpen());
    QCOMPARE(t.ports.links.front()->portNumber_, 2);
    QCOMPARE(w.delay->text(), u"30"_s);
    QVERIFY(!w.delay->isEnabled());
    QCOMPARE(w.ListView1->labels().last(), u"m/s"_s);
    QCOMPARE(w.ListView1->font().pointSize(), 18);
    t.ports.links.front()->deliver("[<V>240</V><I>10</I>]\r\n");
    QCOMPARE(w.readings().LiveVolts, 12.0); // the new factor
}

void MainWindow::afterCalibrateFactorsAreReloadedAndPortReopened() {
    TestEnvironment t;
    t.writeProgCfg(u"1"_s);
    t.writeSettingsCfg(u"10"_s, u"0"_s, u"10"_s);
    KestrinLogger w(t.environment());
    w.startUp();
    FakeSerialLink* mainPort = t.ports.links.front();
    t.prompts.modalSteps.push_back([&t](QDialog& window) {
        QVERIFY(t.ports.links.back()->isOpen()); // the window's own port
        window.findChild<QLineEdit*>(u"BatteryVolts"_s)->setText(u"20"_s);
        window.findChild<QPushButton*>(u"Command1"_s)->click();
    });
    w.CalibrateButton->click();
    QCOMPARE(t.prompts.modalWindows, QStringList{u"Calibrate"_s});
    QVERIFY(mainPort->isOpen());
    QCOMPARE(mainPort->openCount, 2);
    QVERIFY(!w.delay->isEnabled());
    mainPort->deliver("[<V>240</V><I>10</I>]\r\n");
    QCOMPARE(w.readings().LiveVolts, 12.0);
}

QTEST_MAIN(MainWindow)
#include "tst_main_window.moc"
