#include "base/gui/MessageBoxes.h"

#include <QMessageBox>

namespace zarelo {

namespace {

void Show(QMessageBox::Icon icon, const QString& text, const QString& caption, QObject* owner)
{
    QMessageBox box(icon, caption, text, QMessageBox::Ok, qobject_cast<QWidget*>(owner));
    box.setObjectName(QStringLiteral("UserMessageBox"));
    box.exec();
}

} // namespace

void MessageBoxes::showMessage(const QString& text, const QString& caption, QObject* owner)
{
    Show(QMessageBox::NoIcon, text, caption, owner);
}

void MessageBoxes::showError(const QString& text, QObject* owner)
{
    Show(QMessageBox::Critical, text, QStringLiteral("Error"), owner);
}

} // namespace zarelo
