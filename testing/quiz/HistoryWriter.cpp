// Child process of the crash test: answers the history's words one after the
// other, each with its learning record row in a test begun for the run, and
// prints the index of each answer once it has returned (and so been
// committed), one line each, unbuffered.
//
// Usage: quiz_history_writer <program folder> <first index> <count>
#include "HistoryAnswers.h"
#include "quiz/uDmMain.h"
#include "support/ScriptedMessages.h"

#include <QCoreApplication>
#include <cstdio>

using namespace zarelo;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4)
        return 2;
    const int first = args[2].toInt();
    const int count = args[3].toInt();

    TestSettings settings;
    fakes::ScriptedMessages messages;
    TdmMain dmMain(args[1], settings, messages);
    dmMain.DataModuleCreate();
    if (!dmMain.IsConnected())
        return 3;
    const int64_t test = dmMain.BeginTest(RecordedMode::Dictation, {"Pub", "Book", ""}, count);
    for (int i = first; i < first + count; ++i) {
        const ItemAnswer answer{test, history_answers::word(i), history_answers::typed(i),
                                history_answers::right(i), i};
        if (history_answers::right(i))
            dmMain.RecordRightAnswer(history_answers::word(i), nullptr, &answer);
        else
            dmMain.RecordWrongAnswer(history_answers::word(i), nullptr, &answer);
        if (!messages.shown.isEmpty())
            return 4;
        std::printf("%d\n", i);
        std::fflush(stdout);
    }
    return 0;
}
