#include "quiz/PracticeTracker.h"

#include "base/BookError.h"

namespace zarelo {

PracticeTracker::PracticeTracker(PracticeKind kind, PracticeJournal& journal,
                                 std::function<QDateTime()> now, std::function<RecordPlace()> place,
                                 std::function<void(const QString&)> report)
    : kind_(kind), journal_(journal), now_(std::move(now)), place_(std::move(place)),
      report_(std::move(report))
{
}

void PracticeTracker::Played(int items)
{
    if (failed_)
        return;
    const QDateTime now = now_();
    if (session_ && session_->PausedAt && session_->PausedAt->secsTo(now) >= kIdleSeconds)
        session_.reset(); // its row ended at the pause
    guarded([&] {
        if (!session_)
            session_ = Session{journal_.BeginPractice(kind_, place_()), now, 0, std::nullopt};
        session_->Items += items;
        session_->PausedAt.reset();
        write(now);
    });
}

void PracticeTracker::Paused()
{
    if (!session_ || session_->PausedAt)
        return;
    session_->PausedAt = now_();
    guarded([&] { write(*session_->PausedAt); });
}

void PracticeTracker::Ended()
{
    if (session_ && !session_->PausedAt) // a paused session was written at its pause
        guarded([&] { write(now_()); });
    session_.reset();
}

template <class F> void PracticeTracker::guarded(F&& writes)
{
    try {
        writes();
    } catch (const BookError& error) {
        failed_ = true;
        session_.reset();
        report_(error.message());
    }
}

void PracticeTracker::write(const QDateTime& end)
{
    if (session_->Id != 0)
        journal_.UpdatePractice(session_->Id, std::max<int64_t>(0, session_->Start.secsTo(end)),
                                session_->Items);
}

} // namespace zarelo
