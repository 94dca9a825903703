#include "bookmaker/BookWriter.h"

#include "base/BookError.h"
#include "book/BookFiles.h"
#include "book/Gbk.h"
#include "book/PackedFile.h"
#include "bookmaker/PageImport.h"
#include "bookmaker/VoiceImport.h"
#include "speech/SphinxAligner.h"

#include <QDir>
#include <QFile>
#include <map>
#include <memory>
#include <turbojpeg.h>

namespace zarelo::bookmaker {

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size() || !file.flush())
        throw BookError(QStringLiteral("%1: cannot write the file").arg(path));
}

QString point(int x, int y)
{
    return QString::number(x) + u',' + QString::number(y);
}

} // namespace

QByteArray EncodeJpeg(const QImage& image, int quality)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    tjhandle handle = tjInitCompress();
    if (!handle)
        throw BookError(QStringLiteral("cannot start the JPEG encoder"));
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    const int failed =
        tjCompress2(handle, rgb.constBits(), rgb.width(), static_cast<int>(rgb.bytesPerLine()),
                    rgb.height(), TJPF_RGB, &jpeg, &size, TJSAMP_420, quality, TJFLAG_ACCURATEDCT);
    QByteArray bytes;
    if (!failed)
        bytes = QByteArray(reinterpret_cast<const char*>(jpeg), static_cast<qsizetype>(size));
    const QString error = failed ? QString::fromLatin1(tjGetErrorStr2(handle)) : QString();
    tjFree(jpeg);
    tjDestroy(handle);
    if (failed)
        throw BookError(QStringLiteral("JPEG encoding failed: %1").arg(error));
    return bytes;
}

QString LocationText(const BookSource& book, const std::vector<std::vector<EntryBox>>& boxes,
                     const std::vector<ClipTime>& times)
{
    QString text = book.Name +
                   (book.IsTextBook ? QStringLiteral(";text;") : QStringLiteral(";image;")) +
                   book.Publisher + QStringLiteral("\r\n");
    for (size_t i = 0; i < book.Entries.size(); ++i) {
        const SourceEntry& e = book.Entries[i];
        const std::vector<EntryBox>& b = boxes[i];
        if (b.empty() || b.size() > 3)
            throw BookError(QStringLiteral("%1 line %2: the entry has %3 boxes")
                                .arg(book.FileName)
                                .arg(e.Line)
                                .arg(b.size()));
        // Field 3: the first box's right-bottom, then left-top and right-bottom
        // of the second and third.
        QString rest = point(b[0].Right, b[0].Bottom);
        for (size_t k = 1; k < b.size(); ++k)
            rest += u'@' + point(b[k].Left, b[k].Top) + u'@' + point(b[k].Right, b[k].Bottom);
        text += QStringLiteral("Page") + QString::number(e.Page) + u';' + e.Kind + u';' +
                point(b[0].Left, b[0].Top) + u';' + rest + u';' + e.Voice + u';' +
                SentenceTimeText(times[i].Start) + u',' + SentenceTimeText(times[i].End) + u';' +
                e.Chinese + u':' + e.English + QStringLiteral("\r\n");
    }
    return text;
}

QString LessonIndexText(const BookSource& book, const std::vector<ClipTime>& times)
{
    QString text;
    for (const SourceHeading& h : book.Headings) {
        const SourceEntry& first = book.Entries[h.FirstEntry];
        const SourceEntry& last = book.Entries[h.EndEntry - 1];
        const int start = times[h.FirstEntry].Start / 10;
        const int end = (times[h.EndEntry - 1].End + 9) / 10;
        text += h.Name + u';' + h.Title + u';' + first.Voice + u';' + LessonTimeText(start) + u';' +
                last.Voice + u';' + LessonTimeText(end) + u';' + QString::number(h.FirstPage) +
                u';' + QString::number(h.EndPage) + QStringLiteral("\r\n");
    }
    return text;
}

namespace {

// Writes every file of the book into `making`, a fresh folder; adds the
// unsure entries of its recordings to `unsure`.
int writeBookFiles(const BookSource& book, const QString& making, const SpeechOptions& speech,
                   QStringList& unsure)
{

    // Pages, and the boxes of every entry.
    const size_t entries = book.Entries.size();
    std::vector<std::vector<EntryBox>> boxes(entries);
    for (const SourcePage& page : book.Pages) {
        DrawnPage drawn = !page.Picture.isEmpty() ? ImportPage(book, page)
                          : book.IsTextBook       ? DrawTextPage(book, page)
                                                  : DrawImagePage(book, page);
        for (auto& [entry, entryBoxes] : drawn.Boxes)
            boxes[entry] = entryBoxes;
        writeFile(making + QStringLiteral("/Page") + QString::number(page.Number) +
                      QStringLiteral(".zip"),
                  PackBytes(EncodeJpeg(drawn.Image)));
    }

    // Voices: the entries of each voice in table order. A voice read from a
    // recording is that recording, its ranges found in it; any other is
    // spoken, entry by entry, and joined into one file.
    QStringList voiceNames;
    std::vector<std::vector<size_t>> voiceEntries;
    for (size_t i = 0; i < entries; ++i) {
        const SourceEntry& e = book.Entries[i];
        qsizetype v = voiceNames.indexOf(e.Voice);
        if (v < 0) {
            v = voiceNames.size();
            voiceNames << e.Voice;
            voiceEntries.emplace_back();
        }
        voiceEntries[v].push_back(i);
    }
    std::vector<ClipTime> times(entries);
    QStringList texts;
    std::vector<size_t> spoken;
    std::unique_ptr<speech::SphinxAligner> aligner;
    QStringList missing;
    for (qsizetype v = 0; v < voiceNames.size(); ++v) {
        if (book.Recordings.count(voiceNames[v])) {
            if (!aligner) {
                const speech::SpeechModel model =
                    speech::SpeechModel::Installed(speech.HandDictionary);
                aligner =
                    std::make_unique<speech::SphinxAligner>(model, speech::LoadLexicon(model));
            }
            const ImportedVoice imported =
                ImportVoice(book, voiceNames[v], voiceEntries[v], *aligner);
            for (size_t k = 0; k < voiceEntries[v].size(); ++k)
                times[voiceEntries[v][k]] = imported.Times[k].value_or(ClipTime{});
            missing += imported.Missing;
            for (const UnsureEntry& u : imported.Unsure)
                unsure << u.Text;
            writeFile(making + u'/' + voiceNames[v] + QStringLiteral(".wav"),
                      PackBytes(imported.Bytes));
            continue;
        }
        for (size_t i : voiceEntries[v]) {
            texts << book.Entries[i].spokenText();
            spoken.push_back(i);
        }
    }
    // A book whose entry plays nothing is no book: every entry missing from
    // the recordings is named at once, the others having been found.
    if (!missing.isEmpty())
        throw BookError(missing.join(u'\n'));
    if (!unsure.isEmpty())
        writeFile(making + u'/' + QLatin1String(kUnsureRangesName),
                  (unsure.join(u'\n') + u'\n').toUtf8());

    std::vector<MonoSound> clips = SpeakAll(texts, speech);
    std::map<size_t, MonoSound> clipOf;
    for (size_t k = 0; k < spoken.size(); ++k)
        clipOf[spoken[k]] = std::move(clips[k]);
    for (qsizetype v = 0; v < voiceNames.size(); ++v) {
        if (book.Recordings.count(voiceNames[v]))
            continue;
        std::vector<MonoSound> voiceClips;
        for (size_t i : voiceEntries[v])
            voiceClips.push_back(std::move(clipOf[i]));
        const JoinedVoice joined = JoinClips(voiceClips);
        for (size_t k = 0; k < voiceEntries[v].size(); ++k)
            times[voiceEntries[v][k]] = joined.Times[k];
        writeFile(making + u'/' + voiceNames[v] + QStringLiteral(".wav"),
                  PackBytes(WriteWav(joined.Sound)));
    }

    writeFile(making + QStringLiteral("/location.dat"),
              PackBytes(toGbk(LocationText(book, boxes, times))));
    writeFile(making + QStringLiteral("/LessonIndex.dat"),
              PackBytes(toGbk(LessonIndexText(book, times))));
    if (!book.Pronunciations.empty())
        writeFile(making + u'/' + QLatin1String(kBookPronunciationsName),
                  book.pronunciationDictionary());

    return static_cast<int>(voiceNames.size());
}

} // namespace

WrittenBook WriteBook(const BookSource& book, const QString& programFolder,
                      const SpeechOptions& speech)
{
    // The book is made in a hidden sibling folder and moved into place only
    // when complete, so a failure leaves an older copy of the book untouched.
    const QString publisherFolder = programFolder + u'/' + book.Publisher;
    const QString folder = publisherFolder + u'/' + book.Name;
    const QString making =
        publisherFolder + QStringLiteral("/.") + book.Name + QStringLiteral(".making");
    QDir(making).removeRecursively();
    if (!QDir().mkpath(making))
        throw BookError(QStringLiteral("%1: cannot make the folder").arg(making));
    int voices = 0;
    QStringList unsure;
    try {
        voices = writeBookFiles(book, making, speech, unsure);
    } catch (...) {
        QDir(making).removeRecursively();
        if (QDir(publisherFolder).isEmpty())
            QDir().rmdir(publisherFolder);
        throw;
    }
    QDir(folder).removeRecursively();
    if (!QDir().rename(making, folder))
        throw BookError(QStringLiteral("%1: cannot move the new book into place").arg(folder));
    return {folder, static_cast<int>(book.Pages.size()), voices, unsure};
}

} // namespace zarelo::bookmaker
