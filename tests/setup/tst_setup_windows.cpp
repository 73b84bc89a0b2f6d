// The setup and calibration windows driven as a user would: the load step (a damaged key too),
// the keyboard, the port lines, Save and its refusals, Abort, leaving unsaved; the captions from
// frames in any pieces through a fake port, Zero, Save and its refusal, a damaged settings.cfg.

#include "setup/widgets/CalibrationWindow.h"
#include "setup/widgets/SetupWindow.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

using namespace tarnby;
using namespace tarnby::test;
using namespace Qt::StringLiterals;

namespace {
const QByteArray UsualProg =
    "Program Config File\r\n\r\n<Port>2</Port>\r\n<Savehtml>1</Savehtml>\r\n"
    "<SaveExcel>0</SaveExcel>\r\n<LogDelay>120</LogDelay>\r\n<LogOn>1</LogOn>\r\n"
    "<DisplayRPM>1</DisplayRPM>\r\n<DisplayWS>0</DisplayWS>\r\n"
    "<WSUnits>MPH</WSUnits>\r\n<SV>24</SV>\r\n<MA>20</MA>\r\n<BR>4800</BR>\r\n\r\n";

// A setup window loaded from `prog`, not yet shown.
struct Opened {
    explicit Opened(const QByteArray& prog = UsualProg)
        : owned((t.writeFile(u"prog.cfg"_s, prog),
                 std::make_unique<SetupWindow>(t.environment(), nullptr))) {}
    QLineEdit* box(const char* name) const { return child<QLineEdit>(window, name); }
    TestEnvironment t;
    std::unique_ptr<SetupWindow> owned;
    SetupWindow& window = *owned;
};

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
    QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, typed, {}); // any characters
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
    FakeSerialLink& port() const { return *t.ports.links.back(); }
    QByteArray settings() const { return t.readFile(u"settings.cfg"_s); }

    TestEnvironment t;
    std::unique_ptr<CalibrationWindow> window;
};
} // namespace

class SetupWindowsTest : public QObject {
    Q_OBJECT
private slots:
    // One sitting: prog.cfg loaded (values as stored: a greyed box, 8-bit units; options compared
    // as numbers, an unknown one the default; a damaged key named and started over), Tab landing
    // on the checked option of each frame, the problem line shown for the number that failed
    // only and at one window size, then Save.
    void loadChooseThenSave() {
        const QByteArray stored = "Program Config File\r\n\r\n"
                                  "<Port> 3</Port>\r\n<Savehtml>2</Savehtml>\r\n"
                                  "<SaveExcel>1</SaveExcel>\r\n<LogDelay>abc</LogDelay>\r\n"
                                  "<LogOn>3</LogOn>\r\n<DisplayRPM>1</DisplayRPM>\r\n"
                                  "<DisplayWS>1</DisplayWS>\r\n<WSUnits>\xB0 km/h</WSUnits>\r\n"
                                  "<SV> 48.0</SV>\r\n<MA>25</MA>\r\n<BR>9600</BR>\r\n\r\n";
        Opened s(stored);
        const QStringList& messages = s.t.prompts.messages;
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages[0].startsWith(u"There is a problem with prog.cfg:"_s) &&
                messages[0].contains(u"\"3\" of <LogOn>"_s));
        QCOMPARE(s.box("WSUnits")->text(), u"\u00B0 km/h"_s);
        QVERIFY(!s.window.userChangedSomething());           // what the load step filled in
        QVERIFY(child(s.window, "PortWaiting")->isHidden()); // not a recovery's window
        const auto tabStops = [&s] {
            QStringList chain;
            QWidget* widget = &s.window;
            while ((widget = widget->nextInFocusChain()) != &s.window)
                if (widget->focusPolicy() & Qt::TabFocus)
                    chain << widget->objectName();
            return chain.join(u' ');
        };
        const QString order = u"PortNumber Savehtml SaveExcel LogDelay LogOn DisplayRPM DisplayWS "
                              "WSUnits Option3 Option5 %1 Command2 PublishingButton Command1"_s;
        QCOMPARE(tabStops(), order.arg(u"Option9"));
        child<QRadioButton>(s.window, "Option10")->click();
        QCOMPARE(tabStops(), order.arg(u"Option10"));
        QVERIFY(s.window.userChangedSomething());

        auto* problem = child<QLabel>(s.window, "PortProblem");
        s.box("PortNumber")->setText(u"3"_s);
        s.window.setPortProblem(u"permission denied"_s);
        s.window.show();
        const QSize size = s.window.size();
        for (const QString& typed : {u"3"_s, u" 0"_s, u"3"_s}) {
            s.box("PortNumber")->setText(typed);
            QCOMPARE(problem->isVisible(), typed == u"3"); // the number that failed
            QCoreApplication::processEvents();             // the layout settles
            QCOMPARE(s.window.size(), size);
            if (typed == u" 0")
                QCOMPARE(textOf(s.window, "PortDevice"),
                         u"0: no port, the logger runs without the sensor board"_s);
        }
        QCOMPARE(problem->text(), u"permission denied"_s);
        click(s.window, "Command1");
        QCOMPARE(s.window.result(), int(QDialog::Accepted));
        QCOMPARE(s.t.readFile(u"prog.cfg"_s), QByteArray(stored)
                                                  .replace("<Port> 3<", "<Port>3<")
                                                  .replace("<LogOn>3<", "<LogOn>0<")
                                                  .replace("<SV> 48.0<", "<SV>48<")
                                                  .replace("<MA>25<", "<MA>20<")
                                                  .replace("<BR>9600<", "<BR>57600<"));
    }

    // One box typed into and the interval set to 45, then the window left: Save and Abort write
    // the boxes (Abort with port "0") or are refused with the message, keeping everything;
    // Enter saves; the other ways out write nothing.
    void typeThenLeave_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("message"); // empty: none; <folder>: the application folder
        QTest::addColumn<QByteArray>("saved");
        const auto edited = [](const char* port) {
            return QByteArray(UsualProg)
                .replace("<Port>2<", "<Port>" + QByteArray(port) + "<")
                .replace("<LogDelay>120<", "<LogDelay>45<");
        };
        const auto row = [](const char* name, const char* box, const char* typed, const char* how,
                            const QString& message, const QByteArray& saved) {
            QTest::newRow(name) << QString(box) << QString(typed) << QString(how) << message
                                << saved;
        };
        row("Save: port empty", "PortNumber", "", "save",
            u"There is a bad number for Port Number. Must be between 1 and 8 ( 1 or 2 most "
            "common )"_s,
            UsualProg);
        row("Abort: closing tag in the units", "WSUnits", "</BR>", "abort",
            u"The \"Wind Speed Units\" box holds a \"<\" or a line break, which prog.cfg cannot "
            "store: it would spoil the settings after it. Remove it and press \"Save Setings\" "
            "again. Nothing was saved."_s,
            UsualProg);
        row("Save: units outside Latin-1", "WSUnits", "\u043A\u043C/\u0447", "save",
            u"The \"Wind Speed Units\" box holds \"\u043A\", which prog.cfg cannot store: the "
            "file holds only Latin-1 characters"_s,
            UsualProg);
        row("Save: a folder named prog.cfg", "WSUnits", "knots", "save",
            u"<folder>/prog.cfg could not be saved ("_s, {});
        row("Abort: port 0", "PortNumber", "5", "abort", {}, edited("0"));
        row("Enter saves as typed", "PortNumber", " 2.5", "enter", {}, edited(" 2.5"));
        for (const char* how : {"escape", "reject"})
            row(how, "WSUnits", "knots", how, {}, UsualProg);
    }
    void typeThenLeave() {
        QFETCH(QString, name);
        QFETCH(QString, typed);
        QFETCH(QString, how);
        QFETCH(QString, message);
        QFETCH(QByteArray, saved);
        Opened s;
        SetupWindow& window = s.window;
        window.show();
        type(window, qPrintable(name), typed);
        QLineEdit* edited = s.box(qPrintable(name));
        QCOMPARE(window.userChangedSomething(), !typed.isEmpty());
        s.box("LogDelay")->setText(u"45"_s);
        if (saved.isNull()) // the file cannot be replaced
            QVERIFY(QFile::remove(s.t.path(u"prog.cfg"_s)) &&
                    QDir(s.t.folder()).mkdir(u"prog.cfg"_s));
        if (how == u"save" || how == u"abort")
            click(window, how == u"save" ? "Command1" : "Command2");
        else if (how == u"enter" || how == u"escape")
            QTest::keyClick(edited, how == u"enter" ? Qt::Key_Return : Qt::Key_Escape);
        else
            window.reject();
        const QStringList& messages = s.t.prompts.messages;
        QCOMPARE(messages.size(), int(!message.isEmpty()));
        QVERIFY(message.isEmpty() ||
                messages[0].startsWith(message.replace(u"<folder>"_s, s.t.folder())));
        QCOMPARE(window.isVisible(), !message.isEmpty());
        QCOMPARE(s.t.readFile(u"prog.cfg"_s), saved);
        QCOMPARE(QDir(s.t.folder()).entryList(QDir::Files).size(), int(!saved.isNull()));
        if (window.isHidden())
            QCOMPARE(window.result(),
                     int(saved == UsualProg ? QDialog::Rejected : QDialog::Accepted));
        QCOMPARE(edited->text(), how == u"abort" && message.isEmpty() ? u"0"_s : typed);
        QCOMPARE(s.box("LogDelay")->text(), u"45"_s);
    }

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
        type(window, "BatteryVolts", u"1\uFF10"_s); // a full-width 0
        click(window, "Command1");
        QVERIFY(b.t.prompts.messages.last().contains(
            u"\" holds \"\uFF10\", which settings.cfg cannot store: the file holds only Latin-1"_s));
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

QTEST_MAIN(SetupWindowsTest)
#include "tst_setup_windows.moc"
