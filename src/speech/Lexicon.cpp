#include "speech/Lexicon.h"

#include "base/BookError.h"

#include <QFile>
#include <QSet>
#include <limits>

namespace zarelo::speech {

namespace {

const QSet<QString>& phoneSet()
{
    static const QSet<QString> set(SpeechPhones().begin(), SpeechPhones().end());
    return set;
}

// Letter groups and the phones they are read as, longest first where one
// group starts another. Chosen for names written in pinyin ("Daming",
// "Meimei") and plain English spelling alike.
struct LetterRule {
    const char* Letters;
    const char* Phones;
};
constexpr LetterRule kLetterRules[] = {
    {"ang", "AA NG"}, {"eng", "AH NG"}, {"ing", "IH NG"}, {"ong", "AO NG"}, {"ung", "UH NG"},
    {"ch", "CH"},     {"sh", "SH"},     {"zh", "JH"},     {"th", "TH"},     {"ph", "F"},
    {"ck", "K"},      {"ng", "NG"},     {"ai", "AY"},     {"ei", "EY"},     {"ao", "AW"},
    {"ou", "OW"},     {"ee", "IY"},     {"oo", "UW"},     {"ui", "W EY"},   {"ia", "Y AA"},
    {"ua", "W AA"},   {"uo", "W AO"},   {"a", "AA"},      {"b", "B"},       {"c", "K"},
    {"d", "D"},       {"e", "EH"},      {"f", "F"},       {"g", "G"},       {"h", "HH"},
    {"i", "IY"},      {"j", "JH"},      {"k", "K"},       {"l", "L"},       {"m", "M"},
    {"n", "N"},       {"o", "AO"},      {"p", "P"},       {"q", "CH"},      {"r", "R"},
    {"s", "S"},       {"t", "T"},       {"u", "UW"},      {"v", "V"},       {"w", "W"},
    {"x", "SH"},      {"y", "Y"},       {"z", "Z"},
};

const char* const kDigitNames[] = {"zero", "one", "two",   "three", "four",
                                   "five", "six", "seven", "eight", "nine"};

// Pieces of a word joined into a pronunciation: a dictionary word costs one,
// a letter group read by the rules two, so known words win.
constexpr int kWordCost = 2;
constexpr int kLetterCost = 3;

} // namespace

const QStringList& SpeechPhones()
{
    static const QStringList phones = {
        QStringLiteral("AA"), QStringLiteral("AE"), QStringLiteral("AH"), QStringLiteral("AO"),
        QStringLiteral("AW"), QStringLiteral("AY"), QStringLiteral("B"),  QStringLiteral("CH"),
        QStringLiteral("D"),  QStringLiteral("DH"), QStringLiteral("EH"), QStringLiteral("ER"),
        QStringLiteral("EY"), QStringLiteral("F"),  QStringLiteral("G"),  QStringLiteral("HH"),
        QStringLiteral("IH"), QStringLiteral("IY"), QStringLiteral("JH"), QStringLiteral("K"),
        QStringLiteral("L"),  QStringLiteral("M"),  QStringLiteral("N"),  QStringLiteral("NG"),
        QStringLiteral("OW"), QStringLiteral("OY"), QStringLiteral("P"),  QStringLiteral("R"),
        QStringLiteral("S"),  QStringLiteral("SH"), QStringLiteral("T"),  QStringLiteral("TH"),
        QStringLiteral("UH"), QStringLiteral("UW"), QStringLiteral("V"),  QStringLiteral("W"),
        QStringLiteral("Y"),  QStringLiteral("Z"),  QStringLiteral("ZH")};
    return phones;
}

bool ValidPhones(const QString& phones)
{
    const QStringList list = phones.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (list.isEmpty())
        return false;
    for (const QString& phone : list) {
        if (!phoneSet().contains(phone))
            return false;
    }
    return true;
}

QStringList SplitWords(const QString& text)
{
    QStringList words;
    QString word;
    auto finish = [&] {
        while (word.startsWith(QLatin1Char('\'')))
            word.remove(0, 1);
        while (word.endsWith(QLatin1Char('\'')))
            word.chop(1);
        if (!word.isEmpty())
            words.append(word);
        word.clear();
    };
    for (QChar c : text) {
        // The typographic apostrophe counts as the plain one.
        if (c == QChar(0x2019))
            c = QLatin1Char('\'');
        if (c.isLetterOrNumber() || c == QLatin1Char('\''))
            word.append(c);
        else
            finish();
    }
    finish();
    return words;
}

void Lexicon::ReadFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw BookError(QStringLiteral("cannot read the pronunciation dictionary %1: %2")
                            .arg(path, file.errorString()));
    ReadText(file.readAll(), path);
}

void Lexicon::ReadText(const QByteArray& text, const QString& origin)
{
    entries_.reserve(entries_.size() + text.count('\n') + 1);
    int lineNumber = 0;
    for (const QByteArray& rawLine : text.split('\n')) {
        ++lineNumber;
        const QByteArray line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(";;;") || line.startsWith('#'))
            continue;
        const qsizetype blank = line.indexOf(' ') >= 0 ? line.indexOf(' ') : line.indexOf('\t');
        QString word = blank > 0 ? QString::fromUtf8(line.left(blank)) : QString();
        const QString phones =
            blank > 0 ? QString::fromUtf8(line.mid(blank + 1)).simplified() : QString();
        // "word(2)" is the second way of saying "word".
        const qsizetype variant = word.indexOf(QLatin1Char('('));
        if (variant > 0 && word.endsWith(QLatin1Char(')')))
            word.truncate(variant);
        if (word.isEmpty() || !Add(word, phones))
            throw BookError(
                QStringLiteral("%1, line %2: expected a word and phones of the speech model, "
                               "found “%3”")
                    .arg(origin)
                    .arg(lineNumber)
                    .arg(QString::fromUtf8(line)));
    }
}

bool Lexicon::Add(const QString& word, const QString& phones)
{
    const QString cleaned = phones.simplified();
    if (word.isEmpty() || !ValidPhones(cleaned))
        return false;
    QStringList& list = entries_[word.toLower()];
    if (!list.contains(cleaned))
        list.append(cleaned);
    return true;
}

QStringList Lexicon::Lookup(const QString& word) const
{
    return entries_.value(word.toLower());
}

QString Lexicon::Derive(const QString& word) const
{
    const QString letters = word.toLower();
    const qsizetype n = letters.size();
    // best[i]: the cheapest reading of letters[0, i); pieces joined by blanks.
    constexpr int kNone = std::numeric_limits<int>::max();
    std::vector<int> cost(n + 1, kNone);
    std::vector<QString> reading(n + 1);
    cost[0] = 0;
    for (qsizetype i = 0; i < n; ++i) {
        if (cost[i] == kNone)
            continue;
        auto offer = [&](qsizetype end, int pieceCost, const QString& phones) {
            if (cost[i] + pieceCost < cost[end]) {
                cost[end] = cost[i] + pieceCost;
                reading[end] = reading[i].isEmpty() ? phones : reading[i] + u' ' + phones;
            }
        };
        const QChar c = letters[i];
        if (c == QLatin1Char('\'')) {
            offer(i + 1, 0, QString());
            continue;
        }
        if (c.isDigit()) {
            const QStringList digit = Lookup(QLatin1String(kDigitNames[c.digitValue()]));
            if (!digit.isEmpty())
                offer(i + 1, kWordCost, digit.first());
            continue;
        }
        // Words of the dictionary of two letters or more.
        for (qsizetype end = n; end >= i + 2; --end) {
            if (end - i == n)
                continue; // the whole word is what is being derived
            const QStringList known = entries_.value(letters.mid(i, end - i));
            if (!known.isEmpty())
                offer(end, kWordCost, known.first());
        }
        for (const LetterRule& rule : kLetterRules) {
            const QLatin1String group(rule.Letters);
            if (QStringView(letters).mid(i).startsWith(group))
                offer(i + group.size(), kLetterCost, QString::fromLatin1(rule.Phones));
        }
    }
    if (cost[n] == kNone)
        return {};
    return reading[n].simplified();
}

QStringList Lexicon::Pronounce(const QString& word) const
{
    QStringList known = Lookup(word);
    if (!known.isEmpty())
        return known;
    const QString derived = Derive(word);
    return derived.isEmpty() ? QStringList{} : QStringList{derived};
}

} // namespace zarelo::speech
