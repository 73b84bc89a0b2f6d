// The logging session driven directly: a fake port, a chosen clock, and a host whose setup and
// calibration "windows" are scripted steps that change the files as the real windows would.

#include "session/LoggingSession.h"
#include "tests/support/TestEnvironment.h"

#include <QSignalSpy>
#include <QTest>

using namespace tarnby;
using namespace tarnby::test;
using namespace Qt::StringLiterals;

namespace {
const QString PortProblem = u"There is a possible Port Number problem. Check available PORTS"_s;
const QString BadDelay = u"Invalid delay period, needs to be a number between 10 and 600"_s;
const QString CommsProblem = u"     possible COMMS problem"_s;

// Setup and calibration "windows" run the next scripted step, which changes the files.
struct ScriptedHost final : SessionHost {
    void showMessage(const QString& text) override {
        messages << text;
        if (onMessage)
            onMessage(text);
    }
    Recovery recoverPort(const QString& reason) override {
        portProblems << reason;
        if (nobodyToAsk)
            return Recovery::NobodyToAsk;
        recoveryClosed = false;
        showMessage(PortProblem);
        if (!recoveryClosed)
            runSetupWindow();
        return Recovery::PersonFinished;
    }
    PromptsClosing closeRecoveryPrompts() override {
        ++promptsClosed;
        recoveryClosed = true;
        return PromptsClosing::Closed;
    }
    void runSetupWindow() override {
        windows << u"setup"_s;
        runStep();
    }
    bool runCalibrationWindow(QString& portProblem) override {
        windows << u"calibrate"_s;
        portProblem = calibrationPortOpens ? QString() : u"no such device"_s;
        if (calibrationPortOpens)
            runStep();
        return calibrationPortOpens;
    }
    void runStep() {
        if (steps.empty())
            return;
        auto step = std::move(steps.front());
        steps.erase(steps.begin()); // a step may add steps
        step();
    }

    QStringList messages, windows, portProblems;
    std::vector<std::function<void()>> steps; // one per window shown
    std::function<void(const QString&)> onMessage;
    bool calibrationPortOpens = true;
    bool nobodyToAsk = false; // as a front end without a screen
    bool recoveryClosed = false;
    int promptsClosed = 0;
};

struct Fixture {
    TestEnvironment t;
    ScriptedHost host;
    std::unique_ptr<LoggingSession> session;

    LoggingSession& start() {
        session = std::make_unique<LoggingSession>(AppPaths(t.folder()), t.clock, t.ports.factory(),
                                                   host);
        session->startUp();
        return *session;
    }
    FakeSerialLink& port() { return *t.ports.links.front(); }
};
} // namespace

class SessionTest : public QObject {
    Q_OBJECT
private slots:
    void startUp_data();
    void startUp();
    void portThatAppearsEndsTheRecoveryByItself_data();
    void portThatAppearsEndsTheRecoveryByItself();
    void startStopStartAveragesOnlyTheLatestFrames();
    void lostLinkIsReopenedWithoutMessagesOrEnergy_data();
    void lostLinkIsReopenedWithoutMessagesOrEnergy();
    void setupCalibrateAndTheirRecoveriesKeepTheDaysEnergy();
    void settingsReadAgainKeepTheIntervalAndTheDaysEnergy();
};

// Start-up from prog.cfg (LogOn 1): the port, automatic logging and its interval check, the
// recovery (whose setup window saves port 3).
void SessionTest::startUp_data() {
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("logDelay");
    QTest::addColumn<bool>("portOpen");
    QTest::addColumn<int>("intervalMs"); // 0: logging off
    QTest::addColumn<QString>("intervalText");
    QTest::addColumn<QStringList>("messages");
    auto row = [](const char* name, const char* port, const char* delay, bool open, int ms,
                  const char* text, const QStringList& messages = {}) {
        QTest::newRow(name) << QString::fromLatin1(port) << QString::fromLatin1(delay) << open << ms
                            << QString::fromLatin1(text) << messages;
    };
    row("port 0", "0", "60", false, 0, "60");
    row("5 s is 10", "1", "5", true, 10000, "10");
    row("abc is said", "1", "abc", true, 0, "abc", {BadDelay});
    row("bad port: recovery, then port 3", "COM1", "60", true, 60000, "60", {PortProblem});
}

void SessionTest::startUp() {
    QFETCH(QString, port);
    QFETCH(QString, logDelay);
    QFETCH(bool, portOpen);
    QFETCH(int, intervalMs);
    QFETCH(QString, intervalText);
    QFETCH(QStringList, messages);
    Fixture f;
    f.t.writeProgCfg(port, logDelay, u"1"_s);
    f.t.writeSettingsCfg();
    f.host.steps.push_back([&f, logDelay] { f.t.writeProgCfg(u"3"_s, logDelay, u"1"_s); });
    LoggingSession& s = f.start();
    QCOMPARE(s.portOpen(), portOpen);
    QCOMPARE(s.loggingOn() ? s.loggingIntervalMs() : 0, intervalMs);
    QCOMPARE(s.intervalText(), intervalText);
    QVERIFY(!s.intervalEditable());
    QCOMPARE(f.host.messages, messages);
    QCOMPARE(s.caption(), u"Tarnby - Waiting for Signal"_s);
    QCOMPARE(s.statusText(), CommsProblem);
    if (portOpen)
        QCOMPARE(f.port().configured.baudRate, 4800);
    if (!messages.contains(PortProblem))
        return;
    QCOMPARE(f.host.windows, QStringList{u"setup"_s});
    QCOMPARE(f.port().configured.portNumber, 3);
    QVERIFY(!f.host.portProblems.value(0).isEmpty()); // the setup window is told why
}

// A board whose port appears while the recovery's message waits: the recovery ends by itself and
// logging starts (the desktop's setup window is tested with the real windows). With nobody to
// ask, start-up carries on when the port opens.
void SessionTest::portThatAppearsEndsTheRecoveryByItself_data() {
    QTest::addColumn<bool>("nobodyToAsk");
    QTest::newRow("message waits") << false;
    QTest::newRow("nobody to ask") << true;
}

void SessionTest::portThatAppearsEndsTheRecoveryByItself() {
    QFETCH(bool, nobodyToAsk);
    Fixture f;
    f.t.writeProgCfg(u"1"_s, u"60"_s, u"1"_s);
    f.t.writeSettingsCfg();
    f.t.ports.failOpen = true;
    f.host.nobodyToAsk = nobodyToAsk;
    const QByteArray progCfg = f.t.readFile(u"prog.cfg"_s);
    int retried = 0;
    auto boardAppears = [&f, &retried] {
        QVERIFY(f.session->waitingForPort());
        QVERIFY(!f.session->loggingOn());
        f.port().failOpen = false;
        f.session->retryPort();
        ++retried;
    };
    f.host.onMessage = [&](const QString&) { boardAppears(); };
    LoggingSession& s = f.start();
    if (nobodyToAsk)
        boardAppears();
    QCOMPARE(retried, 1);
    QCOMPARE(f.host.promptsClosed, int(!nobodyToAsk));
    QCOMPARE(f.host.messages, nobodyToAsk ? QStringList() : QStringList{PortProblem});
    QCOMPARE(f.host.windows, QStringList()); // no setup window once the port is there
    QVERIFY(s.portOpen());
    QVERIFY(s.loggingOn());
    QCOMPARE(s.statusDetail(), QString());
    QCOMPARE(f.t.readFile(u"prog.cfg"_s), progCfg); // nothing written for the person
}

void SessionTest::startStopStartAveragesOnlyTheLatestFrames() {
    Fixture f;
    f.t.writeProgCfg(u"1"_s, u"10"_s);
    f.t.writeSettingsCfg(u"10"_s, u"0"_s, u"10"_s);
    f.t.clock.time = QDateTime(QDate(2026, 12, 6), QTime(9, 30));
    LoggingSession& s = f.start();
    s.startLogging();
    f.port().deliver("[<V>100</V><I>10</I>]\r\n");
    s.stopLogging();
    QVERIFY(s.intervalEditable());
    f.port().deliver("[<V>200</V><I>10</I>]\r\n"); // while off: no sum
    s.startLogging();
    f.port().deliver("[<V>120</V><I>20</I>]\r\n");
    f.port().deliver("[<V>140</V><I>40</I>]\r\n");
    QSignalSpy written(&s, &LoggingSession::recordWritten);
    s.loggingTick();
    const QByteArray line =
        "<T>09:30</T><V>13.00</V><I>3.00</I><W>40.00</W><R></R><S>.0</S><M>0</M>   .0Wh\r\n";
    QCOMPARE(f.t.readFile(u"logs/P_2026_12_06.txt"_s), line);
    QCOMPARE(written.value(0), (QVariantList{f.t.clock.time, line})); // for a publisher
}

// A board lost in the middle of a frame, a record while the line is gone, then another board
// whose first bytes would complete the lost one's frame, on the port reopened by the retry or
// through Calibrate: the record after the loss holds only the new board's frames, and the
// status line's tooltip no longer says why the port was not open.
void SessionTest::lostLinkIsReopenedWithoutMessagesOrEnergy_data() {
    QTest::addColumn<QByteArray>("lostHalf");
    QTest::addColumn<QByteArray>("newBoard");
    QTest::addColumn<bool>("throughCalibrate");
    const QByteArray frame = "\r\n[<V>130</V><I>200</I>]\r\n";
    QTest::newRow("cut in V") << QByteArray("[<V>1") << "50</V><I>100</I>]" + frame << false;
    QTest::newRow("cut in I, Calibrate")
        << QByteArray("[<V>120</V><I>10") << "0</I>]" + frame << true;
}

void SessionTest::lostLinkIsReopenedWithoutMessagesOrEnergy() {
    QFETCH(QByteArray, lostHalf);
    QFETCH(QByteArray, newBoard);
    QFETCH(bool, throughCalibrate);
    Fixture f;
    f.t.writeProgCfg(u"1"_s, u"60"_s, u"1"_s);
    f.t.writeSettingsCfg(u"10"_s, u"0"_s, u"10"_s);
    f.t.clock.time = QDateTime(QDate(2026, 12, 6), QTime(9, 30));
    LoggingSession& s = f.start();
    f.port().deliver("[<V>120</V><I>100</I>]\r\n" + lostHalf);
    f.port().failOpen = true;
    f.port().loseLink();
    QCOMPARE(s.statusText(), CommsProblem);
    const double total = s.readings().WattHourTotal;
    s.wattHourTick();
    QCOMPARE(s.readings().WattHourTotal, total); // no energy counted while the line is gone
    s.loggingTick();                             // repeats the last averages
    f.port().failOpen = false;
    if (throughCalibrate)
        s.calibrate();
    else
        s.retryPort();
    QCOMPARE(s.statusDetail(), QString());
    f.port().deliver(newBoard);
    s.loggingTick();
    QCOMPARE(f.t.readFile(u"logs/P_2026_12_06.txt"_s),
             QByteArray("<T>09:30</T><V>12.00</V><I>10.00</I><W>120.00</W><R></R><S>.0</S>"
                        "<M>0</M>   .0Wh\r\n"
                        "<T>09:30</T><V>13.00</V><I>20.00</I><W>260.00</W><R></R><S>.0</S>"
                        "<M>0</M>   .0Wh\r\n"));
    QVERIFY(f.host.messages.isEmpty());
}

void SessionTest::setupCalibrateAndTheirRecoveriesKeepTheDaysEnergy() {
    Fixture f;
    f.t.writeProgCfg(u"1"_s, u"60"_s, u"0"_s, u"0"_s, u"0"_s);
    f.t.writeSettingsCfg(u"10"_s, u"0"_s, u"10"_s);
    LoggingSession& s = f.start();
    f.port().deliver("[<V>120</V><I>100</I>]\r\n"); // 12 V, 10 A
    for (int i = 0; i < 72; ++i)
        s.wattHourTick(); // six minutes at 120 W: 12 Wh
    s.stopLogging();
    s.setIntervalText(u"45"_s); // typed after Stop; replaced by the saved value
    f.host.steps.push_back([&f] {
        f.t.writeProgCfg(u"2"_s, u"30"_s, u"0"_s, u"1"_s, u"1"_s, u"m/s"_s);
        f.t.writeSettingsCfg(u"20"_s, u"0"_s, u"10"_s);
    });
    s.setup();
    QCOMPARE(f.port().configured.portNumber, 2);
    QCOMPARE(s.intervalText(), u"30"_s);
    QVERIFY(!s.intervalEditable());
    QCOMPARE(s.listOptions().windSpeedUnits, u"m/s"_s);
    f.port().deliver("[<V>240</V><I>10</I>]\r\n");
    QCOMPARE(s.readings().LiveVolts, 12.0); // the new factor

    // A calibration window that cannot open its port: the recovery, told why.
    f.host.calibrationPortOpens = false;
    f.host.steps.push_back([] {});
    s.calibrate();
    QCOMPARE(f.host.portProblems.last(), u"no such device"_s);
    QVERIFY(s.portOpen());
    // Setup saves port "0": the recovery (no retrying for port 0), then Abort, whose fresh
    // start-up leaves the port closed. Neither recovery throws the day's energy away.
    f.host.steps.push_back([&f] { f.t.writeProgCfg(u"0"_s); });
    f.host.steps.push_back([&f] { f.t.writeProgCfg(u"0"_s); });
    f.host.onMessage = [&s](const QString&) { QVERIFY(!s.waitingForPort()); };
    s.setup();
    QCOMPARE(f.host.messages, (QStringList{PortProblem, PortProblem}));
    QVERIFY(!s.portOpen());
    QCOMPARE(s.readings().WattHourTotal, 12.0);
    QCOMPARE(s.readings().LiveVolts, 0.0);
}

// Settings read again while logging (as the service on SIGHUP): the same line keeps the port
// open; the new interval and factors apply; the record averages the whole interval and the
// day's energy is kept; a new port opens and LogOn 0 stops logging.
void SessionTest::settingsReadAgainKeepTheIntervalAndTheDaysEnergy() {
    Fixture f;
    f.t.writeProgCfg(u"1"_s, u"60"_s, u"1"_s);
    f.t.writeSettingsCfg(u"10"_s, u"0"_s, u"10"_s);
    LoggingSession& s = f.start();
    f.port().deliver("[<V>120</V><I>100</I>]\r\n"); // 12 V, 10 A
    for (int i = 0; i < 72; ++i)
        s.wattHourTick(); // 12 Wh
    f.t.writeProgCfg(u"1"_s, u"20"_s, u"1"_s);
    f.t.writeSettingsCfg(u"20"_s, u"0"_s, u"10"_s);
    s.reloadSettings();
    f.port().deliver("[<V>280</V><I>100</I>]\r\n"); // 14 V with the new factor
    f.t.clock.time = QDateTime(QDate(2026, 12, 6), QTime(9, 30));
    s.loggingTick();
    QCOMPARE(f.t.readFile(u"logs/P_2026_12_06.txt"_s),
             QByteArray("<T>09:30</T><V>13.00</V><I>10.00</I><W>130.00</W><R></R><S>.0</S>"
                        "<M>0</M>   12.0Wh\r\n"));
    f.t.writeProgCfg(u"2"_s, u"20"_s, u"0"_s);
    s.reloadSettings();
    QCOMPARE((QList<int>{f.port().closeCount, f.port().configured.portNumber, s.loggingOn(),
                         s.loggingIntervalMs(), qRound(s.readings().WattHourTotal)}),
             (QList<int>{1, 2, false, 20000, 12}));
}

QTEST_MAIN(SessionTest)
#include "tst_logging_session.moc"
