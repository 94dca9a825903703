#pragma once
// A run of the shell for window tests: a temporary program folder (with
// skins and, on request, a small book library), a settings file of its own,
// scripted messages, a clock that moves 10 ms at every reading (so Delay
// ends without real waiting) and the manual sound device (or none).

#include "audio/ManualAudioDevice.h"
#include "book/Gbk.h"
#include "book/PackedFile.h"
#include "book/SettingsKey.h"
#include "shell/gui/AppContext.h"
#include "support/ManualClock.h"
#include "support/ScriptedMessages.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
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

inline QByteArray JpegPage(int page)
{
    QImage image(800, 1000, QImage::Format_RGB32);
    image.fill(QColor(250, 245, 230));
    QPainter painter(&image);
    painter.setPen(Qt::black);
    painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 28));
    painter.drawText(100, 130, QStringLiteral("Page %1: Good morning!").arg(page));
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 85);
    return bytes;
}

// A mono 16-bit WAV file of `seconds` seconds of a quiet tone.
inline QByteArray WavBytes(int seconds, int rate = 22050)
{
    QByteArray out;
    const auto le32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out.append(char((v >> (8 * i)) & 0xff));
    };
    const auto le16 = [&](uint16_t v) {
        out.append(char(v & 0xff));
        out.append(char(v >> 8));
    };
    const uint32_t frames = uint32_t(seconds * rate);
    out.append("RIFF");
    le32(36 + frames * 2);
    out.append("WAVEfmt ");
    le32(16), le16(1), le16(1), le32(rate), le32(rate * 2), le16(2), le16(16);
    out.append("data");
    le32(frames * 2);
    for (uint32_t i = 0; i < frames; ++i)
        le16(uint16_t(int16_t((i % 100) * 40 - 2000)));
    return out;
}

class ShellRig {
public:
    QTemporaryDir root;
    QString ProgramFolder;
    QString SettingsPath;
    fakes::ScriptedMessages* Messages = nullptr;
    fakes::ManualClock* Clock = nullptr;
    ManualAudioDevice* Device = nullptr;
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
        const QString folder = ProgramFolder + u'/' + publisher + u'/' + book + u'/';
        QByteArray location = "header;image;\r\n";
        for (int page = 1; page <= 4; ++page) {
            for (int k = 0; k < 2; ++k) {
                const int entry = (page - 1) * 2 + k;
                location += "Page" + QByteArray::number(page) + (k ? ";word;" : ";sent;") + "100," +
                            QByteArray::number(100 + 60 * k) + ";700," +
                            QByteArray::number(140 + 60 * k) + ";voice1;0:0" +
                            QByteArray::number(entry) + ":0,0:0" + QByteArray::number(entry) +
                            ":8;" + toGbk(QStringLiteral("早上好")) + ":Good morning " +
                            QByteArray::number(entry) + "\r\n";
            }
        }
        const QByteArray lessons = "Unit 1;Hello;c2;0:00:0;c4;0:10:0;1;2\r\n"
                                   "Lesson 1;Good morning;c2;0:00:0;c4;0:10:0;1;2\r\n"
                                   "Unit 2;My school;c2;0:00:0;c4;0:10:0;3;4\r\n"
                                   "Lesson 2;Our classroom;c2;0:00:0;c4;0:10:0;3;4\r\n";
        WriteFile(folder + QStringLiteral("location.dat"), PackBytes(location));
        WriteFile(folder + QStringLiteral("LessonIndex.dat"), PackBytes(lessons));
        for (int page = 1; page <= 4; ++page)
            WriteFile(folder + QStringLiteral("Page%1.zip").arg(page), PackBytes(JpegPage(page)));
        WriteFile(folder + QStringLiteral("voice1.wav"), PackBytes(WavBytes(10)));
    }

    void addSkin(const QString& folder, const QString& name, const QByteArray& sheet)
    {
        WriteFile(ProgramFolder + u'/' + folder + u'/' + name, sheet);
    }
};

// Runs `answer` with the next modal window as soon as it is up (checked
// every 10 ms from the event loop the modal window runs).
inline void AnswerNextModal(std::function<void(QWidget*)> answer)
{
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, answer = std::move(answer)] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        answer(modal);
    });
    timer->start();
}

} // namespace zarelo::shelltest
