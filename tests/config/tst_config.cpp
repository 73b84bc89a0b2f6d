// The tagged value rule and the configuration files: their exact bytes, how problems read.

#include "config/CalibrationSettings.h"
#include "config/ConfigFile.h"
#include "config/ProgSettings.h"
#include "config/TaggedValue.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace tarnby;
using namespace Qt::StringLiterals;
using tarnby::test::readAll;

class ConfigFiles : public QObject {
    Q_OBJECT
private slots:
    void taggedValueRule_data();
    void taggedValueRule();
    void progCfgRoundTripByteForByte_data();
    void progCfgRoundTripByteForByte();
    void settingsCfgReplacesTheWholeFile();
    void failedSaveKeepsTheOldFile();
    void problemsNameFileAndKey_data();
    void problemsNameFileAndKey();
    void numbersBesideTheTexts_data();
    void numbersBesideTheTexts();
    void unsafeTexts();
};

void ConfigFiles::taggedValueRule_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("value");
    const auto row = [](const char* name, const char* text, const char* key,
                        TaggedValue::Status status, const char* value) {
        QTest::newRow(name) << QByteArray(text) << QByteArray(key) << int(status)
                            << QByteArray(value);
    };
    using enum TaggedValue::Status;
    row("leading space and line break kept", "<BR> 4800\r\n</BR>", "BR", Found, " 4800\r\n");
    row("empty value", "<LogOn></LogOn>", "LogOn", Found, "");
    row("first occurrence wins", "x\r\n<SV>12</SV><SV>48</SV>", "SV", Found, "12");
    row("prefix key not confused", "<VoltDivider>5</VoltDivider><V>7</V>", "V", Found, "7");
    row("lower case is not a tag", "<port>1</port>", "Port", MissingOpening, "");
    row("missing closing", "<Port>1", "Port", MissingClosing, "");
    row("closing first", "</Port>1<Port>", "Port", ClosingBeforeOpening, "");
    row("empty text", "", "BR", MissingOpening, "");
}

// The rule on text (configuration files) and on bytes (frames) gives the same answer.
void ConfigFiles::taggedValueRule() {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, key);
    QFETCH(int, status);
    QFETCH(QByteArray, value);
    const TaggedValue onText = findTaggedValue(QString::fromLatin1(text), QLatin1StringView(key));
    QCOMPARE(std::pair(int(onText.status), onText.value.toLatin1()), std::pair(status, value));
    const TaggedBytes onBytes = findTaggedValue(QByteArrayView(text), QByteArrayView(key));
    QCOMPARE(std::pair(int(onBytes.status), onBytes.value.toByteArray()), std::pair(status, value));
}

// prog.cfg as the setup window writes it: read, every key gives back its text (a byte is the
// character of the same code), and written again, byte for byte.
void ConfigFiles::progCfgRoundTripByteForByte_data() {
    QTest::addColumn<QByteArray>("units");
    QTest::newRow("leading space kept") << QByteArray(" MPH");
    QByteArray high;
    for (int byte = 0x80; byte <= 0xFF; ++byte)
        high += char(byte);
    QTest::newRow("every byte 0x80 to 0xFF") << high;
}

void ConfigFiles::progCfgRoundTripByteForByte() {
    QFETCH(QByteArray, units);
    const QByteArray bytes =
        "Program Config File\r\n\r\n<Port>2</Port>\r\n<Savehtml>0</Savehtml>\r\n"
        "<SaveExcel>1</SaveExcel>\r\n<LogDelay>60</LogDelay>\r\n<LogOn>1</LogOn>\r\n"
        "<DisplayRPM>1</DisplayRPM>\r\n<DisplayWS>0</DisplayWS>\r\n<WSUnits>" +
        units + "</WSUnits>\r\n<SV>24</SV>\r\n<MA>20</MA>\r\n<BR>4800</BR>\r\n\r\n";
    QTemporaryDir dir;
    const QString path = dir.filePath(u"prog.cfg"_s);
    QVERIFY(replaceFileWhole(path, bytes).ok);
    const ProgConfig read = readProgCfg(path);
    for (const ConfigText* value : read.values())
        QCOMPARE(value->problem, ValueProblem::None);
    QCOMPARE(read.WSUnits.text, QString::fromLatin1(units));
    QVERIFY(writeProgCfg(path, read.texts()).ok);
    QCOMPARE(readAll(path), bytes);
}

void ConfigFiles::settingsCfgReplacesTheWholeFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"settings.cfg"_s);
    QVERIFY(replaceFileWhole(path, QByteArray(500, ' ')).ok);
    QVERIFY(writeSettingsCfg(path, {u"10.2"_s, u"512"_s, u"12.50"_s, u"14"_s, u"1"_s}).ok);
    QCOMPARE(readAll(path),
             QByteArray("Calibration Settings\r\n\r\n\r\n<VoltDivider>10.2</VoltDivider>\r\n"
                        "<VoltOffset>512</VoltOffset>\r\n<AmpDivider>12.50</AmpDivider>\r\n"
                        "<RPMDivider>14</RPMDivider>\r\n<WSDivider>1</WSDivider>\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{u"settings.cfg"_s});
}

// A folder standing where the new file is first written: the save fails, the old file stays.
void ConfigFiles::failedSaveKeepsTheOldFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"prog.cfg"_s);
    ProgSettings settings;
    settings.Port = u"2"_s;
    QVERIFY(writeProgCfg(path, settings).ok);
    const QByteArray before = readAll(path);
    QVERIFY(QDir().mkpath(path + u".%1.new/x"_s.arg(QCoreApplication::applicationPid())));
    settings.Port = u"7"_s;
    const FileOutcome outcome = writeProgCfg(path, settings);
    QVERIFY(!outcome.ok && !outcome.error.isEmpty());
    QCOMPARE(readAll(path), before);
}

void ConfigFiles::problemsNameFileAndKey_data() {
    QTest::addColumn<QString>("text"); // null: no file
    const auto row = [](const char* text, const char* expected) {
        QTest::newRow(expected) << QString(text);
    };
    row(nullptr, "the file is missing");
    row("", "the file is empty");
    row("<LogDelay>60</LogDelay>", "the key <BR> is missing");
    row("</BR>4800<BR>", "the closing tag </BR> comes before <BR>");
    row("<BR>4800", "the key <BR> has no closing tag </BR>");
    row("<BR>48.5</BR>", "the value \"48.5\" of <BR> is not a whole number");
    row("<BR>1</BR><LogOn>yes</LogOn>", "the value \"yes\" of <LogOn> is not a number");
}

void ConfigFiles::problemsNameFileAndKey() {
    QFETCH(QString, text);
    QTemporaryDir dir;
    const ProgConfig prog =
        text.isNull() ? readProgCfg(dir.filePath(u"prog.cfg"_s)) : progConfigFromText(text);
    const QString message =
        prog.problemMessage(prog.problems({&prog.BR, &prog.LogOn}), u"Open Program Setup."_s);
    if (text.trimmed().isEmpty()) // one problem for an unusable file, not one per key
        QCOMPARE(message.count(u"\n- "_s), 1);
    QVERIFY2(message.startsWith(u"There is a problem with prog.cfg:"_s) &&
                 message.contains(QLatin1StringView(QTest::currentDataTag())) &&
                 message.endsWith(u"Open Program Setup."_s),
             qPrintable(message));
}

// Each value's text as found, its number beside it, and which keys are wrong.
void ConfigFiles::numbersBesideTheTexts_data() {
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("logOn");
    QTest::addColumn<QString>("br");
    QTest::addColumn<int>("portNumber"); // -1: none
    QTest::addColumn<bool>("logging");
    QTest::addColumn<int>("baudRate"); // -1: none
    QTest::addColumn<QStringList>("problems");
    QTest::addColumn<QString>("lineProblem"); // why no line can be set up, naming the text typed
    const auto row = [](const char* name, const char* port, const char* logOn, const char* br,
                        int portNumber, bool logging, int baudRate, QStringList problems,
                        const char* lineProblem) {
        QTest::newRow(name) << QString(port) << QString(logOn) << QString(br) << portNumber
                            << logging << baudRate << problems << QString(lineProblem);
    };
    const QString notWhole = u"the value \"4800.5\" of <BR> is not a whole number"_s;
    row("halves to even, 1.0 is 1", " 2.5", "1.0", " 57600 ", 2, true, 57600, {}, "");
    row("no numbers", "COM1", "yes", "4800.5", -1, false, -1,
        {u"the value \"yes\" of <LogOn> is not a number"_s, notWhole},
        "\"COM1\" is not a port number");
    row("BR not whole", "1", "0", "4800.5", 1, false, -1, {notWhole},
        "the baud rate \"4800.5\" in prog.cfg is not a whole number");
}

void ConfigFiles::numbersBesideTheTexts() {
    QFETCH(QString, port);
    QFETCH(QString, logOn);
    QFETCH(QString, br);
    const ProgConfig prog = progConfigFromText(QString::fromLatin1(
        progCfgBytes({port, "0", "0", "60", logOn, "0", "0", "", "24", "20", br})));
    QCOMPARE(prog.Port.text, port);
    QTEST(prog.Port.number.value_or(-1), "portNumber");
    QTEST(flagSet(prog.LogOn), "logging");
    QTEST(prog.BR.number.value_or(-1), "baudRate");
    QTEST(prog.problems({&prog.Port, &prog.LogOn, &prog.BR}), "problems");
    const LineChoice choice = lineSettingsOf(prog);
    QTEST(choice.problem, "lineProblem");
    if (choice.line)
        QCOMPARE(*choice.line, (LineSettings{2, 57600}));
}

void ConfigFiles::unsafeTexts() {
    QVERIFY(isSafeConfigText(u"km/h"_s) && isSafeConfigText(QString()));
    for (const QString& text : {u"</BR>"_s, u"a<b"_s, u"a\nb"_s, u"a\rb"_s})
        QVERIFY2(!isSafeConfigText(text), qPrintable(text));
}

QTEST_GUILESS_MAIN(ConfigFiles)
#include "tst_config.moc"
