#pragma once
// The word test engine's view of the real word history.

#include "quiz/WordTestController.h"
#include "quiz/uDmMain.h"

namespace zarelo {

// TdmMain as the engine's history. Without a data module every word counts
// as new and answers are not recorded.
class DmMainHistory final : public WordHistory {
public:
    explicit DmMainHistory(TdmMain* dmMain) : dmMain_(dmMain) {}
    bool IsNotPassedWord(const QString& word) override
    {
        return !dmMain_ || dmMain_->IsNotPassedWord(word);
    }
    void RecordRightAnswer(const QString& word, QObject* owner, const ItemAnswer& answer) override
    {
        if (dmMain_)
            dmMain_->RecordRightAnswer(word, owner, &answer);
    }
    void RecordWrongAnswer(const QString& word, QObject* owner, const ItemAnswer& answer) override
    {
        if (dmMain_)
            dmMain_->RecordWrongAnswer(word, owner, &answer);
    }

private:
    TdmMain* dmMain_;
};

} // namespace zarelo
