#pragma once
// Message boxes and modal windows, injected so tests can answer them from a script while the
// real windows run.

#include <QList>
#include <QString>

class QDialog;
class QMessageBox;
class QWidget;

namespace tarnby {

class UserPrompts {
public:
    virtual ~UserPrompts() = default;
    // A message box with an OK button only, titled "Tarnby"; returns when it is dismissed.
    virtual void showMessage(QWidget* owner, const QString& text) = 0;
    // Shows `window` modally over its owner; returns when it has closed.
    virtual void runModal(QDialog& window) = 0;
    // Closes the message boxes still waiting, as OK would.
    virtual void closeOpenMessages() {}
};

class QtUserPrompts final : public UserPrompts {
public:
    void showMessage(QWidget* owner, const QString& text) override;
    void runModal(QDialog& window) override;
    void closeOpenMessages() override;

private:
    QList<QMessageBox*> openMessages_;
};

} // namespace tarnby
