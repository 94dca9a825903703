#pragma once
// A run of the shell for window tests: a temporary program folder (with
// skins and, on request, a small book library), a settings file of its own,
// scripted messages, a clock that moves 10 ms at every reading (so Delay
// ends without real waiting), the manual sound device (or none) and a
// scripted word aligner (every word not found, unless a test scripts it).

#include "audio/ManualAudioDevice.h"
#include "base/SettingsKey.h"
#include "book/Gbk.h"
#include "book/PackedFile.h"
#include "shell/gui/AppContext.h"
#include "support/ManualClock.h"
#include "support/ModalAnswer.h"
#include "support/ScriptedAligner.h"
#include "support/ScriptedMessages.h"
#include "support/TestBook.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

namespace zarelo::shelltest {

inline void WriteFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

inline QString ReadText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The names of the settings file's values, in file order.
inline QStringList SettingNames(const QString& path)
{
    QStringList names;
    for (const QString& line : ReadText(path).split(u'\n', Qt::SkipEmptyParts))
        names << line.section(u'=', 0, 0);
    return names;
}

class ShellRig {
public:
    QTemporaryDir root;
    QString ProgramFolder;
    QString SettingsPath;
    fakes::ScriptedMessages* Messages = nullptr;
    fakes::ManualClock* Clock = nullptr;
    ManualAudioDevice* Device = nullptr;
    fakes::AlignerScript Aligner; // declared before App: its aligners use it
    std::unique_ptr<AppContext> App;

    ShellRig()
        : ProgramFolder(root.path() + QStringLiteral("/program")),
          SettingsPath(root.path() + QStringLiteral("/config/ZareloEnglish/ZareloEnglish.ini"))
    {
        QDir().mkpath(ProgramFolder);
    }

    // Builds the run's state; `withDevice` false: there is no sound device.
    AppContext& makeApp(bool withDevice = true)
    {
        App = std::make_unique<AppContext>(makeSeams(withDevice));
        return *App;
    }

    // The fakes of a run, for a test that hands them to the start-up sequence
    // (Messages, Clock and Device then live as long as that run).
    AppSeams makeSeams(bool withDevice = true)
    {
        AppSeams seams;
        seams.ProgramFolder = ProgramFolder;
        seams.SettingsPath = SettingsPath;
        auto messages = std::make_unique<fakes::ScriptedMessages>();
        Messages = messages.get();
        seams.Messages = std::move(messages);
        auto clock = std::make_unique<fakes::ManualClock>(1000, 10);
        Clock = clock.get();
        seams.Ticks = std::move(clock);
        if (withDevice) {
            auto device = std::make_unique<ManualAudioDevice>();
            Device = device.get();
            seams.Device = std::move(device);
        }
        seams.MakeWordAligner = Aligner.factory();
        return seams;
    }

    void setting(const QString& name, const QString& value)
    {
        SettingsKey key(SettingsPath);
        key.writeString(name, value);
    }
    QString setting(const QString& name) const
    {
        return SettingsKey(SettingsPath).readString(name);
    }

    // Book `book` of `publisher`: two units of one lesson each over four
    // pages, two entries a page, all in voice "voice1".
    void addBook(const QString& publisher, const QString& book)
    {
        fakes::FourPageBook(publisher, book).write(ProgramFolder);
    }

    // addBook("Sunny Press", "Book One"), remembered as the book open last.
    void addLastBook()
    {
        addBook(QStringLiteral("Sunny Press"), QStringLiteral("Book One"));
        setting(QStringLiteral("bookname"), QStringLiteral("Book One"));
        setting(QStringLiteral("publicname"), QStringLiteral("Sunny Press"));
    }

    void addSkin(const QString& folder, const QString& name, const QByteArray& sheet)
    {
        WriteFile(ProgramFolder + u'/' + folder + u'/' + name, sheet);
    }
};

using fakes::AnswerNextModal;

} // namespace zarelo::shelltest
