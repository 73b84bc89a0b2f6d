// The program setup window driven as a user would (its load step, Save, Abort, the ways of
// leaving without saving, the keyboard, a folder that cannot be written), and the rules behind
// it that the window cannot reach one by one: stored texts selecting buttons, load problems,
// save refusals, the port hint.

#include "setup/SetupForm.h"
#include "setup/widgets/ProgramSetup.h"
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

QLineEdit* box(QWidget& window, const char* name) {
    return control<QLineEdit>(window, name);
}

void click(QWidget& window, const char* button) {
    QTest::mouseClick(control<QPushButton>(window, button), Qt::LeftButton);
}

// The selected button of Frame2 (SV), Frame1 (MA) and Frame3 (BR), as "name caption".
QStringList selectedOptions(QWidget& window) {
    QStringList selected;
    for (const char* frame : {"Frame2", "Frame1", "Frame3"}) {
        for (auto* button : control<QWidget>(window, frame)->findChildren<QRadioButton*>()) {
            if (button->isChecked())
                selected << button->objectName() + u' ' + button->text();
        }
    }
    return selected;
}

// A setup window loaded from `prog` (no prog.cfg when null), not yet shown.
struct Opened {
    explicit Opened(const QByteArray& prog = UsualProg)
        : owned((prog.isNull() ? void() : t.writeFile(u"prog.cfg"_s, prog),
                 std::make_unique<ProgramSetup>(t.environment(), nullptr))) {}
    TestEnvironment t;
    std::unique_ptr<ProgramSetup> owned;
    ProgramSetup& window = *owned;
};

} // namespace

class ProgramSetupWindow : public QObject {
    Q_OBJECT
private slots:
    // Loaded, then saved at once.
    void storedValueSelectsButtonAndSaveWritesIt_data() {
        QTest::addColumn<QByteArray>("stored"); // SV, MA, BR
        QTest::addColumn<QStringList>("selected");
        QTest::addColumn<QByteArray>("saved");
        QTest::addColumn<QString>("units"); // as the units box shows them
        const QByteArray odd = "Program Config File\r\n\r\n"
                               "<Port> 3</Port>\r\n<Savehtml>2</Savehtml>\r\n"
                               "<SaveExcel>1</SaveExcel>\r\n<LogDelay>abc</LogDelay>\r\n"
                               "<LogOn>0</LogOn>\r\n<DisplayRPM>1</DisplayRPM>\r\n"
                               "<DisplayWS>1</DisplayWS>\r\n<WSUnits> km/h</WSUnits>\r\n"
                               "<SV>48</SV>\r\n<MA>10</MA>\r\n<BR>9600</BR>\r\n\r\n";
        const auto row = [](const char* name, const QByteArray& stored, const QStringList& selected,
                            const QByteArray& saved, const QString& units = u"MPH"_s) {
            QTest::newRow(name) << stored << selected << saved << units;
        };
        row("round trip byte-exact, greyed box and texts as stored", odd,
            {"Option3 48", "Option4 10", "Option9 9600"}, odd, u" km/h"_s);
        row("SV 36, odd MA 25, BR 56600: the defaults", progBytes("2", "36", "25", "56600"),
            {"Option2 24", "Option5 20", "Option8 4800"}, progBytes("2", "24", "20", "4800"));
        row("BR 57600 captioned with its rate", progBytes("2", "12", "50", "57600"),
            {"Option1 12", "Option6 50", "Option10 57600"}, progBytes("2", "12", "50", "57600"));
        row("compared as numbers", progBytes("2", " 12.0", "49.9", "9600"),
            {"Option1 12", "Option5 20", "Option9 9600"}, progBytes("2", "12", "20", "9600"));
        const QByteArray eightBit = QByteArray(UsualProg).replace(">MPH<", ">\xB0 \xB5<");
        row("8-bit units shown as their characters", eightBit,
            {"Option2 24", "Option5 20", "Option8 4800"}, eightBit, u"\u00B0 \u00B5"_s);
    }
    void storedValueSelectsButtonAndSaveWritesIt() {
        QFETCH(QByteArray, stored);
        QFETCH(QStringList, selected);
        QFETCH(QByteArray, saved);
        QFETCH(QString, units);
        Opened s(stored);
        QVERIFY(s.t.prompts.messages.isEmpty());
        QCOMPARE(selectedOptions(s.window), selected);
        QCOMPARE(box(s.window, "WSUnits")->text(), units);
        QVERIFY(!s.window.userChangedSomething()); // what the load step filled in
        s.window.show();
        click(s.window, "Command1");
        QCOMPARE(s.window.result(), int(QDialog::Accepted));
        QCOMPARE(s.t.readFile(u"prog.cfg"_s), saved);
    }

    // Save after typing into one box (the interval box changed too): written as typed, or
    // refused (or failed) with the message, nothing written and everything kept as typed. Abort
    // saves too, so it is refused alike, except for the port number it replaces.
    void saveAfterTyping_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QString>("message"); // empty when saved; <folder> for the folder
        const auto row = [](const char* name, const char* box, const char* typed, bool readOnly,
                            const QString& message) {
            QTest::newRow(name) << QString(box) << QString(typed) << readOnly << message;
        };
        const QString badPort = u"There is a bad number for Port Number. Must be between 1 and 8 "
                                "( 1 or 2 most common )"_s;
        row("port with a leading blank", "PortNumber", " 3", false, {});
        row("port with a fraction", "PortNumber", "2.5", false, {});
        row("port above 8", "PortNumber", "12", false, {});
        row("port empty", "PortNumber", "", false, badPort);
        row("port COM1", "PortNumber", "COM1", false, badPort);
        row("closing tag in the units", "WSUnits", "</BR>", false,
            u"The \"Wind Speed Units\" box holds a \"<\" or a line break, which prog.cfg cannot "
            "store: it would spoil the settings after it. Remove it and press \"Save Setings\" "
            "again. Nothing was saved."_s);
        row("folder in the file's place", "WSUnits", "knots", true,
            u"<folder>/prog.cfg could not be saved ("_s);
    }
    void saveAfterTyping() {
        QFETCH(QString, name);
        QFETCH(QString, typed);
        QFETCH(bool, readOnly);
        QFETCH(QString, message);
        Opened s;
        ProgramSetup& window = s.window;
        window.show();
        QLineEdit* edited = window.findChild<QLineEdit*>(name);
        edited->clear();
        QTest::keyClicks(edited, typed);
        QCOMPARE(window.userChangedSomething(), !typed.isEmpty());
        box(window, "LogDelay")->setText(u"300"_s);
        const QString path = s.t.folder() + u"/prog.cfg"_s;
        if (readOnly)
            QVERIFY(QFile::remove(path) && QDir().mkdir(path));
        click(window, "Command1");
        if (message.isEmpty()) {
            QVERIFY(s.t.prompts.messages.isEmpty());
            QVERIFY(!window.isVisible());
            QByteArray expected = progBytes(typed.toLatin1(), "24", "20", "4800");
            QCOMPARE(s.t.readFile(u"prog.cfg"_s),
                     expected.replace("<LogDelay>120</LogDelay>", "<LogDelay>300</LogDelay>"));
            return;
        }
        if (name != u"PortNumber")
            click(window, "Command2");
        QCOMPARE(s.t.prompts.messages.size(), name == u"PortNumber" ? 1 : 2);
        for (const QString& shown : s.t.prompts.messages) {
            if (readOnly)
                QVERIFY2(shown.startsWith(message.replace(u"<folder>"_s, s.t.folder())) &&
                             shown.contains(u"The previous file is unchanged"_s),
                         qPrintable(shown));
            else
                QCOMPARE(shown, message);
        }
        QVERIFY(window.isVisible());
        QCOMPARE(edited->text(), typed);
        QCOMPARE(box(window, "LogDelay")->text(), u"300"_s);
        QCOMPARE(s.t.readFile(u"prog.cfg"_s), readOnly ? QByteArray() : UsualProg);
        QCOMPARE(QDir(s.t.folder()).entryList(QDir::Files),
                 readOnly ? QStringList() : QStringList{u"prog.cfg"_s});
    }

    // A line break cannot be typed into a box, but may come from the file.
    void lineBreakInIntervalIsRefused() {
        SetupForm form;
        form.PortNumber = u"1"_s;
        form.LogDelay = u"60\n"_s;
        QCOMPARE(setupSaveRefusal(form),
                 u"The \"Default Logging Interval\" box holds a \"<\" or a line break, which "
                 "prog.cfg cannot store: it would spoil the settings after it. Remove it and "
                 "press \"Save Setings\" again. Nothing was saved."_s);
    }

    // After edits (port 5, units "knots", the wind speed box ticked, 57600 baud, interval 45):
    // Abort saves them with port "0", Enter saves them as they are, the other ways out write
    // nothing.
    void waysOfLeaving_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QByteArray>("saved");
        QByteArray edited = progBytes("5", "24", "20", "57600");
        edited.replace("<DisplayWS>0</DisplayWS>", "<DisplayWS>1</DisplayWS>")
            .replace("<WSUnits>MPH</WSUnits>", "<WSUnits>knots</WSUnits>")
            .replace("<LogDelay>120</LogDelay>", "<LogDelay>45</LogDelay>");
        QTest::newRow("Abort") << u"abort"_s << QByteArray(edited).replace("<Port>5<", "<Port>0<");
        QTest::newRow("Enter") << u"enter"_s << edited;
        QTest::newRow("title-bar close") << u"close"_s << UsualProg;
        QTest::newRow("Escape") << u"escape"_s << UsualProg;
        QTest::newRow("reject()") << u"reject"_s << UsualProg;
        QTest::newRow("modal run ended by the owner") << u"modal"_s << UsualProg;
    }
    void waysOfLeaving() {
        QFETCH(QString, how);
        QFETCH(QByteArray, saved);
        Opened s;
        ProgramSetup& window = s.window;
        if (how != u"modal")
            window.show();
        box(window, "PortNumber")->setText(u"5"_s);
        box(window, "WSUnits")->setText(u"knots"_s);
        control<QCheckBox>(window, "DisplayWS")->click();
        control<QRadioButton>(window, "Option10")->click();
        QLineEdit* delay = box(window, "LogDelay");
        delay->setText(u"45"_s);
        if (how == u"abort")
            click(window, "Command2");
        else if (how == u"enter")
            QTest::keyClick(delay, Qt::Key_Return);
        else if (how == u"close")
            QVERIFY(window.close());
        else if (how == u"escape")
            QTest::keyClick(delay, Qt::Key_Escape);
        else if (how == u"reject")
            window.reject();
        else
            s.t.prompts.runModal(window);
        QVERIFY(!window.isVisible());
        QCOMPARE(window.result(), int(saved == UsualProg ? QDialog::Rejected : QDialog::Accepted));
        QCOMPARE(s.t.readFile(u"prog.cfg"_s), saved);
        QCOMPARE(box(window, "PortNumber")->text(), how == u"abort" ? u"0"_s : u"5"_s);
        QVERIFY(s.t.prompts.messages.isEmpty());
    }

    void missingFileOpensWithStartingValues() {
        Opened s(QByteArray{});
        QCOMPARE(s.t.prompts.messages.size(), 1);
        QVERIFY(s.t.prompts.messages[0].startsWith(u"There is a problem with prog.cfg:"_s));
        QVERIFY(s.t.prompts.messages[0].contains(u"missing"_s));
        s.window.show();
        box(s.window, "PortNumber")->setText(u"1"_s);
        click(s.window, "Command1");
        QCOMPARE(s.t.prompts.messages.size(), 1);
        QCOMPARE(
            s.t.readFile(u"prog.cfg"_s),
            QByteArray("Program Config File\r\n\r\n<Port>1</Port>\r\n<Savehtml>0</Savehtml>\r\n"
                       "<SaveExcel>0</SaveExcel>\r\n<LogDelay>60</LogDelay>\r\n"
                       "<LogOn>0</LogOn>\r\n<DisplayRPM>0</DisplayRPM>\r\n"
                       "<DisplayWS>0</DisplayWS>\r\n<WSUnits></WSUnits>\r\n"
                       "<SV>24</SV>\r\n<MA>20</MA>\r\n<BR>4800</BR>\r\n\r\n"));
    }

    // One damaged key: the message names it, that key starts from its starting value and the
    // others keep theirs.
    void damagedKeyIsNamedAndStartsOver_data() {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<QString>("problem");
        QTest::addColumn<QByteArray>("saved"); // what Save then writes for that key
        const auto row = [](const char* name, const char* from, const char* to, const char* problem,
                            const char* saved) {
            QTest::newRow(name) << QByteArray(from) << QByteArray(to) << QString(problem)
                                << QByteArray(saved);
        };
        row("port missing", "<Port>2</Port>", "", "<Port>", "<Port></Port>");
        row("interval missing", "<LogDelay>120</LogDelay>", "", "<LogDelay>",
            "<LogDelay>60</LogDelay>");
        row("units closing tag on the next line", "<WSUnits>MPH</WSUnits>",
            "<WSUnits>MPH\r\n</WSUnits>", "<WSUnits> holds a \"<\" or a line break",
            "<WSUnits>MPH\r\n</WSUnits>");
        row("check value 3", "<LogOn>1</LogOn>", "<LogOn>3</LogOn>", "\"3\" of <LogOn>",
            "<LogOn>0</LogOn>");
        row("SV letters", "<SV>12</SV>", "<SV>xx</SV>", "\"xx\" of <SV>", "<SV>24</SV>");
        row("BR not whole, made whole half to even", "<BR>9600</BR>", "<BR>9599.5</BR>",
            "\"9599.5\" of <BR>", "<BR>9600</BR>");
    }
    void damagedKeyIsNamedAndStartsOver() {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(QString, problem);
        QFETCH(QByteArray, saved);
        const QByteArray intact = progBytes("2", "12", "50", "9600");
        QVERIFY(intact.contains(from));
        const SetupLoading loading = loadSetupForm(ConfigReading::fromText(
            QString::fromLatin1(QByteArray(intact).replace(from, to)), u"prog.cfg"_s));
        const QString& message = loading.problemMessage;
        QVERIFY2(message.startsWith(u"There is a problem with prog.cfg:"_s) &&
                     message.contains(problem) && message.contains(u"Save Setings"_s),
                 qPrintable(message));
        // Only the damaged key lost its value.
        QCOMPARE(progCfgBytes(progSettingsFor(loading.form)),
                 QByteArray(intact).replace(from, saved));
    }

    void greyedCheckBoxIsNeverGreyedAgainByAClick() {
        QByteArray stored = UsualProg;
        stored.replace("<Savehtml>1</Savehtml>", "<Savehtml>2</Savehtml>");
        Opened s(stored);
        s.window.show();
        auto* savehtml = control<QCheckBox>(s.window, "Savehtml");
        QCOMPARE(savehtml->checkState(), Qt::PartiallyChecked);
        for (Qt::CheckState next : {Qt::Checked, Qt::Unchecked, Qt::Checked}) {
            QTest::mouseClick(savehtml, Qt::LeftButton);
            QCOMPARE(savehtml->checkState(), next);
        }
        QVERIFY(s.window.userChangedSomething());
    }

    // Tab stops in reading order; in each frame only on the selected button.
    void tabOrderFollowsReadingOrder() {
        Opened s;
        QCOMPARE(s.window.objectName(), u"ProgramSetup"_s);
        QCOMPARE(s.window.windowTitle(), u"Tarnby Setup"_s);
        const auto tabStops = [&s] {
            QStringList chain;
            QWidget* widget = box(s.window, "PortNumber");
            do {
                if (widget->focusPolicy() & Qt::TabFocus)
                    chain << widget->objectName();
                widget = widget->nextInFocusChain();
            } while (widget != box(s.window, "PortNumber"));
            return chain;
        };
        QStringList expected{"PortNumber", "Savehtml",  "SaveExcel", "LogDelay", "LogOn",
                             "DisplayRPM", "DisplayWS", "WSUnits",   "Option2",  "Option5",
                             "Option8",    "Command2",  "Command1"};
        QCOMPARE(tabStops(), expected);
        QVERIFY(!s.window.userChangedSomething());
        control<QRadioButton>(s.window, "Option10")->click();
        expected[10] = u"Option10"_s;
        QCOMPARE(tabStops(), expected);
        QVERIFY(s.window.userChangedSomething());
    }

    void portNumberShowsItsDevice() {
        Opened s;
        QVERIFY(QDir(s.t.folder()).mkdir(u"ports"_s));
        QVERIFY(QFile::link(u"/dev/null"_s, s.t.path(u"ports/COM3"_s)));
        const QString com2 =
            u"COM2: /dev/ttyS1"_s + (QFile::exists(u"/dev/ttyS1"_s) ? u""_s : u" (not present)"_s);
        QCOMPARE(control<QLabel>(s.window, "PortDevice")->text(), com2);
        const QString com3 = u"COM3: "_s + s.t.path(u"ports/COM3"_s) + u" \u2192 /dev/null"_s;
        const QList<std::pair<QString, QString>> typedAndShown = {
            {u" 3 "_s, com3},
            {u"2.5"_s, com2}, // halves to even
            {u"0"_s, u"0: no port, the logger runs without the sensor board"_s},
            {u"-1"_s, u"not a port: port numbers start at 1"_s},
            {u"COM1"_s, u"not a port number"_s}};
        auto* problem = control<QLabel>(s.window, "PortProblem");
        QVERIFY(problem->isHidden());
        box(s.window, "PortNumber")->setText(u"3"_s);
        const QString reason = u"permission denied: join the group dialout with sudo usermod "
                               "-aG dialout $USER, then log out and in"_s;
        s.window.setPortProblem(reason);
        s.window.show();
        const QSize size = s.window.size();
        for (const auto& [typed, shown] : typedAndShown) {
            box(s.window, "PortNumber")->setText(typed);
            QCOMPARE(control<QLabel>(s.window, "PortDevice")->text(), shown);
            QCOMPARE(control<QLabel>(s.window, "PortDevice")->toolTip(), shown);
            QVERIFY(!problem->isVisible());
            QCoreApplication::processEvents(); // the layout settles
            QCOMPARE(s.window.size(), size);
        }
        box(s.window, "PortNumber")->setText(u"3"_s); // the number that failed
        QVERIFY(problem->isVisible());
        QCOMPARE(problem->text(), reason);
        QCoreApplication::processEvents();
        QCOMPARE(s.window.size(), size);
        QVERIFY(control<QLabel>(s.window, "SystemPorts")
                    ->text()
                    .startsWith(u"Serial ports on this computer: "_s));
    }
};

QTEST_MAIN(ProgramSetupWindow)
#include "tst_program_setup.moc"
