// The readings list and the status line: what they show, what screen readers read from them,
// and that a new frame repaints and announces only the rows whose text changed.

#include "app/widgets/MainWindow.h"
#include "app/widgets/ReadingsList.h"
#include "tests/support/TestEnvironment.h"

#include <QAccessible>
#include <QLabel>
#include <QPaintEvent>
#include <QtTest>

using namespace tarnby;
using namespace Qt::StringLiterals;

namespace {
const QVector<ReadingRow> steady = {{u"12.57"_s, u"Volts"_s}, {u"3.2"_s, u"Amps"_s}};

QStringList readRows(ReadingsList& list) {
    QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(&list);
    QStringList names;
    for (int i = 0; i < reader->childCount(); ++i)
        names << reader->child(i)->text(QAccessible::Name);
    return names;
}

// The rows named in the accessibility events sent since the last call.
QList<int> announcedRows;
void recordEvent(QAccessibleEvent* event) {
    if (event->type() == QAccessible::NameChanged)
        announcedRows << event->child();
}

class PaintRecorder : public QObject {
public:
    QRegion painted;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
};
} // namespace

class TestReadingsText : public QObject {
    Q_OBJECT

    // New rows shown after the steady ones, and the rows whose text that changes.
    void changedRows() {
        QTest::addColumn<QVector<ReadingRow>>("rows");
        QTest::addColumn<QList<int>>("changed");
        QTest::newRow("steady") << steady << QList<int>{};
        QTest::newRow("one value")
            << QVector<ReadingRow>{steady[0], {u"3.3"_s, u"Amps"_s}} << QList<int>{1};
        QTest::newRow("a label") << QVector<ReadingRow>{{u"12.57"_s, u"V"_s}, steady[1]}
                                 << QList<int>{0};
    }

private slots:
    void screenReadersReadRowsAndOnlyChangedAreRepainted_data() { changedRows(); }
    void screenReadersReadRowsAndOnlyChangedAreRepainted() {
        QFETCH(QVector<ReadingRow>, rows);
        QFETCH(QList<int>, changed);
        ReadingsList list;
        list.resize(300, 200);
        list.setColumnWidths(1, 100, 180);
        list.showRows({{u"0.0"_s, u"Volts"_s}, {u"0.0"_s, u"Amps"_s}});
        list.showRows(steady);
        QCOMPARE(QAccessible::queryAccessibleInterface(&list)->role(), QAccessible::List);
        QCOMPARE(readRows(list), (QStringList{u"12.57 Volts"_s, u"3.2 Amps"_s}));
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QCoreApplication::processEvents();
        PaintRecorder recorder;
        list.installEventFilter(&recorder);

        list.showRows(rows);
        QCoreApplication::processEvents();

        QRegion changedRows;
        for (int row : changed)
            changedRows += list.rowRect(row);
        QCOMPARE(recorder.painted.isEmpty(), changed.isEmpty());
        QVERIFY((recorder.painted - changedRows).isEmpty());
    }

    // Qt passes accessibility events on only while a screen reader's bus is attached: this runs
    // on the virtual desktop (ctest -L desktop), not offscreen.
    void screenReadersHearChangedRows_data() { changedRows(); }
    void screenReadersHearChangedRows() {
        if (QGuiApplication::platformName() != u"xcb"_s)
            QSKIP("needs the accessibility bus of a desktop session");
        QTRY_VERIFY(QAccessible::isActive()); // the bus answers Qt's first query
        QFETCH(QVector<ReadingRow>, rows);
        QFETCH(QList<int>, changed);
        ReadingsList list;
        list.showRows(steady);
        QAccessible::installUpdateHandler(recordEvent);
        announcedRows.clear();
        list.showRows(rows);
        QAccessible::installUpdateHandler(nullptr);
        QCOMPARE(announcedRows, changed);
    }

    void statusLineShowsFrameTextsAsWritten() {
        test::TestEnvironment t;
        MainWindow window(t.environment());
        auto* status = test::child<QLabel>(window, "Label2");
        const QString frame = u"[<I>10</I><V>240</V>]"_s; // "<I>" would read as italics
        status->setText(frame);
        QCOMPARE(status->text(), frame);
        QCOMPARE(QAccessible::queryAccessibleInterface(status)->text(QAccessible::Name), frame);
    }
};

QTEST_MAIN(TestReadingsText)
#include "tst_readings_text.moc"
