// The main window's wiring, driven as a user would: controls found by their object names, a
// fake serial port, and scripted answers to message boxes and the real child windows; its
// start-up with damaged configuration files. The logic behind it is tested on the session alone.

#include "app/widgets/Lamp.h"
#include "app/widgets/MainWindow.h"
#include "app/widgets/ReadingsList.h"
#include "tests/support/TestEnvironment.h"

#include <QAbstractButton>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace tarnby;
using namespace tarnby::test;
using namespace Qt::StringLiterals;

namespace {
const QString BadDelay = u"Invalid delay period, needs to be a number between 10 and 600"_s;
const QByteArray Prog =
    progCfgBytes({"1", "0", "0", "30", "1", "1", "1", "MPH", "24", "20", "4800"});
const QByteArray Settings = settingsCfgBytes({"10", "500", "10", "1", "2"});
// A frame every factor takes part in.
const QByteArray Frame = "[<V>125</V><I>532</I><R>2</R><M>0</M><S>11</S>]\r\n";

QByteArray edited(const QByteArray& text, const char* from, const char* to) {
    return QByteArray(text).replace(from, to);
}
} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void startUpWithWholeAndDamagedFiles_data();
    void startUpWithWholeAndDamagedFiles();
    void framesButtonsAndExitReachTheControls();
    void portThatAppearsClosesTheWaitingSetupWindow_data();
    void portThatAppearsClosesTheWaitingSetupWindow();
    void calibrateRunsTheCalibrationWindowAndReopensThePort();
    void publishingLampAndProgramSetupsPublishingWindow();
};

// Start-up with whole and damaged configuration files: the list's rows and font from prog.cfg,
// one message naming the file and each key it lacks, no recovery window, no port (a prog.cfg
// that cannot be used) or no scaling (settings.cfg), and neither file rewritten or created.
void MainWindowTest::startUpWithWholeAndDamagedFiles_data() {
    QTest::addColumn<QByteArray>("prog"); // a null array: the file is missing
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QString>("list");     // the rows' labels, then the font's size
    QTest::addColumn<QString>("fileName"); // the file the message is about; empty: no message
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QString>("problem");
    QTest::addColumn<bool>("portOpens"); // and logging starts
    const auto row = [](const char* name, const QByteArray& prog, const QByteArray& settings,
                        const char* list, const char* fileName, const QStringList& keys,
                        const char* problem, bool portOpens) {
        QTest::newRow(name) << prog << settings
                            << u"Volts Amps Watts WattHours%1 pt"_s.arg(QLatin1StringView(list))
                            << QString(fileName) << keys << QString(problem) << portOpens;
    };
    const char* both = " RPM MPH 18";
    row("whole keys twice, SV and MA absent",
        edited(Prog + Prog, "<SV>24</SV>\r\n<MA>20</MA>\r\n", ""), Settings + Settings, both, "",
        {}, "", true);
    row("prog.cfg missing", {}, Settings, " 24", "prog.cfg", {}, "missing", false);
    row("prog.cfg cut inside a value", Prog.left(Prog.indexOf("<LogOn>") + 9), Settings, " 24",
        "prog.cfg", {"LogOn", "DisplayRPM", "DisplayWS", "WSUnits", "BR"}, "", false);
    row("prog.cfg BR not a whole number", edited(Prog, "<BR>4800<", "<BR>48x0<"), Settings, both,
        "prog.cfg", {"BR"}, "not a whole number", false);
    row("prog.cfg flags not numbers: taken as off",
        edited(edited(Prog, "<DisplayRPM>1<", "<DisplayRPM>yes<"), "<DisplayWS>1<",
               "<DisplayWS>on<"),
        Settings, " 24", "prog.cfg", {"DisplayRPM", "DisplayWS"},
        "Tarnby takes <DisplayRPM> and <DisplayWS> as off.", true);
    row("settings.cfg empty",
        edited(edited(Prog, "<DisplayRPM>1<", "<DisplayRPM>0<"), "<DisplayWS>1<",
               "<DisplayWS>1.0<"),
        "", " MPH 20", "settings.cfg", {}, "empty", true);
    row("settings.cfg closing tag first", Prog,
        edited(Settings, "<VoltOffset>500</VoltOffset>", "</VoltOffset>500<VoltOffset>"), both,
        "settings.cfg", {"VoltOffset"}, "comes before", true);
}

void MainWindowTest::startUpWithWholeAndDamagedFiles() {
    QFETCH(QByteArray, prog);
    QFETCH(QByteArray, settings);
    QFETCH(QString, fileName);
    QFETCH(QStringList, keys);
    QFETCH(QString, problem);
    QFETCH(bool, portOpens);
    TestEnvironment t;
    if (!prog.isNull())
        t.writeFile(u"prog.cfg"_s, prog);
    t.writeFile(u"settings.cfg"_s, settings);
    {
        MainWindow w(t.environment());
        LoggingSession& s = w.session();
        s.startUp();
        auto* list = child<ReadingsList>(w, "ListView1");
        QTEST(u"%1 %2 pt"_s.arg(list->labels().join(u' ')).arg(list->font().pointSize()), "list");
        QCOMPARE(list->values(), QStringList(list->labels().size(), u"0.0"_s));
        QCOMPARE(s.portOpen(), portOpens);
        QCOMPARE(s.loggingOn(), portOpens);
        if (portOpens) {
            t.ports.links.front()->deliver(Frame);
            t.ports.links.front()->deliver(Frame);
            // Frames that cannot be scaled are not shown as wrong readings.
            QCOMPARE(s.statusText(), fileName != u"settings.cfg"
                                         ? QString::fromLatin1(Frame.trimmed())
                                         : u"possible corrupt COMMS data"_s);
        }
    }
    QCOMPARE(t.prompts.messages.size(), fileName.isEmpty() ? 0 : 1);
    const QString message = t.prompts.messages.value(0);
    QVERIFY2(fileName.isEmpty() ||
                 message.startsWith(u"There is a problem with "_s + fileName + u':'),
             qPrintable(message));
    for (const QString& key : keys)
        QVERIFY2(message.contains(u'<' + key + u'>'), qPrintable(key + u": "_s + message));
    QVERIFY2(message.contains(problem), qPrintable(message));
    QCOMPARE(message.contains(u"without its serial port"_s), !portOpens);
    QVERIFY(t.prompts.modalWindows.isEmpty());
    QCOMPARE(QFile::exists(t.path(u"prog.cfg"_s)), !prog.isNull());
    QCOMPARE(t.readFile(u"prog.cfg"_s), prog);
    QCOMPARE(t.readFile(u"settings.cfg"_s), settings);
}

void MainWindowTest::framesButtonsAndExitReachTheControls() {
    TestEnvironment t;
    t.writeProgCfg(u"1"_s, u"5"_s, u"1"_s, u"1"_s, u"1"_s, u"MPH"_s);
    t.writeSettingsCfg(u"10"_s, u"500"_s, u"10"_s, u"1"_s, u"2"_s);
    MainWindow w(t.environment());
    w.session().startUp();
    auto* delay = child<QLineEdit>(w, "delay");
    QCOMPARE(delay->text(), u"10"_s); // clamped by the automatic start
    QVERIFY(!delay->isEnabled());
    for (const char* name : {"StartLogging", "Setup", "CalibrateButton"})
        QVERIFY2(!child<QPushButton>(w, name)->isEnabled(), name);
    QVERIFY(child<QPushButton>(w, "StopLogging")->isEnabled());

    t.ports.links.front()->deliver("[<V>125.7</V><I>532</I><R>2</R><M>0</M><S>11</S>]\r\n");
    QCOMPARE(w.windowTitle(), u"Tarnby  12.57V 3.2A"_s);
    QCOMPARE(child<ReadingsList>(w, "ListView1")->values(),
             (QStringList{u"12.57"_s, u"3.2"_s, u"40.2"_s, u"0.0"_s, u"120"_s, u"6"_s}));
    QCOMPARE(child<Lamp>(w, "BlinkData")->colour(), QColor(Qt::red));
    t.ports.links.front()->deliver("[<V>120</V><I>500</I>]\r\n");
    QCOMPARE(child<QLabel>(w, "Label2")->text(),
             u"[<V>125.7</V><I>532</I><R>2</R><M>0</M><S>11</S>]"_s);

    t.ports.links.front()->loseLink(); // the status line says why the port is not open
    QCOMPARE(child<QLabel>(w, "Label2")->toolTip(), u"fake1 \u2014 fake link lost"_s);
    child<QPushButton>(w, "StopLogging")->click();
    QVERIFY(delay->isEnabled());
    QVERIFY(child<QPushButton>(w, "StartLogging")->isEnabled());
    delay->clear();
    QTest::keyClicks(delay, u"ten"_s);
    child<QPushButton>(w, "StartLogging")->click();
    QCOMPARE(t.prompts.messages, QStringList{BadDelay});
    QVERIFY(!w.session().loggingOn());

    w.show();
    child<QPushButton>(w, "Exit")->click();
    QVERIFY(!w.isVisible());
    w.endOfRun(); // the end of the event loop after Exit must not add a second line
    QCOMPARE(t.readFile(u"logs/Whours.txt"_s), QByteArray("12:00  .0 Wh\r\n"));
}

// The port appears while the recovery's setup window is open, or while it still loads and shows
// its own message about prog.cfg: the retry goes on until the window is open, then closes it,
// unless a person typed; the port line keeps no reason once the port opened.
void MainWindowTest::portThatAppearsClosesTheWaitingSetupWindow_data() {
    QTest::addColumn<bool>("personTyped");
    QTest::addColumn<bool>("duringLoad");
    QTest::newRow("nobody there") << false << false;
    QTest::newRow("a person typed: the window stays") << true << false;
    QTest::newRow("while the window loads") << false << true;
}

void MainWindowTest::portThatAppearsClosesTheWaitingSetupWindow() {
    QFETCH(bool, personTyped);
    QFETCH(bool, duringLoad);
    TestEnvironment t;
    t.writeProgCfg(u"1"_s, u"60"_s, u"1"_s);
    if (duringLoad) // a value the setup window complains about, the session does not read
        t.writeFile(u"prog.cfg"_s,
                    t.readFile(u"prog.cfg"_s).replace("<Savehtml>0<", "<Savehtml>x<"));
    t.writeSettingsCfg();
    t.ports.failOpen = true;
    MainWindow w(t.environment());
    t.prompts.onMessage = [&](const QString& text) {
        if (!text.startsWith(u"There is a problem with prog.cfg"_s))
            return;
        t.ports.links.front()->failOpen = false;
        w.session().retryPort();
        QVERIFY(w.session().waitingForPort()); // tried again until the window is open
    };
    bool closedByItself = false;
    QString portLine;
    t.prompts.modalSteps.push_back([&](QDialog& window) {
        auto* problem = child<QLabel>(window, "PortProblem");
        portLine = problem->text();
        QCOMPARE(child<QLabel>(window, "PortWaiting")->isVisible(), true);
        if (personTyped)
            QTest::keyClicks(child<QLineEdit>(window, "WSUnits"), u"x"_s);
        t.ports.links.front()->failOpen = false;
        w.session().retryPort();
        closedByItself = !window.isVisible();
        QVERIFY(!problem->isVisible());
    });
    w.session().startUp();
    QCOMPARE(portLine.isEmpty(), duringLoad); // why the port did not open, unless it has opened
    QCOMPARE(closedByItself, !personTyped);
    QCOMPARE(t.readFile(u"prog.cfg"_s).contains("MPHx"), false); // never saved for the person
    QVERIFY(w.session().portOpen());
    QVERIFY(w.session().loggingOn());
}

void MainWindowTest::calibrateRunsTheCalibrationWindowAndReopensThePort() {
    TestEnvironment t;
    t.writeProgCfg(u"1"_s);
    t.writeSettingsCfg(u"10"_s, u"0"_s, u"10"_s);
    MainWindow w(t.environment());
    w.session().startUp();
    FakeSerialLink* mainPort = t.ports.links.front();
    t.prompts.modalSteps.push_back([&t](QDialog& window) {
        QVERIFY(t.ports.links.back()->isOpen()); // the window's own port
        child<QLineEdit>(window, "BatteryVolts")->setText(u"20"_s);
        child<QPushButton>(window, "Command1")->click();
    });
    child<QPushButton>(w, "CalibrateButton")->click();
    QCOMPARE(t.prompts.modalWindows, QStringList{u"Calibrate"_s});
    QVERIFY(mainPort->isOpen());
    mainPort->deliver("[<V>240</V><I>10</I>]\r\n");
    QCOMPARE(w.session().readings().LiveVolts, 12.0);
}

// A mqtt.cfg with a problem shows on the publishing lamp, never in a message; what Program
// Setup's publishing window saves applies at once; the board's link lost is "offline" there,
// while the status line's tooltip keeps the port's reason.
void MainWindowTest::publishingLampAndProgramSetupsPublishingWindow() {
    TestEnvironment t;
    t.writeProgCfg(u"1"_s);
    t.writeSettingsCfg();
    t.writeFile(u"mqtt.cfg"_s, "<Host>h</Host><Port>x</Port><Site>shed</Site>");
    MainWindow w(t.environment());
    w.session().startUp();
    auto* lamp = child<Lamp>(w, "PublishingLamp");
    QVERIFY(!lamp->isHidden() && lamp->accessibleName().startsWith(u"mqtt.cfg: "_s));
    QCOMPARE(t.prompts.messages, QStringList());
    t.prompts.modalSteps.push_back([](QDialog& setup) { click(setup, "PublishingButton"); });
    t.prompts.modalSteps.push_back([](QDialog& publishing) { click(publishing, "SaveButton"); });
    click(w, "Setup");
    QCOMPARE(lamp->toolTip(), u"connecting to h:1883"_s);
    FakeMqttConnection* broker = t.brokerConnections.front();
    broker->accept();
    QCOMPARE(lamp->accessibleName(), u"publishing to h:1883"_s);
    t.ports.links.front()->loseLink();
    QCOMPARE(broker->payloadsTo(u"tarnby/shed/availability"_s).last(), "offline"_ba);
    QCOMPARE(child<QLabel>(w, "Label2")->toolTip(), u"fake1 \u2014 fake link lost"_s);
}

QTEST_MAIN(MainWindowTest)
#include "tst_main_window.moc"
