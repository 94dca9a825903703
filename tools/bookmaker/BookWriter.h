#pragma once
// Writing a complete book folder from a parsed book source: the packed
// tables (GBK), the packed JPEG pages and the packed voice files.

#include "bookmaker/BookSource.h"
#include "bookmaker/PageDrawing.h"
#include "bookmaker/Voice.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

namespace zarelo::bookmaker {

// JPEG bytes of an image (TurboJPEG, 4:2:0, the given quality 1..100).
QByteArray EncodeJpeg(const QImage& image, int quality = 88);

// The text of "location.txt": the header line ("<book>;image;<publisher>" or
// with "text"), then one line per entry, CRLF line ends, as Unicode; the
// files hold it in GBK. `boxes` and `times` are indexed by entry.
QString LocationText(const BookSource& book, const std::vector<std::vector<EntryBox>>& boxes,
                     const std::vector<ClipTime>& times);

// The text of "LessonIndex.txt": one line per heading, Name;Title;first
// voice;start;last voice;end;FirstPage;EndPage with m:s:t times (tenths).
QString LessonIndexText(const BookSource& book, const std::vector<ClipTime>& times);

struct WrittenBook {
    QString Folder;
    int Pages = 0;
    int Voices = 0;
    QStringList Unsure; // entries of recordings placed without certainty, a line each
};

// Makes programFolder/<publisher>/<book>/ anew (an older folder of that book
// is removed first) and writes every file of the book. The entries of
// recordings are found by their words; those placed without certainty are
// listed in the book folder's kUnsureRangesName. Throws BookError, naming
// every entry a recording lacks.
WrittenBook WriteBook(const BookSource& book, const QString& programFolder,
                      const SpeechOptions& speech);

} // namespace zarelo::bookmaker
