// The board's port: every transition of its state with a fake link, each row a state reached as
// the session reaches it, one event, and what follows: the new state, the signals, whether the
// retry timer runs (every 3 s), what the link did, why the port is not open and the status
// line's tooltip.

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
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("tooltip");
    const auto row = [](const char* from, const char* event, bool fails, const char* to,
                        const QStringList& sent, bool retrying, const char* link,
                        const char* reason, const QString& tooltip = {}) {
        QTest::addRow("%s, %s%s", from, event, fails ? " (fails)" : "")
            << QString(from) << QString(event) << fails << QString(to) << sent << retrying
            << QString(link) << QString::fromUtf8(reason) << tooltip;
    };
    const QString waiting = u"Waiting for the board's port: fake1 \u2014 %1. Tarnby tries it "
                            "again every 3 seconds."_s;
    const char* cannot = "cannot open fake port";
    row("Closed", "open", false, "Open", {"opened"}, false, "open", "");
    row("Closed", "open", true, "Closed", {}, false, "", cannot);
    row("Closed", "open COM1", false, "Closed", {}, false, "", "\"COM1\" is not a port number");
    row("Closed", "keep trying", true, "Retrying", {}, true, "", "no such device",
        u"fake1 \u2014 no such device"_s);
    row("Closed", "wait", true, "WaitingForPerson", {}, true, "", "no such device",
        waiting.arg(u"no such device"));
    row("Open", "data", false, "Open", {"data"}, false, "", "");
    row("Open", "lost", false, "Retrying", {"lost"}, true, "", "fake link lost",
        u"fake1 \u2014 fake link lost"_s);
    row("Open", "child window", false, "InChildWindow", {}, false, "close", "");
    row("Open", "close", false, "Closed", {}, false, "close", "");
    row("Retrying", "retry", true, "Retrying", {}, true, "", cannot,
        u"fake1 \u2014 cannot open fake port"_s);
    row("Retrying", "retry", false, "Open", {"opened"}, false, "open", "");
    row("Retrying", "child window", false, "InChildWindow", {}, false, "", "");
    row("WaitingForPerson", "retry", true, "WaitingForPerson", {}, true, "", cannot,
        waiting.arg(QLatin1StringView(cannot)));
    row("WaitingForPerson", "retry", false, "WaitingForPerson", {"appeared"}, true, "open close",
        "", u"The board's port fake1 can be opened now."_s);
    row("WaitingForPerson", "close", false, "Closed", {}, false, "", "");
    row("InChildWindow", "reopen", false, "Open", {"opened"}, false, "open", "");
    row("InChildWindow", "reopen", true, "Closed", {}, false, "", cannot);
    row("InChildWindow", "late loss", false, "InChildWindow", {}, false, "", "");
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
    const int opens = link.openCount, closes = link.closeCount;
    link.failOpen = fails;
    const std::map<QString, std::function<void()>> events{
        {u"open"_s, [&] { port.open(Line); }},
        {u"open COM1"_s,
         [&] {
             port.open({std::nullopt, u"\"COM1\" is not a port number"_s});
         }},
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
    QStringList did;
    for (int i = opens; i < link.openCount; ++i)
        did << u"open"_s;
    for (int i = closes; i < link.closeCount; ++i)
        did << u"close"_s;
    QTEST(did.join(u' '), "link");
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
    using enum PortOpenFailure::Refusal;
    const QString join = u"permission denied: join the group %1 with sudo usermod -aG %1 $USER, "
                         "then log out and in"_s;
    QTest::newRow("missing") << int(NoSuchDevice) << true << ""
                             << "no such device";
    QTest::newRow("in use") << int(InUse) << true << ""
                            << "in use by another program";
    QTest::newRow("no permission") << int(PermissionOrLock) << false << "uucp" << join.arg("uucp");
    QTest::newRow("group unknown") << int(PermissionOrLock) << false << "" << join.arg("dialout");
    QTest::newRow("stale lock") << int(PermissionOrLock) << true << "dialout"
                                << "in use by another program (system words)";
    QTest::newRow("other") << int(Other) << true << ""
                           << "cannot be opened (system words)";
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
