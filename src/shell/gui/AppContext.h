#pragma once
// The process-wide state of one run, owned by the application and handed to
// the windows: the program's paths (with the run's private temporary
// folder), the open book, the settings variables, the shared test state, the
// audio engine and the one voice player, the user-message seam, the tick
// source and the skin layer. A test builds its own set with its own seams.
// UI thread only.

#include "audio/AudioEngine.h"
#include "audio/VoicePlayer.h"
#include "base/UserMessages.h"
#include "base/uFunc.h"
#include "base/uPublicVarDefine.h"
#include "book/BookContent.h"
#include "oral/WordAlignWorker.h"
#include "quiz/PracticeTracker.h"
#include "quiz/uDmMain.h"
#include "shell/gui/SkinLayer.h"

#include <QPointer>
#include <QTemporaryDir>
#include <functional>
#include <memory>

class QWidget;

namespace zarelo {

// The outside world of one run.
struct AppSeams {
    QString ProgramFolder; // no trailing separator
    QString ProgramFile;   // the executable; empty: "zarelo" in ProgramFolder
    QString SettingsPath;  // the settings key's file
    // An installed program's folders (ProgramPaths); empty: a portable program.
    QString DataFolder;
    QString UserFolder;
    QStringList LibraryFolders;
    std::unique_ptr<UserMessages> Messages;
    std::unique_ptr<TickSource> Ticks;
    std::unique_ptr<AudioDevice> Device; // null: there is no sound device
    // Makes the aligner that finds the words of the oral training's
    // sentences; called on the aligning thread. Empty: the installed speech
    // model's (InstalledWordAligner).
    WordAlignWorker::MakeAligner MakeWordAligner;
};

// Aligners over the installed speech model and the hand dictionary of
// `paths`: the dictionaries are read once a run, by the first aligning thread
// that needs them, and shared by every aligner made after. Each call may
// throw BookError naming the file that cannot be read.
WordAlignWorker::MakeAligner InstalledWordAligner(const ProgramPaths& paths);

// The caption of the general error report's box (the application title).
inline const QString ApplicationTitle = QStringLiteral("Zarelo英语学习软件");

class AppContext {
    // Declared first: everything below refers to them.
    std::unique_ptr<UserMessages> messages_;
    std::unique_ptr<TickSource> ticks_;
    std::unique_ptr<AudioEngine> engine_;
    QTemporaryDir temp_;
    bool settingsFailureReported_ = false;

public:
    explicit AppContext(AppSeams seams);
    ~AppContext();
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    ProgramPaths Paths;
    OpenBook Book;
    TestSettings Settings;
    SharedTestState TestState;
    UserMessages& Messages;
    const TickSource& Ticks;
    AudioEngine& Audio;
    VoicePlayer Voice;
    SkinLayer Skin;
    // From the seams; handed to the oral training window.
    WordAlignWorker::MakeAligner MakeWordAligner;
    // The data module over the word history; its DataModuleCreate runs once,
    // directly after the main window is made (until then every word is new).
    std::unique_ptr<TdmMain> dmMain;
    // Reading aloud and oral training as practice sessions of the history's
    // learning record, at the open book's current lesson.
    std::unique_ptr<PracticeTracker> ReadingPractice;
    std::unique_ptr<PracticeTracker> OralPractice;
    // The splash window while it exists: owner of the messages raised while
    // the last book is reopened at start.
    QPointer<QWidget> SplashHandle;

    // The book selection, modal over `owner`: the selection dialog, unless a
    // test replaces it. True when a book was chosen (CurrentBook,
    // CurrentPublisher, CurrentPage set).
    std::function<bool(QWidget* owner)> ChooseBook;

    // The general error report: one box with `text`, captioned with the
    // application title. A settings file that cannot be saved is reported
    // here once, with its path and the system's reason.
    void ReportError(const QString& text);
    // Runs `handler`; an exception escaping it (BookError or any
    // std::exception) is reported once and ends only the handler. True when
    // the handler finished.
    bool Guarded(const std::function<void()>& handler);
};

// The text of an exception for the general error report.
QString ErrorText(const std::exception& error);

} // namespace zarelo
