// The calibration window driven as a user would, with frames delivered through a fake port
// (loading, the raw and scaled captions, Zero, Save, the ways of leaving, the port), and its
// save check alone for a case a window cannot reach directly.

#include "setup/CalibrationForm.h"
#include "setup/widgets/Calibrate.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace tarnby;
using namespace tarnby::test;
using namespace Qt::StringLiterals;

using Factors = tarnby::CalibrationSettings;

namespace {

template <typename T> T* control(QWidget& window, const char* name) {
    T* found = window.findChild<T*>(QLatin1StringView(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

QString text(QWidget& window, const char* name) {
    if (auto* edit = window.findChild<QLineEdit*>(QLatin1StringView(name)))
        return edit->text();
    return control<QLabel>(window, name)->text();
}

QStringList texts(QWidget& window, std::initializer_list<const char*> names) {
    QStringList shown;
    for (const char* name : names)
        shown << text(window, name);
    return shown;
}

// txtBattV, txtBattVadjusted, txtShuntV, txtBattAadjusted, txtPulsess, txtWindmillRPM,
// txtPulsess2, txtWindSpeed
QStringList shownCaptions(QWidget& window) {
    return texts(window, {"txtBattV", "txtBattVadjusted", "txtShuntV", "txtBattAadjusted",
                          "txtPulsess", "txtWindmillRPM", "txtPulsess2", "txtWindSpeed"});
}

void type(QWidget& window, const char* box, const QString& typed) {
    auto* edit = control<QLineEdit>(window, box);
    edit->clear();
    QTest::keyClicks(edit, typed);
}

void click(QWidget& window, const char* button) {
    QTest::mouseClick(control<QPushButton>(window, button), Qt::LeftButton);
}

QByteArray frame(const QByteArray& v, const QByteArray& i, const QByteArray& r = "0",
                 const QByteArray& s = "0") {
    return "[<V>" + v + "</V><I>" + i + "</I><R>" + r + "</R><M>0</M><S>" + s + "</S>]\r\n";
}

const QByteArray UsualSettings = "Calibration Settings\r\n\r\n\r\n<VoltDivider>10</VoltDivider>\r\n"
                                 "<VoltOffset>500</VoltOffset>\r\n<AmpDivider>10</AmpDivider>\r\n"
                                 "<RPMDivider>14</RPMDivider>\r\n<WSDivider>2</WSDivider>\r\n";

// The usual set-up: port 3 at 57600, units MPH, factors 10 / 500 / 10 / 14 / 2.
struct Bench {
    Bench() {
        t.writeProgCfg(u"3"_s, u"60"_s, u"0"_s, u"1"_s, u"1"_s, u"MPH"_s, u"57600"_s);
        t.writeFile(u"settings.cfg"_s, UsualSettings);
    }
    Calibrate& open(bool show = true) {
        window = std::make_unique<Calibrate>(t.environment(), nullptr);
        if (show)
            window->show();
        return *window;
    }
    FakeSerialLink& port() const { return *t.ports.last(); }
    QByteArray settings() const { return t.readFile(u"settings.cfg"_s); }

    TestEnvironment t;
    std::unique_ptr<Calibrate> window;
};

} // namespace

class CalibrateWindow : public QObject {
    Q_OBJECT
private slots:
    void loadingOpensItsOwnPortAndFillsBoxes() {
        Bench b;
        b.t.writeSettingsCfg(u"10.20"_s, u"498"_s, u"12.50"_s, u"14"_s, u" 2"_s);
        Calibrate& window = b.open(false);
        QCOMPARE(window.objectName(), u"Calibrate"_s);
        QCOMPARE(window.windowTitle(), u"Calibration"_s);
        QVERIFY(window.portOpened());
        QVERIFY(b.t.prompts.messages.isEmpty());
        QVERIFY(b.port().isOpen());
        QCOMPARE(b.port().portNumber_, 3);
        QCOMPARE(b.port().settings_, u"57600,N,8,1"_s);
        // A numeric amps factor is shown in plain form.
        QCOMPARE(
            texts(window, {"BatteryVolts", "OffsetV", "BatteryCurrent", "PulseDivider",
                           "Pulse2Divider", "Label23", "txtBattV", "txtBattVadjusted"}),
            (QStringList{"10.20", "498", "12.5", "14", " 2", "How many pulses per MPH?", "0", ""}));
    }

    // A first frame with the usual factors, then the row's factors typed into BatteryVolts,
    // BatteryCurrent, PulseDivider and Pulse2Divider, then the row's bytes. A caption the row's
    // frame leaves as it was still shows the first frame's value.
    void captionsForAFrameStream_data() {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QList<QByteArray>>("chunks");
        QTest::addColumn<QStringList>("captions"); // as shownCaptions() lists them
        const auto row = [](const char* name, const QStringList& typed,
                            const QList<QByteArray>& chunks, const QStringList& captions) {
            QTest::newRow(name) << typed << chunks << captions;
        };
        const QList<QByteArray> typical{frame("125.6", "520", "7", "12")};
        const QStringList noRpm{"125.6", "12.56 Volts", "520", "2 Amps",
                                "7",     "1 RPM",       "12",  "6 MPH"};
        row("pulse divider empty", {"10", "10", "", "2"}, typical, noRpm);
        row("pulse divider 0", {"10", "10", "0", "2"}, typical, noRpm);
        row("pulse divider negative", {"10", "10", "-14", "2"}, typical, noRpm);
        row("negative current factor", {"10", "-4", "14", "2"}, {frame("120", "530", "14", "0")},
            {"120", "12 Volts", "530", "-7.5 Amps", "14", "60 RPM", "0", "0 MPH"});
        const QStringList last{"140", "14 Volts", "515", "1.5 Amps", "14", "60 RPM", "4", "2 MPH"};
        row("tail of a frame with the head of the next", {"10", "10", "14", "2"},
            {"[<V>130</V><I>5", "05</I><R>28</R><S>8</S>]\r\n[<V>1",
             "40</V><I>515</I><R>14</R><S>4</S>]\r\n[<V>9"},
            last);
        row("frames back to back: the last is shown", {"10", "10", "14", "2"},
            {"[<V>130</V><I>505</I>]" + frame("140", "515", "14", "4") + "[<V>1"}, last);
        row("frame in pieces, nothing dropped", {"10", "10", "14", "2"},
            {"noise [<V>12", "0.5</V><I>5", "40</I><S>3</S>]"},
            {"120.5", "12.05 Volts", "540", "4 Amps", "0", "0 RPM", "3", "1.5 MPH"});
        row("values missing, empty or letters are 0; amps below the offset",
            {"10", "10", "14", "2"}, {"[<V></V><I>abc</I><S>x</S>]"},
            {"0", "0 Volts", "0", "-50 Amps", "0", "0 RPM", "0", "0 MPH"});
        row("rpm above 500 is shown", {"10", "10", "1", "1"}, {"[<V>120</V><I>500</I><R>100</R>]"},
            {"120", "12 Volts", "500", "0 Amps", "100", "6000 RPM", "0", "0 MPH"});
        row("raw and scaled values rounded, halves to even", {"3", "1", "7", "3"},
            {"[<V>2.675</V><I>500.125</I><R>2.5</R><S>1</S>]"},
            {"2.68", "0.89 Volts", "500.12", "0.12 Amps", "2.5", "21.4 RPM", "1", "0.3 MPH"});
        row("volts factor 0 keeps the volts", {"0", "10", "14", "2"}, typical,
            {"125.6", "10 Volts", "520", "2 Amps", "7", "30 RPM", "12", "6 MPH"});
        row("amps factor 0 keeps the amps", {"10", "0", "14", "2"}, typical,
            {"125.6", "12.56 Volts", "520", "10 Amps", "7", "30 RPM", "12", "6 MPH"});
        row("speed divider 0 keeps the last speed", {"10", "10", "14", "0"}, typical,
            {"125.6", "12.56 Volts", "520", "2 Amps", "7", "30 RPM", "12", "2 MPH"});
        row("closing tag first changes nothing", {"10", "10", "14", "2"},
            {"[<V>1</V><I>2</I><S>20</S></R>3<R>]"},
            {"100", "10 Volts", "600", "10 Amps", "7", "30 RPM", "4", "2 MPH"});
    }
    void captionsForAFrameStream() {
        QFETCH(QStringList, typed);
        QFETCH(QList<QByteArray>, chunks);
        QFETCH(QStringList, captions);
        Bench b;
        Calibrate& window = b.open();
        b.port().deliver(frame("100", "600", "7", "4"));
        const QStringList first = shownCaptions(window);
        QCOMPARE(first,
                 (QStringList{"100", "10 Volts", "600", "10 Amps", "7", "30 RPM", "4", "2 MPH"}));
        const char* boxes[] = {"BatteryVolts", "BatteryCurrent", "PulseDivider", "Pulse2Divider"};
        for (int i = 0; i < 4; ++i)
            type(window, boxes[i], typed[i]);
        QCOMPARE(shownCaptions(window), first); // typing alone changes nothing shown
        for (const QByteArray& chunk : chunks)
            b.port().deliver(chunk);
        QCOMPARE(shownCaptions(window), captions);
    }

    // Zero gives 0 before any frame, then takes the raw current as shown (rounded half to even),
    // which the next frame uses.
    void saveWritesBoxesExactlyAsTyped() {
        Bench b;
        Calibrate& window = b.open();
        click(window, "Command2");
        QCOMPARE(text(window, "OffsetV"), u"0"_s);
        b.port().deliver(frame("120", "498.345"));
        QCOMPARE(text(window, "txtShuntV"), u"498.34"_s);
        click(window, "Command2");
        QCOMPARE(text(window, "OffsetV"), u"498.34"_s);
        b.port().deliver(frame("120", "518.34"));
        QCOMPARE(text(window, "txtBattAadjusted"), u"2 Amps"_s);
        type(window, "BatteryVolts", u" 10.50"_s);
        type(window, "BatteryCurrent", u"abc"_s);
        type(window, "PulseDivider", u""_s);
        type(window, "Pulse2Divider", u"-3"_s);
        click(window, "Command1");
        QVERIFY(b.t.prompts.messages.isEmpty());
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QVERIFY(!b.port().isOpen());
        QCOMPARE(b.settings(),
                 QByteArray("Calibration Settings\r\n\r\n\r\n<VoltDivider> 10.50</VoltDivider>\r\n"
                            "<VoltOffset>498.34</VoltOffset>\r\n<AmpDivider>abc</AmpDivider>\r\n"
                            "<RPMDivider></RPMDivider>\r\n<WSDivider>-3</WSDivider>\r\n"));
    }

    // After Zero and an edit: every way out but Save writes nothing and closes the port once;
    // Enter neither saves nor closes (the user is still adjusting factors).
    void waysOfLeavingWithoutSaving_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("Exit") << "exit";
        QTest::newRow("Escape") << "escape";
        QTest::newRow("title-bar close") << "close";
        QTest::newRow("modal run ended by the owner") << "modal";
        QTest::newRow("Enter") << "enter";
    }
    void waysOfLeavingWithoutSaving() {
        QFETCH(QString, how);
        Bench b;
        Calibrate& window = b.open(how != u"modal");
        b.port().deliver(frame("120", "511"));
        control<QPushButton>(window, "Command2")->click();
        QCOMPARE(text(window, "OffsetV"), u"511"_s);
        QLineEdit* volts = control<QLineEdit>(window, "BatteryVolts");
        volts->setText(u"11"_s);
        if (how == u"exit") {
            click(window, "Command6");
        } else if (how == u"escape") {
            QTest::keyClick(volts, Qt::Key_Escape);
        } else if (how == u"close") {
            QVERIFY(window.close());
        } else if (how == u"modal") {
            b.t.prompts.runModal(window);
        } else {
            QTest::keyClick(volts, Qt::Key_Return);
            QTest::keyClick(control<QPushButton>(window, "Command2"), Qt::Key_Enter,
                            Qt::KeypadModifier);
        }
        const bool stays = how == u"enter";
        QCOMPARE(window.isVisible(), stays);
        QCOMPARE(b.port().isOpen(), stays);
        QCOMPARE(b.port().closeCount, stays ? 0 : 1);
        if (!stays)
            QCOMPARE(window.result(), int(QDialog::Rejected));
        QCOMPARE(b.settings(), UsualSettings);
    }

    void portThatCannotOpenStopsLoading_data() {
        QTest::addColumn<QByteArray>("prog"); // empty: the usual prog.cfg
        QTest::addColumn<bool>("failOpen");
        const auto row = [](const char* name, const char* prog, bool failOpen) {
            QTest::newRow(name) << QByteArray(prog) << failOpen;
        };
        row("port busy or absent", "", true);
        row("port 0", "<Port>0</Port><BR>4800</BR><WSUnits>MPH</WSUnits>", false);
        row("baud rate missing", "<Port>1</Port><WSUnits>MPH</WSUnits>", false);
        row("baud rate not whole", "<Port>1</Port><BR>4800.5</BR><WSUnits>MPH</WSUnits>", false);
    }
    void portThatCannotOpenStopsLoading() {
        QFETCH(QByteArray, prog);
        QFETCH(bool, failOpen);
        Bench b;
        if (!prog.isEmpty())
            b.t.writeFile(u"prog.cfg"_s, prog);
        b.t.ports.failOpen = failOpen;
        QVERIFY(!b.open(false).portOpened());
        QVERIFY(!b.port().isOpen());
        QVERIFY(b.t.prompts.messages.isEmpty()); // the owner's port failure recovery speaks
    }

    // The usual settings.cfg with `from` replaced by `to` (no file when `from` is empty).
    void damagedSettingsStillOpen_data() {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<QString>("problem");
        // BatteryVolts, OffsetV, BatteryCurrent, PulseDivider, Pulse2Divider, and the amps after
        // a frame of I = 520
        QTest::addColumn<QStringList>("shown");
        const auto row = [](const char* name, const char* from, const char* to, const char* problem,
                            const QStringList& shown) {
            QTest::newRow(name) << QByteArray(from) << QByteArray(to) << QString(problem) << shown;
        };
        row("file missing", "", "", "the file is missing", {"0", "0", "0", "1", "1", ""});
        row("amps mistyped", "<AmpDivider>10<", "<AmpDivider>1O.5<",
            "the value \"1O.5\" of <AmpDivider> is not a number",
            {"10", "500", "1O.5", "14", "2", ""});
        row("amps empty", "<AmpDivider>10<", "<AmpDivider><",
            "the value \"\" of <AmpDivider> is not a number", {"10", "500", "", "14", "2", ""});
        row("offset letters", "<VoltOffset>500<", "<VoltOffset>zero<",
            "the value \"zero\" of <VoltOffset> is not a number",
            {"10", "zero", "10", "14", "2", ""});
        row("offset key missing", "<VoltOffset>500</VoltOffset>", "",
            "the key <VoltOffset> is missing", {"10", "0", "10", "14", "2", "52 Amps"});
    }
    void damagedSettingsStillOpen() {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(QString, problem);
        QFETCH(QStringList, shown);
        Bench b;
        if (from.isEmpty())
            QVERIFY(QFile::remove(b.t.path(u"settings.cfg"_s)));
        else
            b.t.writeFile(u"settings.cfg"_s, QByteArray(UsualSettings).replace(from, to));
        Calibrate& window = b.open();
        QVERIFY(window.portOpened());
        QCOMPARE(b.t.prompts.messages.size(), 1);
        const QString message = b.t.prompts.messages[0];
        QVERIFY2(message.startsWith(u"There is a problem with settings.cfg:"_s) &&
                     message.contains(problem) && message.contains(u"Save Calibration"_s),
                 qPrintable(message));
        b.port().deliver(frame("120", "520"));
        QCOMPARE(text(window, "txtBattV"), u"120"_s); // live raw values whatever the factors
        QCOMPARE(texts(window, {"BatteryVolts", "OffsetV", "BatteryCurrent", "PulseDivider",
                                "Pulse2Divider", "txtBattAadjusted"}),
                 shown);
        type(window, "BatteryCurrent", u"10"_s);
        click(window, "Command1");
        QVERIFY(!window.isVisible());
        const QByteArray written = b.settings();
        QVERIFY(written.startsWith("Calibration Settings\r\n\r\n\r\n"));
        QVERIFY(written.contains("<AmpDivider>10</AmpDivider>\r\n"));
        for (const char* key :
             {"VoltDivider", "VoltOffset", "AmpDivider", "RPMDivider", "WSDivider"})
            QVERIFY(written.contains(QByteArray("</") + key + ">\r\n"));
    }

    // Save refused for a text it cannot store, or failing in a read-only folder: the message,
    // nothing written, the window open with its port and everything as typed.
    void refusedOrFailedSaveKeepsEverything_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QString>("message"); // <folder>: the application folder
        const auto row = [](const char* name, const char* box, const char* typed, bool readOnly,
                            const QString& message) {
            QTest::newRow(name) << QString(box) << QString(typed) << readOnly << message;
        };
        const auto unsafe = [](const char* step) {
            return u"The box of \"%1\" holds a \"<\" or a line break, which settings.cfg cannot "
                   "store: it would spoil the settings after it. Remove it and press \"Save "
                   "Calibration\" again. Nothing was saved."_s.arg(QLatin1StringView(step));
        };
        row("volts", "BatteryVolts", "1<", false, unsafe("Step 1. Set Voltage"));
        row("amps", "BatteryCurrent", "</AmpDivider>", false, unsafe("Step 2. Set Current"));
        row("rpm", "PulseDivider", "14</RPMDivider>", false, unsafe("Step 3. Set RPM"));
        row("speed", "Pulse2Divider", "<", false, unsafe("Step 4. Set Wind Speed"));
        row("folder in the file's place", "BatteryVolts", "11", true,
            u"<folder>/settings.cfg could not be saved ("_s);
    }
    void refusedOrFailedSaveKeepsEverything() {
        QFETCH(QString, name);
        QFETCH(QString, typed);
        QFETCH(bool, readOnly);
        QFETCH(QString, message);
        Bench b;
        Calibrate& window = b.open();
        type(window, qPrintable(name), typed);
        const QString path = b.t.folder() + u"/settings.cfg"_s;
        if (readOnly)
            QVERIFY(QFile::remove(path) && QDir().mkdir(path));
        click(window, "Command1");
        QCOMPARE(b.t.prompts.messages.size(), 1);
        if (readOnly)
            QVERIFY2(
                b.t.prompts.messages[0].startsWith(message.replace(u"<folder>"_s, b.t.folder())),
                qPrintable(b.t.prompts.messages[0]));
        else
            QCOMPARE(b.t.prompts.messages[0], message);
        QVERIFY(window.isVisible());
        QVERIFY(b.port().isOpen());
        QCOMPARE(text(window, qPrintable(name)), typed);
        QCOMPARE(b.settings(), readOnly ? QByteArray() : UsualSettings);
    }

    // The offset is not typed, but a stored one may hold a line break.
    void offsetIsCheckedBeforeSaving() {
        QVERIFY(calibrationSaveRefusal(Factors{"1", "0\n", "1", "1", "1"})
                    .startsWith(u"The offset holds a \"<\" or a line break"_s));
    }

    void lostLinkIsReported() {
        Bench b;
        Calibrate& window = b.open();
        b.port().loseLink();
        const QStringList& messages = b.t.prompts.messages;
        QVERIFY2(messages.size() == 1 && messages[0].contains(u"fake3"_s) &&
                     messages[0].contains(u"fake link lost"_s),
                 qPrintable(messages.join(u'\n')));
        QVERIFY(window.isVisible());
        click(window, "Command6");
        QCOMPARE(b.settings(), UsualSettings);
    }
};

QTEST_MAIN(CalibrateWindow)
#include "tst_calibrate.moc"
