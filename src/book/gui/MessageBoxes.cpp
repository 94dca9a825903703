#include "book/gui/MessageBoxes.h"

#include <QMessageBox>

namespace zarelo {

void MessageBoxes::showMessage(const QString& text, const QString& caption, QObject* owner)
{
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok,
                    qobject_cast<QWidget*>(owner));
    box.setObjectName(QStringLiteral("UserMessageBox"));
    box.exec();
}

} // namespace zarelo
