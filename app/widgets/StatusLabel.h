#pragma once
// The status line (Label2): a plain label that always shows its text as written. Frame texts
// are full of tags such as "<I>", which a label left to guess would take for rich text.

#include <QLabel>

namespace tarnby {

class StatusLabel : public QLabel {
public:
    explicit StatusLabel(const QString& text, QWidget* parent = nullptr) : QLabel(text, parent) {
        setTextFormat(Qt::PlainText);
    }
};

} // namespace tarnby
