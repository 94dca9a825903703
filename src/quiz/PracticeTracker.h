#pragma once
// Reading aloud or oral training as sessions of the learning record. A
// session begins with the first call of Played, counts the items played and
// lasts until Ended, or until the last Paused when nothing played for a
// minute after it; its PracticeRecord row is brought up to date at every
// call, so a program that stops at any moment keeps the session so far.

#include "base/PracticeLog.h"
#include "quiz/LearningLog.h"

#include <QDateTime>
#include <functional>
#include <optional>

namespace zarelo {

class PracticeTracker final : public PracticeLog {
public:
    // A gap after a pause that begins a new session.
    static constexpr int kIdleSeconds = 60;

    // `place`: where the practice is now (the open book and lesson).
    // `report`: shows a failure of the record; after one the run's practice
    // is no longer recorded, so a broken file costs one message.
    PracticeTracker(PracticeKind kind, PracticeJournal& journal, std::function<QDateTime()> now,
                    std::function<RecordPlace()> place, std::function<void(const QString&)> report);

    void Played(int items) override;
    void Paused() override;
    void Ended() override;

private:
    struct Session {
        int64_t Id = 0;
        QDateTime Start;
        int Items = 0;
        std::optional<QDateTime> PausedAt;
    };

    // Writes the session's length up to `end`.
    void write(const QDateTime& end);
    // Runs record writes; a failure ends the session and the recording of
    // practice, and is reported once.
    template <class F> void guarded(F&& writes);

    PracticeKind kind_;
    PracticeJournal& journal_;
    std::function<QDateTime()> now_;
    std::function<RecordPlace()> place_;
    std::function<void(const QString&)> report_;
    std::optional<Session> session_;
    bool failed_ = false;
};

} // namespace zarelo
