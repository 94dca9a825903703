#pragma once
// The widget side of UserMessages: the one place where message boxes are
// made. Each is a modal QMessageBox with the given caption and one OK button.

#include "base/UserMessages.h"

namespace zarelo {

class MessageBoxes final : public UserMessages {
public:
    // `owner`, when it is a widget, parents the box (centred on it, modal to
    // it); otherwise the box has no owner. Returns when OK is pressed. UI thread.
    void showMessage(const QString& text, const QString& caption, QObject* owner) override;
    void showError(const QString& text, QObject* owner) override;
};

} // namespace zarelo
