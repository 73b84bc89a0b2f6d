// The calibration window driven as a user would, frames through a fake port: captions as frames
// arrive in any pieces, Zero, Save and its refusal, a damaged settings.cfg, leaving unsaved.

#include "setup/widgets/CalibrationWindow.h"
#include "tests/support/TestEnvironment.h"

#include <QLineEdit>

using namespace tarnby;
using namespace tarnby::test;
using namespace Qt::StringLiterals;

namespace {

QStringList captions(const QWidget& window) {
    QStringList shown;
    for (const char* name : {"txtBattV", "txtBattVadjusted", "txtShuntV", "txtBattAadjusted",
                             "txtPulsess", "txtWindmillRPM", "txtPulsess2", "txtWindSpeed"})
        shown << textOf(window, name);
    return shown;
}

void type(QWidget& window, const char* box, const QString& typed) {
    auto* edit = child<QLineEdit>(window, box);
    edit->clear();
    QTest::keyClicks(edit, typed);
}

const QByteArray UsualSettings = "Calibration Settings\r\n\r\n\r\n<VoltDivider>10</VoltDivider>\r\n"
                                 "<VoltOffset>500</VoltOffset>\r\n<AmpDivider>10</AmpDivider>\r\n"
                                 "<RPMDivider>14</RPMDivider>\r\n<WSDivider>2</WSDivider>\r\n";

// Port 3 at 57600, factors 10 / 500 / 10 / 14 / 2 unless the test writes others; shown.
struct Bench {
    explicit Bench(const QByteArray& settings = UsualSettings) {
        t.writeProgCfg("3", "60", "0", "1", "1", "MPH", "57600");
        t.writeFile(u"settings.cfg"_s, settings);
        window = std::make_unique<CalibrationWindow>(t.environment(), nullptr);
        window->show();
    }
    FakeSerialLink& port() const { return *t.ports.last(); }
    QByteArray settings() const { return t.readFile(u"settings.cfg"_s); }

    TestEnvironment t;
    std::unique_ptr<CalibrationWindow> window;
};

} // namespace

class CalibrationWindowTest : public QObject {
    Q_OBJECT
private slots:
    // A bad factor in settings.cfg is named, its caption left empty, and the window works on: its
    // own port from prog.cfg; Zero 0 before any frame, then the raw current as shown; typed factors
    // used from the next frame, split anywhere; a "<" refused, then every box saved as typed.
    void damagedFileFramesZeroThenSave() {
        const QByteArray damaged =
            QByteArray(UsualSettings).replace("<AmpDivider>10<", "<AmpDivider>1O.5<");
        Bench b(damaged);
        CalibrationWindow& window = *b.window;
        QCOMPARE(b.t.prompts.messages.size(), 1);
        const QString message = b.t.prompts.messages.takeFirst();
        QVERIFY2(message.startsWith(u"There is a problem with settings.cfg:"_s) &&
                     message.contains(u"the value \"1O.5\" of <AmpDivider> is not a number"_s) &&
                     message.contains(u"Save Calibration"_s),
                 qPrintable(message));
        QCOMPARE(textOf(window, "BatteryCurrent"), u"1O.5"_s);
        QVERIFY(window.portOpened() && b.port().isOpen());
        QCOMPARE(b.port().configured, (LineSettings{3, 57600}));
        click(window, "Command2");
        QCOMPARE(textOf(window, "OffsetV"), u"0"_s);
        b.port().deliver("noise [<V>100</V><I>6");
        b.port().deliver("00.125</I><R>7</R><M>0</M><S>4</S>]\r\n[<V>1");
        const QStringList first{"100", "10 Volts", "600.12", "", "7", "30 RPM", "4", "2 MPH"};
        QCOMPARE(captions(window), first);
        click(window, "Command2");
        QCOMPARE(textOf(window, "OffsetV"), u"600.12"_s);
        type(window, "BatteryVolts", u"20"_s);
        type(window, "BatteryCurrent", u"5"_s);
        type(window, "PulseDivider", u"7"_s);
        type(window, "Pulse2Divider", u"4"_s);
        QCOMPARE(captions(window), first);
        b.port().deliver("40</V><I>615.12</I><R>14</R><S>4</S>]\r\n[<V>9");
        QCOMPARE(captions(window), (QStringList{"140", "7 Volts", "615.12", "3 Amps", "14",
                                                "120 RPM", "4", "1 MPH"}));
        type(window, "PulseDivider", u""_s);
        type(window, "BatteryVolts", u"1<"_s);
        click(window, "Command1");
        QCOMPARE(b.t.prompts.messages,
                 QStringList{u"The box of \"Step 1. Set Voltage\" holds a \"<\" or a line break, "
                             "which settings.cfg cannot store: it would spoil the settings after "
                             "it. Remove it and press \"Save Calibration\" again. Nothing was "
                             "saved."_s});
        QVERIFY(window.isVisible() && b.port().isOpen());
        QCOMPARE(b.settings(), damaged);
        type(window, "BatteryVolts", u" 10.50"_s);
        click(window, "Command1");
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QVERIFY(!b.port().isOpen());
        QCOMPARE(b.settings(),
                 QByteArray("Calibration Settings\r\n\r\n\r\n<VoltDivider> 10.50</VoltDivider>\r\n"
                            "<VoltOffset>600.12</VoltOffset>\r\n<AmpDivider>5</AmpDivider>\r\n"
                            "<RPMDivider></RPMDivider>\r\n<WSDivider>4</WSDivider>\r\n"));
    }

    // Of the frames one read completes, the last is shown; frames sent back to back are cut
    // like any other (the main window drops both).
    void framesOfOneRead_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("rawVolts");
        QTest::newRow("two frames") << QByteArray("[<V>100</V>]\r\n[<V>200</V>]\r\n[<V>3") << "200";
        QTest::newRow("back to back") << QByteArray("[<V>100</V>][<V>300</V>]") << "300";
    }
    void framesOfOneRead() {
        QFETCH(QByteArray, bytes);
        Bench b;
        b.port().deliver(bytes);
        QTEST(textOf(*b.window, "txtBattV"), "rawVolts");
    }

    // After Zero and an edit, every way out writes nothing and closes the port once; Enter does
    // nothing.
    void leave_data() {
        QTest::addColumn<QString>("how");
        for (const char* how : {"Exit", "Escape", "close", "Enter"})
            QTest::newRow(how) << QString(how);
    }
    void leave() {
        QFETCH(QString, how);
        Bench b;
        CalibrationWindow& window = *b.window;
        b.port().deliver("[<V>120</V><I>511</I>]");
        click(window, "Command2");
        type(window, "BatteryVolts", u"11"_s);
        if (how == u"Exit")
            click(window, "Command6");
        else if (how == u"close")
            QVERIFY(window.close());
        else
            QTest::keyClick(child(window, "BatteryVolts"),
                            how == u"Enter" ? Qt::Key_Return : Qt::Key_Escape);
        const bool stays = how == u"Enter";
        QCOMPARE(window.isVisible(), stays);
        QCOMPARE(b.port().isOpen(), stays);
        QCOMPARE(b.port().closeCount, int(!stays));
        QVERIFY(b.t.prompts.messages.isEmpty());
        QCOMPARE(textOf(window, "OffsetV"), u"511"_s);
        QCOMPARE(b.settings(), UsualSettings);
    }
};

QTEST_MAIN(CalibrationWindowTest)
#include "tst_calibrate.moc"
