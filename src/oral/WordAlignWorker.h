#pragma once
// Word alignments of the oral training made on a thread of their own, so that
// the window never waits for them: where each word of the sentence lies in
// the book's recording of it and in the pupil's recording.
//
// The thread makes its own aligner (the first time it needs one) and works
// through the jobs posted to it; of the jobs of one kind (the book's sentence,
// the pupil's recording) only the newest waits, an older one not yet started
// is dropped. Each result is handed to the delivery function on the thread
// that made the worker, from its event loop; results still on their way when
// the worker is destroyed are never delivered.
//
// Threads: construct, Post and destroy on one thread with an event loop (the
// user-interface thread).

#include "speech/WordAligner.h"

#include <QByteArray>
#include <QString>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class QObject;

namespace zarelo {

enum class AlignKind { Book, Own };

// One alignment: the words of `Text` in the sound file `Sound` (WAV, OGG,
// FLAC or MP3 bytes), cut to [FromSeconds, ToSeconds) of it (ToSeconds < 0:
// to its end). Word times come back from FromSeconds.
struct AlignJob {
    AlignKind Kind = AlignKind::Book;
    int Ticket = 0; // handed back with the result
    QString Text;
    QByteArray Sound; // a shallow copy of the caller's bytes is enough
    double FromSeconds = 0;
    double ToSeconds = -1;
    QByteArray Pronunciations; // the book's own (CMU dictionary text); may be empty
};

struct AlignResult {
    AlignKind Kind = AlignKind::Book;
    int Ticket = 0;
    std::vector<speech::WordTiming> Words; // one per word of the text
    QString Error;                         // not empty: no alignment was made, and why
};

class WordAlignWorker {
public:
    using MakeAligner = std::function<std::unique_ptr<speech::WordAligner>()>;
    using Delivery = std::function<void(AlignResult result)>;

    // `make` runs on the worker's thread; it may throw or return null (the
    // results then carry the error). `deliver` runs on this thread.
    WordAlignWorker(MakeAligner make, Delivery deliver);
    // Waits for the alignment in progress, if any, and drops the rest.
    ~WordAlignWorker();
    WordAlignWorker(const WordAlignWorker&) = delete;
    WordAlignWorker& operator=(const WordAlignWorker&) = delete;

    void Post(AlignJob job);

private:
    void run();
    AlignResult align(const AlignJob& job);
    // On the constructing thread, once per posted event: delivers the oldest
    // finished result.
    void deliverNext();

    MakeAligner make_;
    Delivery deliver_;
    std::unique_ptr<QObject> receiver_; // lives on the constructing thread

    std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<AlignJob> waiting_[2]; // by AlignKind
    std::deque<AlignResult> done_;       // finished, one posted event each
    bool stopping_ = false;

    // The worker thread's own.
    std::unique_ptr<speech::WordAligner> aligner_;
    QString makeError_;
    bool made_ = false;
    // The last sound decoded, kept while the book's sentences come from one
    // voice file.
    QByteArray decodedBytes_;
    QByteArray pronunciations_; // the ones the aligner was last given
    std::vector<int16_t> decodedFrames_;
    int decodedRate_ = 0;

    std::thread thread_; // last: starts once everything above is made
};

} // namespace zarelo
