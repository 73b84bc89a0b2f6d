// The calibration window driven as a user would, with frames delivered through a fake port:
// loading, the raw and scaled captions, Zero, Save, the ways of leaving, and the port.

#include "setup/Calibrate.h"
#include "tests/support/ImmutablePath.h"
#include "tests/support/TestEnvironment.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace tarnby;
using namespace tarnby::test;
using namespace Qt::StringLiterals;

namespace {

template <typename T> T* control(QWidget& window, const char* name) {
    T* found = window.findChild<T*>(QLatin1StringView(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

QString caption(QWidget& window, const char* name) {
    return control<QLabel>(window, name)->text();
}

void type(QWidget& window, const char* box, const QString& text) {
    auto* edit = control<QLineEdit>(window, box);
    edit->clear();
    QTest::keyClicks(edit, text);
}

void click(QWidget& window, const char* button) {
    QTest::mouseClick(control<QPushButton>(window, button), Qt::LeftButton);
}

QByteArray frame(const QByteArray& v, const QByteArray& i, const QByteArray& r = "0",
                 const QByteArray& s = "0") {
    return "[<V>" + v + "</V><I>" + i + "</I><R>" + r + "</R><M>0</M><S>" + s + "</S>]\r\n";
}

// The usual set-up: port 3 at 57600, units MPH, factors 10 / 500 / 10 / 14 / 2.
struct Bench {
    Bench() {
        t.writeProgCfg(u"3"_s, u"60"_s, u"0"_s, u"1"_s, u"1"_s, u"MPH"_s, u"57600"_s);
        t.writeSettingsCfg(u"10"_s, u"500"_s, u"10"_s, u"14"_s, u"2"_s);
    }
    TestEnvironment t;
};

const QByteArray UsualSettings = "Calibration Settings\r\n\r\n\r\n<VoltDivider>10</VoltDivider>\r\n"
                                 "<VoltOffset>500</VoltOffset>\r\n<AmpDivider>10</AmpDivider>\r\n"
                                 "<RPMDivider>14</RPMDivider>\r\n<WSDivider>2</WSDivider>\r\n";

} // namespace

class CalibrateWindow : public QObject {
    Q_OBJECT
private slots:
    void loadingOpensItsOwnPortAndFillsBoxes();
    void captionsForAFrameStream_data();
    void captionsForAFrameStream();
    void speedKeptWhenItsDividerBecomesZero();
    void typingAloneChangesNothingShown();
    void zeroBeforeAnyFrameGivesZero();
    void zeroTakesTheShownRawCurrent();
    void saveWritesBoxesExactlyAsTyped();
    void exitAfterZeroLeavesFileUnchanged();
    void portClosedHoweverTheWindowCloses_data();
    void portClosedHoweverTheWindowCloses();
    void enterDoesNotSave();
    void portThatCannotOpenStopsLoading_data();
    void portThatCannotOpenStopsLoading();
    void damagedSettingsStillOpen_data();
    void damagedSettingsStillOpen();
    void readOnlyFolderKeepsWindowOpen();
    void unsafeFactorIsRefused();
    void lostLinkIsReported();
};

void CalibrateWindow::loadingOpensItsOwnPortAndFillsBoxes() {
    Bench b;
    b.t.writeSettingsCfg(u"10.20"_s, u"498"_s, u"12.50"_s, u"14"_s, u" 2"_s);
    Calibrate window(b.t.environment(), nullptr);
    QCOMPARE(window.objectName(), u"Calibrate"_s);
    QCOMPARE(window.windowTitle(), u"Calibration"_s);
    QVERIFY(window.portOpened());
    QVERIFY(b.t.prompts.messages.isEmpty());
    FakeSerialLink* port = b.t.ports.last();
    QVERIFY(port->isOpen());
    QCOMPARE(port->portNumber_, 3);
    QCOMPARE(port->settings_, u"57600,N,8,1"_s);
    QCOMPARE(control<QLineEdit>(window, "BatteryVolts")->text(), u"10.20"_s);
    QCOMPARE(control<QLineEdit>(window, "BatteryCurrent")->text(), u"12.5"_s);
    QCOMPARE(caption(window, "OffsetV"), u"498"_s);
    QCOMPARE(control<QLineEdit>(window, "PulseDivider")->text(), u"14"_s);
    QCOMPARE(control<QLineEdit>(window, "Pulse2Divider")->text(), u" 2"_s);
    QCOMPARE(caption(window, "Label23"), u"How many pulses per MPH?"_s);
    QCOMPARE(caption(window, "txtBattV"), u"0"_s);
    QCOMPARE(caption(window, "txtBattVadjusted"), QString());
}

void CalibrateWindow::captionsForAFrameStream_data() {
    QTest::addColumn<QString>("pulseDivider");
    QTest::addColumn<QString>("batteryCurrent");
    QTest::addColumn<QList<QByteArray>>("chunks");
    // txtBattV, txtBattVadjusted, txtShuntV, txtBattAadjusted, txtPulsess, txtWindmillRPM,
    // txtPulsess2, txtWindSpeed
    QTest::addColumn<QStringList>("captions");
    QTest::newRow("usual frame") << "14"
                                 << "10" << QList<QByteArray>{frame("125.6", "520", "7", "12")}
                                 << QStringList{"125.6", "12.56 Volts", "520", "2 Amps",
                                                "7",     "30 RPM",      "12",  "6 MPH"};
    QTest::newRow("pulse divider empty")
        << ""
        << "10" << QList<QByteArray>{frame("125.6", "520", "7", "12")}
        << QStringList{"125.6", "12.56 Volts", "520", "2 Amps", "7", "1 RPM", "12", "6 MPH"};
    QTest::newRow("pulse divider 0")
        << "0"
        << "10" << QList<QByteArray>{frame("125.6", "520", "7", "12")}
        << QStringList{"125.6", "12.56 Volts", "520", "2 Amps", "7", "1 RPM", "12", "6 MPH"};
    QTest::newRow("negative current factor")
        << "14"
        << "-4" << QList<QByteArray>{frame("120", "530", "14", "0")}
        << QStringList{"120", "12 Volts", "530", "-7.5 Amps", "14", "60 RPM", "0", "0 MPH"};
    QTest::newRow("closing bracket before opening bracket")
        << "14"
        << "10" << QList<QByteArray>{"<S>8</S>]\r\n[<V>130</V><I>505</I><R>28</R>"}
        << QStringList{"130", "13 Volts", "505", "0.5 Amps", "28", "120 RPM", "8", "4 MPH"};
    QTest::newRow("frame in pieces, nothing dropped")
        << "14"
        << "10" << QList<QByteArray>{"noise [<V>12", "0.5</V><I>5", "40</I><S>3</S>]"}
        << QStringList{"120.5", "12.05 Volts", "540", "4 Amps", "0", "0 RPM", "3", "1.5 MPH"};
    QTest::newRow("V and I of 0 still shown")
        << "14"
        << "10" << QList<QByteArray>{frame("0", "0")}
        << QStringList{"0", "0 Volts", "0", "-50 Amps", "0", "0 RPM", "0", "0 MPH"};
}

void CalibrateWindow::captionsForAFrameStream() {
    QFETCH(QString, pulseDivider);
    QFETCH(QString, batteryCurrent);
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(QStringList, captions);
    Bench b;
    Calibrate window(b.t.environment(), nullptr);
    window.show();
    type(window, "PulseDivider", pulseDivider);
    type(window, "BatteryCurrent", batteryCurrent);
    for (const QByteArray& chunk : chunks)
        b.t.ports.last()->deliver(chunk);
    QCOMPARE((QStringList{caption(window, "txtBattV"), caption(window, "txtBattVadjusted"),
                          caption(window, "txtShuntV"), caption(window, "txtBattAadjusted"),
                          caption(window, "txtPulsess"), caption(window, "txtWindmillRPM"),
                          caption(window, "txtPulsess2"), caption(window, "txtWindSpeed")}),
             captions);
}

void CalibrateWindow::speedKeptWhenItsDividerBecomesZero() {
    Bench b;
    Calibrate window(b.t.environment(), nullptr);
    window.show();
    FakeSerialLink* port = b.t.ports.last();
    type(window, "Pulse2Divider", u"0"_s);
    port->deliver(frame("120", "500", "0", "9"));
    QCOMPARE(caption(window, "txtWindSpeed"), u"0 MPH"_s);
    type(window, "Pulse2Divider", u"3"_s);
    port->deliver(frame("120", "500", "0", "9"));
    QCOMPARE(caption(window, "txtWindSpeed"), u"3 MPH"_s);
    type(window, "Pulse2Divider", u"0"_s);
    port->deliver(frame("120", "500", "0", "40"));
    QCOMPARE(caption(window, "txtPulsess2"), u"40"_s);
    QCOMPARE(caption(window, "txtWindSpeed"), u"3 MPH"_s);
    type(window, "Pulse2Divider", QString());
    port->deliver(frame("120", "500", "0", "50"));
    QCOMPARE(caption(window, "txtWindSpeed"), u"3 MPH"_s);
}

void CalibrateWindow::typingAloneChangesNothingShown() {
    Bench b;
    Calibrate window(b.t.environment(), nullptr);
    window.show();
    b.t.ports.last()->deliver(frame("125", "520"));
    QCOMPARE(caption(window, "txtBattVadjusted"), u"12.5 Volts"_s);
    type(window, "BatteryVolts", u"5"_s);
    QCOMPARE(caption(window, "txtBattVadjusted"), u"12.5 Volts"_s);
    type(window, "BatteryVolts", u"0"_s);
    b.t.ports.last()->deliver(frame("150", "520"));
    QCOMPARE(caption(window, "txtBattV"), u"150"_s);
    QCOMPARE(caption(window, "txtBattVadjusted"), u"12.5 Volts"_s); // factor 0: left as it was
}

void CalibrateWindow::zeroBeforeAnyFrameGivesZero() {
    Bench b;
    Calibrate window(b.t.environment(), nullptr);
    window.show();
    click(window, "Command2");
    QCOMPARE(caption(window, "OffsetV"), u"0"_s);
    click(window, "Command1");
    QVERIFY(b.t.readFile(u"settings.cfg"_s).contains("<VoltOffset>0</VoltOffset>"));
}

void CalibrateWindow::zeroTakesTheShownRawCurrent() {
    Bench b;
    Calibrate window(b.t.environment(), nullptr);
    window.show();
    FakeSerialLink* port = b.t.ports.last();
    port->deliver(frame("120", "512.345"));
    QCOMPARE(caption(window, "txtShuntV"), u"512.34"_s); // half to even
    click(window, "Command2");
    QCOMPARE(caption(window, "OffsetV"), u"512.34"_s);
    port->deliver(frame("120", "532.34"));
    QCOMPARE(caption(window, "txtBattAadjusted"), u"2 Amps"_s);
}

void CalibrateWindow::saveWritesBoxesExactlyAsTyped() {
    Bench b;
    Calibrate window(b.t.environment(), nullptr);
    window.show();
    b.t.ports.last()->deliver(frame("120", "498.5"));
    click(window, "Command2");
    type(window, "BatteryVolts", u" 10.50"_s);
    type(window, "BatteryCurrent", u"abc"_s);
    type(window, "PulseDivider", u""_s);
    type(window, "Pulse2Divider", u"-3"_s);
    click(window, "Command1");
    QVERIFY(b.t.prompts.messages.isEmpty());
    QVERIFY(!window.isVisible());
    QCOMPARE(window.result(), int(QDialog::Accepted));
    QVERIFY(!b.t.ports.last()->isOpen());
    QCOMPARE(b.t.readFile(u"settings.cfg"_s),
             QByteArray("Calibration Settings\r\n\r\n\r\n<VoltDivider> 10.50</VoltDivider>\r\n"
                        "<VoltOffset>498.5</VoltOffset>\r\n<AmpDivider>abc</AmpDivider>\r\n"
                        "<RPMDivider></RPMDivider>\r\n<WSDivider>-3</WSDivider>\r\n"));
}

void CalibrateWindow::exitAfterZeroLeavesFileUnchanged() {
    Bench b;
    Calibrate window(b.t.environment(), nullptr);
    window.show();
    b.t.ports.last()->deliver(frame("120", "511"));
    click(window, "Command2");
    QCOMPARE(caption(window, "OffsetV"), u"511"_s);
    type(window, "BatteryVolts", u"11"_s);
    click(window, "Command6");
    QVERIFY(!window.isVisible());
    QCOMPARE(window.result(), int(QDialog::Rejected));
    QVERIFY(!b.t.ports.last()->isOpen());
    QCOMPARE(b.t.readFile(u"settings.cfg"_s), UsualSettings);
}

void CalibrateWindow::portClosedHoweverTheWindowCloses_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("Exit") << "exit";
    QTest::newRow("Save") << "save";
    QTest::newRow("Escape") << "escape";
    QTest::newRow("title-bar close") << "close";
    QTest::newRow("modal run ended by the owner") << "modal";
}

void CalibrateWindow::portClosedHoweverTheWindowCloses() {
    QFETCH(QString, how);
    Bench b;
    const auto window = std::make_unique<Calibrate>(b.t.environment(), nullptr);
    FakeSerialLink* port = b.t.ports.last();
    QVERIFY(port->isOpen());
    if (how == u"modal") {
        b.t.prompts.runModal(*window);
    } else {
        window->show();
        if (how == u"exit")
            click(*window, "Command6");
        else if (how == u"save")
            click(*window, "Command1");
        else if (how == u"escape")
            QTest::keyClick(control<QLineEdit>(*window, "BatteryVolts"), Qt::Key_Escape);
        else
            QVERIFY(window->close());
    }
    QCOMPARE(port->isOpen(), false);
    QCOMPARE(port->closeCount, 1);
    QVERIFY(!window->isVisible());
}

void CalibrateWindow::enterDoesNotSave() {
    Bench b;
    Calibrate window(b.t.environment(), nullptr);
    window.show();
    auto* volts = control<QLineEdit>(window, "BatteryVolts");
    type(window, "BatteryVolts", u"12"_s);
    QTest::keyClick(volts, Qt::Key_Return);
    QTest::keyClick(control<QPushButton>(window, "Command2"), Qt::Key_Enter, Qt::KeypadModifier);
    QVERIFY(window.isVisible());
    QCOMPARE(b.t.readFile(u"settings.cfg"_s), UsualSettings);
    QVERIFY(b.t.ports.last()->isOpen());
}

void CalibrateWindow::portThatCannotOpenStopsLoading_data() {
    QTest::addColumn<QByteArray>("prog"); // empty: the usual prog.cfg
    QTest::addColumn<bool>("failOpen");
    QTest::newRow("port busy or absent") << QByteArray() << true;
    QTest::newRow("port 0") << QByteArray("<Port>0</Port><BR>4800</BR><WSUnits>MPH</WSUnits>")
                            << false;
    QTest::newRow("port COM1") << QByteArray("<Port>COM1</Port><BR>4800</BR><WSUnits>x</WSUnits>")
                               << false;
    QTest::newRow("baud rate missing")
        << QByteArray("<Port>1</Port><WSUnits>MPH</WSUnits>") << false;
    QTest::newRow("prog.cfg empty") << QByteArray("\r\n") << false;
}

void CalibrateWindow::portThatCannotOpenStopsLoading() {
    QFETCH(QByteArray, prog);
    QFETCH(bool, failOpen);
    Bench b;
    if (!prog.isEmpty())
        b.t.writeFile(u"prog.cfg"_s, prog);
    b.t.ports.failOpen = failOpen;
    Calibrate window(b.t.environment(), nullptr);
    QVERIFY(!window.portOpened());
    QVERIFY(!b.t.ports.last()->isOpen());
    // The owner's port failure recovery speaks for it.
    QVERIFY(b.t.prompts.messages.isEmpty());
}

void CalibrateWindow::damagedSettingsStillOpen_data() {
    QTest::addColumn<QByteArray>("settings"); // empty: no settings.cfg at all
    QTest::addColumn<QString>("problem");
    QTest::addColumn<QStringList>(
        "boxes"); // BatteryVolts, OffsetV, BatteryCurrent, PulseDivider, Pulse2Divider
    QTest::newRow("file missing") << QByteArray() << "the file is missing"
                                  << QStringList{"0", "0", "0", "1", "1"};
    QTest::newRow("amps mistyped")
        << QByteArray(
               "<VoltDivider>10</VoltDivider><VoltOffset>500</VoltOffset>"
               "<AmpDivider>1O.5</AmpDivider><RPMDivider>14</RPMDivider><WSDivider>2</WSDivider>")
        << "the value \"1O.5\" of <AmpDivider> is not a number"
        << QStringList{"10", "500", "1O.5", "14", "2"};
    QTest::newRow("amps empty")
        << QByteArray(
               "<VoltDivider>10</VoltDivider><VoltOffset>500</VoltOffset>"
               "<AmpDivider></AmpDivider><RPMDivider>14</RPMDivider><WSDivider>2</WSDivider>")
        << "the value \"\" of <AmpDivider> is not a number"
        << QStringList{"10", "500", "", "14", "2"};
    QTest::newRow("offset key missing")
        << QByteArray("<VoltDivider>10</VoltDivider><AmpDivider>10</AmpDivider>"
                      "<RPMDivider>14</RPMDivider><WSDivider>2</WSDivider>")
        << "the key <VoltOffset> is missing" << QStringList{"10", "0", "10", "14", "2"};
}

void CalibrateWindow::damagedSettingsStillOpen() {
    QFETCH(QByteArray, settings);
    QFETCH(QString, problem);
    QFETCH(QStringList, boxes);
    Bench b;
    if (settings.isEmpty())
        QVERIFY(QFile::remove(b.t.path(u"settings.cfg"_s)));
    else
        b.t.writeFile(u"settings.cfg"_s, settings);
    Calibrate window(b.t.environment(), nullptr);
    QVERIFY(window.portOpened());
    QCOMPARE(b.t.prompts.messages.size(), 1);
    const QString message = b.t.prompts.messages[0];
    QVERIFY2(message.startsWith(u"There is a problem with settings.cfg:"_s) &&
                 message.contains(problem),
             qPrintable(message));
    QCOMPARE(
        (QStringList{control<QLineEdit>(window, "BatteryVolts")->text(), caption(window, "OffsetV"),
                     control<QLineEdit>(window, "BatteryCurrent")->text(),
                     control<QLineEdit>(window, "PulseDivider")->text(),
                     control<QLineEdit>(window, "Pulse2Divider")->text()}),
        boxes);
    window.show();
    b.t.ports.last()->deliver(frame("120", "520"));
    QCOMPARE(caption(window, "txtBattV"), u"120"_s); // live raw values whatever the factors
    type(window, "BatteryCurrent", u"10"_s);
    click(window, "Command1");
    QVERIFY(!window.isVisible());
    const QByteArray written = b.t.readFile(u"settings.cfg"_s);
    QVERIFY(written.startsWith("Calibration Settings\r\n\r\n\r\n"));
    QVERIFY(written.contains("<AmpDivider>10</AmpDivider>\r\n"));
    for (const char* key : {"VoltDivider", "VoltOffset", "AmpDivider", "RPMDivider", "WSDivider"})
        QVERIFY(written.contains(QByteArray("</") + key + ">\r\n"));
}

void CalibrateWindow::readOnlyFolderKeepsWindowOpen() {
    Bench b;
    Calibrate window(b.t.environment(), nullptr);
    window.show();
    type(window, "BatteryVolts", u"11"_s);
    ImmutablePath readOnly(b.t.folder());
    if (!readOnly.ok())
        QSKIP("chattr +i is not available here");
    click(window, "Command1");
    readOnly.release();
    QCOMPARE(b.t.prompts.messages.size(), 1);
    QVERIFY2(
        b.t.prompts.messages[0].startsWith(b.t.path(u"settings.cfg"_s) + u" could not be saved"_s),
        qPrintable(b.t.prompts.messages[0]));
    QVERIFY(window.isVisible());
    QVERIFY(b.t.ports.last()->isOpen());
    QCOMPARE(control<QLineEdit>(window, "BatteryVolts")->text(), u"11"_s);
    QCOMPARE(b.t.readFile(u"settings.cfg"_s), UsualSettings);
}

void CalibrateWindow::unsafeFactorIsRefused() {
    Bench b;
    Calibrate window(b.t.environment(), nullptr);
    window.show();
    type(window, "PulseDivider", u"14</RPMDivider>"_s);
    click(window, "Command1");
    QCOMPARE(b.t.prompts.messages.size(), 1);
    QVERIFY2(b.t.prompts.messages[0].contains(u"Step 3. Set RPM"_s),
             qPrintable(b.t.prompts.messages[0]));
    QVERIFY(window.isVisible());
    QCOMPARE(b.t.readFile(u"settings.cfg"_s), UsualSettings);
}

void CalibrateWindow::lostLinkIsReported() {
    Bench b;
    Calibrate window(b.t.environment(), nullptr);
    window.show();
    b.t.ports.last()->loseLink();
    QCOMPARE(b.t.prompts.messages.size(), 1);
    QVERIFY2(b.t.prompts.messages[0].contains(u"fake3"_s) &&
                 b.t.prompts.messages[0].contains(u"fake link lost"_s),
             qPrintable(b.t.prompts.messages[0]));
    QVERIFY(window.isVisible());
    click(window, "Command6");
    QCOMPARE(b.t.readFile(u"settings.cfg"_s), UsualSettings);
}

QTEST_MAIN(CalibrateWindow)
#include "tst_calibrate.moc"
