#pragma once
// Moving between the pages of the open book: showing CurrentPage, the two page
// buttons, the page number box and the choice of a lesson, each with its rule
// for a missing or damaged page file (the page number goes back to the page on
// screen). The page view draws through PageScreen, so that these rules run the
// same in the window and in unit tests. UI thread only.

#include "base/uPublicVarDefine.h"
#include "book/BookContent.h"
#include "reading/ReadingController.h"

#include <QByteArray>
#include <QString>

class QObject;

namespace zarelo {

class UserMessages;

// The page view as page turning sees it (implemented by TfrmOrvane).
class PageScreen {
public:
    virtual ~PageScreen() = default;
    // Decodes the page file at `path` and lays its picture out in the present
    // size mode. Throws BookError for a damaged file; the picture on screen
    // stays then.
    virtual void ShowPicture(const QString& path) = 0;
    // Draws the English text of CurrentPage (text books).
    virtual void ShowTextPage() = 0;
    // The page number box Edit1; writing it here never fires its change handler.
    virtual QString PageNumberText() const = 0;
    virtual void SetPageNumberText(const QString& text) = 0;
    virtual void SetStatusText(const QString& text) = 0; // Label3
    // Before a page button turns the page: the highlight goes and reading
    // stops as "停止朗读" does.
    virtual void StopForPageTurn() = 0;
    // CurrentLesson may have changed: the main window refreshes its label.
    virtual void CurrentLessonChanged() = 0;
};

class PageTurner final : public ReadingPages {
public:
    // `messageOwner` owns the missing-page message (the page view).
    PageTurner(const ProgramPaths& paths, OpenBook& book, UserMessages& messages,
               PageScreen& screen, QObject* messageOwner);

    // Shows CurrentPage: its file "Page<N>.zip" in the book folder (exact name,
    // else ignoring ASCII case). False when there is none, after the message
    // "页面文件不存在！         "; for a text book false when no entry stands on
    // the page. Throws BookError for a damaged page file. CurrentPage is left
    // as it is: putting the old page back is the caller's.
    bool ShowPage() override;
    // ShowPage without the missing-page message: the view's creation, after
    // which the main window puts the page number into the box, which reports it.
    bool ShowPageQuietly();
    // Shows CurrentPage again at the view's present size when it is the page
    // on screen; otherwise nothing, and no message.
    void RefreshPage();
    // The page whose picture or text is on screen; -1 before the first.
    int PageOnScreen() const { return onScreen_; }

    // SbtNextPage "下一页": past the last page the message, "这是最后一页" and
    // the old page back. Throws BookError (old page back) for a damaged page.
    void NextPage();
    // SbtPrivPage "上一页": on page 1 only "这是第一页". Throws as NextPage.
    void PreviousPage();
    // Edit1Change: a number in the box becomes CurrentPage and is shown; a
    // missing page, a damaged page or a text that is no number puts the old
    // page back into CurrentPage and the box (the last one shows it again).
    // An empty box changes nothing. The lesson follows the page in every
    // case. Rethrows the BookError of a damaged page after that.
    void PageNumberChanged(const QString& text);
    // The box shows CurrentPage; when that changed its text, the lesson
    // follows the page (the page itself is on screen already).
    void ShowPageNumber() override;
    // The first lesson row whose Name and Title (GBK, exact) equal these
    // becomes CurrentLesson and its first page is shown; false when there is
    // no such row (nothing changes). A damaged page is rethrown after the
    // lesson has been chosen; the page number is not put back then.
    bool ShowLesson(const QByteArray& name, const QByteArray& title);

private:
    bool show(bool reportMissing);
    // Shows `page` from a page button. The old page comes back when the page
    // is missing (with `missingStatus` in Label3 unless it is null) or
    // damaged (the BookError is rethrown).
    void turnTo(int page, const QString& missingStatus);
    void putBack(int page); // CurrentPage and the box
    void lessonFollowsPage();

    const ProgramPaths& paths_;
    OpenBook& book_;
    UserMessages& messages_;
    PageScreen& screen_;
    QObject* owner_;
    int onScreen_ = -1;
};

} // namespace zarelo
