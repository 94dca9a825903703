#include "bookmaker/PageImport.h"

#include "base/BookError.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <memory>
#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#if __has_include(<dlfcn.h>)
#include <dlfcn.h>
#endif

namespace zarelo::bookmaker {

namespace {

// Tesseract runs parts of its work on OpenMP threads when it was built with
// OpenMP, and those threads spin while they wait: on a machine of two cores
// that does other work too, a page took six times as long as on one thread.
// The OpenMP runtime comes with Tesseract, so it is found at run time.
// No active parallel level makes every parallel region run on the thread
// that meets it (its num_threads clauses notwithstanding).
// Where the runtime cannot be looked up by name (no dlfcn.h), Tesseract
// keeps its own threads.
void recogniseOnOneThread()
{
#if __has_include(<dlfcn.h>)
    using SetLevels = void (*)(int);
    if (const auto set =
            reinterpret_cast<SetLevels>(dlsym(RTLD_DEFAULT, "omp_set_max_active_levels")))
        set(0);
#endif
}

// One recogniser per thread, made on first use: loading the English data
// takes a good part of a second, recognising a page reuses it.
tesseract::TessBaseAPI& recogniser()
{
    thread_local std::unique_ptr<tesseract::TessBaseAPI> api;
    if (!api) {
        recogniseOnOneThread();
        auto made = std::make_unique<tesseract::TessBaseAPI>();
        if (made->Init(nullptr, "eng", tesseract::OEM_LSTM_ONLY) != 0)
            throw BookError(QStringLiteral("cannot start the text recogniser: Tesseract's English "
                                           "data (tesseract-ocr-eng) is missing"));
        made->SetPageSegMode(tesseract::PSM_SPARSE_TEXT);
        made->SetVariable("debug_file", "/dev/null");
        api = std::move(made);
    }
    return *api;
}

// Lower-case letters and digits only: "I'm" -> "im", "Tom." -> "tom". A
// bar is how a recogniser often reads a capital I.
QString plain(const QString& word)
{
    QString out;
    for (QChar c : word)
        if (c.isLetterOrNumber())
            out += c.toLower();
        else if (c == u'|')
            out += u'i';
    return out;
}

int editDistance(const QString& a, const QString& b)
{
    std::vector<int> row(size_t(b.size() + 1));
    for (qsizetype j = 0; j <= b.size(); ++j)
        row[j] = int(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = int(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// Equal up to what a recogniser gets wrong in a printed word: one letter in
// four-letter words and longer, two in eight-letter ones.
bool similar(const QString& wanted, const QString& read)
{
    if (wanted == read)
        return true;
    if (wanted == u"i" && (read == u"l" || read == u"1"))
        return true;
    const qsizetype n = wanted.size();
    if (n < 4 || std::abs(n - read.size()) > 2)
        return false;
    return editDistance(wanted, read) <= (n >= 8 ? 2 : 1);
}

EntryBox unite(const EntryBox& a, const EntryBox& b)
{
    return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
            std::max(a.Bottom, b.Bottom)};
}

bool overlaps(const EntryBox& a, const EntryBox& b)
{
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

} // namespace

std::vector<RecognisedWord> RecogniseWords(const QImage& picture)
{
    const QImage grey = picture.convertToFormat(QImage::Format_Grayscale8);
    tesseract::TessBaseAPI& api = recogniser();
    api.SetImage(grey.constBits(), grey.width(), grey.height(), 1,
                 static_cast<int>(grey.bytesPerLine()));
    api.SetSourceResolution(300);
    std::vector<RecognisedWord> words;
    if (api.Recognize(nullptr) != 0)
        return words;
    std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
    if (!it)
        return words;
    int line = -1;
    // The line's baseline and type metrics, pixels.
    int bx1 = 0, by1 = 0, bx2 = 1, by2 = 0;
    float rowHeight = 0, descenders = 0, ascenders = 0;
    do {
        if (it->Empty(tesseract::RIL_WORD))
            continue;
        if (line < 0 || it->IsAtBeginningOf(tesseract::RIL_TEXTLINE)) {
            ++line;
            it->Baseline(tesseract::RIL_TEXTLINE, &bx1, &by1, &bx2, &by2);
            it->RowAttributes(&rowHeight, &descenders, &ascenders);
        }
        RecognisedWord w;
        const std::unique_ptr<char[]> text(it->GetUTF8Text(tesseract::RIL_WORD));
        w.Text = QString::fromUtf8(text ? text.get() : "");
        it->BoundingBox(tesseract::RIL_WORD, &w.Ink.Left, &w.Ink.Top, &w.Ink.Right, &w.Ink.Bottom);
        w.Line = line;
        // The body of the type: from a fifth of the row's height above the
        // ascender line (accents and the space over the tallest letters)
        // down to the descender line, along the baseline at the word.
        const double x = (w.Ink.Left + w.Ink.Right) / 2.0;
        const double baseline =
            bx2 != bx1 ? by1 + (by2 - by1) * (x - bx1) / double(bx2 - bx1) : double(by1);
        const double top = baseline - (rowHeight + descenders) - 0.2 * rowHeight;
        const double bottom = baseline - descenders;
        w.Body = {w.Ink.Left, std::max(0, std::min(w.Ink.Top, int(std::floor(top)))), w.Ink.Right,
                  std::min(grey.height(), std::max(w.Ink.Bottom, int(std::ceil(bottom))))};
        words.push_back(w);
    } while (it->Next(tesseract::RIL_WORD));
    return words;
}

MatchedPage MatchEntries(const std::vector<RecognisedWord>& words,
                         const std::vector<QString>& english)
{
    MatchedPage match;
    match.Boxes.resize(english.size());
    match.Missing.resize(english.size());
    std::vector<QString> read;
    for (const RecognisedWord& w : words)
        read.push_back(plain(w.Text));
    const int count = static_cast<int>(read.size());
    std::vector<bool> taken(read.size(), false);

    const auto startsLine = [&](int j) { return j == 0 || words[j].Line != words[j - 1].Line; };
    // Where a text broken over lines may go on after recognised word `last`:
    // the next line, or, when the reading order puts other words between
    // its lines (a speaker's name beside it), one of the next few lines
    // below. The first words of those lines, in reading order.
    const auto linesBelow = [&](int last) {
        std::vector<int> starts;
        for (int k = last + 1; k < count && k <= last + 12; ++k)
            if (startsLine(k) && !taken[k] && words[k].Ink.Top > words[last].Ink.Top)
                starts.push_back(k);
        return starts;
    };

    // The first word of a later line that, joined to recognised word j at
    // the end of its line, makes `word`; -1 when none does.
    const auto brokenWord = [&](const QString& word, int j) {
        if (read[j].size() < 2 || (j + 1 < count && !startsLine(j + 1)))
            return -1;
        for (int k : linesBelow(j))
            if (read[k].size() >= 2 && word == read[j] + read[k])
                return k;
        return -1;
    };
    // The first word of a later line that is `word`, where the text taken so
    // far (`used`) ended a line before recognised word j; -1 when none is.
    const auto goesOn = [&](const QString& word, const std::vector<int>& used, int j) {
        if (used.empty() || !startsLine(j))
            return -1;
        for (int k : linesBelow(used.back()))
            if (k >= j && similar(word, read[k]))
                return k;
        return -1;
    };

    // Matches `wanted` from recognised word `s` on; returns how many wanted
    // words were matched, and in `used` the recognised words they took.
    const auto matchAt = [&](const std::vector<QString>& wanted, int s, std::vector<int>& used) {
        used.clear();
        size_t i = 0;
        int j = s;
        while (i < wanted.size() && j < count) {
            if (taken[j])
                break;
            if (read[j].isEmpty() && j > s) { // punctuation read as a word of its own
                ++j;
                continue;
            }
            if (similar(wanted[i], read[j])) {
                used.push_back(j);
                ++i, ++j;
            } else if (i + 1 < wanted.size() && wanted[i] + wanted[i + 1] == read[j]) {
                // Two words read as one.
                used.push_back(j);
                i += 2, ++j;
            } else if (const int k = brokenWord(wanted[i], j); k > j) {
                // A word broken at the end of a line (with or without a hyphen).
                used.push_back(j);
                used.push_back(k);
                ++i, j = k + 1;
            } else if (const int k = goesOn(wanted[i], used, j); k > j) {
                j = k;
            } else {
                break;
            }
        }
        return i;
    };

    // Texts of several words first, then single words: a single word is
    // also found inside sentences, a sentence only where it is printed.
    // Each search starts after the words of the nearest earlier entry found.
    std::vector<int> after(english.size(), -1); // one past an entry's last word
    for (const bool single : {false, true}) {
        for (size_t e = 0; e < english.size(); ++e) {
            std::vector<QString> wanted, shown; // compared and printed forms
            for (const QString& word : english[e].split(u' ', Qt::SkipEmptyParts))
                if (const QString p = plain(word); !p.isEmpty()) {
                    wanted.push_back(p);
                    shown.push_back(word);
                }
            if (wanted.empty() || (wanted.size() == 1) != single)
                continue;
            int cursor = 0;
            for (size_t before = e; before-- > 0;)
                if (after[before] >= 0) {
                    cursor = after[before] % count;
                    break;
                }
            std::vector<int> used, best;
            size_t bestCount = 0;
            bool found = false;
            for (int k = 0; k < count && !found; ++k) {
                const int s = (cursor + k) % count;
                const size_t got = matchAt(wanted, s, used);
                if (got == wanted.size())
                    found = true;
                if (got > bestCount) {
                    bestCount = got;
                    best = used;
                }
            }
            if (!found) {
                if (bestCount == 0)
                    match.Missing[e] =
                        QStringLiteral("its first word “%1” is nowhere on the page").arg(shown[0]);
                else
                    match.Missing[e] =
                        QStringLiteral("“%1” is followed on the page by “%2”, not by “%3”")
                            .arg(QStringList(shown.begin(), shown.begin() + qsizetype(bestCount))
                                     .join(u' '),
                                 best.back() + 1 < count ? words[best.back() + 1].Text
                                                         : QStringLiteral("nothing"),
                                 shown[bestCount]);
                continue;
            }
            // One box per printed line, from the words' bodies.
            std::vector<EntryBox> boxes;
            int line = -1;
            for (int j : best) {
                if (words[j].Line != line || boxes.empty())
                    boxes.push_back(words[j].Body);
                else
                    boxes.back() = unite(boxes.back(), words[j].Body);
                line = words[j].Line;
            }
            if (boxes.size() > 3) {
                match.Missing[e] =
                    QStringLiteral("it is read on %1 printed lines; an entry has at most three")
                        .arg(boxes.size());
                continue;
            }
            for (int j : best)
                taken[j] = true;
            match.Boxes[e] = boxes;
            after[e] = best.back() + 1;
        }
    }
    for (size_t e = 0; e < english.size(); ++e)
        if (!match.Missing[e].isEmpty()) {
            match.Failed = static_cast<int>(e);
            match.Why = match.Missing[e];
            break;
        }
    return match;
}

EntryBox PanelAround(const QImage& picture, const EntryBox& text)
{
    const QImage image = picture.format() == QImage::Format_RGB32
                             ? picture
                             : picture.convertToFormat(QImage::Format_RGB32);
    const int h = std::max(1, text.Bottom - text.Top);
    // A panel lies within a few line heights of its text; a colour that runs
    // on further is the page's.
    const int reachX = 10 * h, reachY = 10 * h;
    const int left = std::max(0, text.Left - reachX),
              right = std::min(image.width(), text.Right + reachX);
    const int top = std::max(0, text.Top - reachY),
              bottom = std::min(image.height(), text.Bottom + reachY);
    const int w = right - left, ht = bottom - top;
    if (w <= 0 || ht <= 0)
        return {};
    const auto pixel = [&](int x, int y) {
        return reinterpret_cast<const QRgb*>(image.constScanLine(y))[x];
    };

    // The colour around the text: the middle of the ring 3 px outside it.
    std::vector<QRgb> ring;
    const int rl = std::max(left, text.Left - 3), rr = std::min(right - 1, text.Right + 2);
    const int rt = std::max(top, text.Top - 3), rb = std::min(bottom - 1, text.Bottom + 2);
    for (int x = rl; x <= rr; ++x) {
        ring.push_back(pixel(x, rt));
        ring.push_back(pixel(x, rb));
    }
    for (int y = rt; y <= rb; ++y) {
        ring.push_back(pixel(rl, y));
        ring.push_back(pixel(rr, y));
    }
    const auto channel = [&](int shift) {
        std::vector<int> v;
        for (QRgb c : ring)
            v.push_back((c >> shift) & 0xff);
        std::nth_element(v.begin(), v.begin() + long(v.size() / 2), v.end());
        return v[v.size() / 2];
    };
    if (ring.empty())
        return {};
    const int r0 = channel(16), g0 = channel(8), b0 = channel(0);
    const auto alike = [&](QRgb c) {
        return std::abs(qRed(c) - r0) <= 12 && std::abs(qGreen(c) - g0) <= 12 &&
               std::abs(qBlue(c) - b0) <= 12;
    };

    // Fill the colour from the ring outward; touching the reach means the
    // colour is not closed around the text.
    std::vector<uint8_t> seen(size_t(w) * ht, 0);
    std::vector<std::pair<int, int>> stack;
    for (int x = rl; x <= rr; ++x)
        for (int y : {rt, rb})
            stack.push_back({x, y});
    for (int y = rt; y <= rb; ++y)
        for (int x : {rl, rr})
            stack.push_back({x, y});
    EntryBox panel{text.Left, text.Top, text.Right, text.Bottom};
    while (!stack.empty()) {
        const auto [x, y] = stack.back();
        stack.pop_back();
        if (x < left || x >= right || y < top || y >= bottom)
            continue;
        uint8_t& s = seen[size_t(y - top) * w + (x - left)];
        if (s || !alike(pixel(x, y)))
            continue;
        s = 1;
        if (x == left || x == right - 1 || y == top || y == bottom - 1)
            return {};
        panel = unite(panel, {x, y, x + 1, y + 1});
        stack.push_back({x + 1, y});
        stack.push_back({x - 1, y});
        stack.push_back({x, y + 1});
        stack.push_back({x, y - 1});
    }
    return panel;
}

DrawnPage ImportPage(const BookSource& book, const SourcePage& page)
{
    const auto fail = [&](int line, const QString& what) {
        throw BookError(QStringLiteral("%1 line %2: page %3 from %4: %5")
                            .arg(book.FileName)
                            .arg(line)
                            .arg(page.Number)
                            .arg(page.Picture, what));
    };
    // One pixel format for the panels' colours (and a JPEG's is this already).
    const QImage picture = QImage(page.Picture).convertToFormat(QImage::Format_RGB32);
    if (picture.isNull() || picture.width() < 8)
        fail(page.Line, QStringLiteral("not a JPEG or PNG picture that can be read"));

    // The page's texts in order: its entries (-1 for a heading or a section
    // title, which are matched too, so that their words are not taken for an
    // entry's: a lesson's title is often also its first sentence).
    std::vector<int> entries;
    std::vector<QString> sought;
    bool lookFor = false;
    for (const PageItem& item : page.Items) {
        if (item.What == PageItem::Entry) {
            const SourceEntry& e = book.Entries[size_t(item.Index)];
            entries.push_back(item.Index);
            sought.push_back(e.HandBoxes.empty() ? e.spokenText() : QString());
            lookFor = lookFor || e.HandBoxes.empty();
        } else {
            const SourceHeading* h =
                item.What == PageItem::Heading ? &book.Headings[size_t(item.Index)] : nullptr;
            entries.push_back(-1);
            sought.push_back(h ? h->Name + u' ' + h->Title : item.Text);
        }
    }
    MatchedPage match;
    match.Boxes.resize(entries.size());
    if (lookFor) {
        const std::vector<RecognisedWord> words = RecogniseWords(picture);
        match = MatchEntries(words, sought);
        // The layout analysis of a whole page can lose a word between
        // pictures. An entry not found is sought again in the band of the
        // page from the entry before it to the entry after it, read alone.
        for (size_t k = 0; k < entries.size(); ++k) {
            if (match.Missing[k].isEmpty() || entries[k] < 0)
                continue;
            int top = 0, bottom = picture.height();
            for (size_t before = k; before-- > 0;)
                if (!match.Boxes[before].empty()) {
                    top = match.Boxes[before].front().Top;
                    break;
                }
            for (size_t after = k + 1; after < entries.size(); ++after)
                if (!match.Boxes[after].empty()) {
                    bottom = match.Boxes[after].back().Bottom;
                    break;
                }
            if (bottom <= top)
                continue;
            std::vector<RecognisedWord> band =
                RecogniseWords(picture.copy(0, top, picture.width(), bottom - top));
            std::vector<RecognisedWord> free;
            for (RecognisedWord& w : band) {
                for (EntryBox* b : {&w.Ink, &w.Body})
                    b->Top += top, b->Bottom += top;
                bool used = false;
                for (const std::vector<EntryBox>& boxes : match.Boxes)
                    for (const EntryBox& b : boxes)
                        used = used || overlaps(b, w.Ink);
                if (!used)
                    free.push_back(w);
            }
            const MatchedPage again = MatchEntries(free, {sought[k]});
            if (again.Missing[0].isEmpty()) {
                match.Boxes[k] = again.Boxes[0];
                match.Missing[k].clear();
            }
        }
        for (size_t k = 0; k < entries.size(); ++k) {
            if (match.Missing[k].isEmpty() || entries[k] < 0)
                continue;
            const SourceEntry& e = book.Entries[size_t(entries[k])];
            fail(e.Line,
                 QStringLiteral("cannot find “%1”: %2").arg(e.spokenText(), match.Missing[k]));
        }
        // A one-line entry in a panel of its own takes the panel, unless the
        // panel holds another entry's words too.
        for (size_t k = 0; k < entries.size(); ++k) {
            if (match.Boxes[k].size() != 1 || entries[k] < 0)
                continue;
            const EntryBox panel = PanelAround(picture, match.Boxes[k][0]);
            if (panel.Right <= panel.Left)
                continue;
            bool shared = false;
            for (size_t other = 0; other < entries.size(); ++other)
                for (const EntryBox& b : match.Boxes[other])
                    shared = shared || (other != k && overlaps(panel, b));
            if (!shared)
                match.Boxes[k][0] = panel;
        }
    }

    DrawnPage drawn;
    const double scale = double(kPageWidth) / picture.width();
    const int height = std::max(1, int(std::lround(picture.height() * scale)));
    drawn.Image =
        picture.scaled(kPageWidth, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    for (size_t k = 0; k < entries.size(); ++k) {
        if (entries[k] < 0)
            continue;
        const SourceEntry& e = book.Entries[size_t(entries[k])];
        const std::vector<EntryBox>& found = e.HandBoxes.empty() ? match.Boxes[k] : e.HandBoxes;
        std::vector<EntryBox> boxes;
        for (const EntryBox& b : found) {
            if (b.Right > picture.width() || b.Bottom > picture.height())
                fail(e.Line, QStringLiteral("the box %1,%2,%3,%4 lies outside the %5 x %6 picture")
                                 .arg(b.Left)
                                 .arg(b.Top)
                                 .arg(b.Right)
                                 .arg(b.Bottom)
                                 .arg(picture.width())
                                 .arg(picture.height()));
            boxes.push_back({int(std::floor(b.Left * scale)), int(std::floor(b.Top * scale)),
                             std::min(kPageWidth, int(std::ceil(b.Right * scale))),
                             std::min(height, int(std::ceil(b.Bottom * scale)))});
        }
        drawn.Boxes[entries[k]] = boxes;
    }
    return drawn;
}

} // namespace zarelo::bookmaker
