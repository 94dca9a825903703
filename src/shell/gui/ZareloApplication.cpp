#include "shell/gui/ZareloApplication.h"

#include "audio/SdlAudioDevice.h"
#include "base/ProgramLocations.h"
#include "base/SettingsKey.h"
#include "base/gui/MessageBoxes.h"
#include "shell/SkinFiles.h"
#include "shell/gui/AppContext.h"
#include "shell/gui/uFrmMain.h"
#include "shell/gui/uSplash.h"

#include <QDialog>
#include <QFont>
#include <QPointer>
#include <QSocketNotifier>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace zarelo {

namespace {

#ifdef Q_OS_UNIX
int signalPipe[2] = {-1, -1};

void OnTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[0], &byte, 1);
}
#endif

} // namespace

void InstallFontSubstitutions()
{
    const QStringList chinese = {QStringLiteral("WenQuanYi Zen Hei")};
    for (const QString& family : {QStringLiteral("宋体"), QStringLiteral("隶书")})
        QFont::insertSubstitutions(family, chinese);
    // The calligraphic face of the result message, then any Chinese face.
    QFont::insertSubstitutions(QStringLiteral("华文隶书"), {QStringLiteral("AR PL UKai CN"),
                                                            QStringLiteral("WenQuanYi Zen Hei")});
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
}

ZareloApplication::ZareloApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    InstallFontSubstitutions();
}

ZareloApplication::~ZareloApplication() = default;

void ZareloApplication::setErrorReport(std::function<void(const QString&)> report)
{
    report_ = std::move(report);
}

bool ZareloApplication::notify(QObject* receiver, QEvent* event)
{
    // Once the run is ending, a dialog that opens after the others were
    // cancelled (a message, the selection again) is cancelled as well.
    if (closeRequested_ && event->type() == QEvent::Show)
        if (auto* dialog = qobject_cast<QDialog*>(receiver); dialog && dialog->isModal())
            QMetaObject::invokeMethod(dialog, &QDialog::reject, Qt::QueuedConnection);
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        const QString text = ErrorText(error);
        if (report_)
            report_(text);
        else
            std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    }
    return true;
}

void ZareloApplication::requestClose()
{
    closeRequested_ = true;
    // Cancel the modal dialogs from the top down; each one's loop ends.
    for (int guard = 0; guard < 32; ++guard) {
        QWidget* modal = activeModalWidget();
        if (!modal)
            break;
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
    }
    if (main_)
        main_->close();
}

void ZareloApplication::watchTerminationSignals()
{
#ifdef Q_OS_UNIX
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        char byte;
        [[maybe_unused]] const auto got = ::read(signalPipe[1], &byte, 1);
        requestClose();
    });
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        sigaction(sig, &action, nullptr);
#endif
}

int ZareloApplication::run()
{
    AppSeams seams;
    const ProgramPaths located = LocateProgram(ProgramEnvironment::Of(applicationFilePath()));
    seams.ProgramFolder = located.ProgramFolder;
    seams.ProgramFile = located.ProgramFile;
    seams.DataFolder = located.DataFolder;
    seams.UserFolder = located.UserFolder;
    seams.LibraryFolders = located.LibraryFolders;
    seams.SettingsPath = SettingsKey::defaultPath();
    seams.Messages = std::make_unique<MessageBoxes>();
    seams.Ticks = std::make_unique<SystemTicks>();
    seams.Device = MakeSdlAudioDevice();
    return run(std::move(seams));
}

int ZareloApplication::run(AppSeams seams)
{
    AppContext app(std::move(seams));
    setErrorReport([&app](const QString& text) { app.ReportError(text); });
    watchTerminationSignals();

    // 1. The splash; its FormShow reads the skin settings.
    QPointer<TfrmSplash> splash = new TfrmSplash(app);
    splash->show();
    splash->repaint();
    processEvents();

    // 2. The skin, tinted when a colour is stored.
    if (splash) {
        app.Skin.sppLoadSkin(SkinFilePath(splash->DataFolder, splash->SkinFileName), 0);
        if (splash->SkinColour != -1)
            app.Skin.sppColorize(splash->SkinColour, 0.5, 0);
    }

    // 3. The application title. (The display name is not used: on X11 it
    // would be appended to every window caption.)
    setApplicationName(ApplicationTitle);

    // 4. The main window; its FormCreate reopens the last book.
    int result = 0;
    {
        TfrmMain main(app);
        main_ = &main;
        // The data module, directly after the main window: the word history.
        app.Guarded([&app] { app.dmMain->DataModuleCreate(); });
        // 5. The splash frees itself when closed.
        if (splash)
            splash->close();
        if (!closeRequested_) {
            main.show();
            result = exec();
        } else {
            main.close();
        }
        main_ = nullptr;
    }
    setErrorReport({});
    return result;
}

} // namespace zarelo
