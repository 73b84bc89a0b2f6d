#include "app/widgets/LineTextPainter.h"

#include <QGlyphRun>
#include <QPainter>
#include <QVarLengthArray>
#include <cmath>

namespace tarnby {

namespace {
bool isControl(char16_t c) {
    return c < 0x20 || (c >= 0x7F && c < 0xA0);
}
} // namespace

void LineTextPainter::setFont(const QFont& font) {
    font_ = font;
    raw_ = QRawFont::fromFont(font);
    latinComplete_ = raw_.isValid();
    if (!latinComplete_)
        return;
    QString latin;
    for (int c = 0; c < 256; ++c)
        latin.append(QChar(isControl(char16_t(c)) ? u' ' : char16_t(c)));
    const QList<quint32> glyphs = raw_.glyphIndexesForString(latin);
    const QList<QPointF> advances = raw_.advancesForGlyphIndexes(glyphs);
    if (glyphs.size() != 256 || advances.size() != 256) {
        latinComplete_ = false;
        return;
    }
    for (int c = 0; c < 256; ++c) {
        glyphs_[c] = glyphs[c];
        advances_[c] = isControl(char16_t(c)) ? 0.0 : advances[c].x();
        if (!isControl(char16_t(c)) && c != 0xA0 && c != 0xAD && glyphs[c] == 0)
            latinComplete_ = false; // a character the font lacks: let Qt find a fallback font
    }
}

void LineTextPainter::draw(QPainter& painter, QPointF origin, const QString& text,
                           qreal maxWidth) const {
    if (text.isEmpty())
        return;
    bool latin = latinComplete_;
    for (QChar c : text)
        latin = latin && c.unicode() < 256;
    if (!latin) {
        QString visible;
        for (QChar c : text)
            if (!isControl(c.unicode()))
                visible.append(c);
        painter.setFont(font_);
        painter.drawText(origin, visible);
        return;
    }
    QVarLengthArray<quint32, 128> glyphs;
    QVarLengthArray<QPointF, 128> positions;
    qreal x = 0;
    for (QChar c : text) {
        const char16_t code = c.unicode();
        if (isControl(code))
            continue;
        if (x > maxWidth)
            break;
        // Whole-pixel positions: each glyph is then drawn from one cached image, never from
        // one of its sub-pixel variants.
        glyphs.append(glyphs_[code]);
        positions.append(QPointF(std::round(x), 0));
        x += advances_[code];
    }
    QGlyphRun run;
    run.setRawFont(raw_);
    run.setRawData(glyphs.constData(), positions.constData(), glyphs.size());
    painter.drawGlyphRun(origin, run);
}

} // namespace tarnby
