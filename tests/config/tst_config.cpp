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
    void roundTripByteForByte_data();
    void roundTripByteForByte();
    void readingProgCfg_data();
    void readingProgCfg();
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

// Each file as its window writes it: read without a problem, and written again over a longer
// file, byte for byte (every value verbatim, a byte the character of the same code); with a
// folder where the new file is first written, the save fails and the old file stays.
void ConfigFiles::roundTripByteForByte_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("blocked");
    const auto prog = [](const QByteArray& units) {
        return "Program Config File\r\n\r\n<Port>2</Port>\r\n<Savehtml>0</Savehtml>\r\n"
               "<SaveExcel>1</SaveExcel>\r\n<LogDelay>60</LogDelay>\r\n<LogOn>1</LogOn>\r\n"
               "<DisplayRPM>1</DisplayRPM>\r\n<DisplayWS>0</DisplayWS>\r\n<WSUnits>" +
               units + "</WSUnits>\r\n<SV>24</SV>\r\n<MA>20</MA>\r\n<BR>4800</BR>\r\n\r\n";
    };
    QByteArray high;
    for (int byte = 0x80; byte <= 0xFF; ++byte)
        high += char(byte);
    QTest::newRow("leading space kept") << "prog.cfg" << prog(" MPH") << false;
    QTest::newRow("every byte 0x80 to 0xFF") << "prog.cfg" << prog(high) << false;
    QTest::newRow("save fails") << "prog.cfg" << prog("MPH") << true;
    QTest::newRow("settings.cfg")
        << "settings.cfg"
        << QByteArray("Calibration Settings\r\n\r\n\r\n<VoltDivider>10.2</VoltDivider>\r\n"
                      "<VoltOffset>512</VoltOffset>\r\n<AmpDivider>12.50</AmpDivider>\r\n"
                      "<RPMDivider>14</RPMDivider>\r\n<WSDivider>1</WSDivider>\r\n")
        << false;
}

void ConfigFiles::roundTripByteForByte() {
    QFETCH(QString, file);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, blocked);
    QTemporaryDir dir;
    const QString path = dir.filePath(file);
    QVERIFY(replaceFileWhole(path, bytes).ok);
    const ProgConfig prog = readProgCfg(path);
    const CalibrationConfig settings = readSettingsCfg(path);
    const QByteArray old(500, ' ');
    QVERIFY(replaceFileWhole(path, old).ok);
    if (blocked)
        QVERIFY(QDir().mkpath(path + u".%1.new/x"_s.arg(QCoreApplication::applicationPid())));
    QCOMPARE(file == u"prog.cfg" ? prog.problems(prog.values())
                                 : settings.problems(settings.values()),
             QStringList());
    const FileOutcome written = file == u"prog.cfg" ? writeProgCfg(path, prog.texts())
                                                    : writeSettingsCfg(path, settings.texts());
    QCOMPARE(std::pair(written.ok, written.error.isEmpty()), std::pair(!blocked, !blocked));
    QCOMPARE(readAll(path), blocked ? old : bytes);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{file});
}

// prog.cfg as read: a message naming the file and each problem of the keys asked for (the
// file's own problem alone when it cannot be read), the numbers beside the texts, and the
// serial line, or why there is none in the words of the file.
void ConfigFiles::readingProgCfg_data() {
    QTest::addColumn<QString>("text");    // null: no file
    QTest::addColumn<QString>("problem"); // of BR and LogOn; empty: none
    QTest::addColumn<QString>("line");    // port, baud rate and LogOn set, or why no line
    const auto row = [](const char* text, const char* problem, const char* line) {
        QTest::newRow(*problem ? problem : line)
            << QString(text) << QString(problem) << QString(line);
    };
    row(nullptr, "the file is missing", "prog.cfg: the file is missing");
    row("", "the file is empty", "prog.cfg: the file is empty");
    row("<LogOn>1</LogOn>", "the key <BR> is missing", "the key <Port> is missing in prog.cfg");
    row("<Port>1</Port></BR>4800<BR><LogOn>1</LogOn>", "the closing tag </BR> comes before <BR>",
        "the closing tag </BR> comes before <BR> in prog.cfg");
    row("<Port>1</Port><LogOn>1</LogOn><BR>4800", "the key <BR> has no closing tag </BR>",
        "the key <BR> has no closing tag </BR> in prog.cfg");
    row("<Port>1</Port><BR>48.5</BR><LogOn>1</LogOn>",
        "the value \"48.5\" of <BR> is not a whole number",
        "the baud rate \"48.5\" in prog.cfg is not a whole number");
    row("<Port>COM1</Port><BR>1</BR><LogOn>yes</LogOn>",
        "the value \"yes\" of <LogOn> is not a number", "\"COM1\" is not a port number");
    row("<Port> 2.5</Port><BR> 57600 </BR><LogOn>1.0</LogOn>", "", "2 57600 on"); // halves to even
}

void ConfigFiles::readingProgCfg() {
    QFETCH(QString, text);
    QFETCH(QString, problem);
    QTemporaryDir dir;
    const ProgConfig prog =
        text.isNull() ? readProgCfg(dir.filePath(u"prog.cfg"_s)) : progConfigFromText(text);
    QCOMPARE(prog.problemMessage(prog.problems({&prog.BR, &prog.LogOn}), u"Open Setup."_s),
             problem.isEmpty()
                 ? QString()
                 : u"There is a problem with prog.cfg:\n- %1\n\nOpen Setup."_s.arg(problem));
    const LineChoice choice = lineSettingsOf(prog);
    QTEST(choice.line ? u"%1 %2 %3"_s.arg(choice.line->portNumber)
                            .arg(choice.line->baudRate)
                            .arg(flagSet(prog.LogOn) ? u"on" : u"off")
                      : choice.problem,
          "line");
}

void ConfigFiles::unsafeTexts() {
    QVERIFY(isSafeConfigText(u"km/h"_s) && isSafeConfigText(QString()));
    for (const QString& text : {u"</BR>"_s, u"a<b"_s, u"a\nb"_s, u"a\rb"_s})
        QVERIFY2(!isSafeConfigText(text), qPrintable(text));
}

QTEST_GUILESS_MAIN(ConfigFiles)
#include "tst_config.moc"
