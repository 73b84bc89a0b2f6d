// The calibration window driven as a user would, frames delivered through a fake port: the
// captions as frames arrive in any pieces, Zero, Save and its refusals, damaged settings.cfg,
// and the ways of leaving without saving.

#include "setup/widgets/Calibrate.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QLineEdit>

using namespace tarnby;
using namespace tarnby::test;
using namespace Qt::StringLiterals;

namespace {

QStringList texts(const QWidget& window, const QList<const char*>& names) {
    QStringList shown;
    for (const char* name : names)
        shown << textOf(window, name);
    return shown;
}
const QList<const char*> Captions{"txtBattV",         "txtBattVadjusted", "txtShuntV",
                                  "txtBattAadjusted", "txtPulsess",       "txtWindmillRPM",
                                  "txtPulsess2",      "txtWindSpeed"};
const QList<const char*> Factors{"BatteryVolts", "OffsetV", "BatteryCurrent", "PulseDivider",
                                 "Pulse2Divider"};

void type(QWidget& window, const char* box, const QString& typed) {
    auto* edit = child<QLineEdit>(window, box);
    edit->clear();
    QTest::keyClicks(edit, typed);
}

QByteArray frame(const QByteArray& v, const QByteArray& i) {
    return "[<V>" + v + "</V><I>" + i + "</I><R>7</R><M>0</M><S>4</S>]\r\n";
}

const QByteArray UsualSettings = "Calibration Settings\r\n\r\n\r\n<VoltDivider>10</VoltDivider>\r\n"
                                 "<VoltOffset>500</VoltOffset>\r\n<AmpDivider>10</AmpDivider>\r\n"
                                 "<RPMDivider>14</RPMDivider>\r\n<WSDivider>2</WSDivider>\r\n";

// Port 3 at 57600, units MPH, factors 10 / 500 / 10 / 14 / 2 unless the test writes others.
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
    // A first frame with the usual factors, then the row's factors typed (volts, amps, RPM,
    // speed), then the row's bytes; a caption the row leaves alone keeps the first frame's value.
    void captionsForAFrameStream_data() {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QList<QByteArray>>("chunks");
        QTest::addColumn<QStringList>("captions");
        const QStringList usual{"10", "10", "14", "2"};
        const QStringList last{"140", "14 Volts", "515", "1.5 Amps", "14", "60 RPM", "4", "2 MPH"};
        QTest::newRow("tail of a frame with the head of the next")
            << usual
            << QList<QByteArray>{"[<V>130</V><I>5", "05</I><R>28</R><S>8</S>]\r\n[<V>1",
                                 "40</V><I>515</I><R>14</R><S>4</S>]\r\n[<V>9"}
            << last;
        QTest::newRow("frame in pieces after noise")
            << usual << QList<QByteArray>{"noise [<V>12", "0.5</V><I>5", "40</I><S>3</S>]"}
            << QStringList{"120.5", "12.05 Volts", "540", "4 Amps", "0", "0 RPM", "3", "1.5 MPH"};
        QTest::newRow("missing, empty or letters are 0")
            << usual << QList<QByteArray>{"[<V></V><I>abc</I><S>x</S>]"}
            << QStringList{"0", "0 Volts", "0", "-50 Amps", "0", "0 RPM", "0", "0 MPH"};
        QTest::newRow("rounded halves to even")
            << QStringList{"3", "1", "7", "3"}
            << QList<QByteArray>{"[<V>2.675</V><I>500.125</I><R>2.5</R><S>1</S>]"}
            << QStringList{"2.68", "0.89 Volts", "500.12", "0.12 Amps",
                           "2.5",  "21.4 RPM",   "1",      "0.3 MPH"};
        QTest::newRow("factors 0 and a negative amps factor")
            << QStringList{"0", "-4", "0", "0"}
            << QList<QByteArray>{"[<V>120</V><I>530</I><R>7</R><S>9</S>]"}
            << QStringList{"120", "10 Volts", "530", "-7.5 Amps", "7", "1 RPM", "9", "2 MPH"};
    }
    void captionsForAFrameStream() {
        QFETCH(QStringList, typed);
        QFETCH(QList<QByteArray>, chunks);
        QFETCH(QStringList, captions);
        Bench b;
        Calibrate& window = b.open();
        b.port().deliver(frame("100", "600"));
        const QStringList first = texts(window, Captions);
        QCOMPARE(first,
                 (QStringList{"100", "10 Volts", "600", "10 Amps", "7", "30 RPM", "4", "2 MPH"}));
        for (int i = 0; i < 4; ++i)
            type(window, Factors[i < 1 ? 0 : i + 1], typed[i]);
        QCOMPARE(texts(window, Captions), first); // typing alone changes nothing shown
        for (const QByteArray& chunk : chunks)
            b.port().deliver(chunk);
        QCOMPARE(texts(window, Captions), captions);
    }

    // The window opens its own port from prog.cfg. Zero gives 0 before any frame, then takes the
    // raw current as shown, which the next frame uses. Save writes the boxes as typed.
    void zeroThenSave() {
        Bench b;
        Calibrate& window = b.open();
        QVERIFY(window.portOpened() && b.port().isOpen());
        QCOMPARE(b.port().portNumber_, 3);
        QCOMPARE(b.port().settings_, u"57600,N,8,1"_s);
        click(window, "Command2");
        QCOMPARE(textOf(window, "OffsetV"), u"0"_s);
        b.port().deliver(frame("120", "498.345"));
        click(window, "Command2");
        QCOMPARE(textOf(window, "OffsetV"), u"498.34"_s);
        b.port().deliver(frame("120", "518.34"));
        QCOMPARE(textOf(window, "txtBattAadjusted"), u"2 Amps"_s);
        type(window, "BatteryVolts", u" 10.50"_s);
        type(window, "BatteryCurrent", u"abc"_s);
        type(window, "PulseDivider", u""_s);
        click(window, "Command1");
        QVERIFY(b.t.prompts.messages.isEmpty());
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QVERIFY(!b.port().isOpen());
        QCOMPARE(b.settings(),
                 QByteArray("Calibration Settings\r\n\r\n\r\n<VoltDivider> 10.50</VoltDivider>\r\n"
                            "<VoltOffset>498.34</VoltOffset>\r\n<AmpDivider>abc</AmpDivider>\r\n"
                            "<RPMDivider></RPMDivider>\r\n<WSDivider>2</WSDivider>\r\n"));
    }

    // After Zero and an edit: every way out but Save writes nothing and closes the port once;
    // Enter neither saves nor closes. A refused or failed Save shows its message and keeps the
    // window, its port and the boxes.
    void leaveOrRefuse_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("typed"); // into BatteryVolts
        QTest::addColumn<QString>("message");
        for (const char* how : {"Exit", "Escape", "close", "modal", "Enter"})
            QTest::newRow(how) << QString(how) << u"11"_s << QString();
        QTest::newRow("Save refused")
            << u"Save"_s << u"1<"_s
            << u"The box of \"Step 1. Set Voltage\" holds a \"<\" or a line break, which "
               "settings.cfg cannot store: it would spoil the settings after it. Remove it and "
               "press \"Save Calibration\" again. Nothing was saved."_s;
        QTest::newRow("Save into a folder named settings.cfg")
            << u"Save"_s << u"11"_s << u"<folder>/settings.cfg could not be saved ("_s;
    }
    void leaveOrRefuse() {
        QFETCH(QString, how);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        Bench b;
        Calibrate& window = b.open(how != u"modal");
        b.port().deliver(frame("120", "511"));
        click(window, "Command2");
        QCOMPARE(textOf(window, "OffsetV"), u"511"_s);
        type(window, "BatteryVolts", typed);
        const bool blocked = message.startsWith(u"<folder>");
        if (blocked)
            QVERIFY(QFile::remove(b.t.path(u"settings.cfg"_s)) &&
                    QDir(b.t.folder()).mkdir(u"settings.cfg"_s));
        QWidget* volts = child(window, "BatteryVolts");
        if (how == u"Exit" || how == u"Save")
            click(window, how == u"Exit" ? "Command6" : "Command1");
        else if (how == u"Escape" || how == u"Enter")
            QTest::keyClick(volts, how == u"Enter" ? Qt::Key_Return : Qt::Key_Escape);
        else if (how == u"close")
            QVERIFY(window.close());
        else
            b.t.prompts.runModal(window);
        const bool stays = how == u"Enter" || how == u"Save";
        QCOMPARE(window.isVisible(), stays);
        QCOMPARE(b.port().isOpen(), stays);
        QCOMPARE(b.port().closeCount, int(!stays));
        QCOMPARE(b.t.prompts.messages.size(), int(!message.isEmpty()));
        QVERIFY(message.isEmpty() ||
                b.t.prompts.messages[0].startsWith(message.replace(u"<folder>"_s, b.t.folder())));
        QCOMPARE(textOf(window, "BatteryVolts"), typed);
        QCOMPARE(b.settings(), blocked ? QByteArray() : UsualSettings);
    }

    // settings.cfg missing or with a bad value: the window opens, names the problem, shows live
    // values, and Save writes every key.
    void damagedSettingsStillOpen_data() {
        QTest::addColumn<QByteArray>("from"); // empty: no file
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<QString>("problem");
        QTest::addColumn<QStringList>("shown"); // the factor boxes
        QTest::newRow("file missing") << QByteArray() << QByteArray() << u"the file is missing"_s
                                      << QStringList{"0", "0", "0", "1", "1"};
        QTest::newRow("amps mistyped")
            << QByteArray("<AmpDivider>10<") << QByteArray("<AmpDivider>1O.5<")
            << u"the value \"1O.5\" of <AmpDivider> is not a number"_s
            << QStringList{"10", "500", "1O.5", "14", "2"};
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
        QCOMPARE(b.t.prompts.messages.size(), 1);
        const QString message = b.t.prompts.messages[0];
        QVERIFY2(message.startsWith(u"There is a problem with settings.cfg:"_s) &&
                     message.contains(problem) && message.contains(u"Save Calibration"_s),
                 qPrintable(message));
        b.port().deliver(frame("120", "520"));
        QCOMPARE(textOf(window, "txtBattV"), u"120"_s); // live raw values whatever the factors
        QCOMPARE(texts(window, Factors), shown);
        type(window, "BatteryCurrent", u"10"_s);
        click(window, "Command1");
        QVERIFY(!window.isVisible());
        QVERIFY(b.settings().startsWith("Calibration Settings\r\n\r\n\r\n<VoltDivider>"));
        QVERIFY(b.settings().endsWith("</RPMDivider>\r\n<WSDivider>" + shown[4].toLatin1() +
                                      "</WSDivider>\r\n"));
    }
};

QTEST_MAIN(CalibrateWindow)
#include "tst_calibrate.moc"
