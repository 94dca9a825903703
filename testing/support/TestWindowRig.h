#pragma once
// A test window (TfrmWordTest or TfrmSentTest) in a program folder made in a
// temporary directory: book Pub/Book written from a TestBook, silent cue
// sounds, the settings file, a real voice player over the manual sound
// device and the open book on page 1. Timer_Play never fires on its own: a
// test renders the device frames that stand for the time passing and then
// ticks it, so the order is fixed. For window tests (Qt Test); they link
// quiz_gui.

#include "base/Settings.h"
#include "base/SettingsKey.h"
#include "book/Gbk.h"
#include "support/ManualClock.h"
#include "support/ManualVoice.h"
#include "support/ScriptedMessages.h"
#include "support/TestBook.h"
#include "support/Wav.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

namespace zarelo::fakes {

template <class Window> struct TestWindowRig {
    static constexpr int kRate = 44100;

    QTemporaryDir dir;
    ProgramPaths paths;
    OpenBook book;
    TestSettings settings;
    SharedTestState state;
    ScriptedMessages messages;
    ManualClock clock{5000, 0};
    ManualAudioDevice* device = nullptr;
    std::unique_ptr<AudioEngine> engine;
    std::unique_ptr<VoicePlayer> player;
    QStringList errors; // what the window's general error report was given
    std::unique_ptr<Window> view;
    int rows = 0;

    ~TestWindowRig()
    {
        view.reset();
        player.reset();
        engine.reset();
    }

    // Writes `files` into the program folder with the cue sounds (when
    // `cues`) and the settings testarea `testArea`, wordnumber "全部" and
    // waittime `waitSeconds`, and opens the book on page 1 with the voice
    // player over the manual device at kRate. The state is idle.
    void open(const TestBook& files, const QString& testArea, const QString& waitSeconds,
              bool cues = true)
    {
        paths.ProgramFolder = dir.path();
        paths.TempFolder = dir.path();
        paths.SettingsPath = dir.filePath("settings.ini");
        rows = int(files.Entries.size());
        files.write(dir.path());
        if (cues) {
            const QByteArray silence = WavBytes(kRate, 1, ToneSamples(kRate, 0.05, 0, 0));
            writeFile(dir.filePath("Start.wav"), silence);
            writeFile(dir.filePath("Succ.wav"), silence);
        }
        ReadSettings(paths.SettingsPath, settings);
        {
            SettingsKey key(paths.SettingsPath);
            key.writeString(QStringLiteral("testarea"), testArea);
            key.writeString(QStringLiteral("wordnumber"), QStringLiteral("全部"));
            key.writeString(QStringLiteral("waittime"), waitSeconds);
        }
        ReadSettings(paths.SettingsPath, settings);

        QVERIFY(OpenManualVoice(paths, book, messages, device, engine, player, kRate));
        book.CurrentPage = 1;
        state.ActiveMode = -1;
        state.TestState = -1;
    }

    // The window's general error report: the text is kept in `errors`.
    std::function<void(const QString&)> errorReport()
    {
        return [this](const QString& text) { errors << text; };
    }

    // Shows `window` at 900 x 650, its pacing left to the test.
    void show(std::unique_ptr<Window> window)
    {
        view = std::move(window);
        view->Timer_Play->setInterval(24 * 3600 * 1000); // ticked by the test
        view->resize(900, 650);
        view->show();
    }

    template <class T> T* control(const char* name) const
    {
        T* c = view->template findChild<T*>(QLatin1String(name));
        if (!c)
            qFatal("no control %s", name);
        return c;
    }
    void click(const char* name) { QTest::mouseClick(control<QPushButton>(name), Qt::LeftButton); }
    // Start; its one-second block passes on the clock in 40 readings.
    void start()
    {
        clock.setStepPerRead(25);
        click("SbtStartTesting");
        clock.setStepPerRead(0);
    }
    void tick() { view->Timer_PlayTimer(); }
    int row() const { return view->controller().CurrentRow(); }
    // Plays the current item past its end (0.7 s of device frames) and
    // returns the row heard, -1 for silence.
    int playItem()
    {
        const std::vector<int16_t> frames = device->render(kRate * 7 / 10);
        return TestBook::RowHeard(frames, rows, kRate);
    }
    QString text(const char* name) const { return control<QLabel>(name)->text(); }
    // The enabled state of the buttons `names`, in order: "1" on, "0" off.
    QString buttons(std::initializer_list<const char*> names) const
    {
        QString out;
        for (const char* name : names)
            out += control<QPushButton>(name)->isEnabled() ? u'1' : u'0';
        return out;
    }

private:
    static void writeFile(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
};

} // namespace zarelo::fakes
