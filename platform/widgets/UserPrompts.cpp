#include "platform/widgets/UserPrompts.h"

#include <QDialog>
#include <QMessageBox>

namespace tarnby {

void QtUserPrompts::showMessage(QWidget* owner, const QString& text) {
    showClosableMessage(owner, text, 0);
}

void QtUserPrompts::showClosableMessage(QWidget* owner, const QString& text, int tag) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Tarnby"), text, QMessageBox::Ok, owner);
    const std::pair<QMessageBox*, int> entry{&box, tag};
    openMessages_.append(entry);
    box.exec();
    openMessages_.removeOne(entry);
}

void QtUserPrompts::closeMessages(int tag) {
    for (const auto& [box, boxTag] : openMessages_) {
        if (tag > 0 && boxTag == tag)
            box->accept();
    }
}

void QtUserPrompts::runModal(QDialog& window) {
    window.setWindowModality(Qt::ApplicationModal);
    window.exec();
}

} // namespace tarnby
