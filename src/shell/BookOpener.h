#pragma once
// Opening a book, the one sequence behind both ways the main window opens
// one: at start the last book (or a chosen one when none is remembered), and
// from the menu a newly chosen one, which puts the previous book back when
// the choice cannot be opened. Checking and loading are the book library's
// (CheckBookData, LoadBookContent); what is left to the window is showing the
// result (tree, labels, mode buttons, the page). UI thread only.

#include "base/uPublicVarDefine.h"
#include "book/BookContent.h"
#include "book/BookLibrary.h"

#include <functional>

class QObject;

namespace zarelo {

class UserMessages;

class BookOpener {
public:
    // `openFirstVoice` opens book.CurrentVoiceName in the voice player once
    // the tables are loaded (may be empty).
    BookOpener(const ProgramPaths& paths, OpenBook& book, UserMessages& messages,
               std::function<void()> openFirstVoice);

    // Start-up: ReadLastBook; without a remembered book or publisher the
    // selection through `chooseBook`; then CheckBookData (its messages owned
    // by `checkOwner`, the splash) and LoadBookContent (owned by
    // `loadOwner`, the main window), both offering `chooseBook` again when
    // the data files are missing. True when the book's tables are loaded;
    // CurrentPage is then the remembered page, 1 when that was 0. Throws
    // BookError for a damaged book (nothing loaded).
    bool OpenLastBook(const ChooseBookFn& chooseBook, QObject* checkOwner, QObject* loadOwner);

    // From the menu: the selection through `chooseBook`, CheckBookData,
    // `showLoading` (the loading splash), LoadBookContent, all messages owned
    // by `owner`. True when the chosen book is loaded; CurrentPage is then 1.
    // When the choice is cancelled, cannot be checked or loaded, or is
    // damaged (BookError, rethrown), a book that was open before stays:
    // CurrentBook, CurrentPublisher and CurrentPage come back, and so do the
    // remembered "bookname" and "publicname" when the selection changed them.
    bool OpenChosenBook(const ChooseBookFn& chooseBook, QObject* owner,
                        const std::function<void()>& showLoading);

private:
    bool checkAndLoad(const ChooseBookFn& chooseBook, QObject* checkOwner, QObject* loadOwner,
                      const std::function<void()>& showLoading);

    const ProgramPaths& paths_;
    OpenBook& book_;
    UserMessages& messages_;
    std::function<void()> openFirstVoice_;
};

} // namespace zarelo
