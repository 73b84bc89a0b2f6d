#include "tools/BoardOptions.h"

#include "common/AppPaths.h"

#include <QCommandLineParser>
#include <QDir>
#include <QRandomGenerator>

namespace tarnby::board {

QString BoardOptions::linkPath() const {
    return AppPaths(folder).portLink(port);
}

std::optional<BoardOptions> parseBoardOptions(const QStringList& arguments, QString* message,
                                              bool* exitNow) {
    *exitNow = false;
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulated sensor board: sends telemetry frames on a pseudo-terminal linked as "
        "<folder>/ports/COM<port>. Frames go out only while a program has the port open."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption folder(QStringLiteral("folder"),
                                    QStringLiteral("Application folder (default: current folder)."),
                                    QStringLiteral("path"), QStringLiteral("."));
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("Port number N (default 1)."), QStringLiteral("N"),
                                  QStringLiteral("1"));
    const QCommandLineOption rate(QStringLiteral("rate"),
                                  QStringLiteral("Frames per second, 0.1 to 1000 (default 2)."),
                                  QStringLiteral("frames/s"), QStringLiteral("2"));
    const QCommandLineOption fixed(
        QStringLiteral("fixed"),
        QStringLiteral("Send these raw values unchanged in every frame, e.g. 810,912,50,215,25."),
        QStringLiteral("V,I,R,M,S"));
    const QCommandLineOption split(
        QStringLiteral("split"),
        QStringLiteral("Write each frame in several pieces cut at random points, with short "
                       "pauses; a frame's tail may travel with the next frame's head."));
    const QCommandLineOption badEvery(
        QStringLiteral("bad-every"),
        QStringLiteral("Make every Nth frame a damaged one (V \"0\", lower-case tags, closing "
                       "tag first, letters for V, in turn)."),
        QStringLiteral("N"));
    const QCommandLineOption badKinds(
        QStringLiteral("bad-kinds"),
        QStringLiteral("Which damaged frames --bad-every mixes in, in turn: any of zero, lower, "
                       "closing, letters, separated by commas (default: all)."),
        QStringLiteral("kinds"), QStringLiteral("zero,lower,closing,letters"));
    const QCommandLineOption noise(QStringLiteral("noise"),
                                   QStringLiteral("Put line noise (no brackets) between frames."));
    const QCommandLineOption noiseOnly(
        QStringLiteral("noise-only"),
        QStringLiteral("Send only garbage without brackets, as a board at the wrong baud rate."));
    const QCommandLineOption count(QStringLiteral("count"),
                                   QStringLiteral("Stop after N frames have been sent."),
                                   QStringLiteral("N"));
    const QCommandLineOption hold(QStringLiteral("hold"),
                                  QStringLiteral("With --count: keep the port open afterwards "
                                                 "until stopped."));
    const QCommandLineOption seed(QStringLiteral("seed"),
                                  QStringLiteral("Seed of the random profile, pieces and noise."),
                                  QStringLiteral("number"));
    const QCommandLineOption stats(
        QStringLiteral("stats-file"),
        QStringLiteral("On exit, write the frames sent and their raw sums to this file."),
        QStringLiteral("path"));
    parser.addOptions({folder, port, rate, fixed, split, badEvery, badKinds, noise, noiseOnly,
                       count, hold, seed, stats});

    if (!parser.parse(arguments)) {
        *message = parser.errorText();
        return std::nullopt;
    }
    if (parser.isSet(help)) {
        *message = parser.helpText();
        *exitNow = true;
        return std::nullopt;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *message =
            QStringLiteral("unexpected argument: %1").arg(parser.positionalArguments().first());
        return std::nullopt;
    }

    BoardOptions options;
    bool ok = false;
    options.folder = QDir(parser.value(folder)).absolutePath();
    options.port = parser.value(port).toInt(&ok);
    if (!ok || options.port < 1) {
        *message = QStringLiteral("--port needs a whole number of 1 or more");
        return std::nullopt;
    }
    options.rate = parser.value(rate).toDouble(&ok);
    if (!ok || !(options.rate >= 0.1 && options.rate <= 1000)) {
        *message = QStringLiteral("--rate needs a number of frames per second from 0.1 to 1000");
        return std::nullopt;
    }
    if (parser.isSet(fixed)) {
        const QList<QByteArray> parts = parser.value(fixed).toLatin1().split(',');
        if (parts.size() != 5) {
            *message = QStringLiteral("--fixed needs five values: V,I,R,M,S");
            return std::nullopt;
        }
        for (const QByteArray& part : parts) {
            if (part.contains('[') || part.contains(']') || part.contains('<')) {
                *message = QStringLiteral("--fixed values may not hold brackets or tags");
                return std::nullopt;
            }
        }
        options.fixed = RawReading{parts[0], parts[1], parts[2], parts[3], parts[4]};
    }
    options.split = parser.isSet(split);
    if (parser.isSet(badEvery)) {
        options.badEvery = parser.value(badEvery).toInt(&ok);
        if (!ok || options.badEvery < 1) {
            *message = QStringLiteral("--bad-every needs a whole number of 1 or more");
            return std::nullopt;
        }
    }
    for (const QString& name : parser.value(badKinds).split(u',', Qt::SkipEmptyParts)) {
        if (name == QLatin1StringView("zero")) {
            options.badKinds.push_back(FrameKind::ZeroVolts);
        } else if (name == QLatin1StringView("lower")) {
            options.badKinds.push_back(FrameKind::LowerCaseTags);
        } else if (name == QLatin1StringView("closing")) {
            options.badKinds.push_back(FrameKind::ClosingTagFirst);
        } else if (name == QLatin1StringView("letters")) {
            options.badKinds.push_back(FrameKind::LettersForVolts);
        } else {
            *message = QStringLiteral("--bad-kinds: unknown kind %1").arg(name);
            return std::nullopt;
        }
    }
    if (options.badKinds.empty()) {
        *message = QStringLiteral("--bad-kinds needs at least one kind");
        return std::nullopt;
    }
    options.noise = parser.isSet(noise);
    options.noiseOnly = parser.isSet(noiseOnly);
    if (parser.isSet(count)) {
        options.count = parser.value(count).toLongLong(&ok);
        if (!ok || options.count < 1) {
            *message = QStringLiteral("--count needs a whole number of 1 or more");
            return std::nullopt;
        }
    }
    options.hold = parser.isSet(hold);
    if (parser.isSet(seed)) {
        options.seed = parser.value(seed).toULongLong(&ok);
        if (!ok) {
            *message = QStringLiteral("--seed needs a whole number");
            return std::nullopt;
        }
    } else {
        options.seed = QRandomGenerator::global()->generate64() % 1000000000ULL;
    }
    options.statsFile = parser.value(stats);
    return options;
}

} // namespace tarnby::board
