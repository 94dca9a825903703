#include "oral/WordAlignWorker.h"

#include "audio/Samples.h"
#include "audio/SoundFile.h"
#include "base/BookError.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include <algorithm>
#include <cmath>
#include <exception>

namespace zarelo {
namespace {

// Lives on the worker's constructing thread and runs `next` for each event
// posted to it; deleting it drops the events still queued.
class Receiver final : public QObject {
public:
    explicit Receiver(std::function<void()> next) : next_(std::move(next)) {}

protected:
    void customEvent(QEvent*) override { next_(); }

private:
    std::function<void()> next_;
};

} // namespace

WordAlignWorker::WordAlignWorker(MakeAligner make, Delivery deliver)
    : make_(std::move(make)), deliver_(std::move(deliver)),
      receiver_(std::make_unique<Receiver>([this] { deliverNext(); })), thread_([this] { run(); })
{
}

WordAlignWorker::~WordAlignWorker()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
    // Deleting the receiver drops the deliveries still queued to it.
    receiver_.reset();
}

void WordAlignWorker::Post(AlignJob job)
{
    {
        std::lock_guard lock(mutex_);
        waiting_[int(job.Kind)] = std::move(job);
    }
    wake_.notify_one();
}

void WordAlignWorker::run()
{
    for (;;) {
        AlignJob job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || waiting_[0] || waiting_[1]; });
            if (stopping_)
                break;
            // The book's sentence first: the word buttons come from it.
            std::optional<AlignJob>& next = waiting_[0] ? waiting_[0] : waiting_[1];
            job = std::move(*next);
            next.reset();
        }
        AlignResult result = align(job);
        // The result waits in done_ and its event is posted under mutex_, so
        // the delivery is ordered after both by mutex_ alone (ThreadSanitizer
        // does not see the locking inside Qt's event queue).
        std::lock_guard lock(mutex_);
        done_.push_back(std::move(result));
        QCoreApplication::postEvent(receiver_.get(), new QEvent(QEvent::User));
    }
    aligner_.reset();
}

void WordAlignWorker::deliverNext()
{
    std::optional<AlignResult> result;
    {
        std::lock_guard lock(mutex_);
        if (done_.empty())
            return;
        result = std::move(done_.front());
        done_.pop_front();
    }
    deliver_(std::move(*result));
}

AlignResult WordAlignWorker::align(const AlignJob& job)
{
    AlignResult result;
    result.Kind = job.Kind;
    result.Ticket = job.Ticket;
    if (!made_) {
        made_ = true;
        try {
            aligner_ = make_();
            if (!aligner_)
                makeError_ = QStringLiteral("no word aligner is available");
        } catch (const BookError& error) {
            makeError_ = error.message();
        } catch (const std::exception& error) {
            makeError_ = QString::fromUtf8(error.what());
        }
    }
    if (!aligner_) {
        result.Error = makeError_;
        return result;
    }
    // Shallow copies share their data, so the same pointer and size is the
    // same sound, held alive by decodedBytes_.
    if (job.Sound.constData() != decodedBytes_.constData() ||
        job.Sound.size() != decodedBytes_.size()) {
        decodedBytes_.clear();
        decodedFrames_.clear();
        const std::optional<MonoRecording> decoded = DecodeRecording(job.Sound);
        if (!decoded) {
            result.Error = QStringLiteral("the recording is not a sound file that can be decoded");
            return result;
        }
        decodedFrames_.resize(decoded->Frames.size());
        std::transform(decoded->Frames.begin(), decoded->Frames.end(), decodedFrames_.begin(),
                       toSample);
        decodedRate_ = decoded->Rate;
        decodedBytes_ = job.Sound;
    }
    const auto frameAt = [this](double seconds) {
        const double frame = std::floor(seconds * decodedRate_);
        return size_t(std::clamp(frame, 0.0, double(decodedFrames_.size())));
    };
    const size_t from = frameAt(job.FromSeconds);
    const size_t to =
        job.ToSeconds < 0 ? decodedFrames_.size() : std::max(from, frameAt(job.ToSeconds));
    const speech::PcmView pcm{std::span(decodedFrames_).subspan(from, to - from), decodedRate_, 1};
    try {
        if (job.Pronunciations != pronunciations_) {
            aligner_->UsePronunciations(job.Pronunciations);
            pronunciations_ = job.Pronunciations;
        }
        result.Words = aligner_->Align(job.Text, pcm);
    } catch (const BookError& error) {
        result.Error = error.message();
    } catch (const std::exception& error) {
        result.Error = QString::fromUtf8(error.what());
    }
    return result;
}

} // namespace zarelo
