// The main window's fast text: the readings list and the status line draw their texts from a
// glyph table instead of general text layout, so they must look the same as Qt's own drawing.

#include "app/widgets/LineTextPainter.h"
#include "app/widgets/ReadingsList.h"

#include <QAccessible>
#include <QImage>
#include <QPainter>
#include <QtTest>
#include <numeric>

using namespace tarnby;
using namespace Qt::StringLiterals;

namespace {
QFont listFont() {
    QFont font;
    font.setFamilies({u"Arial"_s, u"Liberation Sans"_s, u"DejaVu Sans"_s});
    font.setPointSize(18);
    return font;
}

QImage blank() {
    QImage image(400, 60, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

// Darkness of each pixel column: where the ink is, independent of anti-aliasing details.
QVector<int> inkByColumn(const QImage& image) {
    QVector<int> ink(image.width(), 0);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ink[x] += 255 - qGray(image.pixel(x, y));
    return ink;
}

int inkWidth(const QVector<int>& ink) {
    int first = -1, last = -1;
    for (int x = 0; x < ink.size(); ++x)
        if (ink[x] > 0) {
            if (first < 0)
                first = x;
            last = x;
        }
    return first < 0 ? 0 : last - first + 1;
}
} // namespace

class TestReadingsText : public QObject {
    Q_OBJECT
private slots:
    void drawsAsQtDoes_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("value") << u"12.57"_s;
        QTest::newRow("label") << u"WattHours"_s;
        QTest::newRow("frame text") << u"[<V>747</V><I>664</I><R>50</R>"_s;
        QTest::newRow("Latin-1 units") << u"m/s \u00B0 \u00E9"_s;
        QTest::newRow("beyond Latin-1 falls back") << u"12 \u20AC"_s;
    }
    void drawsAsQtDoes() {
        QFETCH(QString, text);
        LineTextPainter fast;
        fast.setFont(listFont());
        QImage ours = blank(), qts = blank();
        {
            QPainter painter(&ours);
            painter.setPen(Qt::black);
            fast.draw(painter, QPointF(5, 40), text, 400);
        }
        {
            QPainter painter(&qts);
            painter.setFont(listFont());
            painter.setPen(Qt::black);
            painter.drawText(QPointF(5, 40), text);
        }
        const QVector<int> a = inkByColumn(ours), b = inkByColumn(qts);
        QVERIFY(inkWidth(b) > 0);
        // Whole-pixel glyph positions and no kerning (as in "Wa"): at most a few pixels of
        // difference.
        QVERIFY2(qAbs(inkWidth(a) - inkWidth(b)) <= 3,
                 qPrintable(u"%1 against %2"_s.arg(inkWidth(a)).arg(inkWidth(b))));
        // The same glyphs: a wrong or missing glyph changes the amount of ink by far more.
        const long ourInk = std::accumulate(a.begin(), a.end(), 0L);
        const long qtInk = std::accumulate(b.begin(), b.end(), 0L);
        QVERIFY2(qAbs(ourInk - qtInk) * 20 < qtInk,
                 qPrintable(u"%1 against %2"_s.arg(ourInk).arg(qtInk)));
    }

    void controlCharactersTakeNoSpaceAndTextStopsAtTheWidth() {
        LineTextPainter fast;
        fast.setFont(listFont());
        QImage plain = blank(), withControls = blank(), cut = blank();
        for (auto [image, text, width] : {std::tuple{&plain, u"12.5"_s, 400.0},
                                          std::tuple{&withControls, u"1\r\n2.\t5"_s, 400.0},
                                          std::tuple{&cut, u"12.5"_s, 1.0}}) {
            QPainter painter(image);
            painter.setPen(Qt::black);
            fast.draw(painter, QPointF(5, 40), text, width);
        }
        QCOMPARE(withControls, plain);
        QVERIFY(inkWidth(inkByColumn(cut)) > 0);
        QVERIFY(inkWidth(inkByColumn(cut)) < inkWidth(inkByColumn(plain)) / 2);
    }

    void listShowsAndReportsItsRows() {
        ReadingsList list;
        list.resize(300, 200);
        list.setColumnWidths(0, 100, 180);
        list.showRows({{u"0.0"_s, u"Volts"_s}, {u"0.0"_s, u"Amps"_s}});
        list.showRows({{u"12.57"_s, u"Volts"_s}, {u"3.2"_s, u"Amps"_s}});
        QCOMPARE(list.values(), (QStringList{u"12.57"_s, u"3.2"_s}));
        QCOMPARE(list.labels(), (QStringList{u"Volts"_s, u"Amps"_s}));
        QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(&list);
        QVERIFY(reader);
        QCOMPARE(reader->text(QAccessible::Value), u"12.57 Volts\n3.2 Amps"_s);
        list.clear();
        QVERIFY(list.values().isEmpty());
    }
};

QTEST_MAIN(TestReadingsText)
#include "tst_readings_text.moc"
