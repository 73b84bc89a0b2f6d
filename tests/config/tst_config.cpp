// The tagged value rule and the two configuration files: what stored files rely on, the exact
// bytes the writers produce, and how broken files are reported.

#include "config/CalibrationSettings.h"
#include "config/ConfigFile.h"
#include "config/ProgSettings.h"
#include "config/TaggedValue.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <climits>

using namespace tarnby;
using namespace Qt::StringLiterals;
using tarnby::test::readAll;

namespace {
ProgSettings sampleProg() {
    ProgSettings s;
    s.Port = u"2"_s;
    s.Savehtml = u"0"_s;
    s.SaveExcel = u"1"_s;
    s.LogDelay = u"60"_s;
    s.LogOn = u"1"_s;
    s.DisplayRPM = u"1"_s;
    s.DisplayWS = u"0"_s;
    s.WSUnits = u" MPH"_s;
    s.SV = u"24"_s;
    s.MA = u"20"_s;
    s.BR = u"4800"_s;
    return s;
}

} // namespace

class ConfigFiles : public QObject {
    Q_OBJECT
private slots:
    void taggedValueRule_data();
    void taggedValueRule();
    void taggedValueOnBytesAgrees();
    void progCfgRoundTripByteForByte_data();
    void progCfgRoundTripByteForByte();
    void settingsCfgBytesExact();
    void writingReplacesTheWholeFile();
    void problemsNameFileAndKey_data();
    void problemsNameFileAndKey();
    void missingFileIsReported();
    void failedWriteKeepsOldFile();
    void unsafeTexts_data();
    void unsafeTexts();
};

void ConfigFiles::taggedValueRule_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("value");
    const int found = int(TaggedValue::Status::Found);
    QTest::newRow("plain") << "<Port>1</Port>"
                           << "Port" << found << "1";
    QTest::newRow("leading space kept") << "<WSUnits> MPH</WSUnits>"
                                        << "WSUnits" << found << " MPH";
    QTest::newRow("empty value") << "<LogOn></LogOn>"
                                 << "LogOn" << found << "";
    QTest::newRow("line break kept") << "<BR>4800\r\n</BR>"
                                     << "BR" << found << "4800\r\n";
    QTest::newRow("other order and blank lines")
        << "head\r\n\r\n<BR>9600</BR>\r\n\r\n<Port>3</Port>\r\n"
        << "Port" << found << "3";
    QTest::newRow("first occurrence wins") << "<SV>12</SV><SV>48</SV>"
                                           << "SV" << found << "12";
    QTest::newRow("other tags ignored") << "<X><SV>12</SV></X>"
                                        << "SV" << found << "12";
    QTest::newRow("lower case is not a tag")
        << "<port>1</port>"
        << "Port" << int(TaggedValue::Status::MissingOpening) << "";
    QTest::newRow("missing closing") << "<Port>1"
                                     << "Port" << int(TaggedValue::Status::MissingClosing) << "";
    QTest::newRow("closing first")
        << "</Port>1<Port>"
        << "Port" << int(TaggedValue::Status::ClosingBeforeOpening) << "";
    QTest::newRow("missing opening") << "1</Port>"
                                     << "Port" << int(TaggedValue::Status::MissingOpening) << "";
    QTest::newRow("prefix key not confused") << "<VoltDivider>5</VoltDivider><V>7</V>"
                                             << "V" << found << "7";
    QTest::newRow("empty text") << ""
                                << "BR" << int(TaggedValue::Status::MissingOpening) << "";
}

void ConfigFiles::taggedValueRule() {
    QFETCH(QString, text);
    QFETCH(QString, key);
    QFETCH(int, status);
    QFETCH(QString, value);
    const QByteArray latinKey = key.toLatin1();
    const TaggedValue tagged = findTaggedValue(text, QLatin1StringView(latinKey));
    QCOMPARE(int(tagged.status), status);
    QCOMPARE(tagged.value.toString(), value);
}

void ConfigFiles::taggedValueOnBytesAgrees() {
    const QByteArray frame = "[<V>125.3</V><I>512</I><R></R>]";
    QCOMPARE(findTaggedValue(QByteArrayView(frame), QByteArrayView("V")).value,
             QByteArrayView("125.3"));
    QVERIFY(findTaggedValue(QByteArrayView(frame), QByteArrayView("R")).found());
    QCOMPARE(findTaggedValue(QByteArrayView(frame), QByteArrayView("R")).value.size(), 0);
    QCOMPARE(findTaggedValue(QByteArrayView("</I>3<I>"), QByteArrayView("I")).status,
             TaggedValue::Status::ClosingBeforeOpening);
}

// prog.cfg as the setup window writes it, with the row's units: read, every key gives back its
// text (a byte is the character of the same code), and written again, byte for byte.
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
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();
    ConfigReading reading = ConfigReading::read(path, u"prog.cfg"_s);
    ProgSettings read;
    for (const auto& key : ProgSettings::keys)
        read.*key.field = reading.take(key.name);
    QVERIFY(reading.ok());
    ProgSettings expected = sampleProg();
    expected.WSUnits = QString::fromLatin1(units);
    QCOMPARE(read, expected);
    QVERIFY(writeProgCfg(path, read).ok);
    QCOMPARE(readAll(path), bytes);
}

void ConfigFiles::settingsCfgBytesExact() {
    const CalibrationSettings s{u"10.2"_s, u"512"_s, u"12.50"_s, u"14"_s, u"1"_s};
    QCOMPARE(settingsCfgBytes(s),
             QByteArray("Calibration Settings\r\n\r\n\r\n<VoltDivider>10.2</VoltDivider>\r\n"
                        "<VoltOffset>512</VoltOffset>\r\n<AmpDivider>12.50</AmpDivider>\r\n"
                        "<RPMDivider>14</RPMDivider>\r\n<WSDivider>1</WSDivider>\r\n"));
}

void ConfigFiles::writingReplacesTheWholeFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"settings.cfg"_s);
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("<OldKey>x</OldKey>\r\n<VoltDivider>1</VoltDivider>\r\n" + QByteArray(500, ' '));
    old.close();
    const CalibrationSettings s{u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s};
    QVERIFY(writeSettingsCfg(path, s).ok);
    QCOMPARE(readAll(path), settingsCfgBytes(s));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
             QStringList{u"settings.cfg"_s}); // no temporary left
}

void ConfigFiles::problemsNameFileAndKey_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("key"); // BR is taken as a whole number, any other key as a number
    QTest::addColumn<QString>("expected");
    const auto row = [](const char* name, const char* text, const char* key, const char* expected) {
        QTest::newRow(name) << QString(text) << QString(key) << QString(expected);
    };
    row("empty file", "", "BR", "the file is empty");
    row("key missing", "<LogDelay>60</LogDelay>", "BR", "the key <BR> is missing");
    row("closing first", "</BR>4800<BR>", "BR", "the closing tag </BR> comes before <BR>");
    row("no closing tag", "<BR>4800", "BR", "the key <BR> has no closing tag </BR>");
    row("not whole", "<BR>48.5</BR>", "BR", "the value \"48.5\" of <BR> is not a whole number");
    row("letters", "<BR>fast</BR>", "BR", "the value \"fast\" of <BR> is not a whole number");
    row("switch not a number", "<LogOn>yes</LogOn>", "LogOn",
        "the value \"yes\" of <LogOn> is not a number");
}

void ConfigFiles::problemsNameFileAndKey() {
    QFETCH(QString, text);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    ConfigReading reading = ConfigReading::fromText(text, u"prog.cfg"_s);
    const QByteArray latinKey = key.toLatin1();
    if (key == u"BR")
        reading.takeWholeNumber(QLatin1StringView(latinKey));
    else
        reading.takeNumber(QLatin1StringView(latinKey));
    QVERIFY(!reading.ok());
    const QString message = reading.problemMessage(u"Open Program Setup."_s);
    QVERIFY2(message.startsWith(u"There is a problem with prog.cfg:"_s), qPrintable(message));
    QVERIFY2(message.contains(expected), qPrintable(message));
    QVERIFY(message.endsWith(u"Open Program Setup."_s));
}

void ConfigFiles::missingFileIsReported() {
    QTemporaryDir dir;
    ConfigReading reading = ConfigReading::read(dir.filePath(u"settings.cfg"_s), u"settings.cfg"_s);
    QCOMPARE(reading.take("VoltDivider"_L1), QString());
    QCOMPARE(reading.problems(),
             QStringList{u"the file is missing"_s});          // one problem, not one per key
    QVERIFY(!QFile::exists(dir.filePath(u"settings.cfg"_s))); // nothing invented
}

void ConfigFiles::failedWriteKeepsOldFile() {
    QTemporaryDir dir;
    // A name at the file system's limit: the file itself fits, a temporary name beside it not.
    const QString path = dir.filePath(QString(NAME_MAX - 5, u'p'));
    const QByteArray before = progCfgBytes(sampleProg());
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write(before) == before.size());
    old.close();
    ProgSettings changed = sampleProg();
    changed.Port = u"7"_s;
    const FileOutcome outcome = writeProgCfg(path, changed);
    QVERIFY(!outcome.ok);
    QVERIFY(!outcome.error.isEmpty());
    QCOMPARE(readAll(path), before);
}

void ConfigFiles::unsafeTexts_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("safe");
    QTest::newRow("units") << "km/h" << true;
    QTest::newRow("empty") << "" << true;
    QTest::newRow("closing tag") << "</BR>" << false;
    QTest::newRow("less than") << "a<b" << false;
    QTest::newRow("line feed") << "a\nb" << false;
    QTest::newRow("carriage return") << "a\rb" << false;
}

void ConfigFiles::unsafeTexts() {
    QFETCH(QString, text);
    QFETCH(bool, safe);
    QCOMPARE(isSafeConfigText(text), safe);
}

QTEST_GUILESS_MAIN(ConfigFiles)
#include "tst_config.moc"
