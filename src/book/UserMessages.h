#pragma once
// User messages: every message box of the program goes through this seam, so
// that a test answers it in advance and reads back text and caption.

#include <QString>

class QObject;

namespace zarelo {

class UserMessages {
public:
    virtual ~UserMessages() = default;
    // A modal box with one OK button. `owner` is the window that owns it
    // (nullptr: no owner); logic passes it through untouched.
    virtual void showMessage(const QString& text, const QString& caption = QStringLiteral("提示"),
                             QObject* owner = nullptr) = 0;
    // The standard error box of a device failure: caption "Error", an error
    // icon, one OK button.
    virtual void showError(const QString& text, QObject* owner = nullptr)
    {
        showMessage(text, QStringLiteral("Error"), owner);
    }
};

} // namespace zarelo
