#pragma once
// Loading the open book's two tables from the unpacked "location.txt" and
// "LessonIndex.txt". A load fills new tables and replaces the open book's only
// when the whole load succeeded, so a malformed line never leaves the previous
// book half replaced.

#include "BookContent.h"
#include "BookLibrary.h"

#include <QByteArrayView>
#include <functional>

namespace zarelo {

// Sentence time m:s:f (f a decimal fraction of the second) in tenths of a
// second: 1:02:5 -> 625, 0:03:25 -> 32.5, 0:00:125 -> 1.25, 0:01:1234 -> 10.
// Throws BookError (without file context) when malformed.
double SentenceTime(QByteArrayView text);
// Lesson time m:s:t, t whole tenths of any length: 0:03:25 -> 55.
double LessonTime(QByteArrayView text);

// Parse the entry lines (header already dropped) or the lesson lines into a
// table. `fileName` and `firstLineNumber` (1-based number of lines[0] in the
// file) go into the error text: "location.txt 第 12 行：..." naming the field.
void ParseLocationLines(const TextColumn& lines, SentenceTable& table, const QString& fileName,
                        int firstLineNumber);
void ParseLessonLines(const TextColumn& lines, LessonTable& table, const QString& fileName,
                      int firstLineNumber);

// Reads the two unpacked files into `content`'s line lists and deletes them.
// Missing files show their messages and run `chooseBook`; returns false then.
bool ReadBookLists(const ProgramPaths& paths, BookContent& content, UserMessages& messages,
                   QObject* owner, const ChooseBookFn& chooseBook);

// Loads both tables of CurrentPublisher / CurrentBook: clears the voice
// names, unpacks, reads, parses into a new BookContent, and only when all of
// that succeeded replaces book.Content, sets CurrentVoiceName and
// LoadedVoiceName to VoiceName of row 0 and calls `openFirstVoice`.
// Returns false (nothing of the open book changed) when a file was missing;
// throws BookError (nothing changed) on a malformed line or damaged file.
bool LoadBookContent(const ProgramPaths& paths, OpenBook& book, UserMessages& messages,
                     QObject* owner, const ChooseBookFn& chooseBook,
                     const std::function<void()>& openFirstVoice);

} // namespace zarelo
