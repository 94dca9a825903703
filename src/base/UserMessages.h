#pragma once
// User messages: every message box of the program goes through this seam, so
// that a test answers it in advance and reads back text and caption.

#include "base/BookError.h"

#include <QString>

#include <functional>

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

// An unexpected error's text for `report` (the general error report), or,
// when that is empty, for a "提示" box of `messages` owned by `owner`.
inline void ReportUnexpected(const QString& text, const std::function<void(const QString&)>& report,
                             UserMessages& messages, QObject* owner)
{
    if (report)
        report(text);
    else
        messages.showMessage(text, QStringLiteral("提示"), owner);
}

// Runs the event handler `handler` of a window; a BookError escaping it ends
// it there and is reported as ReportUnexpected says.
template <class F>
void RunReportingBookErrors(F&& handler, const std::function<void(const QString&)>& report,
                            UserMessages& messages, QObject* owner)
{
    try {
        handler();
    } catch (const BookError& error) {
        ReportUnexpected(error.message(), report, messages, owner);
    }
}

} // namespace zarelo
