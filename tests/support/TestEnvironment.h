#pragma once
// A complete fake environment for driving the real windows: an application folder in a
// temporary directory, a settable clock, scripted prompts and fake serial ports.

#include "platform/widgets/Environment.h"
#include "tests/support/FakeSerialLink.h"

#include <QByteArray>
#include <QDateTime>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <functional>

class QDialog;

namespace tarnby::test {

class FakeClock final : public Clock {
public:
    QDateTime now() const override { return time; }
    QDateTime time = QDateTime(QDate(2026, 12, 6), QTime(12, 0));
};

// Message boxes are recorded and answered at once; each modal window runs the next scripted
// step (which may click its buttons) and is closed afterwards if the step left it open.
class ScriptedPrompts final : public UserPrompts {
public:
    void showMessage(QWidget* owner, const QString& text) override;
    void runModal(QDialog& window) override;

    QStringList messages;
    QStringList modalWindows; // objectName of each window shown
    std::deque<std::function<void(QDialog&)>> modalSteps;
    // Runs when a message box is shown (after recording it), for example to change a file.
    std::function<void(const QString&)> onMessage;
};

class TestEnvironment {
public:
    TestEnvironment();
    Environment environment();

    QString folder() const { return dir.path(); }
    QString path(const QString& relative) const { return dir.path() + u'/' + relative; }
    void writeFile(const QString& relative, const QByteArray& bytes) const;
    QByteArray readFile(const QString& relative) const;
    // A prog.cfg with the given values (as the setup window writes it).
    void writeProgCfg(const QString& port = QStringLiteral("1"),
                      const QString& logDelay = QStringLiteral("60"),
                      const QString& logOn = QStringLiteral("0"),
                      const QString& displayRpm = QStringLiteral("1"),
                      const QString& displayWs = QStringLiteral("1"),
                      const QString& wsUnits = QStringLiteral("MPH"),
                      const QString& br = QStringLiteral("4800")) const;
    // A settings.cfg with the given factors.
    void writeSettingsCfg(const QString& voltDivider = QStringLiteral("10"),
                          const QString& voltOffset = QStringLiteral("500"),
                          const QString& ampDivider = QStringLiteral("10"),
                          const QString& rpmDivider = QStringLiteral("1"),
                          const QString& wsDivider = QStringLiteral("1")) const;

    QTemporaryDir dir;
    FakeClock clock;
    ScriptedPrompts prompts;
    FakeSerialPorts ports;
};

} // namespace tarnby::test
