// What a program settles before it starts: its command line, its application folder, the
// first contents of a new folder, and the lock that keeps a second program off the folder.

#include "common/AppFolder.h"
#include "common/ProgramOptions.h"
#include "platform/InstanceLock.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using namespace tarnby;

static void write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

class ProgramStart : public QObject {
    Q_OBJECT
private slots:
    void commandLine_data();
    void commandLine();
    void folderChoice_data();
    void folderChoice();
    void newFolderFilledOnce_data();
    void newFolderFilledOnce();
    void oneProgramPerFolder_data();
    void oneProgramPerFolder();
};

void ProgramStart::commandLine_data() {
    QTest::addColumn<Program>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("history");
    QTest::addColumn<int>("status"); // of answerWithoutRunning: -1 runs
    QTest::addColumn<QString>("error");
    const auto row = [](const char* name, Program program, QStringList arguments,
                        const char* folder, bool history, int status, const char* error = "") {
        arguments.prepend(QStringLiteral("prog"));
        QTest::newRow(name) << program << arguments << QString(folder) << history << status
                            << QString(error);
    };
    const Program D = Program::Desktop, S = Program::Service;
    row("folder and history", D, {"--folder", "logs", "--history"}, "logs", true, -1);
    row("folder joined", S, {"--folder=/srv/t"}, "/srv/t", false, -1);
    row("version", S, {"--version"}, "", false, ExitAnswered);
    row("help wins over running", D, {"--history", "-h"}, "", true, ExitAnswered);
    row("service has no history", S, {"--history"}, "", false, ExitUsage,
        "unknown option --history");
    row("folder empty", S, {"--folder="}, "", false, ExitUsage, "--folder needs a folder");
    row("folder twice", D, {"--folder", "a", "--folder", "b"}, "b", false, ExitUsage,
        "--folder given twice");
    row("unknown before help", D, {"--verbose", "--help"}, "", false, ExitUsage,
        "unknown option --verbose");
    row("stray argument", S, {"logs"}, "", false, ExitUsage, "unexpected argument logs");
}

void ProgramStart::commandLine() {
    QFETCH(Program, program);
    QFETCH(QStringList, arguments);
    const ProgramOptions options = parseProgramOptions(program, arguments);
    QTEST(options.folder, "folder");
    QTEST(options.history, "history");
    QTEST(options.error, "error");
    QTEST(answerWithoutRunning(program, options), "status");
    // The help lists exactly the options the program takes.
    for (const char* option : {"--folder", "--history", "--version", "--help"})
        QCOMPARE(helpText(program).contains(option),
                 qstrcmp(option, "--history") != 0 || program == Program::Desktop);
}

void ProgramStart::folderChoice_data() {
    QTest::addColumn<Program>("program");
    QTest::addColumn<QString>("given");
    QTest::addColumn<bool>("installed");
    QTest::addColumn<QString>("xdgDataHome");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("desktopDefault");
    const Program D = Program::Desktop, S = Program::Service;
    const auto row = [](const char* name, Program program, const char* given, bool installed,
                        const char* xdg, const char* folder, bool desktopDefault = false) {
        QTest::newRow(name) << program << QString(given) << installed << QString(xdg)
                            << QString(folder) << desktopDefault;
    };
    row("build run, service", S, "", false, "", "/opt/t/bin");
    row("relative folder", D, "../data/", true, "", "/home/ann/data");
    row("absolute folder", S, "/srv//log/", true, "", "/srv/log");
    row("relative folder, build", D, "d", false, "", "/home/ann/work/d");
    row("installed, no XDG", D, "", true, "", "/home/ann/.local/share/tarnby", true);
    row("installed, XDG", D, "", true, "/data/xdg/", "/data/xdg/tarnby", true);
    row("installed, relative XDG", D, "", true, "xdg", "/home/ann/.local/share/tarnby", true);
    row("installed service", S, "", true, "/data/xdg", "/var/lib/tarnby");
}

void ProgramStart::folderChoice() {
    QFETCH(Program, program);
    QFETCH(QString, given);
    QFETCH(bool, installed);
    QFETCH(QString, xdgDataHome);
    const FolderContext context{installed, QStringLiteral("/opt/t/bin/"),
                                QStringLiteral("/home/ann/work"), xdgDataHome,
                                QStringLiteral("/home/ann")};
    const FolderChoice choice = chooseAppFolder(program, given, context);
    QTEST(choice.folder, "folder");
    QTEST(choice.desktopDefault, "desktopDefault");
}

void ProgramStart::newFolderFilledOnce_data() {
    QTest::addColumn<QString>("samples"); // under the temporary folder
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("filled");
    const auto row = [](const char* name, const char* samples, const char* folder, bool filled) {
        QTest::newRow(name) << QString(samples) << QString(folder) << filled;
    };
    row("new folder", "samples", "share/tarnby", true);
    row("samples missing", "none", "share/tarnby", false);
    row("cannot create", "samples", "samples/prog.cfg/tarnby", false);
}

void ProgramStart::newFolderFilledOnce() {
    QFETCH(QString, samples);
    QFETCH(QString, folder);
    QFETCH(bool, filled);
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("samples"));
    const QByteArray prog = "<Port>0</Port>\r\n", settings = "<VoltDivider>30</VoltDivider>\r\n";
    write(dir.filePath(QStringLiteral("samples/prog.cfg")), prog);
    write(dir.filePath(QStringLiteral("samples/settings.cfg")), settings);
    const QString target = dir.filePath(folder);
    const QString error = fillNewFolder(target, dir.filePath(samples));
    QCOMPARE(error.isEmpty(), filled);
    if (!filled) {
        QVERIFY2(error.contains(target), qPrintable(error));
        QVERIFY(!QFileInfo::exists(target)); // no half-filled folder is left
        return;
    }
    QCOMPARE(QDir(target).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList({"logs", "prog.cfg", "settings.cfg"}));
    QVERIFY(QDir(target + QStringLiteral("/logs")).isEmpty());
    QCOMPARE(test::readAll(target + QStringLiteral("/prog.cfg")), prog);
    QCOMPARE(test::readAll(target + QStringLiteral("/settings.cfg")), settings);
    // An existing folder is the user's, whatever it holds.
    write(target + QStringLiteral("/prog.cfg"), "<Port>3</Port>");
    QFile::remove(target + QStringLiteral("/settings.cfg"));
    QCOMPARE(fillNewFolder(target, dir.filePath(samples)), QString());
    QCOMPARE(QDir(target).entryList(QDir::Files), QStringList{"prog.cfg"});
    QCOMPARE(test::readAll(target + QStringLiteral("/prog.cfg")), QByteArray("<Port>3</Port>"));
}

void ProgramStart::oneProgramPerFolder_data() {
    QTest::addColumn<QByteArray>("content"); // of the lock file beforehand; null: no file
    QTest::addColumn<bool>("heldElsewhere");
    QTest::addColumn<InstanceLock::State>("state");
    QTest::addColumn<QString>("message");
    using State = InstanceLock::State;
    QTest::newRow("no lock file") << QByteArray() << false << State::Held << "";
    QTest::newRow("left by a dead process")
        << QByteArray("99999999\n\n") << false << State::Held << "";
    QTest::newRow("held, no id yet")
        << QByteArray("") << true << State::InUse << "is already used by another Tarnby process";
    QTest::newRow("no folder") << QByteArray() << false << State::Failed
                               << "cannot open its lock file";
}

void ProgramStart::oneProgramPerFolder() {
    QFETCH(QByteArray, content);
    QFETCH(bool, heldElsewhere);
    QFETCH(InstanceLock::State, state);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const bool fails = state == InstanceLock::State::Failed;
    const QString folder = fails ? dir.filePath("gone") : dir.path();
    const QString file = InstanceLock::fileName(folder);
    if (!content.isNull())
        write(file, content);
    // Another open file description of the same file: its flock conflicts like another
    // process's would.
    const int other = ::open(QFile::encodeName(file).constData(), O_RDWR);
    if (heldElsewhere)
        QCOMPARE(::flock(other, LOCK_EX | LOCK_NB), 0);
    {
        const InstanceLock lock(folder);
        QCOMPARE(lock.state(), state);
        QVERIFY2(lock.error().contains(message), qPrintable(lock.error()));
        if (state == InstanceLock::State::Held) {
            const QByteArray ownId = QByteArray::number(::getpid());
            QCOMPARE(test::readAll(file), ownId + '\n');
            const InstanceLock second(folder);
            QCOMPARE(second.state(), InstanceLock::State::InUse);
            QVERIFY2(second.error().contains(QStringLiteral("Tarnby process ") + ownId),
                     qPrintable(second.error()));
        } else { // the refused program touched nothing
            QCOMPARE(test::readAll(file), content.isNull() ? QByteArray() : content);
            QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                     content.isNull() ? QStringList() : QStringList{"tarnby.lock"});
        }
    }
    if (other >= 0)
        ::close(other);
    if (!fails) // released: the next program gets it
        QCOMPARE(InstanceLock(folder).state(), InstanceLock::State::Held);
}

QTEST_GUILESS_MAIN(ProgramStart)
#include "tst_program_start.moc"
