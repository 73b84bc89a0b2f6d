#include "common/ProgramOptions.h"

#include "tarnby/Version.h"

#include <cstdio>

namespace tarnby {

namespace {

const QString FolderOption = QStringLiteral("--folder");

} // namespace

ProgramOptions parseProgramOptions(Program program, const QStringList& arguments) {
    ProgramOptions options;
    bool folderGiven = false;
    for (qsizetype i = 1; i < arguments.size() && options.error.isEmpty(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1StringView("--help") || argument == QLatin1StringView("-h")) {
            options.help = true;
        } else if (argument == QLatin1StringView("--version")) {
            options.version = true;
        } else if (argument == QLatin1StringView("--history") && program == Program::Desktop) {
            options.history = true;
        } else if (argument == FolderOption || argument.startsWith(FolderOption + u'=')) {
            const bool joined = argument != FolderOption;
            if (!joined && i + 1 == arguments.size()) {
                options.error = QStringLiteral("--folder needs a folder");
                break;
            }
            const QString value = joined ? argument.mid(FolderOption.size() + 1) : arguments[++i];
            if (value.isEmpty())
                options.error = QStringLiteral("--folder needs a folder");
            else if (folderGiven)
                options.error = QStringLiteral("--folder given twice");
            options.folder = value;
            folderGiven = true;
        } else if (argument.startsWith(u'-')) {
            options.error = QStringLiteral("unknown option %1").arg(argument);
        } else {
            options.error = QStringLiteral("unexpected argument %1").arg(argument);
        }
    }
    return options;
}

ProgramOptions parseProgramOptions(Program program, int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return parseProgramOptions(program, arguments);
}

QString programName(Program program) {
    return program == Program::Desktop ? QStringLiteral("tarnby") : QStringLiteral("tarnbyd");
}

QString helpText(Program program) {
    if (program == Program::Desktop)
        return QStringLiteral(
            "Usage: tarnby [--folder DIR] [--history]\n"
            "\n"
            "Tarnby logs a battery-charging system: it reads the sensor board on a serial port,\n"
            "shows volts, amps, watts, RPM and wind speed, writes a log file per day and keeps\n"
            "a watt-hour total, all in its application folder.\n"
            "\n"
            "Options:\n"
            "  --folder DIR  keep every file in DIR (the application folder)\n"
            "  --history     open only the history window on the folder's day logs: no port,\n"
            "                no logging, and a service may be logging to the same folder\n"
            "  --version     print the version and end\n"
            "  -h, --help    print this help and end\n");
    return QStringLiteral(
        "Usage: tarnbyd [--folder DIR]\n"
        "\n"
        "tarnbyd is Tarnby's logger without a window, for a service started at boot: it reads\n"
        "the sensor board as set in prog.cfg and settings.cfg and writes the same day logs\n"
        "and watt-hour totals as the desktop program. Messages go to standard error.\n"
        "\n"
        "Options:\n"
        "  --folder DIR  keep every file in DIR (the application folder)\n"
        "  --version     print the version and end\n"
        "  -h, --help    print this help and end\n");
}

QString versionText(Program program) {
    return programName(program) + u' ' + QLatin1StringView(Version) + u'\n';
}

int answerWithoutRunning(Program program, const ProgramOptions& options) {
    if (!options.error.isEmpty()) {
        const QString name = programName(program);
        std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", qPrintable(name),
                     qPrintable(options.error), qPrintable(name));
        return ExitUsage;
    }
    if (!options.help && !options.version)
        return -1;
    std::fputs(qPrintable(options.help ? helpText(program) : versionText(program)), stdout);
    return ExitAnswered;
}

} // namespace tarnby
