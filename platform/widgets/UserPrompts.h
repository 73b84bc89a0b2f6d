#pragma once
// Message boxes and modal windows, injected so tests can answer them from a script while the
// real windows run.

#include <QList>
#include <QString>
#include <QtGlobal>
#include <utility>

class QDialog;
class QMessageBox;
class QWidget;

namespace tarnby {

class UserPrompts {
public:
    virtual ~UserPrompts() = default;
    // A message box with an OK button only, titled "Tarnby"; returns when it is dismissed.
    virtual void showMessage(QWidget* owner, const QString& text) = 0;
    // As showMessage(); while it waits, closeMessages(tag) closes it as OK would. No message is
    // closed but those shown with that tag (a tag above 0).
    virtual void showClosableMessage(QWidget* owner, const QString& text, int tag) {
        Q_UNUSED(tag);
        showMessage(owner, text);
    }
    virtual void closeMessages(int tag) { Q_UNUSED(tag); }
    // Shows `window` modally over its owner; returns when it has closed.
    virtual void runModal(QDialog& window) = 0;
};

class QtUserPrompts final : public UserPrompts {
public:
    void showMessage(QWidget* owner, const QString& text) override;
    void showClosableMessage(QWidget* owner, const QString& text, int tag) override;
    void closeMessages(int tag) override;
    void runModal(QDialog& window) override;

private:
    QList<std::pair<QMessageBox*, int>> openMessages_; // and their tags
};

} // namespace tarnby
