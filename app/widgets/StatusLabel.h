#pragma once
// The status line (Label2). It shows the previous frame's text on every frame, so it draws its
// single line without general text layout; otherwise it is a plain label (screen readers read
// it as one).

#include "app/widgets/LineTextPainter.h"

#include <QLabel>

namespace tarnby {

class StatusLabel : public QLabel {
    Q_OBJECT
public:
    explicit StatusLabel(const QString& text, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    LineTextPainter text_;
};

} // namespace tarnby
