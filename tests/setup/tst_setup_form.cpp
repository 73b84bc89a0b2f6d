// The setup window's logic without the window: option buttons, the load step's starting values
// and problems, the checks before saving, the port hint.

#include "setup/SetupForm.h"

#include <QTest>

using namespace tarnby;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(tarnby::OptionFrame)

namespace {
const QByteArray CompleteProg = "Program Config File\r\n\r\n"
                                "<Port>2</Port>\r\n<Savehtml>1</Savehtml>\r\n"
                                "<SaveExcel>2</SaveExcel>\r\n<LogDelay>30</LogDelay>\r\n"
                                "<LogOn>1</LogOn>\r\n<DisplayRPM>0</DisplayRPM>\r\n"
                                "<DisplayWS>1</DisplayWS>\r\n<WSUnits> km/h</WSUnits>\r\n"
                                "<SV>12</SV>\r\n<MA>50</MA>\r\n<BR>9600</BR>\r\n\r\n";

SetupLoading loadText(const QByteArray& text) {
    return loadSetupForm(ConfigReading::fromText(QString::fromLatin1(text), u"prog.cfg"_s));
}
} // namespace

class SetupFormLogic : public QObject {
    Q_OBJECT
private slots:
    void storedValueSelectsButton_data();
    void storedValueSelectsButton();
    void everyFrameHasItsButtonsAndDefault();
    void completeFileLoadsWithoutMessage();
    void incompleteFileGetsStartingValuesAndNamesProblems_data();
    void incompleteFileGetsStartingValuesAndNamesProblems();
    void missingFileStartsFromDefaults();
    void saveRefusal_data();
    void saveRefusal();
    void savedSettingsAreTheShownValues();
    void portHint_data();
    void portHint();
};

void SetupFormLogic::storedValueSelectsButton_data() {
    QTest::addColumn<OptionFrame>("frame");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("selected");
    QTest::newRow("SV 12") << OptionFrame::SystemVoltage << "12" << 12;
    QTest::newRow("SV 48") << OptionFrame::SystemVoltage << "48" << 48;
    QTest::newRow("SV 36 is no button") << OptionFrame::SystemVoltage << "36" << 24;
    QTest::newRow("SV compared as a number") << OptionFrame::SystemVoltage << " 12.0" << 12;
    QTest::newRow("SV letters") << OptionFrame::SystemVoltage << "twelve" << 24;
    QTest::newRow("SV empty") << OptionFrame::SystemVoltage << "" << 24;
    QTest::newRow("MA 10") << OptionFrame::MaxSystemAmps << "10" << 10;
    QTest::newRow("MA 50") << OptionFrame::MaxSystemAmps << "50" << 50;
    QTest::newRow("MA 15 is no button") << OptionFrame::MaxSystemAmps << "15" << 20;
    QTest::newRow("MA 49.9 is not 50") << OptionFrame::MaxSystemAmps << "49.9" << 20;
    QTest::newRow("BR 2400") << OptionFrame::BaudRate << "2400" << 2400;
    QTest::newRow("BR 57600") << OptionFrame::BaudRate << "57600" << 57600;
    QTest::newRow("BR 56600 is no button") << OptionFrame::BaudRate << "56600" << 4800;
    QTest::newRow("BR converted to whole") << OptionFrame::BaudRate << "9600.4" << 9600;
    QTest::newRow("BR letters") << OptionFrame::BaudRate << "fast" << 4800;
}

void SetupFormLogic::storedValueSelectsButton() {
    QFETCH(OptionFrame, frame);
    QFETCH(QString, stored);
    QFETCH(int, selected);
    QCOMPARE(selectedOptionValue(frame, stored), selected);
}

void SetupFormLogic::everyFrameHasItsButtonsAndDefault() {
    QStringList seen;
    for (OptionFrame frame :
         {OptionFrame::SystemVoltage, OptionFrame::MaxSystemAmps, OptionFrame::BaudRate}) {
        bool defaultFound = false;
        for (const OptionButton& button : optionButtons(frame)) {
            seen << u"%1 %2 %3"_s
                        .arg(QLatin1StringView(button.name), QLatin1StringView(button.caption))
                        .arg(button.value);
            defaultFound = defaultFound || button.value == designDefault(frame);
        }
        QVERIFY(defaultFound);
    }
    // The 57600 button is captioned with the rate it stands for.
    QCOMPARE(seen, QStringList({"Option1 12 12", "Option2 24 24", "Option3 48 48", "Option4 10 10",
                                "Option5 20 20", "Option6 50 50", "Option7 2400 2400",
                                "Option8 4800 4800", "Option9 9600 9600", "Option10 57600 57600"}));
}

void SetupFormLogic::completeFileLoadsWithoutMessage() {
    const SetupLoading loading = loadText(CompleteProg);
    QVERIFY(loading.problemMessage.isEmpty());
    SetupForm expected;
    expected.PortNumber = u"2"_s;
    expected.Savehtml = 1;
    expected.SaveExcel = 2;
    expected.LogDelay = u"30"_s;
    expected.LogOn = 1;
    expected.DisplayRPM = 0;
    expected.DisplayWS = 1;
    expected.WSUnits = u" km/h"_s;
    expected.SetupSV = 12;
    expected.SetupMA = 50;
    expected.SetupBR = 9600;
    QCOMPARE(loading.form, expected);
    QCOMPARE(progCfgBytes(progSettingsFor(loading.form)), CompleteProg);
}

void SetupFormLogic::incompleteFileGetsStartingValuesAndNamesProblems_data() {
    QTest::addColumn<QByteArray>("from");
    QTest::addColumn<QByteArray>("to");
    QTest::addColumn<QString>("problem");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("shown");
    QTest::newRow("port missing") << QByteArray("<Port>2</Port>") << QByteArray() << "<Port>"
                                  << "PortNumber"
                                  << "";
    QTest::newRow("interval missing")
        << QByteArray("<LogDelay>30</LogDelay>") << QByteArray() << "<LogDelay>"
        << "LogDelay"
        << "60";
    QTest::newRow("units closing first")
        << QByteArray("<WSUnits> km/h</WSUnits>") << QByteArray("</WSUnits><WSUnits>")
        << "</WSUnits> comes before"
        << "WSUnits"
        << "";
    QTest::newRow("units closing tag on the next line")
        << QByteArray("<WSUnits> km/h</WSUnits>") << QByteArray("<WSUnits>MPH\r\n</WSUnits>")
        << "<WSUnits> holds a \"<\" or a line break"
        << "WSUnits"
        << "MPH\r\n";
    QTest::newRow("check value 3")
        << QByteArray("<LogOn>1</LogOn>") << QByteArray("<LogOn>3</LogOn>") << "\"3\" of <LogOn>"
        << "LogOn"
        << "0";
    QTest::newRow("check value letters")
        << QByteArray("<Savehtml>1</Savehtml>") << QByteArray("<Savehtml>yes</Savehtml>")
        << "\"yes\" of <Savehtml>"
        << "Savehtml"
        << "0";
    QTest::newRow("SV letters") << QByteArray("<SV>12</SV>") << QByteArray("<SV>xx</SV>")
                                << "\"xx\" of <SV>"
                                << "SV"
                                << "24";
    QTest::newRow("MA missing") << QByteArray("<MA>50</MA>") << QByteArray() << "<MA>"
                                << "MA"
                                << "20";
    QTest::newRow("BR not whole") << QByteArray("<BR>9600</BR>") << QByteArray("<BR>4800.5</BR>")
                                  << "\"4800.5\" of <BR>"
                                  << "BR"
                                  << "4800";
}

void SetupFormLogic::incompleteFileGetsStartingValuesAndNamesProblems() {
    QFETCH(QByteArray, from);
    QFETCH(QByteArray, to);
    QFETCH(QString, problem);
    QFETCH(QString, field);
    QFETCH(QString, shown);
    QByteArray text = CompleteProg;
    QVERIFY(text.contains(from));
    text.replace(from, to);
    const SetupLoading loading = loadText(text);
    QVERIFY2(loading.problemMessage.startsWith(u"There is a problem with prog.cfg:"_s),
             qPrintable(loading.problemMessage));
    QVERIFY2(loading.problemMessage.contains(problem), qPrintable(loading.problemMessage));
    QVERIFY(loading.problemMessage.contains(u"Save Setings"_s));
    const SetupForm& form = loading.form;
    const QHash<QString, QString> values = {
        {u"PortNumber"_s, form.PortNumber},
        {u"LogDelay"_s, form.LogDelay},
        {u"WSUnits"_s, form.WSUnits},
        {u"LogOn"_s, QString::number(form.LogOn)},
        {u"Savehtml"_s, QString::number(form.Savehtml)},
        {u"SV"_s, QString::number(form.SetupSV)},
        {u"MA"_s, QString::number(form.SetupMA)},
        {u"BR"_s, QString::number(form.SetupBR)},
    };
    QCOMPARE(values.value(field), shown);
    // Only the damaged key lost its value.
    QCOMPARE(form.DisplayWS, 1);
}

void SetupFormLogic::missingFileStartsFromDefaults() {
    const SetupLoading loading =
        loadSetupForm(ConfigReading::read(u"/nonexistent/prog.cfg"_s, u"prog.cfg"_s));
    QVERIFY(loading.problemMessage.contains(u"prog.cfg"_s));
    QVERIFY(loading.problemMessage.contains(u"missing"_s));
    SetupForm expected;
    expected.LogDelay = u"60"_s;
    QCOMPARE(loading.form, expected);
    QCOMPARE(expected.SetupSV, 24);
    QCOMPARE(expected.SetupMA, 20);
    QCOMPARE(expected.SetupBR, 4800);
}

void SetupFormLogic::saveRefusal_data() {
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("logDelay");
    QTest::addColumn<QString>("units");
    QTest::addColumn<QString>("refusal"); // a part of the message, empty when saved
    const QString badPort = BadPortNumberMessage.toString();
    QTest::newRow("leading blank") << " 3"
                                   << "60"
                                   << "MPH"
                                   << "";
    QTest::newRow("fraction") << "2.5"
                              << "60"
                              << "MPH"
                              << "";
    QTest::newRow("no port") << "0"
                             << "60"
                             << "MPH"
                             << "";
    QTest::newRow("twelve") << "12"
                            << "60"
                            << "MPH"
                            << "";
    QTest::newRow("empty port") << ""
                                << "60"
                                << "MPH" << badPort;
    QTest::newRow("COM1") << "COM1"
                          << "60"
                          << "MPH" << badPort;
    QTest::newRow("interval not checked") << "1"
                                          << "five"
                                          << ""
                                          << "";
    QTest::newRow("closing tag in units") << "1"
                                          << "60"
                                          << "</BR>"
                                          << "The \"Wind Speed Units\" box holds a \"<\"";
    QTest::newRow("line break in interval") << "1"
                                            << "60\n"
                                            << "MPH"
                                            << "The \"Default Logging Interval\" box holds";
    QTest::newRow("port checked first") << "x"
                                        << "60"
                                        << "<" << badPort;
}

void SetupFormLogic::saveRefusal() {
    QFETCH(QString, port);
    QFETCH(QString, logDelay);
    QFETCH(QString, units);
    QFETCH(QString, refusal);
    SetupForm form;
    form.PortNumber = port;
    form.LogDelay = logDelay;
    form.WSUnits = units;
    const QString message = setupSaveRefusal(form);
    if (refusal.isEmpty())
        QCOMPARE(message, QString());
    else if (refusal == BadPortNumberMessage)
        QCOMPARE(message, refusal);
    else
        QVERIFY2(message.startsWith(refusal) && message.contains(u"prog.cfg"_s),
                 qPrintable(message));
}

void SetupFormLogic::savedSettingsAreTheShownValues() {
    SetupForm form;
    form.PortNumber = u" 3"_s;
    form.Savehtml = 2;
    form.LogDelay = u"abc"_s;
    form.LogOn = 1;
    form.WSUnits = u" m/s"_s;
    form.SetupSV = 48;
    form.SetupMA = 10;
    form.SetupBR = 57600;
    QCOMPARE(progCfgBytes(progSettingsFor(form)),
             QByteArray("Program Config File\r\n\r\n"
                        "<Port> 3</Port>\r\n<Savehtml>2</Savehtml>\r\n"
                        "<SaveExcel>0</SaveExcel>\r\n<LogDelay>abc</LogDelay>\r\n"
                        "<LogOn>1</LogOn>\r\n<DisplayRPM>0</DisplayRPM>\r\n"
                        "<DisplayWS>0</DisplayWS>\r\n<WSUnits> m/s</WSUnits>\r\n"
                        "<SV>48</SV>\r\n<MA>10</MA>\r\n<BR>57600</BR>\r\n\r\n"));
}

void SetupFormLogic::portHint_data() {
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("hint");
    QTest::newRow("one") << "1"
                         << "COM1: device 1";
    QTest::newRow("blank around") << " 3 "
                                  << "COM3: device 3";
    QTest::newRow("half to even") << "2.5"
                                  << "COM2: device 2";
    QTest::newRow("zero") << "0"
                          << "0: no port, the logger runs without the sensor board";
    QTest::newRow("negative") << "-1"
                              << "not a port: port numbers start at 1";
    QTest::newRow("letters") << "COM1"
                             << "not a port number";
    QTest::newRow("empty") << ""
                           << "not a port number";
}

void SetupFormLogic::portHint() {
    QFETCH(QString, port);
    QFETCH(QString, hint);
    QCOMPARE(portDeviceHint(port, [](int n) { return u"device %1"_s.arg(n); }), hint);
}

QTEST_GUILESS_MAIN(SetupFormLogic)
#include "tst_setup_form.moc"
