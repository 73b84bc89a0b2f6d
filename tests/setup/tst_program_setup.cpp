// The program setup window driven as a user would: its load step, Save, Abort, the ways of
// leaving without saving, the keyboard and a folder that cannot be written.

#include "setup/ProgramSetup.h"
#include "tests/support/ImmutablePath.h"
#include "tests/support/TestEnvironment.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace tarnby;
using namespace tarnby::test;
using namespace Qt::StringLiterals;

namespace {

QByteArray progBytes(const QByteArray& port, const QByteArray& sv, const QByteArray& ma,
                     const QByteArray& br) {
    return "Program Config File\r\n\r\n<Port>" + port +
           "</Port>\r\n<Savehtml>1</Savehtml>\r\n<SaveExcel>0</SaveExcel>\r\n"
           "<LogDelay>120</LogDelay>\r\n<LogOn>1</LogOn>\r\n<DisplayRPM>1</DisplayRPM>\r\n"
           "<DisplayWS>0</DisplayWS>\r\n<WSUnits>MPH</WSUnits>\r\n<SV>" +
           sv + "</SV>\r\n<MA>" + ma + "</MA>\r\n<BR>" + br + "</BR>\r\n\r\n";
}

const QByteArray UsualProg = progBytes("2", "24", "20", "4800");

template <typename T> T* control(QWidget& window, const char* name) {
    T* found = window.findChild<T*>(QLatin1StringView(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

QString checkedOption(QWidget& window, const char* frame) {
    for (auto* button :
         control<QWidget>(window, frame)->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly)) {
        if (button->isChecked())
            return button->objectName() + u' ' + button->text();
    }
    return {};
}

void click(QWidget& window, const char* button) {
    QTest::mouseClick(control<QPushButton>(window, button), Qt::LeftButton);
}

} // namespace

class ProgramSetupWindow : public QObject {
    Q_OBJECT
private slots:
    void loadAndSaveRoundTripIsByteExact();
    void storedValueSelectsButtonAndSaveWritesIt_data();
    void storedValueSelectsButtonAndSaveWritesIt();
    void portText_data();
    void portText();
    void abortSavesEditsWithPortZero();
    void leavingWithoutSaveWritesNothing_data();
    void leavingWithoutSaveWritesNothing();
    void enterSaves();
    void readOnlyFolderKeepsWindowOpen();
    void missingFileOpensWithStartingValues();
    void unsafeUnitsAreRefused();
    void greyedCheckBoxIsKeptUntilClicked();
    void tabOrderFollowsReadingOrder();
    void portNumberShowsItsDevice();
};

void ProgramSetupWindow::loadAndSaveRoundTripIsByteExact() {
    TestEnvironment t;
    const QByteArray stored = "Program Config File\r\n\r\n"
                              "<Port> 3</Port>\r\n<Savehtml>2</Savehtml>\r\n"
                              "<SaveExcel>1</SaveExcel>\r\n<LogDelay>abc</LogDelay>\r\n"
                              "<LogOn>0</LogOn>\r\n<DisplayRPM>1</DisplayRPM>\r\n"
                              "<DisplayWS>1</DisplayWS>\r\n<WSUnits> km/h</WSUnits>\r\n"
                              "<SV>48</SV>\r\n<MA>10</MA>\r\n<BR>9600</BR>\r\n\r\n";
    t.writeFile(u"prog.cfg"_s, stored);
    ProgramSetup window(t.environment(), nullptr);
    QCOMPARE(window.objectName(), u"ProgramSetup"_s);
    QCOMPARE(window.windowTitle(), u"Tarnby Setup"_s);
    QCOMPARE(control<QLineEdit>(window, "PortNumber")->text(), u" 3"_s);
    QCOMPARE(control<QLineEdit>(window, "WSUnits")->text(), u" km/h"_s);
    window.show();
    click(window, "Command1");
    QVERIFY(t.prompts.messages.isEmpty());
    QCOMPARE(window.result(), int(QDialog::Accepted));
    QCOMPARE(t.readFile(u"prog.cfg"_s), stored);
}

void ProgramSetupWindow::storedValueSelectsButtonAndSaveWritesIt_data() {
    QTest::addColumn<QByteArray>("sv");
    QTest::addColumn<QByteArray>("ma");
    QTest::addColumn<QByteArray>("br");
    QTest::addColumn<QStringList>("selected");
    QTest::addColumn<QByteArray>("saved");
    QTest::newRow("SV 36, MA 15, BR 19200 keep the defaults")
        << QByteArray("36") << QByteArray("15") << QByteArray("19200")
        << QStringList{"Option2 24", "Option5 20", "Option8 4800"}
        << progBytes("2", "24", "20", "4800");
    QTest::newRow("BR 57600") << QByteArray("12") << QByteArray("50") << QByteArray("57600")
                              << QStringList{"Option1 12", "Option6 50", "Option10 57600"}
                              << progBytes("2", "12", "50", "57600");
    QTest::newRow("compared as numbers")
        << QByteArray(" 48.0") << QByteArray("10 ") << QByteArray("2400")
        << QStringList{"Option3 48", "Option4 10", "Option7 2400"}
        << progBytes("2", "48", "10", "2400");
    QTest::newRow("odd MA, BR 9600") << QByteArray("24") << QByteArray("25") << QByteArray("9600")
                                     << QStringList{"Option2 24", "Option5 20", "Option9 9600"}
                                     << progBytes("2", "24", "20", "9600");
}

void ProgramSetupWindow::storedValueSelectsButtonAndSaveWritesIt() {
    QFETCH(QByteArray, sv);
    QFETCH(QByteArray, ma);
    QFETCH(QByteArray, br);
    QFETCH(QStringList, selected);
    QFETCH(QByteArray, saved);
    TestEnvironment t;
    t.writeFile(u"prog.cfg"_s, progBytes("2", sv, ma, br));
    ProgramSetup window(t.environment(), nullptr);
    QVERIFY(t.prompts.messages.isEmpty());
    QCOMPARE((QStringList{checkedOption(window, "Frame2"), checkedOption(window, "Frame1"),
                          checkedOption(window, "Frame3")}),
             selected);
    window.show();
    click(window, "Command1");
    QCOMPARE(t.readFile(u"prog.cfg"_s), saved);
}

void ProgramSetupWindow::portText_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("leading blank") << " 3" << true;
    QTest::newRow("fraction") << "2.5" << true;
    QTest::newRow("twelve") << "12" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("COM1") << "COM1" << false;
}

void ProgramSetupWindow::portText() {
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    TestEnvironment t;
    t.writeFile(u"prog.cfg"_s, UsualProg);
    ProgramSetup window(t.environment(), nullptr);
    window.show();
    auto* port = control<QLineEdit>(window, "PortNumber");
    port->clear();
    QTest::keyClicks(port, typed);
    control<QLineEdit>(window, "LogDelay")->setText(u"300"_s);
    click(window, "Command1");
    if (accepted) {
        QVERIFY(t.prompts.messages.isEmpty());
        QVERIFY(!window.isVisible());
        QByteArray expected = progBytes(typed.toLatin1(), "24", "20", "4800");
        expected.replace("<LogDelay>120</LogDelay>", "<LogDelay>300</LogDelay>");
        QCOMPARE(t.readFile(u"prog.cfg"_s), expected);
    } else {
        QCOMPARE(t.prompts.messages,
                 QStringList{u"There is a bad number for Port Number. Must be between 1 and 8 "
                             "( 1 or 2 most common )"_s});
        QVERIFY(window.isVisible());
        QCOMPARE(t.readFile(u"prog.cfg"_s), UsualProg);
        QCOMPARE(port->text(), typed);
        QCOMPARE(control<QLineEdit>(window, "LogDelay")->text(), u"300"_s);
    }
}

void ProgramSetupWindow::abortSavesEditsWithPortZero() {
    TestEnvironment t;
    t.writeFile(u"prog.cfg"_s, UsualProg);
    ProgramSetup window(t.environment(), nullptr);
    window.show();
    control<QLineEdit>(window, "PortNumber")->setText(u"COM7"_s); // overwritten by Abort
    control<QLineEdit>(window, "WSUnits")->setText(u"knots"_s);
    QTest::mouseClick(control<QCheckBox>(window, "DisplayWS"), Qt::LeftButton);
    control<QRadioButton>(window, "Option10")->click();
    click(window, "Command2");
    QVERIFY(t.prompts.messages.isEmpty());
    QVERIFY(!window.isVisible());
    QCOMPARE(control<QLineEdit>(window, "PortNumber")->text(), u"0"_s);
    QByteArray expected = progBytes("0", "24", "20", "57600");
    expected.replace("<DisplayWS>0</DisplayWS>", "<DisplayWS>1</DisplayWS>");
    expected.replace("<WSUnits>MPH</WSUnits>", "<WSUnits>knots</WSUnits>");
    QCOMPARE(t.readFile(u"prog.cfg"_s), expected);
}

void ProgramSetupWindow::leavingWithoutSaveWritesNothing_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("title-bar close") << "close";
    QTest::newRow("Escape") << "escape";
    QTest::newRow("modal run ended by the owner") << "modal";
}

void ProgramSetupWindow::leavingWithoutSaveWritesNothing() {
    QFETCH(QString, how);
    TestEnvironment t;
    t.writeFile(u"prog.cfg"_s, UsualProg);
    ProgramSetup window(t.environment(), nullptr);
    const auto edit = [](QDialog& w) {
        control<QLineEdit>(w, "PortNumber")->setText(u"5"_s);
        control<QRadioButton>(w, "Option1")->click();
    };
    if (how == u"modal") {
        t.prompts.runModal(window);
    } else {
        window.show();
        edit(window);
        if (how == u"close")
            QVERIFY(window.close());
        else
            QTest::keyClick(control<QLineEdit>(window, "WSUnits"), Qt::Key_Escape);
    }
    QVERIFY(!window.isVisible());
    QCOMPARE(window.result(), int(QDialog::Rejected));
    QCOMPARE(t.readFile(u"prog.cfg"_s), UsualProg);
    QVERIFY(t.prompts.messages.isEmpty());
}

void ProgramSetupWindow::enterSaves() {
    TestEnvironment t;
    t.writeFile(u"prog.cfg"_s, UsualProg);
    ProgramSetup window(t.environment(), nullptr);
    window.show();
    auto* delay = control<QLineEdit>(window, "LogDelay");
    delay->setFocus();
    delay->setText(u"45"_s);
    QTest::keyClick(delay, Qt::Key_Return);
    QVERIFY(!window.isVisible());
    QCOMPARE(window.result(), int(QDialog::Accepted));
    QVERIFY(t.readFile(u"prog.cfg"_s).contains("<LogDelay>45</LogDelay>"));
}

void ProgramSetupWindow::readOnlyFolderKeepsWindowOpen() {
    TestEnvironment t;
    t.writeFile(u"prog.cfg"_s, UsualProg);
    ProgramSetup window(t.environment(), nullptr);
    window.show();
    control<QLineEdit>(window, "PortNumber")->setText(u"4"_s);
    ImmutablePath readOnly(t.folder());
    if (!readOnly.ok())
        QSKIP("chattr +i is not available here");
    click(window, "Command1");
    click(window, "Command2");
    readOnly.release();
    QCOMPARE(t.prompts.messages.size(), 2);
    for (const QString& message : t.prompts.messages) {
        QVERIFY2(message.startsWith(t.path(u"prog.cfg"_s) + u" could not be saved"_s),
                 qPrintable(message));
        QVERIFY(message.contains(u"unchanged"_s));
    }
    QVERIFY(window.isVisible());
    QCOMPARE(window.result(), int(QDialog::Rejected));
    QCOMPARE(t.readFile(u"prog.cfg"_s), UsualProg);
    QCOMPARE(QDir(t.folder()).entryList(QDir::Files), QStringList{u"prog.cfg"_s});
}

void ProgramSetupWindow::missingFileOpensWithStartingValues() {
    TestEnvironment t;
    ProgramSetup window(t.environment(), nullptr);
    QCOMPARE(t.prompts.messages.size(), 1);
    QVERIFY(t.prompts.messages[0].startsWith(u"There is a problem with prog.cfg:"_s));
    QVERIFY(t.prompts.messages[0].contains(u"missing"_s));
    QCOMPARE((QStringList{checkedOption(window, "Frame2"), checkedOption(window, "Frame1"),
                          checkedOption(window, "Frame3")}),
             (QStringList{"Option2 24", "Option5 20", "Option8 4800"}));
    QCOMPARE(control<QLineEdit>(window, "PortNumber")->text(), QString());
    QCOMPARE(control<QLineEdit>(window, "LogDelay")->text(), u"60"_s);
    QCOMPARE(control<QLineEdit>(window, "WSUnits")->text(), QString());
    window.show();
    control<QLineEdit>(window, "PortNumber")->setText(u"1"_s);
    click(window, "Command1");
    QCOMPARE(t.prompts.messages.size(), 1);
    QCOMPARE(t.readFile(u"prog.cfg"_s),
             QByteArray("Program Config File\r\n\r\n<Port>1</Port>\r\n<Savehtml>0</Savehtml>\r\n"
                        "<SaveExcel>0</SaveExcel>\r\n<LogDelay>60</LogDelay>\r\n"
                        "<LogOn>0</LogOn>\r\n<DisplayRPM>0</DisplayRPM>\r\n"
                        "<DisplayWS>0</DisplayWS>\r\n<WSUnits></WSUnits>\r\n"
                        "<SV>24</SV>\r\n<MA>20</MA>\r\n<BR>4800</BR>\r\n\r\n"));
}

void ProgramSetupWindow::unsafeUnitsAreRefused() {
    TestEnvironment t;
    t.writeFile(u"prog.cfg"_s, UsualProg);
    ProgramSetup window(t.environment(), nullptr);
    window.show();
    control<QLineEdit>(window, "WSUnits")->setText(u"</BR>"_s);
    click(window, "Command2"); // Abort saves too, so it is refused as well
    click(window, "Command1");
    QCOMPARE(t.prompts.messages.size(), 2);
    QVERIFY2(t.prompts.messages[1].startsWith(u"The \"Wind Speed Units\" box holds a \"<\""_s),
             qPrintable(t.prompts.messages[1]));
    QVERIFY(window.isVisible());
    QCOMPARE(t.readFile(u"prog.cfg"_s), UsualProg);
}

void ProgramSetupWindow::greyedCheckBoxIsKeptUntilClicked() {
    TestEnvironment t;
    QByteArray stored = UsualProg;
    stored.replace("<Savehtml>1</Savehtml>", "<Savehtml>2</Savehtml>");
    t.writeFile(u"prog.cfg"_s, stored);
    {
        ProgramSetup window(t.environment(), nullptr);
        QCOMPARE(control<QCheckBox>(window, "Savehtml")->checkState(), Qt::PartiallyChecked);
        window.show();
        click(window, "Command1");
        QCOMPARE(t.readFile(u"prog.cfg"_s), stored);
    }
    ProgramSetup window(t.environment(), nullptr);
    window.show();
    auto* box = control<QCheckBox>(window, "Savehtml");
    QTest::mouseClick(box, Qt::LeftButton);
    QCOMPARE(box->checkState(), Qt::Checked);
    QTest::mouseClick(box, Qt::LeftButton);
    QCOMPARE(box->checkState(), Qt::Unchecked); // never greyed again by a click
    QTest::mouseClick(box, Qt::LeftButton);
    QCOMPARE(box->checkState(), Qt::Checked);
    click(window, "Command1");
    QVERIFY(t.readFile(u"prog.cfg"_s).contains("<Savehtml>1</Savehtml>"));
}

void ProgramSetupWindow::tabOrderFollowsReadingOrder() {
    TestEnvironment t;
    t.writeFile(u"prog.cfg"_s, UsualProg);
    ProgramSetup window(t.environment(), nullptr);
    QStringList chain;
    QWidget* widget = control<QWidget>(window, "PortNumber");
    while (chain.size() < 21) {
        if (widget->focusPolicy() & Qt::TabFocus)
            chain << widget->objectName();
        widget = widget->nextInFocusChain();
    }
    QCOMPARE(
        chain.mid(0, 21),
        (QStringList{"PortNumber", "Savehtml", "SaveExcel", "LogDelay", "LogOn",   "DisplayRPM",
                     "DisplayWS",  "WSUnits",  "Option1",   "Option2",  "Option3", "Option4",
                     "Option5",    "Option6",  "Option7",   "Option8",  "Option9", "Option10",
                     "Command2",   "Command1", "PortNumber"}));
}

void ProgramSetupWindow::portNumberShowsItsDevice() {
    TestEnvironment t;
    t.writeFile(u"prog.cfg"_s, UsualProg);
    QVERIFY(QDir(t.folder()).mkdir(u"ports"_s));
    QVERIFY(QFile::link(u"/dev/null"_s, t.path(u"ports/COM3"_s)));
    ProgramSetup window(t.environment(), nullptr);
    auto* device = control<QLabel>(window, "PortDevice");
    QCOMPARE(device->text(), u"COM2: /dev/ttyS1"_s +
                                 (QFile::exists(u"/dev/ttyS1"_s) ? u""_s : u" (not present)"_s));
    control<QLineEdit>(window, "PortNumber")->setText(u"3"_s);
    QCOMPARE(device->text(), u"COM3: "_s + t.path(u"ports/COM3"_s) + u" \u2192 /dev/null"_s);
    control<QLineEdit>(window, "PortNumber")->setText(u"COM1"_s);
    QCOMPARE(device->text(), u"not a port number"_s);
    QVERIFY(control<QLabel>(window, "SystemPorts")
                ->text()
                .startsWith(u"Serial ports on this computer: "_s));
}

QTEST_MAIN(ProgramSetupWindow)
#include "tst_program_setup.moc"
