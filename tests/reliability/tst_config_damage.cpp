// Damaged configuration files at start-up, through the real main window: each file cut at
// every byte, keys missing, reordered, duplicated, closing tags before opening tags, wrong
// letter case. A file that lacks a key the window needs gets one message naming the file and
// each such key, and the window runs on without a port (prog.cfg) or without scaling
// (settings.cfg); neither file is ever rewritten. Keys present whole in any order, or twice
// (the first one counts), start the program normally.

#include "app/widgets/KestrinLogger.h"
#include "tests/support/TestEnvironment.h"

#include <QFile>
#include <QLineEdit>
#include <QTest>

using namespace tarnby;
using namespace tarnby::test;
using namespace Qt::StringLiterals;

namespace {
const QByteArray Prog =
    "Program Config File\r\n\r\n"
    "<Port>1</Port>\r\n<Savehtml>0</Savehtml>\r\n<SaveExcel>0</SaveExcel>\r\n"
    "<LogDelay>30</LogDelay>\r\n<LogOn>1</LogOn>\r\n<DisplayRPM>1</DisplayRPM>\r\n"
    "<DisplayWS>1</DisplayWS>\r\n<WSUnits>MPH</WSUnits>\r\n<SV>24</SV>\r\n"
    "<MA>20</MA>\r\n<BR>4800</BR>\r\n\r\n";
const QByteArray Settings = "Calibration Settings\r\n\r\n\r\n"
                            "<VoltDivider>10</VoltDivider>\r\n<VoltOffset>500</VoltOffset>\r\n"
                            "<AmpDivider>10</AmpDivider>\r\n<RPMDivider>1</RPMDivider>\r\n"
                            "<WSDivider>2</WSDivider>\r\n";
// A frame every factor takes part in.
const QByteArray Frame = "[<V>125</V><I>532</I><R>2</R><M>0</M><S>11</S>]\r\n";
const QString Corrupt = u"possible corrupt COMMS data"_s;

// The keys the main window takes from each file. Savehtml, SaveExcel, SV and MA belong to the
// setup and history windows.
const QStringList ProgKeys{u"Port"_s,       u"BR"_s,        u"LogDelay"_s, u"LogOn"_s,
                           u"DisplayRPM"_s, u"DisplayWS"_s, u"WSUnits"_s};
const QStringList SettingsKeys{u"VoltDivider"_s, u"VoltOffset"_s, u"AmpDivider"_s, u"RPMDivider"_s,
                               u"WSDivider"_s};

// The keys of `keys` whose value `text` does not hold: no opening tag, or no closing tag after
// the first opening tag. On a cut-off copy of a whole file this is exactly the keys cut.
QStringList incompleteKeys(const QByteArray& text, const QStringList& keys) {
    QStringList missing;
    for (const QString& key : keys) {
        const qsizetype open = text.indexOf(('<' + key + '>').toLatin1());
        if (open < 0 || text.indexOf(("</" + key + '>').toLatin1(), open) < 0)
            missing << key;
    }
    return missing;
}

QByteArray without(QByteArray text, const QByteArray& piece) {
    return text.replace(piece, "");
}

QByteArray reversedKeyLines(const QByteArray& text, int headerLines) {
    QList<QByteArray> lines = text.split('\n');
    QList<QByteArray> keyLines;
    for (const QByteArray& line : lines)
        if (line.startsWith('<'))
            keyLines.prepend(line);
    QByteArray out;
    for (int i = 0; i < headerLines; ++i)
        out += lines[i] + '\n';
    for (const QByteArray& line : keyLines)
        out += line + '\n';
    return out;
}

struct Run {
    QStringList messages;
    QStringList modalWindows;
    bool portOpen = false;
    bool loggingOn = false;
    QString delayText;
    QString statusAfterFrame;
    QByteArray progAfter, settingsAfter;
    bool progExists = false, settingsExists = false;
};

// Starts the main window on these files (a null array: the file is missing), delivers one
// frame when the port opened, and reads both files back.
Run startWith(const QByteArray& prog, const QByteArray& settings) {
    TestEnvironment t;
    if (!prog.isNull())
        t.writeFile(u"prog.cfg"_s, prog);
    if (!settings.isNull())
        t.writeFile(u"settings.cfg"_s, settings);
    Run run;
    {
        KestrinLogger w(t.environment());
        LoggingSession& s = w.session();
        s.startUp();
        run.portOpen = s.portOpen();
        run.loggingOn = s.loggingOn();
        run.delayText = w.findChild<QLineEdit*>(u"delay"_s)->text();
        if (run.portOpen) {
            t.ports.links.front()->deliver(Frame);
            t.ports.links.front()->deliver(Frame);
            run.statusAfterFrame = s.statusText();
        }
    }
    run.messages = t.prompts.messages;
    run.modalWindows = t.prompts.modalWindows;
    run.progExists = QFile::exists(t.path(u"prog.cfg"_s));
    run.settingsExists = QFile::exists(t.path(u"settings.cfg"_s));
    run.progAfter = t.readFile(u"prog.cfg"_s);
    run.settingsAfter = t.readFile(u"settings.cfg"_s);
    return run;
}

// What every start on damaged files must show: `fileName`'s problem told once, naming the file
// and each key in `keys` (or `problem`), nothing rewritten, no recovery window.
void checkReported(const Run& run, const QString& fileName, const QStringList& keys,
                   const QString& problem = QString()) {
    QCOMPARE(run.messages.size(), 1);
    const QString& message = run.messages.front();
    QVERIFY2(message.startsWith(u"There is a problem with "_s + fileName + u':'),
             qPrintable(message));
    for (const QString& key : keys)
        QVERIFY2(message.contains(u'<' + key + u'>'),
                 qPrintable(key + u" not named in: "_s + message));
    if (!problem.isEmpty())
        QVERIFY2(message.contains(problem), qPrintable(message));
    QVERIFY(run.modalWindows.isEmpty());
}
} // namespace

class ConfigDamage : public QObject {
    Q_OBJECT
private slots:
    void progCfgCutAtEveryByte_data();
    void progCfgCutAtEveryByte();
    void settingsCfgCutAtEveryByte_data();
    void settingsCfgCutAtEveryByte();
    void damagedKeys_data();
    void damagedKeys();
    void wellFormedVariants_data();
    void wellFormedVariants();
};

void ConfigDamage::progCfgCutAtEveryByte_data() {
    QTest::addColumn<int>("length");
    for (int n = 0; n <= Prog.size(); ++n)
        QTest::addRow("%d of %d bytes", n, int(Prog.size())) << n;
}

void ConfigDamage::progCfgCutAtEveryByte() {
    QFETCH(int, length);
    const QByteArray cut = Prog.left(length);
    const Run run = startWith(cut, Settings);
    QCOMPARE(run.progAfter, cut);
    QCOMPARE(run.settingsAfter, Settings);
    const QStringList missing = incompleteKeys(cut, ProgKeys);
    if (missing.isEmpty()) {
        QVERIFY(run.messages.isEmpty());
        QVERIFY(run.portOpen);
        QVERIFY(run.loggingOn);
        QCOMPARE(run.delayText, u"30"_s);
        return;
    }
    checkReported(run, u"prog.cfg"_s, cut.trimmed().isEmpty() ? QStringList() : missing,
                  cut.trimmed().isEmpty() ? u"empty"_s : QString());
    QVERIFY(!run.portOpen);
    QVERIFY(!run.loggingOn);
}

void ConfigDamage::settingsCfgCutAtEveryByte_data() {
    QTest::addColumn<int>("length");
    for (int n = 0; n <= Settings.size(); ++n)
        QTest::addRow("%d of %d bytes", n, int(Settings.size())) << n;
}

void ConfigDamage::settingsCfgCutAtEveryByte() {
    QFETCH(int, length);
    const QByteArray cut = Settings.left(length);
    const Run run = startWith(Prog, cut);
    QCOMPARE(run.progAfter, Prog);
    QCOMPARE(run.settingsAfter, cut);
    // The port and logging do not depend on the calibration.
    QVERIFY(run.portOpen);
    QVERIFY(run.loggingOn);
    const QStringList missing = incompleteKeys(cut, SettingsKeys);
    if (missing.isEmpty()) {
        QVERIFY(run.messages.isEmpty());
        QCOMPARE(run.statusAfterFrame, QString::fromLatin1(Frame.trimmed()));
        return;
    }
    checkReported(run, u"settings.cfg"_s, cut.trimmed().isEmpty() ? QStringList() : missing,
                  cut.trimmed().isEmpty() ? u"empty"_s : QString());
    // Frames cannot be scaled: the status line says so instead of showing wrong readings.
    QCOMPARE(run.statusAfterFrame, Corrupt);
}

void ConfigDamage::damagedKeys_data() {
    QTest::addColumn<QByteArray>("prog");
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QString>("problem");

    QTest::newRow("prog.cfg missing")
        << QByteArray() << Settings << u"prog.cfg"_s << QStringList() << u"missing"_s;
    QTest::newRow("settings.cfg missing")
        << Prog << QByteArray() << u"settings.cfg"_s << QStringList() << u"missing"_s;
    QTest::newRow("prog.cfg blank lines only")
        << QByteArray("\r\n\r\n  \r\n") << Settings << u"prog.cfg"_s << QStringList() << u"empty"_s;
    for (const QString& key : ProgKeys) {
        const qsizetype at = Prog.indexOf(('<' + key + '>').toLatin1());
        const QByteArray line = Prog.mid(at, Prog.indexOf('\n', at) + 1 - at);
        const QByteArray opening = ('<' + key + '>').toLatin1();
        const QByteArray closing = ("</" + key + '>').toLatin1();
        const QByteArray value =
            line.mid(opening.size(), line.size() - opening.size() - closing.size() - 2);
        QTest::addRow("prog.cfg without %s", qPrintable(key))
            << without(Prog, line) << Settings << u"prog.cfg"_s << QStringList{key} << u"missing"_s;
        QTest::addRow("prog.cfg %s closing tag first", qPrintable(key))
            << QByteArray(Prog).replace(line, closing + value + opening + "\r\n") << Settings
            << u"prog.cfg"_s << QStringList{key} << u"comes before"_s;
        QTest::addRow("prog.cfg %s without closing tag", qPrintable(key))
            << QByteArray(Prog).replace(line, opening + value + "\r\n") << Settings << u"prog.cfg"_s
            << QStringList{key} << u"no closing tag"_s;
        QTest::addRow("prog.cfg %s in lower case", qPrintable(key))
            << QByteArray(Prog).replace(line, line.toLower()) << Settings << u"prog.cfg"_s
            << QStringList{key} << u"missing"_s;
    }
    for (const QString& key : SettingsKeys) {
        const qsizetype at = Settings.indexOf(('<' + key + '>').toLatin1());
        const QByteArray line = Settings.mid(at, Settings.indexOf('\n', at) + 1 - at);
        const QByteArray opening = ('<' + key + '>').toLatin1();
        const QByteArray closing = ("</" + key + '>').toLatin1();
        const QByteArray value =
            line.mid(opening.size(), line.size() - opening.size() - closing.size() - 2);
        QTest::addRow("settings.cfg without %s", qPrintable(key))
            << Prog << without(Settings, line) << u"settings.cfg"_s << QStringList{key}
            << u"missing"_s;
        QTest::addRow("settings.cfg %s closing tag first", qPrintable(key))
            << Prog << QByteArray(Settings).replace(line, closing + value + opening + "\r\n")
            << u"settings.cfg"_s << QStringList{key} << u"comes before"_s;
    }
    QTest::newRow("prog.cfg BR not a whole number")
        << QByteArray(Prog).replace("<BR>4800</BR>", "<BR>48x0</BR>") << Settings << u"prog.cfg"_s
        << QStringList{u"BR"_s} << u"not a whole number"_s;
    QTest::newRow("prog.cfg every closing tag first")
        << QByteArray(
               "Program Config File\r\n\r\n</Port>1<Port>\r\n</LogDelay>30<LogDelay>\r\n"
               "</LogOn>1<LogOn>\r\n</DisplayRPM>1<DisplayRPM>\r\n</DisplayWS>1<DisplayWS>\r\n"
               "</WSUnits>MPH<WSUnits>\r\n</BR>4800<BR>\r\n\r\n")
        << Settings << u"prog.cfg"_s << ProgKeys << u"comes before"_s;
}

void ConfigDamage::damagedKeys() {
    QFETCH(QByteArray, prog);
    QFETCH(QByteArray, settings);
    QFETCH(QString, fileName);
    QFETCH(QStringList, keys);
    QFETCH(QString, problem);
    const Run run = startWith(prog, settings);
    checkReported(run, fileName, keys, problem);
    // Nothing written, nothing created.
    QCOMPARE(run.progExists, !prog.isNull());
    QCOMPARE(run.settingsExists, !settings.isNull());
    QCOMPARE(run.progAfter, prog.isNull() ? QByteArray() : prog);
    QCOMPARE(run.settingsAfter, settings.isNull() ? QByteArray() : settings);
    if (fileName == u"prog.cfg"_s) {
        QVERIFY(!run.portOpen);
        QVERIFY(!run.loggingOn);
    } else {
        QVERIFY(run.portOpen);
        QCOMPARE(run.statusAfterFrame, Corrupt);
    }
}

void ConfigDamage::wellFormedVariants_data() {
    QTest::addColumn<QByteArray>("prog");
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QString>("delayText");

    QTest::newRow("key lines reversed")
        << reversedKeyLines(Prog, 2) << reversedKeyLines(Settings, 3) << u"30"_s;
    QTest::newRow("LogDelay twice, first counts")
        << QByteArray(Prog).replace("<LogDelay>30</LogDelay>\r\n",
                                    "<LogDelay>30</LogDelay>\r\n<LogDelay>45</LogDelay>\r\n")
        << Settings << u"30"_s;
    QTest::newRow("LogDelay twice, the earlier line counts")
        << QByteArray(Prog).replace("Program Config File\r\n\r\n",
                                    "Program Config File\r\n\r\n<LogDelay>45</LogDelay>\r\n")
        << Settings << u"45"_s;
    QTest::newRow("whole file twice") << Prog + Prog << Settings + Settings << u"30"_s;
    QTest::newRow("no header, no blank lines")
        << QByteArray(Prog).replace("Program Config File\r\n\r\n", "").replace("\r\n\r\n", "\r\n")
        << QByteArray(Settings).replace("Calibration Settings\r\n\r\n\r\n", "") << u"30"_s;
    // Keys only the setup and history windows use do not stop the main window.
    QTest::newRow("without SV and MA")
        << without(without(Prog, "<SV>24</SV>\r\n"), "<MA>20</MA>\r\n") << Settings << u"30"_s;
}

void ConfigDamage::wellFormedVariants() {
    QFETCH(QByteArray, prog);
    QFETCH(QByteArray, settings);
    QFETCH(QString, delayText);
    const Run run = startWith(prog, settings);
    QCOMPARE(run.messages, QStringList());
    QVERIFY(run.portOpen);
    QVERIFY(run.loggingOn);
    QCOMPARE(run.delayText, delayText);
    QCOMPARE(run.statusAfterFrame, QString::fromLatin1(Frame.trimmed()));
    QCOMPARE(run.progAfter, prog);
    QCOMPARE(run.settingsAfter, settings);
}

QTEST_MAIN(ConfigDamage)
#include "tst_config_damage.moc"
