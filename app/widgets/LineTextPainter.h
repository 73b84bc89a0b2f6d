#pragma once
// Paints one line of plain text in one font, fast. The main window redraws a few short texts
// on every frame (the readings, the status line), and laying text out the general way (script
// itemizing and shaping) costs far more than drawing it. These texts are digits, units and the
// board's frame text, all Latin-1, so the glyph and advance of each Latin-1 character are looked
// up once per font and a line is drawn as one glyph run. Text with any other character is drawn
// the general way.

#include <QFont>
#include <QPointF>
#include <QRawFont>
#include <QString>
#include <array>

class QPainter;

namespace tarnby {

class LineTextPainter {
public:
    void setFont(const QFont& font);
    // Draws text with its baseline starting at origin; control characters take no space.
    // Glyphs that would start beyond maxWidth are left out (the widget clips there anyway).
    void draw(QPainter& painter, QPointF origin, const QString& text, qreal maxWidth) const;

private:
    QFont font_;
    QRawFont raw_;
    std::array<quint32, 256> glyphs_{};
    std::array<qreal, 256> advances_{};
    bool latinComplete_ = false; // every printable Latin-1 character has a glyph
};

} // namespace tarnby
