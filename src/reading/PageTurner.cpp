#include "reading/PageTurner.h"

#include "base/BookError.h"
#include "base/UserMessages.h"
#include "book/BookFiles.h"
#include "book/BookLibrary.h"
#include "reading/PageGeometry.h"

#include <QFileInfo>

#include <exception>

namespace zarelo {

PageTurner::PageTurner(const ProgramPaths& paths, OpenBook& book, UserMessages& messages,
                       PageScreen& screen, QObject* messageOwner)
    : paths_(paths), book_(book), messages_(messages), screen_(screen), owner_(messageOwner)
{
}

bool PageTurner::ShowPage()
{
    return show(true);
}

bool PageTurner::ShowPageQuietly()
{
    return show(false);
}

void PageTurner::RefreshPage()
{
    if (onScreen_ >= 0 && onScreen_ == book_.CurrentPage)
        show(false);
}

bool PageTurner::show(bool reportMissing)
{
    const int page = book_.CurrentPage;
    if (book_.IsTextBook) {
        const QByteArray name = PageNameOf(page);
        const SentenceTable& table = book_.Content.Sentences;
        bool any = false;
        for (int i = 0; i < table.count() && !any; ++i)
            any = table.PageName[i] == name;
        if (!any)
            return false; // past the last page of text; the shown page stays
        screen_.ShowTextPage();
        onScreen_ = page;
        return true;
    }

    const QString path = FindBookEntry(BookFolder(paths_, book_),
                                       QStringLiteral("Page%1.zip").arg(page), EntryKind::File);
    if (!QFileInfo(path).isFile()) {
        if (reportMissing)
            messages_.showMessage(QStringLiteral("页面文件不存在！         "),
                                  QStringLiteral("提示"), owner_);
        return false;
    }
    screen_.ShowPicture(path); // a damaged file throws here; the shown page stays
    onScreen_ = page;
    return true;
}

void PageTurner::putBack(int page)
{
    book_.CurrentPage = page;
    screen_.SetPageNumberText(QString::number(page));
}

void PageTurner::lessonFollowsPage()
{
    book_.LessonOfPage();
    screen_.CurrentLessonChanged();
}

void PageTurner::ShowPageNumber()
{
    const QString text = QString::number(book_.CurrentPage);
    if (screen_.PageNumberText() == text)
        return;
    screen_.SetPageNumberText(text);
    lessonFollowsPage();
}

void PageTurner::NextPage()
{
    screen_.StopForPageTurn();
    turnTo(book_.CurrentPage + 1, QStringLiteral("这是最后一页"));
}

void PageTurner::PreviousPage()
{
    screen_.StopForPageTurn();
    if (book_.CurrentPage <= 1) {
        screen_.SetStatusText(QStringLiteral("这是第一页"));
        return;
    }
    turnTo(book_.CurrentPage - 1, QString());
}

void PageTurner::turnTo(int page, const QString& missingStatus)
{
    const int old = book_.CurrentPage;
    book_.CurrentPage = page;
    bool shown = false;
    try {
        shown = ShowPage();
    } catch (const BookError&) {
        book_.CurrentPage = old;
        throw;
    }
    if (shown) {
        screen_.SetStatusText(QString());
    } else {
        if (!missingStatus.isNull())
            screen_.SetStatusText(missingStatus);
        book_.CurrentPage = old;
    }
    ShowPageNumber();
}

void PageTurner::PageNumberChanged(const QString& text)
{
    const int old = book_.CurrentPage;
    if (!text.isEmpty()) {
        bool isNumber = false;
        const int page = text.trimmed().toInt(&isNumber);
        try {
            if (isNumber) {
                book_.CurrentPage = page;
                if (!ShowPage())
                    putBack(old);
            } else {
                putBack(old);
                ShowPage();
            }
        } catch (const BookError&) {
            putBack(old);
            lessonFollowsPage();
            throw;
        }
    }
    lessonFollowsPage();
}

bool PageTurner::ShowLesson(const QByteArray& name, const QByteArray& title)
{
    const LessonTable& lessons = book_.Content.Lessons;
    for (int row = 0; row < lessons.count(); ++row) {
        if (lessons.Name[row] != name || lessons.Title[row] != title)
            continue;
        book_.CurrentLesson = row;
        book_.CurrentPage = lessons.FirstPage[row];
        screen_.SetPageNumberText(QString::number(book_.CurrentPage));
        std::exception_ptr damaged;
        try {
            ShowPage();
        } catch (const BookError&) {
            damaged = std::current_exception();
        }
        // The chosen lesson stays current even when an earlier lesson shares
        // its first page.
        book_.CurrentLesson = row;
        screen_.CurrentLessonChanged();
        if (damaged)
            std::rethrow_exception(damaged);
        return true;
    }
    return false;
}

} // namespace zarelo
