// The main window's wiring, driven as a user would: controls found by their object names, a
// fake serial port, and scripted answers to message boxes and the real child windows. The
// logic behind it is tested on the session alone.

#include "app/widgets/Lamp.h"
#include "app/widgets/MainWindow.h"
#include "app/widgets/ReadingsList.h"
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

const QString BadDelay = u"Invalid delay period, needs to be a number between 10 and 600"_s;

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void listRowsAndFonts_data();
    void listRowsAndFonts();
    void framesButtonsAndExitReachTheControls();
    void portThatAppearsClosesTheWaitingSetupWindow_data();
    void portThatAppearsClosesTheWaitingSetupWindow();
    void calibrateRunsTheCalibrationWindowAndReopensThePort();
};

void MainWindowTest::listRowsAndFonts_data() {
    QTest::addColumn<QString>("displayRpm");
    QTest::addColumn<QString>("displayWs");
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<int>("points");
    const QStringList base{u"Volts"_s, u"Amps"_s, u"Watts"_s, u"WattHours"_s};
    QTest::newRow("neither") << "0"
                             << "0" << base << 24;
    QTest::newRow("wind only") << "0"
                               << "1.0" << (base + QStringList{u"knots"_s}) << 20;
    QTest::newRow("both") << "1"
                          << "1" << (base + QStringList{u"RPM"_s, u"knots"_s}) << 18;
}

void MainWindowTest::listRowsAndFonts() {
    QFETCH(QString, displayRpm);
    QFETCH(QString, displayWs);
    QFETCH(QStringList, labels);
    QFETCH(int, points);
    TestEnvironment t;
    t.writeProgCfg(u"0"_s, u"60"_s, u"0"_s, displayRpm, displayWs, u"knots"_s);
    t.writeSettingsCfg();
    MainWindow w(t.environment());
    w.session().startUp();
    auto* list = child<ReadingsList>(w, "ListView1");
    QCOMPARE(list->labels(), labels);
    QCOMPARE(list->values(), QStringList(labels.size(), u"0.0"_s));
    QCOMPARE(list->font().pointSize(), points);
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

    t.ports.links.front()->failOpen = true;
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

QTEST_MAIN(MainWindowTest)
#include "tst_main_window.moc"
