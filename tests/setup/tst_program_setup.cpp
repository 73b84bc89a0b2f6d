// The program setup window driven as a user would: its load step (damaged keys too), Save and
// its refusals, Abort, the ways of leaving without saving, the keyboard, the port line.

#include "setup/widgets/ProgramSetup.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

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

// A setup window loaded from `prog`, not yet shown.
struct Opened {
    explicit Opened(const QByteArray& prog = UsualProg)
        : owned((t.writeFile(u"prog.cfg"_s, prog),
                 std::make_unique<ProgramSetup>(t.environment(), nullptr))) {}
    QLineEdit* box(const char* name) const { return child<QLineEdit>(window, name); }
    TestEnvironment t;
    std::unique_ptr<ProgramSetup> owned;
    ProgramSetup& window = *owned;
};

} // namespace

class ProgramSetupWindow : public QObject {
    Q_OBJECT
private slots:
    // Loaded, then saved at once; a damaged key is named and starts over, the others kept.
    void loadThenSave_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("selected"); // the checked SV, MA and BR buttons
        QTest::addColumn<QString>("problem");  // in the load message; empty: none
        QTest::addColumn<QByteArray>("saved");
        const QByteArray odd = "Program Config File\r\n\r\n"
                               "<Port> 3</Port>\r\n<Savehtml>2</Savehtml>\r\n"
                               "<SaveExcel>1</SaveExcel>\r\n<LogDelay>abc</LogDelay>\r\n"
                               "<LogOn>0</LogOn>\r\n<DisplayRPM>1</DisplayRPM>\r\n"
                               "<DisplayWS>1</DisplayWS>\r\n<WSUnits>\xB0 km/h</WSUnits>\r\n"
                               "<SV>48</SV>\r\n<MA>10</MA>\r\n<BR>9600</BR>\r\n\r\n";
        const auto with = [](const char* from, const char* to) {
            return QByteArray(UsualProg).replace(from, to);
        };
        QTest::newRow("as stored, greyed box, 8-bit units")
            << odd << u"Option3 Option4 Option9"_s << QString() << odd;
        QTest::newRow("compared as numbers, unknown values the defaults")
            << progBytes("2", " 12.0", "25", "56600") << u"Option1 Option5 Option8"_s << QString()
            << progBytes("2", "12", "20", "4800");
        QTest::newRow("check value 3")
            << with("<LogOn>1<", "<LogOn>3<") << u"Option2 Option5 Option8"_s
            << u"\"3\" of <LogOn>"_s << with("<LogOn>1<", "<LogOn>0<");
        QTest::newRow("BR not whole")
            << with("<BR>4800<", "<BR>9599.5<") << u"Option2 Option5 Option9"_s
            << u"\"9599.5\" of <BR>"_s << with("<BR>4800<", "<BR>9600<");
    }
    void loadThenSave() {
        QFETCH(QByteArray, stored);
        QFETCH(QString, selected);
        QFETCH(QString, problem);
        QFETCH(QByteArray, saved);
        Opened s(stored);
        const QStringList& messages = s.t.prompts.messages;
        QCOMPARE(messages.size(), int(!problem.isEmpty()));
        QVERIFY(problem.isEmpty() ||
                (messages[0].startsWith(u"There is a problem with prog.cfg:"_s) &&
                 messages[0].contains(problem)));
        QStringList checked;
        for (auto* button : s.window.findChildren<QRadioButton*>())
            if (button->isChecked())
                checked << button->objectName();
        QCOMPARE(checked.join(u' '), selected);
        const QByteArray units = stored.mid(stored.indexOf("<WSUnits>") + 9).split('<')[0];
        QCOMPARE(s.box("WSUnits")->text(), QString::fromLatin1(units)); // 8-bit bytes as Latin-1
        QVERIFY(!s.window.userChangedSomething()); // what the load step filled in
        s.window.show();
        click(s.window, "Command1");
        QCOMPARE(s.window.result(), int(QDialog::Accepted));
        QCOMPARE(s.t.readFile(u"prog.cfg"_s), saved);
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
        const auto edited = [](const char* port, const char* units) {
            return progBytes(port, "24", "20", "4800")
                .replace("<LogDelay>120<", "<LogDelay>45<")
                .replace(">MPH<", ">" + QByteArray(units) + "<");
        };
        const QString unsafe =
            u"The \"Wind Speed Units\" box holds a \"<\" or a line break, which prog.cfg cannot "
            "store: it would spoil the settings after it. Remove it and press \"Save Setings\" "
            "again. Nothing was saved."_s;
        const auto row = [](const char* name, const char* box, const char* typed, const char* how,
                            const QString& message, const QByteArray& saved) {
            QTest::newRow(name) << QString(box) << QString(typed) << QString(how) << message
                                << saved;
        };
        row("Save: port as typed", "PortNumber", " 2.5", "save", {}, edited(" 2.5", "MPH"));
        row("Save: port empty", "PortNumber", "", "save",
            u"There is a bad number for Port Number. Must be between 1 and 8 ( 1 or 2 most "
            "common )"_s,
            UsualProg);
        row("Save: closing tag in the units", "WSUnits", "</BR>", "save", unsafe, UsualProg);
        row("Abort: refused alike", "WSUnits", "</BR>", "abort", unsafe, UsualProg);
        row("Save: a folder named prog.cfg", "WSUnits", "knots", "save",
            u"<folder>/prog.cfg could not be saved ("_s, {});
        row("Abort: port 0", "PortNumber", "5", "abort", {}, edited("0", "MPH"));
        row("Enter saves", "WSUnits", "knots", "enter", {}, edited("2", "knots"));
        for (const char* how : {"close", "escape", "reject", "modal"})
            row(how, "WSUnits", "knots", how, {}, UsualProg);
    }
    void typeThenLeave() {
        QFETCH(QString, name);
        QFETCH(QString, typed);
        QFETCH(QString, how);
        QFETCH(QString, message);
        QFETCH(QByteArray, saved);
        Opened s;
        ProgramSetup& window = s.window;
        if (how != u"modal")
            window.show();
        QLineEdit* edited = window.findChild<QLineEdit*>(name);
        edited->clear();
        QTest::keyClicks(edited, typed);
        QCOMPARE(window.userChangedSomething(), !typed.isEmpty());
        s.box("LogDelay")->setText(u"45"_s);
        if (saved.isNull()) // the file cannot be replaced
            QVERIFY(QFile::remove(s.t.path(u"prog.cfg"_s)) &&
                    QDir(s.t.folder()).mkdir(u"prog.cfg"_s));
        if (how == u"save" || how == u"abort")
            click(window, how == u"save" ? "Command1" : "Command2");
        else if (how == u"enter" || how == u"escape")
            QTest::keyClick(edited, how == u"enter" ? Qt::Key_Return : Qt::Key_Escape);
        else if (how == u"close")
            QVERIFY(window.close());
        else if (how == u"reject")
            window.reject();
        else
            s.t.prompts.runModal(window);
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

    // Tab stops in reading order, in each frame only on the checked button; then the device line
    // follows the box and the problem line shows for the number that failed, at one window size.
    void keyboardAndPortLines() {
        Opened s;
        const auto tabStops = [&s] {
            QStringList chain;
            QWidget* widget = &s.window;
            while ((widget = widget->nextInFocusChain()) != &s.window)
                if (widget->focusPolicy() & Qt::TabFocus)
                    chain << widget->objectName();
            return chain.join(u' ');
        };
        const QString order = u"PortNumber Savehtml SaveExcel LogDelay LogOn DisplayRPM DisplayWS "
                              "WSUnits Option2 Option5 %1 Command2 Command1"_s;
        QCOMPARE(tabStops(), order.arg(u"Option8"));
        child<QRadioButton>(s.window, "Option10")->click();
        QCOMPARE(tabStops(), order.arg(u"Option10"));
        QVERIFY(s.window.userChangedSomething());

        QVERIFY(QDir(s.t.folder()).mkdir(u"ports"_s));
        QVERIFY(QFile::link(u"/dev/null"_s, s.t.path(u"ports/COM3"_s)));
        auto* problem = child<QLabel>(s.window, "PortProblem");
        s.box("PortNumber")->setText(u"3"_s);
        s.window.setPortProblem(u"permission denied"_s);
        s.window.show();
        const QSize size = s.window.size();
        for (const QString& typed : {u" 0"_s, u"3"_s}) {
            s.box("PortNumber")->setText(typed);
            QCOMPARE(textOf(s.window, "PortDevice"),
                     typed == u"3"
                         ? u"COM3: "_s + s.t.path(u"ports/COM3"_s) + u" \u2192 /dev/null"_s
                         : u"0: no port, the logger runs without the sensor board"_s);
            QCOMPARE(problem->isVisible(), typed == u"3"); // the number that failed
            QCoreApplication::processEvents();             // the layout settles
            QCOMPARE(s.window.size(), size);
        }
        QCOMPARE(problem->text(), u"permission denied"_s);
    }
};

QTEST_MAIN(ProgramSetupWindow)
#include "tst_program_setup.moc"
