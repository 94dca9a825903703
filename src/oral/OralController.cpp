#include "oral/OralController.h"

#include "audio/VoicePlayer.h"
#include "base/UserMessages.h"
#include "base/uPublicVarDefine.h"
#include "book/BookContent.h"
#include "book/Gbk.h"
#include "oral/SentenceChoice.h"
#include "oral/VoiceWave.h"

#include <QDir>

#include <cmath>

namespace zarelo {

namespace {

const QString kCannotInit = QStringLiteral("Cannot start default recording device!");
const QString kCannotRecord = QStringLiteral("Couldn't start recording!");
const QString kCannotMakeStream = QStringLiteral("Error creating stream from recorded data!");

} // namespace

OralController::OralController(const OralContext& context, OralView& view)
    : ctx_(context), view_(view), recorder_(context.Engine)
{
}

QString OralController::RecordingFile() const
{
    return ctx_.Paths.RecordingFile();
}

void OralController::showError(const QString& text)
{
    ctx_.Messages.showError(text, view_.MessageOwner());
}

bool OralController::FormCreate()
{
    // Without a recording device the window closes; the program and its
    // playback go on.
    if (!recorder_.InitDevice()) {
        recorder_.Release();
        showError(kCannotInit);
        return false;
    }
    const QStringList inputs = recorder_.InputNames();
    view_.SetInputs(inputs);
    for (int i = 0; i < inputs.size(); ++i)
        if (!(recorder_.InputFlags(i, nullptr) & BASS_INPUT_OFF))
            view_.SetCurrentInput(i);
    ComboBox1Change();
    if (ctx_.MakeAligner)
        aligner_ = std::make_unique<WordAlignWorker>(
            ctx_.MakeAligner, [this](AlignResult result) { alignmentArrived(std::move(result)); });
    SelectFirstSentence();
    const QSize size = view_.PictureSize();
    OwnWavePicture = Surface(size.width(), size.height(), MakePixel(255, 255, 255));
    if (ctx_.Practice)
        ctx_.Practice->Played(0);
    return true;
}

void OralController::FormDestroy()
{
    if (destroyed_)
        return;
    destroyed_ = true;
    view_.SetPosTimerActive(false);
    view_.SetTimer1Active(false);
    stopWord();
    // Waits for an alignment in progress; no result arrives afterwards.
    aligner_.reset();
    // The recording ends before its buffer goes, and the stream reading the
    // buffer in place goes before the buffer.
    recorder_.Release();
    recording_ = false;
    ctx_.Player.StopVoice();
    if (ctx_.Practice)
        ctx_.Practice->Ended();
}

void OralController::ComboBox1Change()
{
    recorder_.SelectInput(view_.CurrentInput());
    UpdateInputInfo();
}

void OralController::UpdateInputInfo()
{
    float volume = 0.0f;
    const DWORD flags = recorder_.InputFlags(view_.CurrentInput(), &volume);
    if (flags == ~DWORD{0})
        return; // no input chosen
    const int percent = int(std::lround(volume * 100));
    view_.SetVolumePosition(percent);
    view_.ShowVolume(QString::number(percent));
    view_.ShowInputType(InputTypeName(flags));
}

void OralController::TrackBar1Change()
{
    const int percent = view_.VolumePosition();
    recorder_.SetInputVolume(view_.CurrentInput(), percent / 100.0f);
    view_.ShowVolume(QString::number(percent));
}

void OralController::bRecordClick()
{
    // By the controller's own state rather than the device's: a capture that
    // ended by itself is still a recording to keep, not one to replace.
    stopWord();
    if (recording_) {
        finishRecording();
    } else {
        StartRecording();
        view_.SetPosTimerActive(true);
    }
}

void OralController::finishRecording()
{
    view_.SetPosTimerActive(false);
    StopRecording();
    if (ctx_.Practice)
        ctx_.Practice->Played(1);
    saveRecording();
    MeasureOwnVoice();
    alignRecording();
}

void OralController::StartRecording()
{
    if (view_.CurrentInput() < 0)
        return;
    if (!recorder_.Start()) {
        showError(kCannotRecord);
        return;
    }
    recording_ = true;
    view_.SetRecordCaption(QStringLiteral("停止录音"));
    view_.SetOwnVoiceEnabled(false);
    // The words of the last recording are gone with it.
    ++ownTicket_;
    OwnWords.clear();
    for (int i = 0; i < Words.size(); ++i)
        view_.SetWordMissing(i, false);
    markedWord_ = -1;
    view_.ShowReferencePicture();
}

void OralController::StopRecording()
{
    recording_ = false;
    const bool playable = recorder_.Stop();
    view_.SetRecordCaption(QStringLiteral("开始录音"));
    if (!playable) {
        showError(kCannotMakeStream);
        return;
    }
    view_.SetOwnVoiceEnabled(true);
}

void OralController::saveRecording()
{
    QString why;
    saved_ = recorder_.Save(RecordingFile(), &why);
    if (saved_)
        return;
    ReportUnexpected(QStringLiteral("录音文件“%1”无法写入：%2")
                         .arg(QDir::toNativeSeparators(RecordingFile()), why),
                     ctx_.ReportError, ctx_.Messages, view_.MessageOwner());
}

void OralController::bSaveClick()
{
    saveRecording();
}

void OralController::Button1Click()
{
    MeasureOwnVoice();
}

void OralController::bPlayClick()
{
    stopWord();
    ctx_.Player.StopVoice();
    ctx_.Engine.BASS_ChannelPlay(recorder_.OwnVoiceStream, true);
}

void OralController::btnPlayOrginClick()
{
    VoicePlayer& player = ctx_.Player;
    stopWord();
    ctx_.Engine.BASS_ChannelStop(recorder_.OwnVoiceStream);
    player.PlayRange(player.PlayRangeStart, player.PlayRangeEnd);
    view_.SetTimer1Active(true);
}

void OralController::Timer1Timer()
{
    if (wordPhase_ == WordPhase::Book) {
        if (!ctx_.Player.RangeFinished())
            return;
        ctx_.Player.StopVoice();
        restoreSentenceRange();
        wordPhase_ = WordPhase::None;
        if (ownWord_)
            playOwnWord();
        else
            view_.SetTimer1Active(false);
        return;
    }
    if (wordPhase_ == WordPhase::Own) {
        AudioEngine& engine = ctx_.Engine;
        const HSTREAM own = recorder_.OwnVoiceStream;
        if (engine.BASS_ChannelIsActive(own) &&
            engine.BASS_ChannelGetPosition(own, BASS_POS_BYTE) <= ownWordEnd_)
            return;
        stopWord();
        view_.SetTimer1Active(false);
        return;
    }
    if (!ctx_.Player.RangeFinished())
        return;
    ctx_.Player.StopVoice();
    view_.SetTimer1Active(false);
    if (ComparePending) {
        ComparePending = false;
        bPlayClick();
    }
}

void OralController::Button5Click()
{
    btnPlayOrginClick();
    ComparePending = true;
}

void OralController::PosTimerTimer()
{
    // Capture may end without the pupil's click: the callback refuses more
    // when memory runs out, or the device goes away. The recording so far is
    // kept as a click on "停止录音" keeps it.
    if (recording_ && !recorder_.IsRecording()) {
        finishRecording();
        return;
    }
    const RecordingBuffer& buffer = recorder_.Buffer;
    if (buffer.empty())
        return;
    AudioEngine& engine = ctx_.Engine;
    const QString size = QString::number(buffer.size());
    if (engine.BASS_ChannelIsActive(recorder_.OwnVoiceStream))
        view_.ShowPosition(QString::number(engine.BASS_ChannelGetPosition(recorder_.OwnVoiceStream,
                                                                          BASS_POS_BYTE)) +
                           QStringLiteral(" / ") + size);
    else
        view_.ShowPosition(size);
    engine.BASS_ChannelGetData(recorder_.RecordingHandle, spectrumValues_.data(),
                               BASS_DATA_FFT1024);
    view_.ShowSpectrum(spectrumValues_.data());
}

void OralController::ShowSentence(int index)
{
    OpenBook& book = ctx_.Book;
    VoicePlayer& player = ctx_.Player;
    const SentenceTable& table = book.Content.Sentences;
    book.CurrentSentence = index;
    const QByteArray voice = table.VoiceName[index].toByteArray();
    if (!player.HoldsVoice(voice)) {
        player.SetPlaying(false);
        player.StopVoice();
        player.SelectVoice(voice);
    }
    player.PlayRangeStart = table.StartTime[size_t(index)];
    player.PlayRangeEnd = table.EndTime[size_t(index)];
    view_.ShowSentenceText(fromGbk(table.EnglishText[index]));
}

void OralController::showAndMeasure(int index)
{
    stopWord();
    ShowSentence(index);
    MeasureReferenceVoice(ctx_.Player.PlayRangeStart, ctx_.Player.PlayRangeEnd);
    alignSentence();
}

void OralController::SelectFirstSentence()
{
    showAndMeasure(FirstOralSentence(ctx_.Book));
}

void OralController::Button4Click()
{
    ctx_.Player.StopVoice();
    const int next = NextOralSentence(ctx_.Book.Content.Sentences, ctx_.Book.CurrentSentence, 1);
    if (next >= 0)
        showAndMeasure(next);
}

void OralController::Button3Click()
{
    // Unlike the next sentence, the reference voice is not stopped first.
    const int previous =
        NextOralSentence(ctx_.Book.Content.Sentences, ctx_.Book.CurrentSentence, -1);
    if (previous >= 0)
        showAndMeasure(previous);
}

void OralController::MeasureOwnVoice()
{
    view_.ShowOwnPicture();
    // Without a playable recording there is nothing to measure.
    if (recorder_.OwnVoiceStream == 0)
        return;
    OwnLevels = recorder_.MeasureOwnLevels(saved_ ? RecordingFile() : QString());
    DrawOwnWave();
}

void OralController::MeasureReferenceVoice(double start, double end)
{
    view_.ShowOwnPicture();
    ReferenceLevels = MeasureRangeLevels(ctx_.Engine, ctx_.Player.VoiceDecodeStream, start, end);
    DrawReferenceWave();
}

void OralController::DrawReferenceWave()
{
    const QSize size = view_.PictureSize();
    ReferenceMax = LevelMax(ReferenceLevels);
    ReferenceWavePicture =
        zarelo::DrawReferenceWave(ReferenceLevels, size.width(), size.height(), &referenceStretch_);
    view_.ShowReferencePicture();
}

void OralController::DrawOwnWave()
{
    OwnMax = zarelo::DrawOwnWave(OwnLevels, ReferenceMax, view_.NoiseThreshold(),
                                 view_.PictureSize().width(), OwnWavePicture, &ownStretch_);
    view_.ShowOwnPicture();
}

// ---- the sentence's words ----

void OralController::alignSentence()
{
    ++bookTicket_;
    ++ownTicket_; // a recording of the sentence before is not of this one
    Words.clear();
    BookWords.clear();
    OwnWords.clear();
    markedWord_ = -1;
    view_.ShowWords({});
    if (!aligner_)
        return;
    const VoicePlayer& player = ctx_.Player;
    AlignJob job;
    job.Kind = AlignKind::Book;
    job.Ticket = bookTicket_;
    job.Text = fromGbk(ctx_.Book.Content.Sentences.EnglishText[ctx_.Book.CurrentSentence]);
    job.Pronunciations = ctx_.Book.Content.Pronunciations;
    job.Sound = player.VoiceBytes;
    job.FromSeconds = player.PlayRangeStart / 10;
    job.ToSeconds = player.PlayRangeEnd / 10;
    aligner_->Post(std::move(job));
}

void OralController::alignRecording()
{
    // A recording that cannot be played has no words to play either.
    if (!aligner_ || recorder_.OwnVoiceStream == 0)
        return;
    const RecordingBuffer& buffer = recorder_.Buffer;
    AlignJob job;
    job.Kind = AlignKind::Own;
    job.Ticket = ++ownTicket_;
    job.Text = fromGbk(ctx_.Book.Content.Sentences.EnglishText[ctx_.Book.CurrentSentence]);
    job.Pronunciations = ctx_.Book.Content.Pronunciations;
    job.Sound = QByteArray(reinterpret_cast<const char*>(buffer.data()), qsizetype(buffer.size()));
    aligner_->Post(std::move(job));
}

void OralController::alignmentArrived(AlignResult result)
{
    const bool book = result.Kind == AlignKind::Book;
    if (destroyed_ || result.Ticket != (book ? bookTicket_ : ownTicket_))
        return; // asked for a sentence or a recording no longer shown
    if (!result.Error.isEmpty()) {
        // Once a window: the next sentence would only say the same.
        if (!alignErrorShown_) {
            alignErrorShown_ = true;
            ReportUnexpected(QStringLiteral("无法找出句中各词的位置：%1").arg(result.Error),
                             ctx_.ReportError, ctx_.Messages, view_.MessageOwner());
        }
        return;
    }
    if (Words.isEmpty()) {
        for (const speech::WordTiming& word : result.Words)
            Words << word.Word;
        view_.ShowWords(Words);
    }
    if (book) {
        BookWords = std::move(result.Words);
        view_.ShowReferencePicture();
        return;
    }
    OwnWords = std::move(result.Words);
    for (int i = 0; i < Words.size(); ++i)
        view_.SetWordMissing(i, size_t(i) < OwnWords.size() && !OwnWords[size_t(i)].Found);
    view_.ShowOwnPicture();
}

namespace {

// Word `index` of `words` when it was found.
std::optional<speech::WordTiming> FoundWord(const std::vector<speech::WordTiming>& words, int index)
{
    if (index < 0 || size_t(index) >= words.size() || !words[size_t(index)].Found)
        return std::nullopt;
    return words[size_t(index)];
}

} // namespace

void OralController::WordClick(int index)
{
    if (index < 0 || index >= Words.size())
        return;
    stopWord();
    ComparePending = false;
    ctx_.Player.StopVoice();
    ctx_.Engine.BASS_ChannelStop(recorder_.OwnVoiceStream);
    markedWord_ = index;
    view_.ShowReferencePicture();
    view_.ShowOwnPicture();
    ownWord_ = recorder_.OwnVoiceStream != 0 ? FoundWord(OwnWords, index) : std::nullopt;
    if (const auto book = FoundWord(BookWords, index)) {
        // Times from the range's start, in tenths of a second.
        const double start = ctx_.Player.PlayRangeStart;
        ctx_.Player.PlayRange(start + book->StartMs / 100.0, start + book->EndMs / 100.0);
        wordPhase_ = WordPhase::Book;
        view_.SetTimer1Active(true);
    } else if (ownWord_) {
        playOwnWord();
    }
}

void OralController::playOwnWord()
{
    AudioEngine& engine = ctx_.Engine;
    const HSTREAM own = recorder_.OwnVoiceStream;
    const QWORD start = engine.BASS_ChannelSeconds2Bytes(own, ownWord_->StartMs / 1000.0);
    ownWordEnd_ = engine.BASS_ChannelSeconds2Bytes(own, ownWord_->EndMs / 1000.0);
    ownWord_.reset();
    {
        // The jump and the start reach the device together.
        auto hold = engine.HoldDevice();
        engine.BASS_ChannelStop(own);
        engine.BASS_ChannelSetPosition(own, start, BASS_POS_BYTE);
        engine.BASS_ChannelPlay(own, false);
    }
    wordPhase_ = WordPhase::Own;
    view_.SetTimer1Active(true);
}

void OralController::stopWord()
{
    if (wordPhase_ == WordPhase::Book)
        restoreSentenceRange();
    else if (wordPhase_ == WordPhase::Own)
        ctx_.Engine.BASS_ChannelStop(recorder_.OwnVoiceStream);
    wordPhase_ = WordPhase::None;
    ownWord_.reset();
}

void OralController::restoreSentenceRange()
{
    const SentenceTable& table = ctx_.Book.Content.Sentences;
    const auto row = size_t(ctx_.Book.CurrentSentence);
    ctx_.Player.SetRange(table.StartTime[row], table.EndTime[row]);
}

std::optional<std::pair<int, int>> OralController::ReferenceMark() const
{
    const auto word = FoundWord(BookWords, markedWord_);
    if (!word)
        return std::nullopt;
    return ColumnsOf(referenceStretch_, word->StartMs, word->EndMs, ReferenceWavePicture.Width);
}

std::optional<std::pair<int, int>> OralController::OwnMark() const
{
    const auto word = FoundWord(OwnWords, markedWord_);
    if (!word || recorder_.OwnVoiceStream == 0)
        return std::nullopt;
    return ColumnsOf(ownStretch_, word->StartMs, word->EndMs, OwnWavePicture.Width);
}

} // namespace zarelo
