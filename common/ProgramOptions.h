#pragma once
// The command lines of the desktop program (tarnby) and of the service (tarnbyd), read before
// any QCoreApplication exists so that --help and --version need no display.
//
//   tarnby  [--folder DIR] [--history] [--version] [--help]
//   tarnbyd [--folder DIR] [--version] [--help]
//
// "--folder=DIR" is the same as "--folder DIR"; "-h" is "--help".

#include <QString>
#include <QStringList>

namespace tarnby {

enum class Program { Desktop, Service };

// Exit status for --help and --version, and for a command line that cannot be used.
inline constexpr int ExitAnswered = 0;
inline constexpr int ExitUsage = 64;

struct ProgramOptions {
    QString folder; // as given, possibly relative; empty when --folder is absent
    bool history = false;
    bool version = false;
    bool help = false;
    QString error; // a usage error in one line ("unknown option --x"); empty when usable
};

// `arguments` is the whole command line, the program's own name first.
ProgramOptions parseProgramOptions(Program program, const QStringList& arguments);
// The same from main()'s arguments, decoded with QString::fromLocal8Bit.
ProgramOptions parseProgramOptions(Program program, int argc, char** argv);

// The program's name as its users type it.
QString programName(Program program);
// "--help": what the program does, then its options.
QString helpText(Program program);
// "--version": "tarnby 1.0".
QString versionText(Program program);

// Answers --help and --version on stdout and a usage error on stderr (followed by a hint to
// --help) and returns the exit status; returns -1 when the program should run.
int answerWithoutRunning(Program program, const ProgramOptions& options);

} // namespace tarnby
