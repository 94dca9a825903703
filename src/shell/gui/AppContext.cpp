#include "shell/gui/AppContext.h"

#include "base/BookError.h"
#include "base/ProgramLocations.h"
#include "base/SettingsKey.h"
#include "book/gui/uSelectBook.h"
#include "quiz/LearningRecord.h"
#include "speech/SphinxAligner.h"

#include <QDir>
#include <mutex>
#include <utility>

namespace zarelo {

AppContext::AppContext(AppSeams seams)
    : messages_(std::move(seams.Messages)), ticks_(std::move(seams.Ticks)),
      engine_(std::make_unique<AudioEngine>(std::move(seams.Device))),
      temp_(QDir::tempPath() + QStringLiteral("/zarelo-XXXXXX")),
      Paths{seams.ProgramFolder,
            temp_.isValid() ? temp_.path() : QString(),
            seams.SettingsPath,
            seams.ProgramFile.isEmpty() ? seams.ProgramFolder + QStringLiteral("/zarelo")
                                        : seams.ProgramFile,
            seams.DataFolder,
            seams.UserFolder,
            seams.LibraryFolders},
      Messages(*messages_), Ticks(*ticks_), Audio(*engine_),
      Voice(*engine_, Book, Paths, *messages_),
      MakeWordAligner(seams.MakeWordAligner ? std::move(seams.MakeWordAligner)
                                            : InstalledWordAligner(Paths))
{
    // An installed program writes into the user's folder, made now: the
    // history opens in it at start. Without it the program goes on without
    // a history, as with any history that cannot be opened.
    if (IsInstalled(Paths)) {
        for (const QString& folder : {Paths.User(), UserLibrary(Paths)}) {
            QString reason;
            if (!MakeFolder(folder, &reason)) {
                ReportError(QStringLiteral("文件夹“%1”无法建立：%2")
                                .arg(QDir::toNativeSeparators(folder), reason));
                break;
            }
        }
    }
    dmMain = std::make_unique<TdmMain>(Paths.User(), Settings, Messages);
    const auto practice = [this](PracticeKind kind) {
        return std::make_unique<PracticeTracker>(
            kind, *dmMain, [] { return QDateTime::currentDateTime(); },
            [this] { return PlaceOf(Book, true); },
            [this](const QString& text) { ReportError(text); });
    };
    ReadingPractice = practice(PracticeKind::Read);
    OralPractice = practice(PracticeKind::Oral);
    ChooseBook = [this](QWidget* owner) {
        return zarelo::ChooseBook(Paths, Book, Messages, owner);
    };
    // A settings file that cannot be saved is said once; every later write
    // fails for the same reason.
    SettingsKey::SetWriteFailureHandler([this](const QString& path, const QString& reason) {
        if (std::exchange(settingsFailureReported_, true))
            return;
        ReportError(
            QStringLiteral("设置文件“%1”无法写入：%2").arg(QDir::toNativeSeparators(path), reason));
    });
}

AppContext::~AppContext()
{
    SettingsKey::SetWriteFailureHandler({});
}

void AppContext::ReportError(const QString& text)
{
    Messages.showMessage(text, ApplicationTitle, nullptr);
}

bool AppContext::Guarded(const std::function<void()>& handler)
{
    try {
        handler();
        return true;
    } catch (const std::exception& error) {
        ReportError(ErrorText(error));
    }
    return false;
}

QString ErrorText(const std::exception& error)
{
    if (const auto* book = dynamic_cast<const BookError*>(&error))
        return book->message();
    return QString::fromUtf8(error.what());
}

WordAlignWorker::MakeAligner InstalledWordAligner(const ProgramPaths& paths)
{
    struct Shared {
        std::mutex Mutex;
        std::shared_ptr<const speech::Lexicon> Lexicon;
    };
    auto shared = std::make_shared<Shared>();
    const speech::SpeechModel model = speech::SpeechModel::Installed(paths.HandDictionary());
    return [shared, model]() -> std::unique_ptr<speech::WordAligner> {
        std::shared_ptr<const speech::Lexicon> lexicon;
        {
            std::lock_guard lock(shared->Mutex);
            if (!shared->Lexicon)
                shared->Lexicon = speech::LoadLexicon(model);
            lexicon = shared->Lexicon;
        }
        return std::make_unique<speech::SphinxAligner>(model, std::move(lexicon));
    };
}

} // namespace zarelo
