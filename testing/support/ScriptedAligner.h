#pragma once
// A word aligner whose answers the test writes: each call takes the next
// answer of the script (none left: every word of the text not found) and is
// kept with what it was given. A test may hold the calls back to see what
// happens while an alignment is being made, and wait until a call has begun.
// Shared between the test's thread and the thread the aligner runs on; every
// field is read under `mutex`.

#include "speech/WordAligner.h"

#include <QRegularExpression>
#include <QStringList>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace zarelo::fakes {

struct AlignCall {
    QString Text;
    std::vector<int16_t> Samples;
    int Rate = 0;
    int Channels = 0;
};

// A word found over [startMs, endMs].
inline speech::WordTiming FoundAt(const QString& word, int64_t startMs, int64_t endMs)
{
    return {word, true, startMs, endMs, 0.9};
}
inline speech::WordTiming NotFound(const QString& word)
{
    return {word, false, 0, 0, 0};
}

class AlignerScript {
public:
    // Appends the answer for a later call.
    void answer(std::vector<speech::WordTiming> words)
    {
        std::lock_guard lock(mutex_);
        answers_.push_back(std::move(words));
    }
    // While held, a call waits after it has been recorded.
    void hold(bool on)
    {
        {
            std::lock_guard lock(mutex_);
            held_ = on;
        }
        changed_.notify_all();
    }
    std::vector<AlignCall> calls() const
    {
        std::lock_guard lock(mutex_);
        return calls_;
    }
    size_t callCount() const
    {
        std::lock_guard lock(mutex_);
        return calls_.size();
    }
    // The calls that have returned their answer (a held call has not).
    size_t answeredCount() const
    {
        std::lock_guard lock(mutex_);
        return answered_;
    }
    // Waits until `count` calls have begun; false after 10 s without, so
    // that a test whose call never comes fails instead of hanging.
    bool waitForCalls(size_t count) const
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(10),
                                 [&] { return calls_.size() >= count; });
    }
    // The factory the oral training's context takes.
    std::function<std::unique_ptr<speech::WordAligner>()> factory();

    // The pronunciations the aligner was last given.
    QByteArray pronunciations() const
    {
        std::lock_guard lock(mutex_);
        return pronunciations_;
    }

private:
    friend class ScriptedAligner;
    void pronounce(const QByteArray& dictionary)
    {
        std::lock_guard lock(mutex_);
        pronunciations_ = dictionary;
    }
    std::vector<speech::WordTiming> take(const QString& text, const speech::PcmView& pcm)
    {
        std::unique_lock lock(mutex_);
        calls_.push_back({text, {pcm.Samples.begin(), pcm.Samples.end()}, pcm.Rate, pcm.Channels});
        changed_.notify_all();
        changed_.wait(lock, [this] { return !held_; });
        ++answered_;
        if (!answers_.empty()) {
            std::vector<speech::WordTiming> words = std::move(answers_.front());
            answers_.pop_front();
            return words;
        }
        return noneFound(text);
    }
    static std::vector<speech::WordTiming> noneFound(const QString& text)
    {
        std::vector<speech::WordTiming> none;
        static const QRegularExpression separator(QStringLiteral("[^A-Za-z0-9']+"));
        for (const QString& word : text.split(separator, Qt::SkipEmptyParts))
            none.push_back(NotFound(word));
        return none;
    }

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_; // a call begun, or the hold changed
    std::deque<std::vector<speech::WordTiming>> answers_;
    std::vector<AlignCall> calls_;
    size_t answered_ = 0;
    QByteArray pronunciations_;
    bool held_ = false;
};

class ScriptedAligner final : public speech::WordAligner {
public:
    explicit ScriptedAligner(AlignerScript& script) : script_(script) {}
    std::vector<speech::WordTiming> Align(const QString& text,
                                          const speech::PcmView& recording) override
    {
        return script_.take(text, recording);
    }
    // The oral training aligns one text at a time; parts are never scripted.
    std::vector<std::vector<speech::WordTiming>> AlignParts(const QStringList& parts,
                                                            const speech::PcmView&) override
    {
        std::vector<std::vector<speech::WordTiming>> none;
        for (const QString& part : parts)
            none.push_back(AlignerScript::noneFound(part));
        return none;
    }
    void UsePronunciations(const QByteArray& dictionary) override { script_.pronounce(dictionary); }

private:
    AlignerScript& script_;
};

inline std::function<std::unique_ptr<speech::WordAligner>()> AlignerScript::factory()
{
    return [this] { return std::make_unique<ScriptedAligner>(*this); };
}

} // namespace zarelo::fakes
