#pragma once
// Records every message the code under test shows, instead of a box.

#include "base/UserMessages.h"

#include <QList>

namespace zarelo::fakes {

struct ShownMessage {
    QString text;
    QString caption;
    QObject* owner = nullptr;
};

class ScriptedMessages final : public UserMessages {
public:
    void showMessage(const QString& text, const QString& caption, QObject* owner) override
    {
        shown.append({text, caption, owner});
    }
    QStringList texts() const
    {
        QStringList out;
        for (const auto& m : shown)
            out << m.text;
        return out;
    }
    QList<ShownMessage> shown;
};

} // namespace zarelo::fakes
