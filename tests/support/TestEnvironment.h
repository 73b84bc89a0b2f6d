#pragma once
// A fake environment for driving the real windows: an application folder in a temporary
// directory, a settable clock, scripted prompts, fake serial ports, a fixed list of the
// system's ports and fake broker connections; and finding and clicking a window's controls by name.

#include "config/CalibrationSettings.h"
#include "config/ProgSettings.h"
#include "platform/widgets/Environment.h"
#include "tests/support/FakeMqttConnection.h"
#include "tests/support/FakeSerialLink.h"
#include "tests/support/TestFiles.h"

#include <QDateTime>
#include <QPushButton>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <deque>
#include <functional>

namespace tarnby::test {

class FakeClock final : public Clock {
public:
    QDateTime now() const override { return time; }
    QDateTime time = QDateTime(QDate(2026, 12, 6), QTime(12, 0));
};

// Message boxes are recorded and answered at once (onMessage runs while one waits); each modal
// window runs the next scripted step (which may click its buttons) and is closed afterwards if the
// step left it open.
class ScriptedPrompts final : public UserPrompts {
public:
    void showMessage(QWidget*, const QString& text) override {
        messages << text;
        if (onMessage)
            onMessage(text); // while the message waits
    }
    void runModal(QDialog& window) override;

    QStringList messages;
    QStringList modalWindows; // objectName of each window shown
    std::deque<std::function<void(QDialog&)>> modalSteps;
    std::function<void(const QString&)> onMessage;
};

class TestEnvironment {
public:
    TestEnvironment();
    Environment environment() {
        return {AppPaths(dir.path()),
                clock,
                prompts,
                ports.factory(),
                [] { return QStringList{QStringLiteral("/dev/ttyS0")}; },
                [this] {
                    auto made = std::make_unique<FakeMqttConnection>();
                    brokerConnections << made.get();
                    return std::unique_ptr<MqttConnection>(std::move(made));
                }};
    }

    QString folder() const { return dir.path(); }
    QString path(const QString& relative) const { return dir.path() + u'/' + relative; }
    void writeFile(const QString& relative, const QByteArray& bytes) const;
    QByteArray readFile(const QString& relative) const { return readAll(path(relative)); }
    // prog.cfg and settings.cfg with these values, as the setup windows write them.
    void writeProgCfg(const QString& port = "1", const QString& logDelay = "60",
                      const QString& logOn = "0", const QString& displayRpm = "1",
                      const QString& displayWs = "1", const QString& wsUnits = "MPH",
                      const QString& br = "4800") const {
        writeFile("prog.cfg", progCfgBytes({port, "0", "0", logDelay, logOn, displayRpm, displayWs,
                                            wsUnits, "24", "20", br}));
    }
    void writeSettingsCfg(const QString& voltDivider = "10", const QString& voltOffset = "500",
                          const QString& ampDivider = "10", const QString& rpmDivider = "1",
                          const QString& wsDivider = "1") const {
        writeFile("settings.cfg",
                  settingsCfgBytes({voltDivider, voltOffset, ampDivider, rpmDivider, wsDivider}));
    }

    QTemporaryDir dir;
    FakeClock clock;
    ScriptedPrompts prompts;
    FakeSerialPorts ports;
    QList<FakeMqttConnection*> brokerConnections; // as made, each owned by its window
};

// The named control of a window; the test program stops when there is none.
template <typename T = QWidget> T* child(const QWidget& window, const char* name) {
    T* found = window.findChild<T*>(QLatin1StringView(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}
// The text of a named label, button, check box or line edit.
inline QString textOf(const QWidget& window, const char* name) {
    return child(window, name)->property("text").toString();
}
inline void click(const QWidget& window, const char* button) {
    QTest::mouseClick(child<QPushButton>(window, button), Qt::LeftButton);
}

} // namespace tarnby::test
