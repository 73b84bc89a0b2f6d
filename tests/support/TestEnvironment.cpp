#include "tests/support/TestEnvironment.h"

#include "config/CalibrationSettings.h"
#include "config/ProgSettings.h"

#include <QDialog>
#include <QDir>
#include <QFile>

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

Environment TestEnvironment::environment() {
    return Environment{AppPaths(dir.path()), clock, prompts, ports.factory()};
}

void TestEnvironment::writeFile(const QString& relative, const QByteArray& bytes) const {
    QFile file(path(relative));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write test file %s", qPrintable(path(relative)));
    file.write(bytes);
}

QByteArray TestEnvironment::readFile(const QString& relative) const {
    QFile file(path(relative));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void TestEnvironment::writeProgCfg(const QString& port, const QString& logDelay,
                                   const QString& logOn, const QString& displayRpm,
                                   const QString& displayWs, const QString& wsUnits,
                                   const QString& br) const {
    ProgSettings s;
    s.Port = port;
    s.Savehtml = QStringLiteral("0");
    s.SaveExcel = QStringLiteral("0");
    s.LogDelay = logDelay;
    s.LogOn = logOn;
    s.DisplayRPM = displayRpm;
    s.DisplayWS = displayWs;
    s.WSUnits = wsUnits;
    s.SV = QStringLiteral("24");
    s.MA = QStringLiteral("20");
    s.BR = br;
    writeFile(QStringLiteral("prog.cfg"), progCfgBytes(s));
}

void TestEnvironment::writeSettingsCfg(const QString& voltDivider, const QString& voltOffset,
                                       const QString& ampDivider, const QString& rpmDivider,
                                       const QString& wsDivider) const {
    CalibrationSettings s{voltDivider, voltOffset, ampDivider, rpmDivider, wsDivider};
    writeFile(QStringLiteral("settings.cfg"), settingsCfgBytes(s));
}

} // namespace tarnby::test
