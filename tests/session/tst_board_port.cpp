// The board's port with a fake link: each row a state reached as the session reaches it, one event
// and whether the link's opens fail, then the new state, the signals, whether the retry timer
// runs (every 3 s), why the port is not open and the status line's tooltip.

#include "platform/PortOpenFailure.h"
#include "session/BoardPort.h"
#include "tests/support/FakeSerialLink.h"

#include <QTest>
#include <functional>
#include <map>

using namespace tarnby;
using namespace tarnby::test;
using namespace Qt::StringLiterals;

namespace {
const QStringList StateNames{"Closed", "Open", "Retrying", "WaitingForPerson", "InChildWindow"};
const LineChoice Line{LineSettings{1, 4800}, {}};
const LineChoice NoLine{std::nullopt, u"\"COM1\" is not a port number"_s};
} // namespace

class BoardPortTest : public QObject {
    Q_OBJECT
private slots:
    void transitions_data();
    void transitions();
    void reasonOfAFailedOpen_data();
    void reasonOfAFailedOpen();
};

void BoardPortTest::transitions_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("event");
    QTest::addColumn<bool>("fails"); // the link's opens fail
    QTest::addColumn<QString>("to");
    QTest::addColumn<QStringList>("signalsSent");
    QTest::addColumn<bool>("retrying");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("tooltip");
    const auto row = [](const char* from, const char* event, bool fails, const char* to,
                        const QStringList& sent, bool retrying, const char* reason,
                        const QString& tooltip = {}) {
        QTest::addRow("%s, %s%s", from, event, fails ? " (fails)" : "")
            << QString(from) << QString(event) << fails << QString(to) << sent << retrying
            << QString::fromUtf8(reason) << tooltip;
    };
    const QString waiting = u"Waiting for the board's port: fake1 \u2014 %1. Tarnby tries it "
                            "again every 3 seconds."_s;
    const char* cannot = "cannot open fake port";
    row("Closed", "open", false, "Open", {"opened"}, false, "");
    row("Closed", "open", true, "Closed", {}, false, cannot);
    row("Closed", "open COM1", false, "Closed", {}, false, "\"COM1\" is not a port number");
    row("Closed", "keep trying", true, "Retrying", {}, true, "no such device",
        u"fake1 \u2014 no such device"_s);
    row("Closed", "wait", true, "WaitingForPerson", {}, true, "no such device",
        waiting.arg(u"no such device"));
    row("Open", "data", false, "Open", {"data"}, false, "");
    row("Open", "lost", false, "Retrying", {"lost"}, true, "fake link lost",
        u"fake1 \u2014 fake link lost"_s);
    row("Open", "child window", false, "InChildWindow", {}, false, "");
    row("Retrying", "retry", true, "Retrying", {}, true, cannot,
        u"fake1 \u2014 cannot open fake port"_s);
    row("Retrying", "retry", false, "Open", {"opened"}, false, "");
    row("Retrying", "child window", false, "InChildWindow", {}, false, "");
    row("WaitingForPerson", "retry", true, "WaitingForPerson", {}, true, cannot,
        waiting.arg(QLatin1StringView(cannot)));
    row("WaitingForPerson", "retry", false, "WaitingForPerson", {"appeared"}, true, "",
        u"The board's port fake1 can be opened now."_s);
    row("WaitingForPerson", "close", false, "Closed", {}, false, "");
    row("InChildWindow", "reopen", false, "Open", {"opened"}, false, "");
    row("InChildWindow", "reopen", true, "Closed", {}, false, cannot);
    row("InChildWindow", "late loss", false, "InChildWindow", {}, false, "");
}

void BoardPortTest::transitions() {
    QFETCH(QString, from);
    QFETCH(QString, event);
    QFETCH(bool, fails);
    auto owned = std::make_unique<FakeSerialLink>();
    FakeSerialLink& link = *owned;
    BoardPort port(std::move(owned));
    // The state as the session reaches it: a failed start-up, an open port, a lost link, a
    // recovery waiting, a child window after a loss.
    link.failOpen = from == u"Closed" || from == u"WaitingForPerson";
    port.open(Line);
    if (from == u"Retrying" || from == u"InChildWindow")
        link.loseLink();
    if (from == u"InChildWindow")
        port.handToChildWindow();
    if (from == u"WaitingForPerson")
        port.waitForPerson(Line, u"no such device"_s);
    QCOMPARE(StateNames.value(int(port.state())), from);

    QStringList sent;
    connect(&port, &BoardPort::dataArrived, [&] { sent << u"data"_s; });
    connect(&port, &BoardPort::lost, [&] { sent << u"lost"_s; });
    connect(&port, &BoardPort::opened, [&] { sent << u"opened"_s; });
    connect(&port, &BoardPort::appeared, [&] { sent << u"appeared"_s; });
    link.failOpen = fails;
    const std::map<QString, std::function<void()>> events{
        {u"open"_s, [&] { port.open(Line); }},
        {u"open COM1"_s, [&] { port.open(NoLine); }},
        {u"keep trying"_s, [&] { port.keepTrying(Line, u"no such device"_s); }},
        {u"wait"_s, [&] { port.waitForPerson(Line, u"no such device"_s); }},
        {u"data"_s, [&] { link.deliver("[<V>1</V>]"); }},
        {u"lost"_s, [&] { link.loseLink(); }},
        // A loss the link reports after the port was closed.
        {u"late loss"_s, [&] { emit link.linkLost(u"late"_s); }},
        {u"child window"_s, [&] { port.handToChildWindow(); }},
        {u"close"_s, [&] { port.close(); }},
        {u"retry"_s, [&] { port.retry(); }},
        {u"reopen"_s, [&] { port.reopen(); }}};
    events.at(event)();
    QTEST(StateNames.value(int(port.state())), "to");
    QTEST(sent, "signalsSent");
    QTEST(port.retrying(), "retrying");
    QCOMPARE(port.retryIntervalMs(), 3000);
    QCOMPARE(link.isOpen(), port.isOpen());
    QTEST(port.reason(), "reason");
    QTEST(port.statusDetail(), "tooltip");
}

// What the user is told, from what the system reported when the device did not open.
void BoardPortTest::reasonOfAFailedOpen_data() {
    QTest::addColumn<int>("refusal");
    QTest::addColumn<bool>("writable"); // the device, by this user
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("reason");
    const auto row = [](const char* name, PortOpenFailure::Refusal refusal, bool writable,
                        const char* group, const QString& reason) {
        QTest::newRow(name) << int(refusal) << writable << QString(group) << reason;
    };
    using enum PortOpenFailure::Refusal;
    row("missing", NoSuchDevice, true, "", u"no such device"_s);
    row("in use", InUse, true, "", u"in use by another program"_s);
    row("no permission", PermissionOrLock, false, "uucp",
        u"permission denied: join the group uucp with sudo usermod -aG uucp $USER, then log out "
        "and in"_s);
    row("stale lock", PermissionOrLock, true, "dialout",
        u"in use by another program (system words)"_s);
    row("other", Other, true, "", u"cannot be opened (system words)"_s);
}

void BoardPortTest::reasonOfAFailedOpen() {
    QFETCH(int, refusal);
    QFETCH(bool, writable);
    QFETCH(QString, group);
    QTEST(portOpenFailureReason(
              {PortOpenFailure::Refusal(refusal), u"system words"_s, writable, group}),
          "reason");
}

QTEST_GUILESS_MAIN(BoardPortTest)
#include "tst_board_port.moc"
