#pragma once
// The one way the windows make a control that tests and the screenshot programs find by its
// object name: makeNamed<QLabel>(parent, "Label1", text) constructs the widget with the given
// arguments and the parent last, then sets the name.

#include <QLatin1StringView>
#include <QWidget>
#include <utility>

namespace tarnby {

template <typename Widget, typename... Args>
Widget* makeNamed(QWidget* parent, const char* objectName, Args&&... args) {
    auto* widget = new Widget(std::forward<Args>(args)..., parent);
    widget->setObjectName(QLatin1StringView(objectName));
    return widget;
}

} // namespace tarnby
