// The oral training's aligning thread over a scripted aligner: where and how
// its results arrive, which waiting jobs it drops, what its destruction waits
// for, and the errors of an aligner that cannot be made or a sound that cannot
// be decoded. The scripted aligner holds its calls back, so the test knows
// which job is being aligned while it posts the next ones. Under
// ThreadSanitizer (oral_tsan_tests) this also shows that the worker's thread
// and the posting thread share only what is guarded.

#include "oral/WordAlignWorker.h"
#include "base/BookError.h"
#include "support/ScriptedAligner.h"
#include "support/Wav.h"

#include <QCoreApplication>
#include <QtCore/qtestsupport_core.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>

namespace zarelo {
namespace {

constexpr int kRate = 16000;

// One second of mono samples at kRate, each a different value, the run
// starting from `seed`.
std::vector<int16_t> Ramp(int seed)
{
    std::vector<int16_t> samples(kRate);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = int16_t((seed + int(i) * 7) % 30000 - 15000);
    return samples;
}

AlignJob Job(AlignKind kind, int ticket, const char* text, const QByteArray& sound,
             double fromSeconds = 0, double toSeconds = -1)
{
    return {kind, ticket, QString::fromUtf8(text), sound, fromSeconds, toSeconds, {}};
}

// The worker, with the results as they are delivered and the thread each
// one came on, and how often and where its aligner was made.
class WordAlignWorkerTest : public ::testing::Test {
protected:
    // The results come back through this thread's event loop.
    int argc = 1;
    char name[8] = "align";
    char* argv[1] = {name};
    QCoreApplication app{argc, argv};
    const std::thread::id testThread = std::this_thread::get_id();
    fakes::AlignerScript script;
    std::atomic<int> made{0};
    std::atomic<int> madeOnTestThread{0};
    std::vector<AlignResult> results;
    std::vector<std::thread::id> deliveredOn;
    std::unique_ptr<WordAlignWorker> worker;

    void start(WordAlignWorker::MakeAligner make)
    {
        worker = std::make_unique<WordAlignWorker>(std::move(make), [this](AlignResult result) {
            deliveredOn.push_back(std::this_thread::get_id());
            results.push_back(std::move(result));
        });
    }
    // With the scripted aligner.
    void start()
    {
        start([this] {
            ++made;
            if (std::this_thread::get_id() == testThread)
                ++madeOnTestThread;
            return script.factory()();
        });
    }
    // Runs the event loop until `done` holds; false after 10 s without.
    bool waitFor(const std::function<bool()>& done) { return QTest::qWaitFor(done, 10000); }
    bool waitForResults(size_t count)
    {
        return waitFor([&] { return results.size() >= count; });
    }
    const AlignResult* resultOf(int ticket) const
    {
        const auto found = std::find_if(results.begin(), results.end(),
                                        [&](const AlignResult& r) { return r.Ticket == ticket; });
        return found == results.end() ? nullptr : &*found;
    }
    std::vector<int> sortedTickets() const
    {
        std::vector<int> tickets;
        for (const AlignResult& result : results)
            tickets.push_back(result.Ticket);
        std::sort(tickets.begin(), tickets.end());
        return tickets;
    }
    std::vector<std::string> sortedCallTexts() const
    {
        std::vector<std::string> texts;
        for (const fakes::AlignCall& call : script.calls())
            texts.push_back(call.Text.toStdString());
        std::sort(texts.begin(), texts.end());
        return texts;
    }
};

TEST_F(WordAlignWorkerTest, EachJobComesBackOnThisThreadWithItsTicketKindAndWordsOfItsCut)
{
    start();
    const std::vector<int16_t> book = Ramp(0);
    const std::vector<int16_t> own = Ramp(5000); // as long as the book's, other samples
    const QByteArray bookSound = fakes::WavBytes(kRate, 1, book);
    const QByteArray ownSound = fakes::WavBytes(kRate, 1, own);
    script.answer({fakes::FoundAt("Hello", 10, 200), fakes::NotFound("there")});

    // Each posted once the one before has come back, so that none is dropped:
    // a quarter second of the book's sound, the whole pupil's recording, the
    // book's sound from 0.5 s to its end, and again from 0.75 s to past its end.
    const std::vector<std::pair<AlignJob, std::vector<int16_t>>> jobs = {
        {Job(AlignKind::Book, 7, "Hello there", bookSound, 0.25, 0.5),
         {book.begin() + 4000, book.begin() + 8000}},
        {Job(AlignKind::Own, 8, "Hello there", ownSound), own},
        {Job(AlignKind::Book, 9, "Goodbye", bookSound, 0.5), {book.begin() + 8000, book.end()}},
        {Job(AlignKind::Book, 10, "Goodbye", bookSound, 0.75, 2.0),
         {book.begin() + 12000, book.end()}},
    };
    for (size_t i = 0; i < jobs.size(); ++i) {
        const AlignJob& job = jobs[i].first;
        worker->Post(job);
        ASSERT_TRUE(waitForResults(i + 1)) << "ticket " << job.Ticket;
        ASSERT_EQ(results.size(), i + 1);
        const AlignResult& result = results[i];
        EXPECT_EQ(result.Ticket, job.Ticket);
        EXPECT_EQ(result.Kind, job.Kind) << "ticket " << job.Ticket;
        EXPECT_TRUE(result.Error.isEmpty()) << result.Error.toStdString();
        EXPECT_EQ(deliveredOn[i], testThread) << "ticket " << job.Ticket;
        const std::vector<fakes::AlignCall> calls = script.calls();
        ASSERT_EQ(calls.size(), i + 1);
        EXPECT_EQ(calls[i].Text, job.Text);
        EXPECT_EQ(calls[i].Rate, kRate);
        EXPECT_EQ(calls[i].Channels, 1);
        EXPECT_TRUE(calls[i].Samples == jobs[i].second)
            << "ticket " << job.Ticket << ": " << calls[i].Samples.size() << " samples";
    }

    // The words as the aligner answered them.
    ASSERT_EQ(results[0].Words.size(), 2u);
    EXPECT_EQ(results[0].Words[0].Word, "Hello");
    EXPECT_TRUE(results[0].Words[0].Found);
    EXPECT_EQ(results[0].Words[0].StartMs, 10);
    EXPECT_EQ(results[0].Words[0].EndMs, 200);
    EXPECT_EQ(results[0].Words[1].Word, "there");
    EXPECT_FALSE(results[0].Words[1].Found);
    ASSERT_EQ(results[3].Words.size(), 1u);
    EXPECT_EQ(results[3].Words[0].Word, "Goodbye");

    // One aligner for every job, made on the worker's thread.
    EXPECT_EQ(made, 1);
    EXPECT_EQ(madeOnTestThread, 0);
}

TEST_F(WordAlignWorkerTest, WhileAJobIsAlignedOnlyTheNewestWaitingJobOfEachKindIsMade)
{
    start();
    const QByteArray sound = fakes::WavBytes(kRate, 1, Ramp(0));
    script.hold(true);
    worker->Post(Job(AlignKind::Book, 1, "one", sound));
    ASSERT_TRUE(script.waitForCalls(1));

    // While "one" is being aligned: two more of the book's sentences, and one
    // recording of the pupil's between them.
    worker->Post(Job(AlignKind::Book, 2, "two", sound));
    worker->Post(Job(AlignKind::Own, 3, "three", sound));
    worker->Post(Job(AlignKind::Book, 4, "four", sound));
    script.hold(false);
    ASSERT_TRUE(waitForResults(3));
    // A last job, made after anything the worker still held.
    worker->Post(Job(AlignKind::Own, 5, "five", sound));
    ASSERT_TRUE(waitFor([&] { return resultOf(5) != nullptr; }));

    EXPECT_EQ(sortedTickets(), (std::vector<int>{1, 3, 4, 5}));
    EXPECT_EQ(results.front().Ticket, 1);
    EXPECT_EQ(results.back().Ticket, 5);
    EXPECT_EQ(sortedCallTexts(), (std::vector<std::string>{"five", "four", "one", "three"}));
    for (const AlignResult& result : results) {
        const bool book = result.Ticket == 1 || result.Ticket == 4;
        EXPECT_EQ(result.Kind, book ? AlignKind::Book : AlignKind::Own)
            << "ticket " << result.Ticket;
    }
}

TEST_F(WordAlignWorkerTest, DestroyingTheWorkerWaitsForTheAlignmentInProgressAndDeliversNothing)
{
    start();
    const QByteArray sound = fakes::WavBytes(kRate, 1, Ramp(0));
    script.hold(true);
    worker->Post(Job(AlignKind::Book, 1, "one", sound));
    ASSERT_TRUE(script.waitForCalls(1));
    worker->Post(Job(AlignKind::Own, 2, "two", sound));

    // A second thread lets the alignment end once the worker is being
    // destroyed, whose destructor waits for it on this thread.
    std::mutex mutex;
    std::condition_variable changed;
    bool destroying = false;
    std::thread releaser([&] {
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return destroying; });
        }
        script.hold(false);
    });
    {
        std::lock_guard lock(mutex);
        destroying = true;
    }
    changed.notify_one();
    worker.reset();
    // Every alignment begun has ended: "one", and "two" when "one" ended
    // before the destructor told the thread to stop (the release may come
    // first; which comes first is not the test's to decide).
    const size_t called = script.callCount();
    EXPECT_GE(script.answeredCount(), 1u) << "the destructor returned during the alignment";
    EXPECT_EQ(script.answeredCount(), called) << "the destructor returned during an alignment";
    EXPECT_LE(called, 2u);
    releaser.join();

    // The results posted as the worker ended never come.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_TRUE(results.empty());
}

TEST_F(WordAlignWorkerTest, AnAlignerNotMadeOrASoundNotDecodedGivesResultsCarryingTheError)
{
    const QByteArray sound = fakes::WavBytes(kRate, 1, Ramp(0));
    const auto throwing = [this](auto error) {
        return [this, error]() -> std::unique_ptr<speech::WordAligner> {
            ++made;
            throw error;
        };
    };

    // A maker that throws the program's error: both jobs carry its text, and
    // the aligner is tried once.
    start(throwing(BookError(QStringLiteral("the speech model folder is missing"))));
    worker->Post(Job(AlignKind::Book, 1, "one", sound));
    worker->Post(Job(AlignKind::Own, 2, "two", sound));
    ASSERT_TRUE(waitForResults(2));
    EXPECT_EQ(sortedTickets(), (std::vector<int>{1, 2}));
    for (const AlignResult& result : results) {
        EXPECT_EQ(result.Error.toStdString(), "the speech model folder is missing")
            << "ticket " << result.Ticket;
        EXPECT_TRUE(result.Words.empty());
    }
    EXPECT_EQ(made, 1);

    // Any other exception: its text.
    results.clear();
    start(throwing(std::runtime_error("out of memory")));
    worker->Post(Job(AlignKind::Own, 3, "three", sound));
    ASSERT_TRUE(waitForResults(1));
    EXPECT_EQ(results[0].Ticket, 3);
    EXPECT_EQ(results[0].Error.toStdString(), "out of memory");

    // A maker with no aligner to give: an error all the same.
    results.clear();
    start([] { return std::unique_ptr<speech::WordAligner>(); });
    worker->Post(Job(AlignKind::Book, 4, "four", sound));
    ASSERT_TRUE(waitForResults(1));
    EXPECT_EQ(results[0].Ticket, 4);
    EXPECT_FALSE(results[0].Error.isEmpty());
    EXPECT_TRUE(results[0].Words.empty());

    // Bytes that are no sound file: an error without asking the aligner, and
    // the pupil's recording after it is aligned.
    results.clear();
    start();
    worker->Post(Job(AlignKind::Book, 5, "five", QByteArray("RIFF, but not a sound")));
    worker->Post(Job(AlignKind::Own, 6, "six", sound));
    ASSERT_TRUE(waitForResults(2));
    const AlignResult* undecoded = resultOf(5);
    const AlignResult* aligned = resultOf(6);
    ASSERT_TRUE(undecoded && aligned);
    EXPECT_FALSE(undecoded->Error.isEmpty());
    EXPECT_TRUE(undecoded->Words.empty());
    EXPECT_TRUE(aligned->Error.isEmpty()) << aligned->Error.toStdString();
    EXPECT_EQ(aligned->Words.size(), 1u);
    EXPECT_EQ(sortedCallTexts(), (std::vector<std::string>{"six"}));
}

} // namespace
} // namespace zarelo
