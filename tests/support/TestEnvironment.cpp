#include "tests/support/TestEnvironment.h"

#include <QDialog>
#include <QDir>

namespace tarnby::test {

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

} // namespace tarnby::test
