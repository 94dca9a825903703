#pragma once
// The word aligner over pocketsphinx and its US English model.
//
// The text becomes a grammar in which each word is optional and competes with
// a garbage path of single phones: sound that is not the next word (a word
// left out, an instruction, music, noise) is taken by the garbage path, and a
// word whose sound is not there is skipped and reported not found. The
// recording is converted to 16 kHz mono (libsamplerate); frames are 10 ms.
// Long pauses are shortened and long recordings searched in windows, so that
// work and memory per minute do not grow with the length; a second decoder
// on a thread of its own runs the free run of phones that each word's
// confidence is measured against.

#include "speech/Lexicon.h"
#include "speech/WordAligner.h"

#include <QHash>
#include <memory>

struct ps_decoder_s;
struct cmd_ln_s;
struct fsg_model_s;

namespace zarelo::speech {

// Where the speech model lies.
struct SpeechModel {
    QString AcousticModel;  // folder with mdef, means, variances, ...
    QString Dictionary;     // the model's pronunciation dictionary (CMU format)
    QString HandDictionary; // the program's own pronunciations (names); may be empty

    // The Debian package's model (pocketsphinx-en-us) and the hand
    // dictionary `handDictionary` (a program's, ProgramPaths::HandDictionary;
    // empty: none).
    static SpeechModel Installed(const QString& handDictionary);
};

// Reads the dictionaries of `model` into one lexicon, to be shared by
// aligners (it is only read). Throws BookError naming the file that cannot
// be read.
std::shared_ptr<const Lexicon> LoadLexicon(const SpeechModel& model);

class SphinxAligner : public WordAligner {
public:
    // Opens the acoustic model of `model`. Throws BookError saying which
    // folder could not be opened.
    SphinxAligner(const SpeechModel& model, std::shared_ptr<const Lexicon> lexicon);
    ~SphinxAligner() override;
    SphinxAligner(const SphinxAligner&) = delete;
    SphinxAligner& operator=(const SphinxAligner&) = delete;

    // A pronunciation given for this aligner's texts (e.g. written in a book
    // source), winning over the lexicon's. False when `phones` are not all
    // phones of the model.
    bool SetPronunciation(const QString& word, const QString& phones);

    std::vector<WordTiming> Align(const QString& text, const PcmView& recording) override;
    // Garbage phones only between parts: the words of a part are read
    // together, which the search needs far fewer paths for.
    std::vector<std::vector<WordTiming>> AlignParts(const QStringList& parts,
                                                    const PcmView& recording) override;
    void UsePronunciations(const QByteArray& dictionary) override;

    // The recording as the decoder hears it: 16 kHz mono.
    static std::vector<int16_t> ToSpeechRate(const PcmView& recording);

private:
    struct Segment {
        QString Word;
        int FirstFrame = 0, LastFrame = 0; // 10 ms frames, both inclusive
        int32_t Acoustic = 0;              // acoustic score, logmath units
    };
    // The best path of grammar `search` through `pcm` (16 kHz mono).
    // `toFinalState`: the path must end where the grammar does; else it may
    // end anywhere in it.
    std::vector<Segment> decode(ps_decoder_s* decoder, const char* search,
                                std::span<const int16_t> pcm, bool toFinalState);
    static std::vector<int16_t> dithered(std::vector<int16_t> pcm, bool roomNoise);
    // The recording with the middle of each long pause cut out (the search
    // would only pass over it), and where its pieces lie in the original.
    struct Trimmed {
        struct Piece {
            int64_t Trimmed = 0, Original = 0; // 10 ms frames where the piece starts
        };
        std::vector<int16_t> Pcm;
        std::vector<Piece> Pieces; // in order, the first at frame 0
        int64_t originalFrame(int64_t frame) const;
    };
    static Trimmed trimPauses(std::vector<int16_t> pcm);
    // What a recording holds: one sentence (a pupil's or the book's), or a
    // book's track of parts read one after another, with pauses between.
    enum class Reading { Sentence, Track };
    // The words of parts [0, partEnds[0]), [partEnds[0], partEnds[1]), ...
    std::vector<WordTiming> align(const QStringList& words, const std::vector<qsizetype>& partEnds,
                                  const PcmView& recording, Reading reading);
    // The same within one window of the recording, converted and dithered;
    // `openEnd`: the text may go on past the window.
    std::vector<WordTiming> alignWindow(const QStringList& words,
                                        const std::vector<qsizetype>& partEnds,
                                        std::span<const int16_t> pcm, bool openEnd,
                                        Reading reading);
    // Sets the search "align" to the grammar of `words` in parts ending at
    // `partEnds`, skipping a word or a part weighted `skip`, with the beams
    // of `reading`; *place maps each decoder word to its word's index.
    bool setGrammar(const QStringList& words, const std::vector<qsizetype>& partEnds, double skip,
                    Reading reading, QHash<QString, qsizetype>* place);
    // Loops of the single phones `phones` on each of `states`.
    static void addGarbage(fsg_model_s* fsg, const std::vector<int>& states, int32_t weight,
                           const QStringList& phones);
    QStringList pronunciationsOf(const QString& word) const;
    QString decoderWord(const QString& word);  // adds it to the decoder when new
    int phoneCount(const QString& word) const; // of its first pronunciation

    std::shared_ptr<const Lexicon> lexicon_;
    QHash<QString, QStringList> given_; // lower-case word -> phones
    Lexicon own_;                       // UsePronunciations
    QHash<QString, QString> added_;     // "word phones" -> the decoder's word name
    // A pocketsphinx decoder and its settings.
    struct Decoder {
        cmd_ln_s* Config = nullptr;
        ps_decoder_s* Handle = nullptr;
        Decoder() = default;
        Decoder(const Decoder&) = delete;
        Decoder& operator=(const Decoder&) = delete;
        ~Decoder();
    };
    // Throws BookError naming `modelFolder` when it cannot be opened.
    static std::unique_ptr<Decoder> openDecoder(QByteArrayList settings,
                                                const QString& modelFolder);
    std::unique_ptr<Decoder> words_;  // the texts' grammars
    std::unique_ptr<Decoder> phones_; // the free run of phones, decoded alongside
};

} // namespace zarelo::speech
