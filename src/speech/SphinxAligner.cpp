#include "speech/SphinxAligner.h"

#include "base/BookError.h"
#include "base/uPublicVarDefine.h"

#include <pocketsphinx.h>
#include <samplerate.h>
#include <sphinxbase/cmd_ln.h>
#include <sphinxbase/fsg_model.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <algorithm>
#include <cmath>
#include <future>
#include <limits>

namespace zarelo::speech {

namespace {

constexpr int kSpeechRate = 16000;
constexpr int kFrameMs = 10;

// The windows a long recording is searched in (seconds), and how near a
// window's end a part's words may end for it to be kept from that window.
// Read fast, English runs at about 20 phones a second.
constexpr int kWindowSeconds = 40;
constexpr int kWindowMarginSeconds = 3;
constexpr int kFastestPhonesPerSecond = 20;

// Quiet longer than kLongPause seconds keeps only kPauseKept seconds at each
// end; quiet: 10 ms whose peak lies kQuietBelowLoud dB below the loud level
// (the peak that 1% of the frames reach).
constexpr double kLongPause = 0.6;
constexpr double kPauseKept = 0.25;
constexpr double kQuietBelowLoud = 45;
constexpr int kFrameSamples = kSpeechRate / 1000 * kFrameMs;

// The index of the first word of part `p`.
qsizetype partStart(const std::vector<qsizetype>& partEnds, size_t p)
{
    return p == 0 ? 0 : partEnds[p - 1];
}

// The Debian package pocketsphinx-en-us.
constexpr auto kModelFolder = "/usr/share/pocketsphinx/model/en-us";

// Grammar weights (probabilities before the language weight). A word is
// preferred to skipping it; every garbage phone costs, so a spoken word is
// cheaper as itself than as a run of phones, and only sound that matches no
// word of the text goes to the garbage path.
constexpr double kWordProbability = 1.0;
constexpr double kSkipProbability = 1e-4;
// The search keeps paths within this factor of the best (-beam, -pbeam,
// -wbeam). A sentence's grammar, with garbage after every word, needs the
// widest: with narrower beams a word read was lost for garbage, or a text
// going on past the reading found no path at all. A track's grammar (garbage
// between parts only) holds its words with a narrower beam, which makes its
// search a third faster. A path that skips the rest of the text pays one skip
// per part, so the skips of a long text are made cheaper, to keep their sum
// within four fifths of the beam.
constexpr double kSentenceBeam = 1e-100;
constexpr double kTrackBeam = 1e-70;
constexpr double kGarbageProbability = 2e-3;
// Silence may stand between any two words (the decoder's usual weight). The
// model's noise words are left out: they would take speech as well as noise,
// which the garbage phones take instead.
constexpr double kSilenceProbability = 0.005;

// A word's confidence is exp(-d / scale), d the natural-log acoustic score per
// frame by which the word falls behind a free run of phones over its frames.
// Spoken words measured -2 to 3 on synthetic and real readings; words forced
// onto other sound 3 to 13. Beyond kNotSpokenBehind a word is not found.
constexpr double kConfidenceScale = 3.0;
constexpr double kNotSpokenBehind = 6.0;

// The garbage path of the grammar: one phone of each kind of sound rather
// than all of the model's, which takes any speech nearly as well (a
// diphthong as two vowels, a voiced stop as its voiceless one) at well under
// two thirds of the search's work. Measured on espeak-ng readings with words
// left out, every word was found or not found as with all the phones.
const QStringList& garbagePhones()
{
    static const QStringList phones = QStringLiteral("AA AE AH AO EH ER IH IY OW UW S SH F Z TH "
                                                     "T K P M N L R W Y")
                                          .split(QLatin1Char(' '));
    return phones;
}

QString garbageWord(const QString& phone)
{
    return QStringLiteral("+%1+g").arg(phone.toLower());
}

} // namespace

SpeechModel SpeechModel::Installed(const QString& handDictionary)
{
    SpeechModel model;
    model.AcousticModel = QString::fromLatin1(kModelFolder) + QStringLiteral("/en-us");
    model.Dictionary = QString::fromLatin1(kModelFolder) + QStringLiteral("/cmudict-en-us.dict");
    model.HandDictionary = handDictionary;
    return model;
}

std::shared_ptr<const Lexicon> LoadLexicon(const SpeechModel& model)
{
    auto lexicon = std::make_shared<Lexicon>();
    lexicon->ReadFile(model.Dictionary);
    if (!model.HandDictionary.isEmpty())
        lexicon->ReadFile(model.HandDictionary);
    return lexicon;
}

SphinxAligner::SphinxAligner(const SpeechModel& model, std::shared_ptr<const Lexicon> lexicon)
    : lexicon_(std::move(lexicon))
{
    if (!QFileInfo(model.AcousticModel + QStringLiteral("/mdef")).isFile())
        throw BookError(QStringLiteral("cannot open the speech model in %1: it has no file "
                                       "“mdef” (is the package pocketsphinx-en-us installed?)")
                            .arg(QDir::toNativeSeparators(model.AcousticModel)));
    // The garbage phones are filler words: scored without the context of
    // their neighbours, one model each, where a word of the dictionary would
    // be one per phone it may follow. That makes the search's work several
    // times smaller and takes other speech about as well. Filler words can
    // only be given in the filler dictionary: the model's, and the phones.
    QFile noise(model.AcousticModel + QStringLiteral("/noisedict"));
    if (!noise.open(QIODevice::ReadOnly))
        throw BookError(
            QStringLiteral("cannot open the speech model in %1: cannot read its "
                           "file “noisedict” (%2)")
                .arg(QDir::toNativeSeparators(model.AcousticModel), noise.errorString()));
    QByteArray fillers = noise.readAll();
    if (!fillers.isEmpty() && !fillers.endsWith('\n'))
        fillers += '\n';
    for (const QString& phone : SpeechPhones())
        fillers += (garbageWord(phone) + u' ' + phone + u'\n').toLatin1();
    QTemporaryFile fillerFile(QDir::tempPath() + QStringLiteral("/zarelo-fillers-XXXXXX.dict"));
    if (!fillerFile.open() || fillerFile.write(fillers) != fillers.size() || !fillerFile.flush())
        throw BookError(
            QStringLiteral("cannot write the speech decoder's filler words to %1: %2")
                .arg(QDir::toNativeSeparators(fillerFile.fileName()), fillerFile.errorString()));

    // The phones' decoder needs no dictionary but its filler words.
    QTemporaryFile noWords(QDir::tempPath() + QStringLiteral("/zarelo-words-XXXXXX.dict"));
    if (!noWords.open())
        throw BookError(
            QStringLiteral("cannot write the speech decoder's words to %1: %2")
                .arg(QDir::toNativeSeparators(noWords.fileName()), noWords.errorString()));

    // -remove_silence no keeps frame numbers equal to times; wide beams keep a
    // path alive through long or unusual recordings (the cap on active HMMs
    // keeps the time bounded); the cepstral mean of each whole window
    // (batch), not one carried over from the last. The decoder's own dither
    // draws from one generator for the decoder's life, so that the same call
    // could answer differently the second time: Align dithers each recording
    // itself, from a fixed seed.
    const QByteArrayList settings =
        QByteArrayList{"-hmm", QFile::encodeName(model.AcousticModel), "-fdict",
                       QFile::encodeName(fillerFile.fileName())} +
        QByteArray("-remove_silence no -dither no -beam 1e-100 -wbeam 1e-100 -pbeam 1e-100 "
                   "-maxhmmpf 3000 -bestpath no -fsgusefiller no -cmn batch -logfn /dev/null "
                   "-samprate 16000")
            .split(' ');
    words_ = openDecoder(settings, model.AcousticModel);
    phones_ = openDecoder(settings + QByteArrayList{"-dict", QFile::encodeName(noWords.fileName())},
                          model.AcousticModel);

    // The free run of phones a word's sound is compared with.
    logmath_t* lmath = ps_get_logmath(phones_->Handle);
    const float lw = cmd_ln_float32_r(phones_->Config, "-lw");
    fsg_model_t* fsg = fsg_model_init("phones", lmath, lw, 2);
    fsg->start_state = 0;
    fsg->final_state = 1;
    addGarbage(fsg, {0}, static_cast<int32>(logmath_log(lmath, kGarbageProbability) * lw),
               SpeechPhones());
    fsg_model_add_silence(fsg, "<sil>", -1, kSilenceProbability);
    fsg_model_null_trans_add(fsg, 0, 1, 0);
    const bool ready = ps_set_fsg(phones_->Handle, "phones", fsg) == 0;
    fsg_model_free(fsg);
    if (!ready)
        throw BookError(QStringLiteral("cannot set up the speech decoder for the model in %1")
                            .arg(QDir::toNativeSeparators(model.AcousticModel)));
}

SphinxAligner::~SphinxAligner() = default;

SphinxAligner::Decoder::~Decoder()
{
    if (Handle != nullptr)
        ps_free(Handle);
    if (Config != nullptr)
        cmd_ln_free_r(Config);
}

std::unique_ptr<SphinxAligner::Decoder> SphinxAligner::openDecoder(QByteArrayList settings,
                                                                   const QString& modelFolder)
{
    auto decoder = std::make_unique<Decoder>();
    QByteArray program("zarelo"); // the parser takes the first as the program's name
    std::vector<char*> argv{program.data()};
    for (QByteArray& setting : settings)
        argv.push_back(setting.data());
    decoder->Config = cmd_ln_parse_r(nullptr, ps_args(), int(argv.size()), argv.data(), TRUE);
    if (decoder->Config == nullptr)
        throw BookError(QStringLiteral("cannot set up the speech decoder for the model in %1")
                            .arg(QDir::toNativeSeparators(modelFolder)));
    decoder->Handle = ps_init(decoder->Config);
    if (decoder->Handle == nullptr)
        throw BookError(QStringLiteral("cannot open the speech model in %1")
                            .arg(QDir::toNativeSeparators(modelFolder)));
    return decoder;
}

bool SphinxAligner::SetPronunciation(const QString& word, const QString& phones)
{
    const QString cleaned = phones.simplified();
    if (word.isEmpty() || !ValidPhones(cleaned))
        return false;
    given_[word.toLower()] = QStringList{cleaned};
    return true;
}

void SphinxAligner::UsePronunciations(const QByteArray& dictionary)
{
    own_ = Lexicon();
    for (const QByteArray& line : dictionary.split('\n')) {
        try {
            own_.ReadText(line, QString());
        } catch (const BookError&) {
            // left out, as promised
        }
    }
}

QStringList SphinxAligner::pronunciationsOf(const QString& word) const
{
    const auto given = given_.constFind(word.toLower());
    if (given != given_.constEnd())
        return *given;
    const QStringList own = own_.Lookup(word);
    return own.isEmpty() ? lexicon_->Pronounce(word) : own;
}

int SphinxAligner::phoneCount(const QString& word) const
{
    const QStringList pronunciations = pronunciationsOf(word);
    return pronunciations.isEmpty() ? int(word.size())
                                    : int(pronunciations.front().count(QLatin1Char(' '))) + 1;
}

QString SphinxAligner::decoderWord(const QString& key)
{
    // `key` is "occurrence|phones"; each gets its own word in the decoder's
    // dictionary, so that a word of the result names its place in the text.
    const auto known = added_.constFind(key);
    if (known != added_.constEnd())
        return *known;
    const QString name = QStringLiteral("w%1").arg(added_.size());
    const QString phones = key.section(QLatin1Char('|'), 1);
    ps_add_word(words_->Handle, name.toLatin1().constData(), phones.toLatin1().constData(), FALSE);
    added_.insert(key, name);
    return name;
}

std::vector<int16_t> SphinxAligner::ToSpeechRate(const PcmView& recording)
{
    const int channels = recording.Channels;
    if (channels <= 0 || recording.Rate <= 0)
        return {};
    const size_t frames = recording.Samples.size() / static_cast<size_t>(channels);
    std::vector<float> mono(frames);
    for (size_t f = 0; f < frames; ++f) {
        float sum = 0;
        for (int c = 0; c < channels; ++c)
            sum += recording.Samples[f * channels + c];
        mono[f] = sum / (32768.0f * channels);
    }
    std::vector<float> converted;
    if (recording.Rate == kSpeechRate || frames == 0) {
        converted = std::move(mono);
    } else {
        const double ratio = double(kSpeechRate) / recording.Rate;
        // libsamplerate takes ratios from 1/256 to 256.
        if (ratio < 1.0 / 256 || ratio > 256)
            return {};
        converted.resize(static_cast<size_t>(std::ceil(frames * ratio)) + 16);
        SRC_DATA data{};
        data.data_in = mono.data();
        data.input_frames = static_cast<long>(frames);
        data.data_out = converted.data();
        data.output_frames = static_cast<long>(converted.size());
        data.src_ratio = ratio;
        if (src_simple(&data, SRC_SINC_FASTEST, 1) != 0)
            return {};
        converted.resize(static_cast<size_t>(data.output_frames_gen));
    }
    std::vector<int16_t> pcm(converted.size());
    for (size_t i = 0; i < converted.size(); ++i)
        pcm[i] = static_cast<int16_t>(
            std::lround(std::clamp(converted[i], -1.0f, 32767.0f / 32768) * 32768.0f));
    return pcm;
}

std::vector<SphinxAligner::Segment> SphinxAligner::decode(ps_decoder_s* decoder, const char* search,
                                                          std::span<const int16_t> pcm,
                                                          bool toFinalState)
{
    std::vector<Segment> segments;
    // A new stream: the front end's estimate of the noise would otherwise
    // carry over from the last recording, and the same call could answer
    // differently the second time.
    if (ps_set_search(decoder, search) != 0 || ps_start_stream(decoder) < 0 ||
        ps_start_utt(decoder) < 0)
        return segments;
    ps_process_raw(decoder, pcm.data(), pcm.size(), FALSE, TRUE);
    // Once the utterance has ended, the best path is the best into the
    // grammar's final state; before, the best into the last frame wherever
    // in the grammar it stands.
    if (toFinalState)
        ps_end_utt(decoder);
    int32 score = 0;
    if (ps_get_hyp(decoder, &score) != nullptr) {
        for (ps_seg_t* seg = ps_seg_iter(decoder); seg != nullptr; seg = ps_seg_next(seg)) {
            Segment segment;
            segment.Word = QString::fromLatin1(ps_seg_word(seg));
            ps_seg_frames(seg, &segment.FirstFrame, &segment.LastFrame);
            int32 acoustic = 0, language = 0, backoff = 0;
            ps_seg_prob(seg, &acoustic, &language, &backoff);
            segment.Acoustic = acoustic;
            segments.push_back(segment);
        }
    }
    if (!toFinalState)
        ps_end_utt(decoder);
    return segments;
}

std::vector<int16_t> SphinxAligner::dithered(std::vector<int16_t> pcm, bool roomNoise)
{
    // Digital silence has no spectrum to take the logarithm of: add noise of
    // one sample unit, or with `roomNoise` as a quiet room holds, 54 dB below
    // the recording's peak; from a fixed seed so that equal calls give equal
    // answers.
    int peak = 0;
    if (roomNoise)
        for (int16_t s : pcm)
            peak = std::max(peak, std::abs(int(s)));
    const uint32_t spread = uint32_t(std::max(1, peak / 512));
    uint32_t state = 0x2545F491u;
    for (int16_t& s : pcm) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        const int noise = int(state % (2 * spread + 1)) - int(spread);
        s = static_cast<int16_t>(std::clamp(int(s) + noise, -32768, 32767));
    }
    return pcm;
}

std::vector<WordTiming> SphinxAligner::Align(const QString& text, const PcmView& recording)
{
    // Each word is a part of its own: anything may stand between two words.
    const QStringList words = SplitWords(text);
    std::vector<qsizetype> partEnds(size_t(words.size()));
    for (qsizetype i = 0; i < words.size(); ++i)
        partEnds[size_t(i)] = i + 1;
    return align(words, partEnds, recording, Reading::Sentence);
}

std::vector<std::vector<WordTiming>> SphinxAligner::AlignParts(const QStringList& parts,
                                                               const PcmView& recording)
{
    QStringList words;
    std::vector<qsizetype> partEnds;
    for (const QString& part : parts) {
        words += SplitWords(part);
        partEnds.push_back(words.size());
    }
    // The long pauses between parts may be mastered digital silence, which
    // reads as silence only under room noise; within a sentence the faintest
    // noise keeps a pause from passing for a word left out.
    std::vector<WordTiming> found = align(words, partEnds, recording, Reading::Track);
    std::vector<std::vector<WordTiming>> result(size_t(parts.size()));
    qsizetype begin = 0;
    for (size_t p = 0; p < partEnds.size(); ++p) {
        result[p].assign(found.begin() + begin, found.begin() + partEnds[p]);
        begin = partEnds[p];
    }
    return result;
}

SphinxAligner::Trimmed SphinxAligner::trimPauses(std::vector<int16_t> pcm)
{
    Trimmed trimmed;
    const size_t frames = pcm.size() / kFrameSamples;
    std::vector<int> peaks(frames);
    for (size_t f = 0; f < frames; ++f)
        for (size_t i = f * kFrameSamples; i < (f + 1) * kFrameSamples; ++i)
            peaks[f] = std::max(peaks[f], std::abs(int(pcm[i])));
    std::vector<int> sorted = peaks;
    const size_t loudRank = sorted.size() - sorted.size() / 100;
    if (sorted.empty() || loudRank >= sorted.size()) {
        trimmed.Pcm = std::move(pcm);
        trimmed.Pieces.push_back({0, 0});
        return trimmed;
    }
    std::nth_element(sorted.begin(), sorted.begin() + loudRank, sorted.end());
    const double quiet = sorted[loudRank] * std::pow(10.0, -kQuietBelowLoud / 20);
    const size_t longPause = size_t(kLongPause * 1000 / kFrameMs);
    const size_t kept = size_t(kPauseKept * 1000 / kFrameMs);
    // Frames [from, f) are taken whole; a long quiet run is cut to its ends.
    size_t from = 0;
    auto take = [&](size_t begin, size_t end) {
        if (trimmed.Pieces.empty() || trimmed.Pieces.back().Original +
                                              int64_t(trimmed.Pcm.size() / kFrameSamples) -
                                              trimmed.Pieces.back().Trimmed !=
                                          int64_t(begin))
            trimmed.Pieces.push_back({int64_t(trimmed.Pcm.size() / kFrameSamples), int64_t(begin)});
        trimmed.Pcm.insert(trimmed.Pcm.end(), pcm.begin() + begin * kFrameSamples,
                           pcm.begin() + end * kFrameSamples);
    };
    for (size_t f = 0; f <= frames;) {
        if (f == frames || peaks[f] >= quiet) {
            ++f;
            continue;
        }
        size_t end = f;
        while (end < frames && peaks[end] < quiet)
            ++end;
        if (end - f >= longPause) {
            take(from, f + kept);
            from = end - kept;
        }
        f = end;
    }
    take(from, frames);
    // The samples after the last whole frame.
    trimmed.Pcm.insert(trimmed.Pcm.end(), pcm.begin() + frames * kFrameSamples, pcm.end());
    return trimmed;
}

int64_t SphinxAligner::Trimmed::originalFrame(int64_t frame) const
{
    auto piece = std::upper_bound(Pieces.begin(), Pieces.end(), frame,
                                  [](int64_t f, const Piece& p) { return f < p.Trimmed; });
    --piece;
    return piece->Original + frame - piece->Trimmed;
}

std::vector<WordTiming> SphinxAligner::align(const QStringList& words,
                                             const std::vector<qsizetype>& partEnds,
                                             const PcmView& recording, Reading reading)
{
    std::vector<WordTiming> result(words.size());
    for (qsizetype i = 0; i < words.size(); ++i)
        result[i].Word = words[i];
    const Trimmed trimmed =
        trimPauses(dithered(ToSpeechRate(recording), reading == Reading::Track));
    const std::vector<int16_t>& pcm = trimmed.Pcm;
    // Less than a tenth of a second holds no word.
    if (words.isEmpty() || pcm.size() < kSpeechRate / 10)
        return result;

    // The recording is searched in windows, each for the parts a fast reader
    // could say in it: the search's work per frame grows with the parts it
    // holds open, and its memory with the window's length. A part whose words
    // end near a window's end may go on past it, so it is sought again in the
    // next window, which starts where the last part kept ends.
    const std::span<const int16_t> all(pcm);
    const size_t window = size_t(kWindowSeconds * kSpeechRate);
    const size_t margin = size_t(kWindowMarginSeconds * kSpeechRate);
    size_t part = 0; // the first part not yet placed
    size_t at = 0;   // where the next window starts, in samples
    while (part < partEnds.size() && at + kSpeechRate / 10 <= pcm.size()) {
        // No window is left with only a short tail after it.
        const size_t end = pcm.size() - at <= window + window / 4 ? pcm.size() : at + window;
        const bool last = end == pcm.size();
        size_t partsEnd = part;
        for (int phones = 0;
             partsEnd < partEnds.size() && phones < kFastestPhonesPerSecond * kWindowSeconds;
             ++partsEnd) {
            for (qsizetype w = partStart(partEnds, partsEnd); w < partEnds[partsEnd]; ++w)
                phones += phoneCount(words[w]);
        }
        if (partsEnd < partEnds.size())
            ++partsEnd;
        const qsizetype first = partStart(partEnds, part);
        std::vector<qsizetype> ends;
        for (size_t p = part; p < partsEnd; ++p)
            ends.push_back(partEnds[p] - first);
        const std::vector<WordTiming> found = alignWindow(
            words.mid(first, ends.back()), ends, all.subspan(at, end - at), !last, reading);

        // The parts kept: every part of the last window; else those up to
        // the last found whose words end before the margin.
        const int64_t keepBeforeMs = last ? std::numeric_limits<int64_t>::max()
                                          : int64_t(end - margin - at) * 1000 / kSpeechRate;
        size_t kept = part;
        int64_t keptEndMs = -1;
        for (size_t p = part; p < partsEnd; ++p) {
            int64_t partEndMs = -1;
            for (qsizetype w = partStart(partEnds, p); w < partEnds[p]; ++w)
                if (found[size_t(w - first)].Found)
                    partEndMs = found[size_t(w - first)].EndMs;
            if (partEndMs < 0)
                continue;
            if (partEndMs > keepBeforeMs)
                break;
            kept = p + 1;
            keptEndMs = partEndMs;
        }
        if (last)
            kept = partsEnd;
        const int64_t offset = int64_t(at / kFrameSamples);
        for (qsizetype w = first; w < partStart(partEnds, kept); ++w) {
            WordTiming& timing = result[size_t(w)];
            timing = found[size_t(w - first)];
            if (timing.Found) {
                timing.StartMs =
                    trimmed.originalFrame(offset + timing.StartMs / kFrameMs) * kFrameMs;
                timing.EndMs =
                    (trimmed.originalFrame(offset + timing.EndMs / kFrameMs - 1) + 1) * kFrameMs;
            }
        }
        part = kept;
        if (keptEndMs >= 0)
            at += size_t(keptEndMs) * kSpeechRate / 1000;
        else if (!last)
            at = end - margin;
    }
    return result;
}

std::vector<WordTiming> SphinxAligner::alignWindow(const QStringList& words,
                                                   const std::vector<qsizetype>& partEnds,
                                                   std::span<const int16_t> pcm, bool openEnd,
                                                   Reading reading)
{
    std::vector<WordTiming> result(words.size());
    for (qsizetype i = 0; i < words.size(); ++i)
        result[i].Word = words[i];
    // The free run of phones that confidence is measured against is decoded
    // meanwhile, on the other decoder.
    std::future<std::vector<Segment>> freeRun = std::async(
        std::launch::async, [this, pcm] { return decode(phones_->Handle, "phones", pcm, true); });

    // Skipping a word or a part costs, so that silence does not take a softly
    // spoken word. When so much is skipped that the search's beam lost every
    // path to the end of the text, the words are sought again with skipping
    // free; when still none is left, the best path into the last frame is
    // taken, and the words after it are not found.
    std::vector<Segment> segments;
    QHash<QString, qsizetype> place; // decoder word -> index of the word in the text
    const struct {
        double Skip;
        bool ToEnd;
    } attempts[] = {{kSkipProbability, !openEnd}, {1.0, !openEnd}, {1.0, false}};
    for (const auto& attempt : attempts) {
        place.clear();
        if (!setGrammar(words, partEnds, attempt.Skip, reading, &place))
            return result;
        segments = decode(words_->Handle, "align", pcm, attempt.ToEnd);
        if (!segments.empty())
            break;
    }
    std::vector<int32_t> wordScores(result.size(), 0);
    for (const Segment& segment : segments) {
        const auto at = place.constFind(segment.Word);
        if (at == place.constEnd())
            continue;
        WordTiming& timing = result[*at];
        timing.Found = true;
        timing.StartMs = int64_t(segment.FirstFrame) * kFrameMs;
        timing.EndMs = int64_t(segment.LastFrame + 1) * kFrameMs;
        wordScores[*at] = segment.Acoustic;
    }

    // Confidence: the word's sound against the best free run of phones over
    // the same frames (both scored against the best state of each frame). A
    // spoken word scores nearly as well as the phones; a word forced onto
    // other sound falls far behind them.
    if (std::none_of(result.begin(), result.end(), [](const WordTiming& w) { return w.Found; }))
        return result;
    const std::vector<Segment> phones = freeRun.get();
    for (size_t i = 0; i < result.size(); ++i) {
        if (!result[i].Found)
            continue;
        const int first = int(result[i].StartMs / kFrameMs);
        const int last = int(result[i].EndMs / kFrameMs) - 1;
        double loop = 0;
        for (const Segment& phone : phones) {
            const int overlap =
                std::min(last, phone.LastFrame) - std::max(first, phone.FirstFrame) + 1;
            if (overlap > 0)
                loop += double(phone.Acoustic) * overlap / (phone.LastFrame - phone.FirstFrame + 1);
        }
        // Scores are logarithms to base 1.0001 shifted right by 10 bits.
        const double behind = (loop - wordScores[i]) * 1024 * std::log(1.0001) / (last - first + 1);
        if (behind > kNotSpokenBehind) {
            result[i] = WordTiming{result[i].Word};
            continue;
        }
        result[i].Confidence =
            std::clamp(std::exp(-std::max(behind, 0.0) / kConfidenceScale), 0.0, 1.0);
    }
    return result;
}

bool SphinxAligner::setGrammar(const QStringList& words, const std::vector<qsizetype>& partEnds,
                               double skip, Reading reading, QHash<QString, qsizetype>* place)
{
    // State i is "before word i". Word i, or skipping it inside its part,
    // leads to state i + 1; a whole part may be skipped; garbage phones loop
    // on the states between parts.
    logmath_t* lmath = ps_get_logmath(words_->Handle);
    const float lw = cmd_ln_float32_r(words_->Config, "-lw");
    auto weight = [&](double p) { return static_cast<int32>(logmath_log(lmath, p) * lw); };
    const int states = static_cast<int>(words.size()) + 1;
    fsg_model_t* fsg = fsg_model_init("align", lmath, lw, states);
    fsg->start_state = 0;
    fsg->final_state = states - 1;
    std::vector<int> partStarts;
    qsizetype begin = 0;
    for (qsizetype end : partEnds) {
        if (end > begin)
            partStarts.push_back(int(begin));
        begin = end;
    }
    const double beam = reading == Reading::Track ? kTrackBeam : kSentenceBeam;
    const int32 skipWeight = std::max(weight(skip), int32(0.8 * logmath_log(lmath, beam) /
                                                          std::max<size_t>(1, partStarts.size())));
    QHash<QString, int> occurrences;
    begin = 0;
    for (qsizetype end : partEnds) {
        for (qsizetype i = begin; i < end; ++i) {
            const QString lower = words[i].toLower();
            const int occurrence = occurrences[lower]++;
            for (const QString& phones : pronunciationsOf(words[i])) {
                const QString name =
                    decoderWord(QStringLiteral("%1~%2|%3").arg(lower).arg(occurrence).arg(phones));
                place->insert(name, i);
                const int wid = fsg_model_word_add(fsg, name.toLatin1().constData());
                fsg_model_trans_add(fsg, int(i), int(i) + 1, weight(kWordProbability), wid);
            }
            if (end - begin > 1)
                fsg_model_null_trans_add(fsg, int(i), int(i) + 1, skipWeight);
        }
        if (end > begin)
            fsg_model_null_trans_add(fsg, int(begin), int(end), skipWeight);
        begin = end;
    }
    std::vector<int> between = partStarts;
    between.push_back(states - 1);
    addGarbage(fsg, between, weight(kGarbageProbability), garbagePhones());
    fsg_model_add_silence(fsg, "<sil>", -1, kSilenceProbability);
    // The search takes its beams from the settings when the grammar is set.
    for (const char* name : {"-beam", "-pbeam", "-wbeam"})
        cmd_ln_set_float_r(words_->Config, name, beam);
    const bool ready = ps_set_fsg(words_->Handle, "align", fsg) == 0;
    fsg_model_free(fsg);
    return ready;
}

void SphinxAligner::addGarbage(fsg_model_s* fsg, const std::vector<int>& states, int32_t weight,
                               const QStringList& phones)
{
    for (const QString& phone : phones) {
        const int wid = fsg_model_word_add(fsg, garbageWord(phone).toLatin1().constData());
        for (int s : states)
            fsg_model_trans_add(fsg, s, s, weight, wid);
    }
}

} // namespace zarelo::speech
