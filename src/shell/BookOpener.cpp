#include "shell/BookOpener.h"

#include "book/BookLoader.h"

namespace zarelo {

BookOpener::BookOpener(const ProgramPaths& paths, OpenBook& book, UserMessages& messages,
                       std::function<void()> openFirstVoice)
    : paths_(paths), book_(book), messages_(messages), openFirstVoice_(std::move(openFirstVoice))
{
}

bool BookOpener::checkAndLoad(const ChooseBookFn& chooseBook, QObject* checkOwner,
                              QObject* loadOwner, const std::function<void()>& showLoading)
{
    if (!CheckBookData(paths_, book_, messages_, checkOwner, chooseBook))
        return false;
    if (showLoading)
        showLoading();
    return LoadBookContent(paths_, book_, messages_, loadOwner, chooseBook, openFirstVoice_);
}

bool BookOpener::OpenLastBook(const ChooseBookFn& chooseBook, QObject* checkOwner,
                              QObject* loadOwner)
{
    ReadLastBook(paths_.SettingsPath, book_);
    const auto named = [this] {
        return !book_.CurrentBook.isEmpty() && !book_.CurrentPublisher.isEmpty();
    };
    if (!named())
        chooseBook();
    if (!named())
        return false;
    if (!checkAndLoad(chooseBook, checkOwner, loadOwner, {}))
        return false;
    if (book_.CurrentPage == 0)
        book_.CurrentPage = 1;
    return true;
}

bool BookOpener::OpenChosenBook(const ChooseBookFn& chooseBook, QObject* owner,
                                const std::function<void()>& showLoading)
{
    // What the window shows now; a choice that fails to load puts it back,
    // so the previous book stays fully usable. Without a previous book the
    // names of the failed choice stay, as at start.
    const QString previousBook = book_.CurrentBook;
    const QString previousPublisher = book_.CurrentPublisher;
    const int previousPage = book_.CurrentPage;
    const bool hadBook = book_.Content.Sentences.count() > 0;
    const auto restore = [&] {
        if (!hadBook)
            return;
        if (book_.CurrentBook != previousBook || book_.CurrentPublisher != previousPublisher)
            RememberChosenBook(paths_.SettingsPath, previousBook, previousPublisher);
        book_.CurrentBook = previousBook;
        book_.CurrentPublisher = previousPublisher;
        book_.CurrentPage = previousPage;
    };

    bool loaded = false;
    try {
        loaded = chooseBook() && checkAndLoad(chooseBook, owner, owner, showLoading);
    } catch (...) {
        restore();
        throw;
    }
    if (!loaded) {
        restore();
        return false;
    }
    book_.CurrentPage = 1;
    return true;
}

} // namespace zarelo
