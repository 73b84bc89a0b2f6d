#include "platform/widgets/UserPrompts.h"

#include <QDialog>
#include <QMessageBox>

namespace tarnby {

void QtUserPrompts::showMessage(QWidget* owner, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Tarnby"), text, QMessageBox::Ok, owner);
    openMessages_.append(&box);
    box.exec();
    openMessages_.removeOne(&box);
}

void QtUserPrompts::closeOpenMessages() {
    for (QMessageBox* box : openMessages_)
        box->accept();
}

void QtUserPrompts::runModal(QDialog& window) {
    window.setWindowModality(Qt::ApplicationModal);
    window.exec();
}

} // namespace tarnby
