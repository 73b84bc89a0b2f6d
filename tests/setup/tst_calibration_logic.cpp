// The calibration window's logic without the window: the receive procedure with its raw and
// scaled captions, the loading of settings.cfg into the boxes, and the checks before saving.

#include "setup/CalibrationForm.h"
#include "setup/CalibrationReceiver.h"

#include <QTest>

Q_DECLARE_METATYPE(tarnby::CalibrationSettings)

using namespace tarnby;
using namespace Qt::StringLiterals;

namespace {
// Marks a scaled caption that the frame leaves as it was.
const QString Kept = u"(kept)"_s;

QString orKept(const std::optional<QString>& caption) {
    return caption.value_or(Kept);
}

const QByteArray TypicalFrame = "[<V>125.6</V><I>520</I><R>7</R><M>3</M><S>12</S>]\r\n";

CalibrationSettings factors(const QString& volts, const QString& offset, const QString& amps,
                            const QString& rpm, const QString& speed) {
    return CalibrationSettings{volts, offset, amps, rpm, speed};
}
} // namespace

class CalibrationLogic : public QObject {
    Q_OBJECT
private slots:
    void captionsOfAFrame_data();
    void captionsOfAFrame();
    void corruptFrameShowsNothingNew();
    void noiseKeepsOnlyTheMostRecentBytes();
    void loadingFillsBoxes_data();
    void loadingFillsBoxes();
    void missingFileGivesDesignValues();
    void windSpeedQuestionNamesTheUnits();
    void saveRefusedForUnsafeFactor_data();
    void saveRefusedForUnsafeFactor();
};

void CalibrationLogic::captionsOfAFrame_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<CalibrationSettings>("typed");
    QTest::addColumn<QStringList>("raw");    // txtBattV, txtShuntV, txtPulsess, txtPulsess2
    QTest::addColumn<QStringList>("scaled"); // volts, amps, RPM, speed
    const auto usual = factors("10", "500", "10", "14", "2");
    QTest::newRow("rpm divider letters") << TypicalFrame << factors("10", "500", "10", "abc", "2")
                                         << QStringList{"125.6", "520", "7", "12"}
                                         << QStringList{"12.56 Volts", "2 Amps", "1 RPM", "6 MPH"};
    QTest::newRow("rpm divider negative") << TypicalFrame << factors("10", "500", "10", "-14", "2")
                                          << QStringList{"125.6", "520", "7", "12"}
                                          << QStringList{"12.56 Volts", "2 Amps", "1 RPM", "6 MPH"};
    QTest::newRow("amps below offset are not clamped")
        << QByteArray("[<V>120</V><I>400</I>]") << usual << QStringList{"120", "400", "0", "0"}
        << QStringList{"12 Volts", "-10 Amps", "0 RPM", "0 MPH"};
    QTest::newRow("rpm above 500 is shown")
        << QByteArray("[<V>120</V><I>500</I><R>100</R>]") << factors("10", "500", "10", "1", "1")
        << QStringList{"120", "500", "100", "0"}
        << QStringList{"12 Volts", "0 Amps", "6000 RPM", "0 MPH"};
    QTest::newRow("values missing, empty or letters are 0")
        << QByteArray("[<V></V><I>abc</I><S>x</S>]") << usual << QStringList{"0", "0", "0", "0"}
        << QStringList{"0 Volts", "-50 Amps", "0 RPM", "0 MPH"};
    QTest::newRow("raw rounded half to even")
        << QByteArray("[<V>2.675</V><I>0.125</I><R>2.5</R>]") << factors("1", "0", "1", "1", "1")
        << QStringList{"2.68", "0.12", "2.5", "0"}
        << QStringList{"2.68 Volts", "0.12 Amps", "150 RPM", "0 MPH"};
    QTest::newRow("scaled rounded to 1 and 2 decimals")
        << QByteArray("[<V>10</V><I>10</I><R>1</R><S>1</S>]") << factors("3", "0", "3", "7", "3")
        << QStringList{"10", "10", "1", "1"}
        << QStringList{"3.33 Volts", "3.33 Amps", "8.6 RPM", "0.3 MPH"};
    QTest::newRow("volts factor 0 keeps volts caption")
        << TypicalFrame << factors("0", "500", "10", "14", "2")
        << QStringList{"125.6", "520", "7", "12"} << QStringList{Kept, "2 Amps", "30 RPM", "6 MPH"};
    QTest::newRow("volts factor negative keeps volts caption")
        << TypicalFrame << factors("-10", "500", "10", "14", "2")
        << QStringList{"125.6", "520", "7", "12"} << QStringList{Kept, "2 Amps", "30 RPM", "6 MPH"};
    QTest::newRow("amps factor 0 keeps amps caption")
        << TypicalFrame << factors("10", "500", "0", "14", "2")
        << QStringList{"125.6", "520", "7", "12"}
        << QStringList{"12.56 Volts", Kept, "30 RPM", "6 MPH"};
    QTest::newRow("offset letters keeps amps caption")
        << TypicalFrame << factors("10", "abc", "10", "14", "2")
        << QStringList{"125.6", "520", "7", "12"}
        << QStringList{"12.56 Volts", Kept, "30 RPM", "6 MPH"};
}

void CalibrationLogic::captionsOfAFrame() {
    QFETCH(QByteArray, bytes);
    QFETCH(CalibrationSettings, typed);
    QFETCH(QStringList, raw);
    QFETCH(QStringList, scaled);
    CalibrationReceiver receiver;
    const auto captions = receiver.receive(bytes, typed, u"MPH"_s);
    QVERIFY(captions);
    QCOMPARE((QStringList{captions->txtBattV, captions->txtShuntV, captions->txtPulsess,
                          captions->txtPulsess2}),
             raw);
    QCOMPARE((QStringList{orKept(captions->txtBattVadjusted), orKept(captions->txtBattAadjusted),
                          captions->txtWindmillRPM, captions->txtWindSpeed}),
             scaled);
    QVERIFY(receiver.receiveBuffer().isEmpty());
}

void CalibrationLogic::corruptFrameShowsNothingNew() {
    CalibrationReceiver receiver;
    const auto typed = factors("10", "500", "10", "1", "2");
    QVERIFY(receiver.receive("[<V>1</V><I>2</I><S>10</S>]", typed, u"MPH"_s));
    QCOMPARE(receiver.calSpeed(), 5.0);
    QVERIFY(!receiver.receive("[<V>1</V><I>2</I><S>20</S></R>3<R>]", typed, u"MPH"_s));
    QVERIFY(receiver.receiveBuffer().isEmpty());
    QCOMPARE(receiver.calSpeed(), 5.0);
    // The next good frame is evaluated as usual.
    QVERIFY(receiver.receive(TypicalFrame, typed, u"MPH"_s));
}

void CalibrationLogic::noiseKeepsOnlyTheMostRecentBytes() {
    CalibrationReceiver receiver;
    const auto typed = factors("10", "500", "10", "1", "1");
    QVERIFY(!receiver.receive(QByteArray(3000, 'a') + '[', typed, u"MPH"_s));
    QVERIFY(!receiver.receive(QByteArray(5000, 'b'), typed, u"MPH"_s));
    QCOMPARE(receiver.receiveBuffer().size(), CalibrationReceiver::MaxBufferBytes);
    QCOMPARE(receiver.receiveBuffer(), QByteArray(4096, 'b'));
    for (int i = 0; i < 50; ++i)
        QVERIFY(!receiver.receive(QByteArray(1000, ']'), typed, u"MPH"_s));
    QCOMPARE(receiver.receiveBuffer().size(), CalibrationReceiver::MaxBufferBytes);
    // A frame arriving later is still found.
    const auto captions = receiver.receive("[<V>50</V><I>7</I>]", typed, u"MPH"_s);
    QVERIFY(captions);
    QCOMPARE(captions->txtBattV, u"50"_s);
}

void CalibrationLogic::loadingFillsBoxes_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<CalibrationSettings>("boxes");
    QTest::addColumn<QString>("problem"); // empty when there is none
    const QByteArray header = "Calibration Settings\r\n\r\n\r\n";
    QTest::newRow("complete, amps written back plain")
        << header + "<VoltDivider>10.20</VoltDivider>\r\n<VoltOffset>500</VoltOffset>\r\n"
                    "<AmpDivider>12.50</AmpDivider>\r\n<RPMDivider>14</RPMDivider>\r\n"
                    "<WSDivider>2</WSDivider>\r\n"
        << factors("10.20", "500", "12.5", "14", "2") << "";
    QTest::newRow("amps not a number shown as stored")
        << header + "<VoltDivider>10</VoltDivider><VoltOffset>500</VoltOffset>"
                    "<AmpDivider>1O</AmpDivider><RPMDivider>14</RPMDivider><WSDivider>2</WSDivider>"
        << factors("10", "500", "1O", "14", "2")
        << "the value \"1O\" of <AmpDivider> is not a number";
    QTest::newRow("amps empty")
        << header + "<VoltDivider>10</VoltDivider><VoltOffset>500</VoltOffset>"
                    "<AmpDivider></AmpDivider><RPMDivider>14</RPMDivider><WSDivider>2</WSDivider>"
        << factors("10", "500", "", "14", "2") << "the value \"\" of <AmpDivider> is not a number";
    QTest::newRow("amps missing gets design value")
        << header + "<VoltDivider>10</VoltDivider><VoltOffset>500</VoltOffset>"
                    "<RPMDivider>14</RPMDivider><WSDivider>2</WSDivider>"
        << factors("10", "500", "0", "14", "2") << "the key <AmpDivider> is missing";
    QTest::newRow("offset letters")
        << header + "<VoltDivider>10</VoltDivider><VoltOffset>zero</VoltOffset>"
                    "<AmpDivider>10</AmpDivider><RPMDivider>14</RPMDivider><WSDivider>2</WSDivider>"
        << factors("10", "zero", "10", "14", "2")
        << "the value \"zero\" of <VoltOffset> is not a number";
    QTest::newRow("pulses missing get design values")
        << header + "<VoltDivider>10</VoltDivider><VoltOffset>500</VoltOffset><AmpDivider>10</"
                    "AmpDivider>"
        << factors("10", "500", "10", "1", "1") << "the key <RPMDivider> is missing";
}

void CalibrationLogic::loadingFillsBoxes() {
    QFETCH(QByteArray, text);
    QFETCH(CalibrationSettings, boxes);
    QFETCH(QString, problem);
    const CalibrationLoading loading =
        loadCalibrationBoxes(ConfigReading::fromText(QString::fromLatin1(text), u"settings.cfg"_s));
    QCOMPARE(loading.boxes, boxes);
    if (problem.isEmpty()) {
        QCOMPARE(loading.problemMessage, QString());
    } else {
        QVERIFY2(loading.problemMessage.startsWith(u"There is a problem with settings.cfg:"_s) &&
                     loading.problemMessage.contains(problem) &&
                     loading.problemMessage.contains(u"Save Calibration"_s),
                 qPrintable(loading.problemMessage));
    }
}

void CalibrationLogic::missingFileGivesDesignValues() {
    const CalibrationLoading loading = loadCalibrationBoxes(
        ConfigReading::read(u"/nonexistent/settings.cfg"_s, u"settings.cfg"_s));
    QCOMPARE(loading.boxes, factors("0", "0", "0", "1", "1"));
    QVERIFY(loading.problemMessage.contains(u"settings.cfg"_s));
    QVERIFY(loading.problemMessage.contains(u"missing"_s));
}

void CalibrationLogic::windSpeedQuestionNamesTheUnits() {
    QCOMPARE(windSpeedQuestion(u"MPH"_s), u"How many pulses per MPH?"_s);
    QCOMPARE(windSpeedQuestion(u" km/h"_s), u"How many pulses per  km/h?"_s);
}

void CalibrationLogic::saveRefusedForUnsafeFactor_data() {
    QTest::addColumn<CalibrationSettings>("typed");
    QTest::addColumn<QString>("named"); // empty when Save may write
    QTest::newRow("as typed, not checked") << factors("abc", "", "0", "-1", " 2") << "";
    QTest::newRow("volts") << factors("1<", "0", "1", "1", "1") << "Step 1. Set Voltage";
    QTest::newRow("offset") << factors("1", "0\n", "1", "1", "1") << "The offset";
    QTest::newRow("amps") << factors("1", "0", "</AmpDivider>", "1", "1") << "Step 2. Set Current";
    QTest::newRow("rpm") << factors("1", "0", "1", "1\r", "1") << "Step 3. Set RPM";
    QTest::newRow("speed") << factors("1", "0", "1", "1", "<") << "Step 4. Set Wind Speed";
}

void CalibrationLogic::saveRefusedForUnsafeFactor() {
    QFETCH(CalibrationSettings, typed);
    QFETCH(QString, named);
    const QString refusal = calibrationSaveRefusal(typed);
    if (named.isEmpty())
        QCOMPARE(refusal, QString());
    else
        QVERIFY2(refusal.contains(named) && refusal.contains(u"settings.cfg"_s),
                 qPrintable(refusal));
}

QTEST_GUILESS_MAIN(CalibrationLogic)
#include "tst_calibration_logic.moc"
