#include "bookmaker/BookCheck.h"

#include "audio/AudioEngine.h"
#include "audio/ManualAudioDevice.h"
#include "base/BookError.h"
#include "book/BookFiles.h"
#include "book/BookLoader.h"
#include "book/Gbk.h"
#include "book/PackedFile.h"
#include "book/PageImage.h"
#include "bookmaker/VoiceImport.h"
#include "speech/Lexicon.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <atomic>
#include <map>
#include <optional>
#include <thread>

namespace zarelo::bookmaker {

namespace {

// The table coordinates of a page are pixels of the page scaled to this width.
constexpr int kTableWidth = 800;
// The page view's panel for the pages of a text book.
constexpr int kTextPageHeight = 1200;

class Checker {
public:
    Checker(const QString& folder, const speech::Lexicon* lexicon)
        : folder_(folder), lexicon_(lexicon)
    {
    }

    std::vector<Finding> run()
    {
        const std::optional<QByteArray> location = table(QStringLiteral("location.dat"));
        const std::optional<QByteArray> lessons = table(QStringLiteral("LessonIndex.dat"));
        if (location)
            readEntries(*location);
        if (lessons)
            readLessons(*lessons);
        checkEntries();
        checkLessons();
        if (lexicon_ != nullptr && location)
            checkPronunciations();
        listUnsureRanges();
        std::stable_sort(findings_.begin(), findings_.end(),
                         [](const Finding& a, const Finding& b) {
                             if (!EqualsIgnoringAsciiCase(a.File, b.File))
                                 return LessIgnoringAsciiCase(a.File, b.File);
                             return a.Line < b.Line;
                         });
        return std::move(findings_);
    }

private:
    void add(const QString& file, int line, const QString& what, bool note = false)
    {
        const QString where = line > 0 ? QStringLiteral("%1 line %2").arg(file).arg(line) : file;
        findings_.push_back({file, line, where + QStringLiteral(": ") + what, note});
    }
    // A reader's own message, which already names the file and the line.
    void addReaderError(const QString& file, int line, const BookError& e)
    {
        findings_.push_back({file, line, e.message(), false});
    }

    // The name a file has in the folder, found as the program finds it.
    QString found(const QString& name) const
    {
        return QFileInfo(FindBookEntry(folder_, name)).fileName();
    }

    std::optional<QByteArray> table(const QString& name)
    {
        const QString path = FindBookEntry(folder_, name);
        const QString file = QFileInfo(path).fileName();
        if (!QFileInfo(path).isFile()) {
            add(name, 0, QStringLiteral("missing; the program cannot open the book"));
            return std::nullopt;
        }
        try {
            return UnpackFile(path);
        } catch (const BookError& e) {
            add(file, 0, e.message());
            return std::nullopt;
        }
    }

    // Parses `lines` (numbered from `firstLine`) into `table` with `parse`.
    // A line that does not parse is reported and left out; lineOf gets the
    // file line of each row that was kept.
    template <typename Table, typename Parse>
    void parseLines(const TextColumn& lines, int firstLine, const QString& file, Table& table,
                    std::vector<int>& lineOf, Parse parse)
    {
        try {
            parse(lines, table, file, firstLine);
            lineOf.resize(lines.size());
            for (int i = 0; i < lines.size(); ++i)
                lineOf[i] = firstLine + i;
            return;
        } catch (const BookError&) {
        }
        // Slow path, only for a faulty table: each line on its own.
        TextColumn good;
        lineOf.clear();
        for (int i = 0; i < lines.size(); ++i) {
            TextColumn one;
            one.append(lines[i]);
            Table scratch;
            try {
                parse(one, scratch, file, firstLine + i);
                good.append(lines[i]);
                lineOf.push_back(firstLine + i);
            } catch (const BookError& e) {
                addReaderError(file, firstLine + i, e);
            }
        }
        parse(good, table, file, firstLine);
    }

    void readEntries(const QByteArray& bytes)
    {
        locationFile_ = found(QStringLiteral("location.dat"));
        const qsizetype headerEnd = bytes.indexOf('\n');
        // Field 1 of the header: a text book's pages are drawn by the page
        // view itself, in a panel of 800 x 1200, and no page file is read.
        const QList<QByteArray> header =
            bytes.left(headerEnd < 0 ? bytes.size() : headerEnd).trimmed().split(';');
        isTextBook_ = header.size() > 1 && header[1] == "text";
        TextColumn lines;
        if (headerEnd >= 0)
            SplitLines(QByteArrayView(bytes).sliced(headerEnd + 1), lines);
        if (lines.empty()) {
            add(locationFile_, 0,
                QStringLiteral("holds no entry line; the program says “%1”")
                    .arg(NoEntriesMessage()));
            return;
        }
        // Line 1 is the header.
        parseLines(lines, 2, locationFile_, entries_, entryLines_, ParseLocationLines);
    }

    void readLessons(const QByteArray& bytes)
    {
        lessonFile_ = found(QStringLiteral("LessonIndex.dat"));
        TextColumn lines;
        SplitLines(bytes, lines);
        parseLines(lines, 1, lessonFile_, lessons_, lessonLines_, ParseLessonLines);
    }

    // Page number of an entry's PageName: the program's rule, and the name
    // must also start with "Page", as the book's page files do.
    static std::optional<int> pageNumber(QByteArrayView pageName)
    {
        return pageName.startsWith("Page") ? PageNumberOf(pageName) : std::nullopt;
    }

    struct PageFile {
        int Number = 0;
        int FirstLine = 0; // of the first entry on the page
        QString File;      // as found in the folder
        bool Missing = false;
        QString Error;  // why it does not unpack or decode
        int Height = 0; // at the table's 800 px width, when usable
        bool usable() const { return !Missing && Error.isEmpty(); }
    };

    struct VoiceFile {
        QByteArray Name; // GBK, as the table has it
        int FirstLine = 0;
        QString Wanted; // Name + ".wav"
        QString File;   // as found in the folder
        bool Missing = false;
        bool OtherCase = false;
        QString Error;
        double Tenths = 0; // length, when usable
        bool usable() const { return !Missing && Error.isEmpty(); }
    };

    void openPage(PageFile& p) const
    {
        const QString name = QStringLiteral("Page%1.zip").arg(p.Number);
        const QString path = FindBookEntry(folder_, name);
        p.File = QFileInfo(path).fileName();
        try {
            // Decoded at the smallest size: every byte is still read, at a
            // fraction of the cost; the natural size is kept.
            const DecodedImage image =
                LoadPicFromZipFile(path, [](int, int) { return std::pair(1, 1); });
            p.Height =
                static_cast<int>(qint64(image.NaturalHeight) * kTableWidth / image.NaturalWidth);
        } catch (const BookError& e) {
            // Whether it is there is asked only now: a book has hundreds.
            p.Missing = !QFileInfo(path).isFile();
            p.Error = p.Missing ? QString() : e.message();
        }
    }

    void openVoice(VoiceFile& v) const
    {
        v.Wanted = fromGbk(v.Name) + QStringLiteral(".wav");
        const QString path = FindBookEntry(folder_, v.Wanted);
        v.File = QFileInfo(path).fileName();
        QByteArray bytes;
        try {
            bytes = UnpackFile(path);
        } catch (const BookError& e) {
            v.Missing = !QFileInfo(path).isFile();
            v.Error = v.Missing ? QString() : e.message();
            return;
        }
        v.OtherCase = path != QDir(folder_).filePath(v.Wanted);
        const HSTREAM stream = engine_->BASS_StreamCreateFile(
            true, bytes.constData(), 0, static_cast<QWORD>(bytes.size()), BASS_STREAM_DECODE);
        if (!stream) {
            v.Error = QStringLiteral("does not decode as WAV, MP3, OGG or FLAC sound");
            return;
        }
        v.Tenths = 10 * engine_->BASS_ChannelBytes2Seconds(
                            stream, engine_->BASS_ChannelGetLength(stream, BASS_POS_BYTE));
        engine_->BASS_StreamFree(stream);
    }

    // Finds the page and the voice file of every entry and reads each file
    // once. The files are read on a few threads: a big book holds hundreds.
    void readFiles()
    {
        const SentenceTable& t = entries_;
        std::map<int, int> pageIndex;
        std::map<QByteArray, int> voiceIndex;
        rowPage_.assign(t.count(), -1);
        rowVoice_.assign(t.count(), -1);
        for (int row = 0; row < t.count(); ++row) {
            if (const std::optional<int> number = pageNumber(t.PageName[row])) {
                const auto [it, added] = pageIndex.emplace(*number, int(pages_.size()));
                if (added) {
                    PageFile& p = pages_.emplace_back();
                    p.Number = *number;
                    p.FirstLine = entryLines_[row];
                }
                rowPage_[row] = it->second;
            }
            // Neighbouring entries mostly share their voice.
            const QByteArrayView voice = t.VoiceName[row];
            if (row > 0 && voice == t.VoiceName[row - 1]) {
                rowVoice_[row] = rowVoice_[row - 1];
                continue;
            }
            const auto [it, added] = voiceIndex.emplace(voice.toByteArray(), int(voices_.size()));
            if (added) {
                VoiceFile& v = voices_.emplace_back();
                v.Name = voice.toByteArray();
                v.FirstLine = entryLines_[row];
            }
            rowVoice_[row] = it->second;
        }

        // Lengths come from the engine the program plays voices with; it
        // needs a device to start, and a manual one never makes a sound.
        engine_ = std::make_unique<AudioEngine>(
            std::make_unique<ManualAudioDevice>(std::vector<std::string>{}));
        engine_->BASS_Init(-1, 44100, 0, nullptr, nullptr);
        if (isTextBook_)
            for (PageFile& p : pages_)
                p.Height = kTextPageHeight;
        const size_t total = pages_.size() + voices_.size();
        std::atomic<size_t> next{0};
        const auto work = [&] {
            for (size_t i = next++; i < total; i = next++) {
                if (i < pages_.size()) {
                    if (!isTextBook_)
                        openPage(pages_[i]);
                } else {
                    openVoice(voices_[i - pages_.size()]);
                }
            }
        };
        std::vector<std::thread> helpers;
        const unsigned threads = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
        for (unsigned k = 1; k < threads && k < total; ++k)
            helpers.emplace_back(work);
        work();
        for (std::thread& helper : helpers)
            helper.join();

        for (const PageFile& p : pages_) {
            if (p.Missing)
                add(locationFile_, p.FirstLine,
                    QStringLiteral("the entry stands on page %1, which has no file %2")
                        .arg(p.Number)
                        .arg(p.File));
            else if (!p.Error.isEmpty())
                add(p.File, 0, p.Error);
        }
        for (const VoiceFile& v : voices_) {
            if (v.Missing)
                add(locationFile_, v.FirstLine,
                    QStringLiteral("the voice file %1 is missing").arg(v.Wanted));
            else if (v.OtherCase)
                add(locationFile_, v.FirstLine,
                    QStringLiteral("the voice file %1 is present only as %2 (another letter case)")
                        .arg(v.Wanted, v.File));
            if (!v.Error.isEmpty())
                add(v.File, 0, v.Error);
        }
    }

    void checkEntries()
    {
        readFiles();
        const SentenceTable& t = entries_;
        for (int row = 0; row < t.count(); ++row) {
            const int line = entryLines_[row];
            if (rowPage_[row] < 0) {
                add(locationFile_, line,
                    QStringLiteral("the page “%1” is not Page and a number")
                        .arg(fromGbk(t.PageName[row])));
            } else {
                const PageFile& p = pages_[rowPage_[row]];
                entryPages_.push_back(p.Number);
                if (p.usable())
                    checkBoxes(row, line, p);
            }
            if (t.EnglishText[row].isEmpty())
                add(locationFile_, line,
                    QStringLiteral("the entry has no English text (field 6 is Chinese:English)"));
            checkTime(row, line, voices_[rowVoice_[row]]);
            if (t.Kind[row] == "word")
                checkWord(t.EnglishText[row], line);
        }
        std::sort(entryPages_.begin(), entryPages_.end());
    }

    void checkBoxes(int row, int line, const PageFile& p)
    {
        const SentenceTable& t = entries_;
        const struct {
            int l, t, r, b;
        } boxes[3] = {
            {t.Box1Left[row], t.Box1Top[row], t.Box1Right[row], t.Box1Bottom[row]},
            {t.Box2Left[row], t.Box2Top[row], t.Box2Right[row], t.Box2Bottom[row]},
            {t.Box3Left[row], t.Box3Top[row], t.Box3Right[row], t.Box3Bottom[row]},
        };
        for (int k = 0; k < 3; ++k) {
            const auto& b = boxes[k];
            if (k > 0 && b.l == -1)
                continue; // boxes 2 and 3 are absent
            const auto box = [&] {
                return QStringLiteral("box %1 (%2,%3 to %4,%5)")
                    .arg(k + 1)
                    .arg(b.l)
                    .arg(b.t)
                    .arg(b.r)
                    .arg(b.b);
            };
            if (b.r <= b.l || b.b <= b.t)
                add(locationFile_, line, box() + QStringLiteral(" is empty"));
            else if (b.l < 0 || b.t < 0 || b.r > kTableWidth || b.b > p.Height)
                add(locationFile_, line,
                    box() + QStringLiteral(" is outside %1 (800 x %2 in table pixels)")
                                .arg(isTextBook_ ? QStringLiteral("the text page")
                                                 : QStringLiteral("the picture of ") + p.File)
                                .arg(p.Height));
        }
    }

    void checkTime(int row, int line, const VoiceFile& v)
    {
        const SentenceTable& t = entries_;
        const double start = t.StartTime[row], end = t.EndTime[row];
        const auto seconds = [](double tenths) { return QString::number(tenths / 10, 'f', 2); };
        if (start > end)
            add(locationFile_, line,
                QStringLiteral("the time range starts (%1 s) after it ends (%2 s)")
                    .arg(seconds(start), seconds(end)));
        else if (start < 0)
            add(locationFile_, line,
                QStringLiteral("the time range starts before 0 (%1 s)").arg(seconds(start)));
        // Table times have hundredths; a range may end on the hundredth after
        // the last sample.
        if (v.usable() && end > v.Tenths + 0.1)
            add(locationFile_, line,
                QStringLiteral("the time range ends at %1 s, past the end of %2 (%3 s)")
                    .arg(seconds(end), v.File, seconds(v.Tenths)));
    }

    void checkWord(QByteArrayView english, int line)
    {
        if (!english.contains('\'') && !english.startsWith(' ') && !english.endsWith(' '))
            return;
        const QString word = fromGbk(english);
        if (word.contains(u'\''))
            add(locationFile_, line,
                QStringLiteral("the word “%1” holds an apostrophe (legal)").arg(word), true);
        if (word != word.trimmed())
            add(locationFile_, line,
                QStringLiteral("the word “%1” has blanks around it (legal)").arg(word), true);
    }

    // Every word of the entries, once, at its first line.
    void checkPronunciations()
    {
        const QString dictionaryFile = QLatin1String(kBookPronunciationsName);
        speech::Lexicon own;
        // Found as the program finds it, whatever the letter case of its name.
        QFile dictionary(FindBookEntry(folder_, dictionaryFile));
        if (dictionary.exists()) {
            try {
                if (!dictionary.open(QIODevice::ReadOnly))
                    throw BookError(QStringLiteral("%1: cannot read the file: %2")
                                        .arg(dictionaryFile, dictionary.errorString()));
                own.ReadText(dictionary.readAll(), dictionaryFile);
            } catch (const BookError& e) {
                addReaderError(dictionaryFile, 0, e);
            }
        }
        QSet<QString> seen;
        for (int row = 0; row < entries_.count(); ++row) {
            for (const QString& word : speech::SplitWords(fromGbk(entries_.EnglishText[row]))) {
                const QString lower = word.toLower();
                if (seen.contains(lower) || own.Has(lower) || lexicon_->Has(lower))
                    continue;
                seen.insert(lower);
                const QString guess = lexicon_->Derive(lower);
                if (guess.isEmpty())
                    add(locationFile_, entryLines_[row],
                        QStringLiteral("the word aligner cannot say “%1”: no dictionary holds "
                                       "it (give it with “say” in the book source)")
                            .arg(word));
                else
                    add(locationFile_, entryLines_[row],
                        QStringLiteral("“%1” is in no dictionary; the word aligner guesses "
                                       "“%2” from its letters (“say” in the book source gives "
                                       "its own)")
                            .arg(word, guess),
                        true);
            }
        }
    }

    // The ranges the maker placed without certainty when it imported a
    // recording: worth a listen, each a note.
    void listUnsureRanges()
    {
        const QString name = QLatin1String(kUnsureRangesName);
        QFile file(FindBookEntry(folder_, name));
        if (!file.exists())
            return;
        if (!file.open(QIODevice::ReadOnly)) {
            add(name, 0, QStringLiteral("cannot read the file: %1").arg(file.errorString()));
            return;
        }
        int line = 0;
        for (const QByteArray& text : file.readAll().split('\n')) {
            ++line;
            if (!text.trimmed().isEmpty())
                add(name, line,
                    QStringLiteral("the import is unsure of this range; listen to it: %1")
                        .arg(QString::fromUtf8(text.trimmed())),
                    true);
        }
    }

    void checkLessons()
    {
        const LessonTable& l = lessons_;
        for (int row = 0; row < l.count(); ++row) {
            const int first = l.FirstPage[row], end = l.EndPage[row];
            const auto it = std::lower_bound(entryPages_.begin(), entryPages_.end(), first);
            if (it == entryPages_.end() || *it > end)
                add(lessonFile_, lessonLines_[row],
                    QStringLiteral("“%1” covers pages %2 to %3, which hold no entry")
                        .arg(fromGbk(l.Name[row]))
                        .arg(first)
                        .arg(end));
        }
    }

    QString folder_;
    const speech::Lexicon* lexicon_ = nullptr;
    QString locationFile_ = QStringLiteral("location.dat");
    QString lessonFile_ = QStringLiteral("LessonIndex.dat");
    bool isTextBook_ = false;
    SentenceTable entries_;
    LessonTable lessons_;
    std::vector<int> entryLines_, lessonLines_; // file line of each row
    std::vector<int> entryPages_;               // page of every entry, sorted
    std::vector<PageFile> pages_;               // in order of first use
    std::vector<VoiceFile> voices_;             // in order of first use
    std::vector<int> rowPage_;                  // index into pages_ of each row; -1: no page number
    std::vector<int> rowVoice_;                 // index into voices_ of each row
    std::unique_ptr<AudioEngine> engine_;
    std::vector<Finding> findings_;
};

} // namespace

std::vector<Finding> CheckBookFolder(const QString& folder, const speech::Lexicon* lexicon)
{
    return Checker(folder, lexicon).run();
}

int ProblemCount(const std::vector<Finding>& findings)
{
    return static_cast<int>(
        std::count_if(findings.begin(), findings.end(), [](const Finding& f) { return !f.Note; }));
}

} // namespace zarelo::bookmaker
