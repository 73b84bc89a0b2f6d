#pragma once
// Controls carry their design names as object names, so tests and accessibility find them.

#include <QLabel>
#include <QLatin1StringView>

namespace tarnby {

inline QLabel* namedLabel(const char* name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1StringView(name));
    return label;
}

} // namespace tarnby
