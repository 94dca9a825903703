#include "quiz/LearningSummary.h"

#include <algorithm>

namespace zarelo {

QString RecordedModeName(RecordedMode mode)
{
    switch (mode) {
    case RecordedMode::Sentence:
        return QStringLiteral("句子听力");
    case RecordedMode::Dictation:
        return QStringLiteral("单词听写");
    case RecordedMode::Memorising:
        return QStringLiteral("单词记忆");
    case RecordedMode::WrongWords:
        return QStringLiteral("错词听写");
    }
    return {};
}

bool LearningSummary::IsEmpty() const
{
    return !FirstRecord.isValid() &&
           std::none_of(Days.begin(), Days.end(),
                        [](const PracticeDay& d) { return d.Minutes > 0 || d.Tests > 0; });
}

} // namespace zarelo
