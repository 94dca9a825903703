#pragma once
// Loading the open book's two tables from the unpacked "location.txt" and
// "LessonIndex.txt". A load fills new tables and replaces the open book's only
// when the whole load succeeded, so a malformed line never leaves the previous
// book half replaced.

#include "book/BookContent.h"
#include "book/BookLibrary.h"

#include <QByteArrayView>
#include <functional>

namespace zarelo {

// Sentence time m:s:f (f a decimal fraction of the second) in tenths of a
// second: 1:02:5 -> 625, 0:03:25 -> 32.5, 0:00:125 -> 1.25, 0:01:1234 -> 10.
// Throws BookError (without file context) when it has fewer than three parts
// or minutes, seconds or a fraction of 1 to 3 characters are not integers.
double SentenceTime(QByteArrayView text);
// Lesson time m:s:t, t whole tenths of any length: 0:03:25 -> 55.
double LessonTime(QByteArrayView text);

// Splits file bytes into lines: a line ends at LF, a CR right before the LF
// is dropped; the text after the last LF, without a CR that ends it, is a
// line when it is not empty.
// Appends to `lines`.
void SplitLines(QByteArrayView bytes, TextColumn& lines);

// Parse the entry lines (header already dropped) or the lesson lines into a
// table, replacing what `table` held. `fileName` and `firstLineNumber`
// (1-based number of lines[0] in the file) go into the error text, which
// names the line and the field: "location.txt 第 12 行：...". On an error
// `table` is left partly filled; callers parse into a fresh table.
void ParseLocationLines(const TextColumn& lines, SentenceTable& table, const QString& fileName,
                        int firstLineNumber);
void ParseLessonLines(const TextColumn& lines, LessonTable& table, const QString& fileName,
                      int firstLineNumber);

// Reads the two unpacked files of TempFolder into `content`'s line lists and
// deletes them. Missing files show their messages ("location.txt" owned by
// `owner`, "LessonIndex.txt" without owner) and run `chooseBook`; returns
// false then.
bool ReadBookLists(const ProgramPaths& paths, BookContent& content, UserMessages& messages,
                   QObject* owner, const ChooseBookFn& chooseBook);

// Text shown when a book's sentence table has a header but no entry line
// (caption "提示"); the selection is offered again as for missing data files.
QString NoEntriesMessage();

// Loads both tables of CurrentPublisher / CurrentBook: unpacks, reads and
// parses into a new BookContent, and only when all of that succeeded
// replaces book.Content, sets IsTextBook from the header, CurrentVoiceName
// and LoadedVoiceName to VoiceName of row 0, and calls `openFirstVoice`
// (may be empty). Returns false (nothing of the open book changed) when a
// file was missing or the sentence table has no entries; throws BookError
// (nothing changed) on a malformed line or damaged file. CurrentPublisher,
// CurrentBook and CurrentPage are the caller's: a caller that changed them
// before the load restores them when it fails. UI thread.
bool LoadBookContent(const ProgramPaths& paths, OpenBook& book, UserMessages& messages,
                     QObject* owner, const ChooseBookFn& chooseBook,
                     const std::function<void()>& openFirstVoice);

} // namespace zarelo
