#pragma once
// The answer sequence of the history writer: answer i goes to one of 37
// words (every fifth with an apostrophe), right or wrong by a fixed pattern.
// The crash test replays a prefix of it to know what the file must hold.

#include <QString>

namespace zarelo::history_answers {

inline QString word(int i)
{
    const int w = i % 37;
    return w % 5 == 0 ? QStringLiteral("o'clock%1").arg(w) : QStringLiteral("word%1").arg(w);
}

inline bool right(int i)
{
    return (i * 7) % 10 < 6;
}

// What was typed for answer i, a sentence-long text with quotes and commas.
inline QString typed(int i)
{
    return right(i) ? word(i)
                    : QStringLiteral("typed \"%1\", wrongly, as answer %2").arg(word(i)).arg(i);
}

} // namespace zarelo::history_answers
