#pragma once
// Rows of the open book's tables made in memory, for tests of the rules that
// read them: an entry without boxes on a page, and a lesson over pages.

#include "book/BookContent.h"
#include "book/Gbk.h"

namespace zarelo::fakes {

inline void AddEntry(OpenBook& book, int page, QByteArrayView kind, QByteArrayView english,
                     const QString& chinese, QByteArrayView voice, double start, double end)
{
    SentenceTable& t = book.Content.Sentences;
    t.PageName.append("Page" + QByteArray::number(page));
    t.Kind.append(kind);
    for (auto* column :
         {&t.Box1Left, &t.Box1Top, &t.Box1Right, &t.Box1Bottom, &t.Box2Left, &t.Box2Top,
          &t.Box2Right, &t.Box2Bottom, &t.Box3Left, &t.Box3Top, &t.Box3Right, &t.Box3Bottom})
        column->push_back(-1);
    t.VoiceName.append(voice);
    t.StartTime.push_back(start);
    t.EndTime.push_back(end);
    t.ChineseText.append(toGbk(chinese));
    t.EnglishText.append(english);
}

inline void AddLesson(OpenBook& book, QByteArrayView name, int first, int last)
{
    LessonTable& l = book.Content.Lessons;
    l.Name.append(name);
    l.Title.append("Title");
    l.Column2.append("");
    l.Column4.append("");
    l.StartTime.push_back(0);
    l.EndTime.push_back(0);
    l.FirstPage.push_back(first);
    l.EndPage.push_back(last);
}

} // namespace zarelo::fakes
