#include "bookmaker/BookSource.h"

#include "base/BookError.h"
#include "book/Gbk.h"
#include "speech/Lexicon.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace zarelo::bookmaker {

QString SourceEntry::spokenText() const
{
    return English.endsWith(u'~') ? English.chopped(1) : English;
}

QByteArray BookSource::pronunciationDictionary() const
{
    QByteArray dictionary;
    for (const auto& [word, said] : Pronunciations)
        dictionary += word.toUtf8() + ' ' + said.Phones.toLatin1() + '\n';
    return dictionary;
}

int BookSource::topHeadingOf(int page) const
{
    for (int i = 0; i < static_cast<int>(Headings.size()); ++i) {
        const SourceHeading& h = Headings[i];
        if (!h.IsLesson && h.FirstPage <= page && page <= h.EndPage)
            return i;
    }
    return -1;
}

namespace {

// Hundredths of a second of "[m:]s[.ff]" (1.5, 12.25, 1:02.5); -1 when not.
int hundredthsOf(const QString& text)
{
    const qsizetype colon = text.indexOf(u':');
    int minutes = 0;
    bool ok = true;
    if (colon >= 0)
        minutes = text.left(colon).toInt(&ok);
    const QString rest = text.mid(colon + 1);
    const qsizetype dot = rest.indexOf(u'.');
    const QString whole = dot < 0 ? rest : rest.left(dot);
    QString fraction = dot < 0 ? QString() : rest.mid(dot + 1);
    bool wholeOk = false, fractionOk = true;
    const int seconds = whole.toInt(&wholeOk);
    if (!ok || !wholeOk || minutes < 0 || seconds < 0 || (colon >= 0 && seconds > 59) ||
        fraction.size() > 2 || whole.startsWith(u'+') || whole.startsWith(u'-'))
        return -1;
    int part = 0;
    if (!fraction.isEmpty()) {
        part = fraction.leftJustified(2, u'0').toInt(&fractionOk);
        if (!fractionOk || fraction.startsWith(u'+') || fraction.startsWith(u'-'))
            return -1;
    }
    return (minutes * 60 + seconds) * 100 + part;
}

class Parser {
public:
    Parser(const QString& fileName) : folder_(QFileInfo(fileName).absolutePath())
    {
        book_.FileName = fileName;
    }

    void line(int number, QString text)
    {
        number_ = number;
        text = text.trimmed();
        if (text.isEmpty() || text.startsWith(u'#'))
            return;
        const qsizetype space = text.indexOf(u' ');
        const QString keyword = space < 0 ? text : text.left(space);
        const QString rest = space < 0 ? QString() : text.mid(space + 1).trimmed();
        if (keyword == u"publisher")
            book_.Publisher = folderName(rest);
        else if (keyword == u"book")
            book_.Name = folderName(rest);
        else if (keyword == u"layout")
            layout(rest);
        else if (keyword == u"heading")
            heading(rest);
        else if (keyword == u"voice")
            voice(rest);
        else if (keyword == u"page")
            page(rest);
        else if (keyword == u"section")
            section(rest);
        else if (keyword == u"word" || keyword == u"sent" || keyword == u"other")
            entry(keyword, rest);
        else if (keyword == u"say")
            say(rest);
        else
            fail(QStringLiteral("unknown keyword “%1”").arg(keyword));
    }

    BookSource finish()
    {
        number_ = 0;
        if (book_.Publisher.isEmpty() || book_.Name.isEmpty())
            fail(QStringLiteral("the source names no publisher or no book"));
        if (book_.Entries.empty())
            fail(QStringLiteral("the book has no entries"));
        if (book_.Headings.empty())
            fail(QStringLiteral("the book has no headings"));
        for (const SourcePage& p : book_.Pages) {
            if (p.Items.empty()) {
                number_ = pageLines_[p.Number - 1];
                fail(QStringLiteral("page %1 is empty").arg(p.Number));
            }
        }
        if (!pending_.empty()) {
            number_ = book_.Headings[pending_.front()].Line;
            fail(QStringLiteral("heading without entries"));
        }
        for (const SourceEntry& e : book_.Entries) {
            number_ = e.Line;
            if (e.HandStart >= 0 && !book_.Recordings.count(e.Voice))
                fail(QStringLiteral("a time is given by hand only for a voice from a recording"));
            if (!e.HandBoxes.empty() && book_.Pages[e.Page - 1].Picture.isEmpty())
                fail(QStringLiteral("a box is given by hand only on a page from a picture file"));
        }
        const int entries = static_cast<int>(book_.Entries.size());
        for (size_t i = 0; i < book_.Headings.size(); ++i) {
            SourceHeading& h = book_.Headings[i];
            h.EndEntry = entries;
            for (size_t j = i + 1; j < book_.Headings.size(); ++j) {
                if (h.IsLesson || !book_.Headings[j].IsLesson) {
                    h.EndEntry = book_.Headings[j].FirstEntry;
                    break;
                }
            }
            if (h.EndEntry <= h.FirstEntry) {
                number_ = h.Line;
                fail(QStringLiteral("heading “%1” covers no entry").arg(h.Name));
            }
            h.FirstPage = book_.Entries[h.FirstEntry].Page;
            h.EndPage = book_.Entries[h.EndEntry - 1].Page;
        }
        return std::move(book_);
    }

private:
    [[noreturn]] void fail(const QString& what) const
    {
        if (number_ > 0)
            throw BookError(
                QStringLiteral("%1 line %2: %3").arg(book_.FileName).arg(number_).arg(what));
        throw BookError(QStringLiteral("%1: %2").arg(book_.FileName, what));
    }

    QString folderName(const QString& name) const
    {
        if (name.isEmpty() || name == u"." || name == u".." || name.contains(u'/') ||
            name.contains(u'\\') || name.startsWith(u"public"))
            fail(QStringLiteral("“%1” cannot be a folder name").arg(name));
        checkGbk(name);
        return name;
    }

    void checkGbk(const QString& text) const
    {
        if (fromGbk(toGbk(text)) != text)
            fail(QStringLiteral("“%1” has characters GBK cannot hold").arg(text));
    }

    // Table text may not hold the separators of the table formats.
    void checkTableText(const QString& text, const char* what) const
    {
        if (text.isEmpty())
            fail(QStringLiteral("empty %1").arg(QLatin1String(what)));
        if (text.contains(u';') || text.contains(u':'))
            fail(QStringLiteral("the %1 “%2” holds ';' or ':'").arg(QLatin1String(what), text));
        checkGbk(text);
    }

    void layout(const QString& rest)
    {
        if (rest != u"image" && rest != u"text")
            fail(QStringLiteral("layout is “image” or “text”"));
        book_.IsTextBook = rest == u"text";
    }

    void heading(const QString& rest)
    {
        const QStringList parts = rest.split(u'|');
        if (parts.size() != 2)
            fail(QStringLiteral("a heading is “name | title”"));
        SourceHeading h;
        h.Name = parts[0].trimmed();
        h.Title = parts[1].trimmed();
        checkTableText(h.Name, "heading name");
        checkTableText(h.Title, "heading title");
        h.IsLesson = h.Name.startsWith(u"Lesson");
        h.FirstEntry = static_cast<int>(book_.Entries.size());
        h.Line = number_;
        pending_.push_back(static_cast<int>(book_.Headings.size()));
        book_.Headings.push_back(h);
    }

    // A file named after "from", relative to the source's folder; it must exist.
    QString fromFile(const QString& name) const
    {
        if (name.isEmpty())
            fail(QStringLiteral("“from” needs a file name"));
        const QString path = QDir(folder_).filePath(name);
        if (!QFileInfo(path).isFile())
            fail(QStringLiteral("the file %1 does not exist").arg(path));
        return path;
    }

    void voice(QString rest)
    {
        const qsizetype from = rest.indexOf(QStringLiteral(" from "));
        QString recording;
        if (from >= 0) {
            recording = fromFile(rest.mid(from + 6).trimmed());
            rest = rest.left(from).trimmed();
        }
        if (rest.isEmpty() || rest.contains(u' ') || rest.contains(u'/') || rest.contains(u'\\') ||
            rest.contains(u';') || rest.contains(u','))
            fail(QStringLiteral("“%1” cannot be a voice file name").arg(rest));
        checkGbk(rest);
        const auto known = book_.Recordings.find(rest);
        if (known != book_.Recordings.end() && known->second.Path != recording)
            fail(QStringLiteral("voice %1 was read from %2 on line %3")
                     .arg(rest, known->second.Path)
                     .arg(known->second.Line));
        if (!recording.isEmpty()) {
            for (const SourceEntry& e : book_.Entries)
                if (e.Voice == rest && known == book_.Recordings.end())
                    fail(QStringLiteral("voice %1 already has spoken entries (line %2)")
                             .arg(rest)
                             .arg(e.Line));
            book_.Recordings.emplace(rest, SourceRecording{recording, number_});
        }
        voice_ = rest;
    }

    void page(QString rest)
    {
        const qsizetype from = rest.indexOf(QStringLiteral(" from "));
        QString picture;
        if (from >= 0) {
            if (book_.IsTextBook)
                fail(QStringLiteral("the pages of a text book are drawn as text; “from” needs "
                                    "layout image"));
            picture = fromFile(rest.mid(from + 6).trimmed());
            rest = rest.left(from).trimmed();
        }
        bool ok = false;
        const int n = rest.toInt(&ok);
        if (!ok || n != static_cast<int>(book_.Pages.size()) + 1)
            fail(QStringLiteral("pages are numbered 1, 2, 3, ... in order"));
        book_.Pages.push_back(SourcePage{n, {}, picture, number_});
        pageLines_.push_back(number_);
    }

    SourcePage& currentPage()
    {
        if (book_.Pages.empty())
            fail(QStringLiteral("no page started yet"));
        SourcePage& p = book_.Pages.back();
        for (int h : pending_)
            p.Items.push_back(PageItem{PageItem::Heading, h, {}});
        pending_.clear();
        return p;
    }

    // "say WORD PHONES": one word as the aligner splits text, and phones of
    // the speech model in its spelling ("say Lingling L IH NG L IH NG").
    void say(const QString& rest)
    {
        const qsizetype space = rest.indexOf(u' ');
        const QString word = space < 0 ? rest : rest.left(space);
        const QString phones = space < 0 ? QString() : rest.mid(space + 1).simplified();
        if (speech::SplitWords(word) != QStringList{word})
            fail(QStringLiteral("“say” needs one word (letters, digits, apostrophes) and its "
                                "phones"));
        if (phones.isEmpty())
            fail(QStringLiteral("“say %1” gives no phones").arg(word));
        for (const QString& phone : phones.split(u' ')) {
            if (!speech::ValidPhones(phone))
                fail(QStringLiteral("“%1” is not a phone of the speech model (%2)")
                         .arg(phone, speech::SpeechPhones().join(u' ')));
        }
        const auto [at, added] =
            book_.Pronunciations.emplace(word.toLower(), SourcePronunciation{phones, number_});
        if (!added)
            fail(QStringLiteral("“%1” is said already on line %2").arg(word).arg(at->second.Line));
    }

    void section(const QString& rest)
    {
        if (rest.isEmpty())
            fail(QStringLiteral("a section needs a title"));
        checkGbk(rest);
        currentPage().Items.push_back(PageItem{PageItem::Section, 0, rest});
    }

    // "box l,t,r,b[@l,t,r,b[@l,t,r,b]]"
    std::vector<EntryBox> handBoxes(const QString& text) const
    {
        std::vector<EntryBox> boxes;
        const QStringList rects = text.split(u'@');
        if (rects.size() > 3)
            fail(QStringLiteral("an entry has at most three boxes"));
        for (const QString& rect : rects) {
            const QStringList n = rect.split(u',');
            bool ok = n.size() == 4;
            EntryBox b;
            if (ok) {
                int* sides[] = {&b.Left, &b.Top, &b.Right, &b.Bottom};
                for (int k = 0; k < 4 && ok; ++k)
                    *sides[k] = n[k].trimmed().toInt(&ok);
            }
            if (!ok || b.Left < 0 || b.Top < 0 || b.Right <= b.Left || b.Bottom <= b.Top)
                fail(QStringLiteral("“%1” is no box left,top,right,bottom (pixels, right and "
                                    "bottom outside)")
                         .arg(rect));
            boxes.push_back(b);
        }
        return boxes;
    }

    // The parts of an entry line after english | chinese: a picture or
    // speaker, a hand-given box and time.
    void entryExtras(SourceEntry& e, const QStringList& parts) const
    {
        for (qsizetype i = 2; i < parts.size(); ++i) {
            const QString part = parts[i].simplified();
            if (part.startsWith(QStringLiteral("box "))) {
                e.HandBoxes = handBoxes(part.mid(4).remove(u' '));
            } else if (part.startsWith(QStringLiteral("time "))) {
                const QStringList range = part.mid(5).remove(u' ').split(u'-');
                e.HandStart = range.size() == 2 ? hundredthsOf(range[0]) : -1;
                e.HandEnd = range.size() == 2 ? hundredthsOf(range[1]) : -1;
                if (e.HandStart < 0 || e.HandEnd <= e.HandStart)
                    fail(QStringLiteral("“%1” is no time START-END (seconds, as 1.25-2.5 or "
                                        "1:02.5-1:04)")
                             .arg(part));
            } else if (e.Hint.isEmpty() && i == 2) {
                e.Hint = part;
            } else {
                fail(QStringLiteral("“%1”: after english | chinese come a picture or speaker, "
                                    "“box ...” and “time ...”")
                         .arg(part));
            }
        }
    }

    void entry(const QString& kind, const QString& rest)
    {
        const QStringList parts = rest.split(u'|');
        if (parts.size() < 2 || parts.size() > 5)
            fail(QStringLiteral("an entry is “%1 english | chinese [| picture]”").arg(kind));
        if (voice_.isEmpty())
            fail(QStringLiteral("no voice file named yet"));
        if (book_.Headings.empty())
            fail(QStringLiteral("an entry before the first heading"));
        SourceEntry e;
        e.Kind = kind;
        e.English = parts[0].simplified();
        e.Chinese = parts[1].trimmed();
        e.Voice = voice_;
        e.Line = number_;
        entryExtras(e, parts);
        checkTableText(e.English, "English text");
        checkTableText(e.Chinese, "Chinese text");
        for (QChar c : e.English) {
            if (c.unicode() < 0x20 || c.unicode() > 0x7e)
                fail(QStringLiteral("the English text “%1” holds a character outside ASCII")
                         .arg(e.English));
        }
        if (e.English.indexOf(u'~') >= 0 &&
            (!book_.IsTextBook || e.English.indexOf(u'~') != e.English.size() - 1))
            fail(QStringLiteral("'~' may only end an entry of a text book"));
        if (e.spokenText().trimmed().isEmpty() || e.spokenText().endsWith(u' '))
            fail(QStringLiteral("'~' must follow the last word directly"));
        SourcePage& p = currentPage();
        e.Page = p.Number;
        p.Items.push_back(PageItem{PageItem::Entry, static_cast<int>(book_.Entries.size()), {}});
        book_.Entries.push_back(e);
    }

    BookSource book_;
    std::vector<int> pending_; // headings waiting for their first page item
    std::vector<int> pageLines_;
    QString voice_;
    QString folder_; // of the source file
    int number_ = 0;
};

} // namespace

BookSource ParseBookSource(QByteArrayView utf8, const QString& fileName)
{
    QString text = QString::fromUtf8(utf8);
    if (text.startsWith(QChar(0xfeff)))
        text.remove(0, 1);
    Parser parser(fileName);
    const QStringList lines = text.split(u'\n');
    for (int i = 0; i < lines.size(); ++i)
        parser.line(i + 1, lines[i]);
    return parser.finish();
}

BookSource LoadBookSource(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw BookError(QStringLiteral("%1: cannot read the book source").arg(path));
    return ParseBookSource(file.readAll(), path);
}

} // namespace zarelo::bookmaker
