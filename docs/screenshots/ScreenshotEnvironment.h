#pragma once
// What the screenshot programs give the real windows in place of the machine's own: an
// application folder in a temporary directory, the real clock, prompts that print each message
// instead of waiting for a click, a board link that opens on any port and hands over the bytes
// it is given, and a fixed list of serial ports, so every picture comes out the same on any
// machine.

#include "platform/widgets/Environment.h"

#include <QDialog>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

namespace tarnby::screenshot {

// A message is printed (a picture never hides one); a modal window is shown and left open.
class PrintedPrompts final : public UserPrompts {
public:
    void showMessage(QWidget*, const QString& text) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    void runModal(QDialog& window) override { window.show(); }
};

// Opens on any port number from 1 and any line settings a real link takes.
class BoardLink final : public SerialLink {
public:
    bool configure(const LineSettings& line) override {
        portNumber_ = line.portNumber;
        return line.portNumber > 0 && line.baudRate > 0;
    }
    bool open() override { return open_ = portNumber_ > 0; }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    QByteArray readAll() override { return std::exchange(waiting_, {}); }
    QString errorString() const override { return {}; }
    QString deviceName() const override {
        return QStringLiteral("/dev/ttyS%1").arg(portNumber_ - 1);
    }

    // Bytes from the board, as a real port would notify them.
    void deliver(const QByteArray& bytes) {
        waiting_ += bytes;
        emit dataArrived();
    }

private:
    int portNumber_ = 0;
    bool open_ = false;
    QByteArray waiting_;
};

class ScreenshotEnvironment {
public:
    Environment environment() {
        return {AppPaths(folder.path()),
                clock,
                prompts,
                [this] {
                    auto link = std::make_unique<BoardLink>();
                    links.push_back(link.get());
                    return std::unique_ptr<SerialLink>(std::move(link));
                },
                [] { return QStringList{QStringLiteral("/dev/ttyS0")}; },
                {}}; // no broker: the pictures never publish
    }
    QString path(const QString& relative) const { return folder.path() + u'/' + relative; }

    QTemporaryDir folder;
    SystemClock clock;
    PrintedPrompts prompts;
    std::vector<BoardLink*> links; // every link made, in order; each owned by who asked
};

} // namespace tarnby::screenshot
