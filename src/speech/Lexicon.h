#pragma once
// Pronunciations of English words as phones of the US English speech model
// ("AA", "B", ... "ZH"), read from dictionaries in the CMU format: one word a
// line, the word, blanks, its phones ("hello HH AH L OW"); a second way of
// saying a word is written "hello(2) HH EH L OW".
//
// Words are looked up with their letters folded to lower case. A word no
// dictionary holds gets a pronunciation derived from its letters: joined from
// the longest words of the dictionary it is made of ("lingling" is "ling" +
// "ling"), and letter by letter where no such word fits (written with
// Chinese pinyin in mind, as the textbooks' names are).

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

namespace zarelo::speech {

// The phones of the speech model, in the model's spelling.
const QStringList& SpeechPhones();

// The words of `text` as the aligner sees them: runs of letters, digits and
// apostrophes; everything else separates words. Apostrophes at the ends of a
// word belong to the quotation, not to the word.
QStringList SplitWords(const QString& text);

class Lexicon {
public:
    // Adds every pronunciation of the dictionary file `path`. Throws BookError
    // naming the file (and the line) when it cannot be read or a line names a
    // phone the model does not have.
    void ReadFile(const QString& path);
    // Adds the pronunciations of dictionary text `text` (one word a line);
    // `origin` names it in errors.
    void ReadText(const QByteArray& text, const QString& origin);

    // Adds one pronunciation, given as phones separated by blanks. Returns
    // false, leaving the lexicon unchanged, when a phone is not the model's.
    bool Add(const QString& word, const QString& phones);

    // Every pronunciation the dictionaries give `word` (empty: none).
    QStringList Lookup(const QString& word) const;
    bool Has(const QString& word) const { return !Lookup(word).isEmpty(); }

    // A pronunciation made from the letters of `word` (see above); empty for
    // a word with neither letters nor digits.
    QString Derive(const QString& word) const;

    // The pronunciations to align `word` with: the dictionaries', or the
    // derived one.
    QStringList Pronounce(const QString& word) const;

    qsizetype size() const { return entries_.size(); }

private:
    QHash<QString, QStringList> entries_;
};

// True when `phones` (blank-separated) are all phones of the speech model
// and there is at least one.
bool ValidPhones(const QString& phones);

} // namespace zarelo::speech
