#pragma once
// The application object: the one general error report at the event loop,
// the font substitutions, and the start-up sequence of the program (splash,
// skin, main window, message loop).

#include "shell/gui/AppContext.h"

#include <QApplication>
#include <functional>

namespace zarelo {

class TfrmMain;

class ZareloApplication : public QApplication {
    Q_OBJECT
public:
    ZareloApplication(int& argc, char** argv);
    ~ZareloApplication() override;

    // Where the general error report goes (the box of the run's
    // UserMessages); until one is set, standard error.
    void setErrorReport(std::function<void(const QString& text)> report);
    // Delivers an event; an exception (BookError or any std::exception)
    // escaping a handler or timer is reported once and ends only that handler.
    bool notify(QObject* receiver, QEvent* event) override;

    // The start-up sequence over the real seams (the program's folder, the
    // default settings file, message boxes, the system tick, SDL's device);
    // returns when the main window has closed.
    int run();
    // The same sequence over the seams given (a test's fakes).
    int run(AppSeams seams);

    // Ends the run as the user would: modal dialogs are cancelled and the
    // main window is closed, so that the last page is saved. Called on
    // SIGTERM, SIGINT and SIGHUP.
    void requestClose();

private:
    void watchTerminationSignals();

    std::function<void(const QString&)> report_;
    TfrmMain* main_ = nullptr;
    bool closeRequested_ = false;
};

// Fonts the windows name are drawn with installed faces of the same kind:
// 宋体 and 隶书 with WenQuanYi Zen Hei, 华文隶书 with AR PL UKai, Arial with
// Liberation Sans.
void InstallFontSubstitutions();

} // namespace zarelo
