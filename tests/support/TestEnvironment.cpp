#include "tests/support/TestEnvironment.h"

#include "config/CalibrationSettings.h"
#include "config/ProgSettings.h"
#include "tests/support/TestFiles.h"

#include <QDialog>
#include <QDir>

namespace tarnby::test {

void ScriptedPrompts::showMessage(QWidget*, const QString& text) {
    messages << text;
    if (onMessage)
        onMessage(text);
}

void ScriptedPrompts::runModal(QDialog& window) {
    modalWindows << window.objectName();
    window.show();
    if (!modalSteps.empty()) {
        auto step = std::move(modalSteps.front());
        modalSteps.pop_front();
        step(window);
    }
    if (window.isVisible())
        window.reject();
}

TestEnvironment::TestEnvironment() {
    QDir(dir.path()).mkdir(QStringLiteral("logs"));
}

void TestEnvironment::writeFile(const QString& relative, const QByteArray& bytes) const {
    QFile file(path(relative));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write test file %s", qPrintable(path(relative)));
}

QByteArray TestEnvironment::readFile(const QString& relative) const {
    return readAll(path(relative));
}

void TestEnvironment::writeProgCfg(const QString& port, const QString& logDelay,
                                   const QString& logOn, const QString& displayRpm,
                                   const QString& displayWs, const QString& wsUnits,
                                   const QString& br) const {
    const QString off = QStringLiteral("0");
    const ProgSettings s{port,
                         off,
                         off,
                         logDelay,
                         logOn,
                         displayRpm,
                         displayWs,
                         wsUnits,
                         QStringLiteral("24"),
                         QStringLiteral("20"),
                         br};
    writeFile(QStringLiteral("prog.cfg"), progCfgBytes(s));
}

void TestEnvironment::writeSettingsCfg(const QString& voltDivider, const QString& voltOffset,
                                       const QString& ampDivider, const QString& rpmDivider,
                                       const QString& wsDivider) const {
    const CalibrationSettings s{voltDivider, voltOffset, ampDivider, rpmDivider, wsDivider};
    writeFile(QStringLiteral("settings.cfg"), settingsCfgBytes(s));
}

} // namespace tarnby::test
