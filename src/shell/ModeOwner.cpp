#include "shell/ModeOwner.h"

namespace zarelo {

namespace {

bool IsTest(Mode mode)
{
    return mode == Mode::Dictation || mode == Mode::Memorise || mode == Mode::SentenceTest;
}

} // namespace

ModeOwner::ModeOwner(SharedTestState& testState, ModeHost& host)
    : testState_(testState), host_(host)
{
}

ModeSession* ModeOwner::holderSession()
{
    return holder_ == Mode::None ? nullptr : &host_.SessionOf(holder_);
}

void ModeOwner::setHolder(Mode holder)
{
    holder_ = holder;
    testState_.ActiveMode = ActiveModeOf(holder);
}

void ModeOwner::Show(Mode mode)
{
    if (ModeSession* old = holderSession())
        old->Leave();
    setHolder(Mode::None);
    shown_ = mode;
    ModeSession& session = host_.SessionOf(mode);
    const bool holds = session.Enter(mode);
    setHolder(holds ? mode : Mode::None);
    host_.ShowView(mode);
}

void ModeOwner::RebuildTest()
{
    if (!IsTest(holder_))
        return;
    const Mode test = holder_;
    ModeSession& session = host_.SessionOf(test);
    session.Leave();
    setHolder(session.Enter(test) ? test : Mode::None);
}

void ModeOwner::Suspend()
{
    if (ModeSession* session = holderSession())
        session->Suspend();
}

void ModeOwner::Resume()
{
    if (ModeSession* session = holderSession())
        session->Resume();
}

void ModeOwner::Lend(const std::function<void()>& window)
{
    Suspend();
    try {
        window();
    } catch (...) {
        // The window ended in an error: the test goes on all the same.
        Resume();
        throw;
    }
    Resume();
}

} // namespace zarelo
