// Damaged configuration files at start-up through the real main window: one message naming the
// file and each key it lacks, no recovery window, no port (prog.cfg) or no scaling
// (settings.cfg), and neither file rewritten or created.

#include "app/widgets/MainWindow.h"
#include "tests/support/TestEnvironment.h"

#include <QFile>
#include <QTest>

using namespace tarnby;
using namespace tarnby::test;
using namespace Qt::StringLiterals;

namespace {
const QByteArray Prog =
    progCfgBytes({"1", "0", "0", "30", "1", "1", "1", "MPH", "24", "20", "4800"});
const QByteArray Settings = settingsCfgBytes({"10", "500", "10", "1", "2"});
// A frame every factor takes part in.
const QByteArray Frame = "[<V>125</V><I>532</I><R>2</R><M>0</M><S>11</S>]\r\n";

QByteArray edited(const QByteArray& text, const char* from, const char* to) {
    return QByteArray(text).replace(from, to);
}
} // namespace

class ConfigDamage : public QObject {
    Q_OBJECT
private slots:
    void startUp_data();
    void startUp();
};

void ConfigDamage::startUp_data() {
    QTest::addColumn<QByteArray>("prog"); // a null array: the file is missing
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QString>("fileName"); // the file the message is about; empty: no message
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QString>("problem");
    QTest::addColumn<bool>("portOpens"); // and logging starts

    const QString prog = u"prog.cfg"_s, settings = u"settings.cfg"_s;
    QTest::newRow("whole keys twice, SV and MA absent")
        << edited(Prog + Prog, "<SV>24</SV>\r\n<MA>20</MA>\r\n", "") << Settings + Settings
        << QString() << QStringList() << QString() << true;
    QTest::newRow("prog.cfg missing")
        << QByteArray() << Settings << prog << QStringList() << u"missing"_s << false;
    QTest::newRow("prog.cfg cut inside a value")
        << Prog.left(Prog.indexOf("<LogOn>") + 9) << Settings << prog
        << QStringList{u"LogOn"_s, u"DisplayRPM"_s, u"DisplayWS"_s, u"WSUnits"_s, u"BR"_s}
        << QString() << false;
    QTest::newRow("prog.cfg BR not a whole number")
        << edited(Prog, "<BR>4800</BR>", "<BR>48x0</BR>") << Settings << prog
        << QStringList{u"BR"_s} << u"not a whole number"_s << false;
    QTest::newRow("prog.cfg flags not numbers: taken as off")
        << edited(edited(Prog, "<DisplayRPM>1<", "<DisplayRPM>yes<"), "<DisplayWS>1<",
                  "<DisplayWS>on<")
        << Settings << prog << QStringList{u"DisplayRPM"_s, u"DisplayWS"_s}
        << u"Tarnby takes <DisplayRPM> and <DisplayWS> as off."_s << true;
    QTest::newRow("settings.cfg empty")
        << Prog << QByteArray("") << settings << QStringList() << u"empty"_s << true;
    QTest::newRow("settings.cfg closing tag first")
        << Prog << edited(Settings, "<VoltOffset>500</VoltOffset>", "</VoltOffset>500<VoltOffset>")
        << settings << QStringList{u"VoltOffset"_s} << u"comes before"_s << true;
}

void ConfigDamage::startUp() {
    QFETCH(QByteArray, prog);
    QFETCH(QByteArray, settings);
    QFETCH(QString, fileName);
    QFETCH(QStringList, keys);
    QFETCH(QString, problem);
    QFETCH(bool, portOpens);
    TestEnvironment t;
    if (!prog.isNull())
        t.writeFile(u"prog.cfg"_s, prog);
    t.writeFile(u"settings.cfg"_s, settings);
    {
        MainWindow w(t.environment());
        LoggingSession& s = w.session();
        s.startUp();
        QCOMPARE(s.portOpen(), portOpens);
        QCOMPARE(s.loggingOn(), portOpens);
        if (portOpens) {
            t.ports.links.front()->deliver(Frame);
            t.ports.links.front()->deliver(Frame);
            // Frames that cannot be scaled are not shown as wrong readings.
            QCOMPARE(s.statusText(), fileName != u"settings.cfg"
                                         ? QString::fromLatin1(Frame.trimmed())
                                         : u"possible corrupt COMMS data"_s);
        }
    }
    QCOMPARE(t.prompts.messages.size(), fileName.isEmpty() ? 0 : 1);
    const QString message = t.prompts.messages.value(0);
    QVERIFY2(fileName.isEmpty() ||
                 message.startsWith(u"There is a problem with "_s + fileName + u':'),
             qPrintable(message));
    for (const QString& key : keys)
        QVERIFY2(message.contains(u'<' + key + u'>'), qPrintable(key + u": "_s + message));
    QVERIFY2(message.contains(problem), qPrintable(message));
    QCOMPARE(message.contains(u"without its serial port"_s), !portOpens);
    QVERIFY(t.prompts.modalWindows.isEmpty());
    QCOMPARE(QFile::exists(t.path(u"prog.cfg"_s)), !prog.isNull());
    QCOMPARE(t.readFile(u"prog.cfg"_s), prog);
    QCOMPARE(t.readFile(u"settings.cfg"_s), settings);
}

QTEST_MAIN(ConfigDamage)
#include "tst_config_damage.moc"
