#pragma once
// A fake environment for driving the real windows: an application folder in a temporary
// directory, a settable clock, scripted prompts and fake serial ports; and finding and
// clicking a window's controls by name.

#include "platform/widgets/Environment.h"
#include "tests/support/FakeSerialLink.h"

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

// Message boxes are recorded and answered at once; each modal window runs the next scripted
// step (which may click its buttons) and is closed afterwards if the step left it open.
class ScriptedPrompts final : public UserPrompts {
public:
    void showMessage(QWidget* owner, const QString& text) override;
    void runModal(QDialog& window) override;

    QStringList messages;
    QStringList modalWindows; // objectName of each window shown
    std::deque<std::function<void(QDialog&)>> modalSteps;
    std::function<void(const QString&)> onMessage; // runs after a message is recorded
};

class TestEnvironment {
public:
    TestEnvironment();
    Environment environment() { return {AppPaths(dir.path()), clock, prompts, ports.factory()}; }

    QString folder() const { return dir.path(); }
    QString path(const QString& relative) const { return dir.path() + u'/' + relative; }
    void writeFile(const QString& relative, const QByteArray& bytes) const;
    QByteArray readFile(const QString& relative) const; // empty when unreadable
    // prog.cfg and settings.cfg with these values, as the setup windows write them.
    void writeProgCfg(const QString& port = QStringLiteral("1"),
                      const QString& logDelay = QStringLiteral("60"),
                      const QString& logOn = QStringLiteral("0"),
                      const QString& displayRpm = QStringLiteral("1"),
                      const QString& displayWs = QStringLiteral("1"),
                      const QString& wsUnits = QStringLiteral("MPH"),
                      const QString& br = QStringLiteral("4800")) const;
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
