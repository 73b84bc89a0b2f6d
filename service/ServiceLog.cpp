#include "service/ServiceLog.h"

#include <QStringList>
#include <QtGlobal>
#include <cstdio>

namespace tarnby {

using namespace Qt::StringLiterals;

void serviceLog(const QString& text) {
    std::fprintf(stderr, "tarnbyd: %s\n", oneLine(text).toUtf8().constData());
    std::fflush(stderr);
}

QString oneLine(const QString& text) {
    QString line;
    for (const QString& part : text.split(u'\n', Qt::SkipEmptyParts)) {
        const QString trimmed = part.trimmed();
        if (trimmed.isEmpty())
            continue;
        const bool item = trimmed.startsWith(u"- "_s);
        if (!line.isEmpty())
            line += line.endsWith(u':') || line.endsWith(u'.') ? u" "_s : item ? u"; "_s : u". "_s;
        line += item ? trimmed.mid(2) : trimmed;
    }
    return line;
}

void routeQtMessagesToServiceLog() {
    qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& message) { serviceLog(message); });
}

} // namespace tarnby
