#pragma once
// An indicator lamp: a small square button whose face is its signal colour. It paints itself
// (no style sheet), so lighting it on every frame costs one tiny repaint and nothing else.

#include <QColor>
#include <QPushButton>

namespace tarnby {

class Lamp : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;

    // An invalid colour is the system's button face.
    void setColour(const QColor& colour);
    QColor colour() const { return colour_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor colour_;
};

} // namespace tarnby
