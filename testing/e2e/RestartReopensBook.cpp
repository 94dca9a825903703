// The whole program from outside: build/bin/zarelo started with a temporary
// settings home and SDL's disk sound driver, ended with SIGTERM (which the
// program answers like its "退出" button, saving the page).
//
// First start with an empty settings file: every value is created in its
// order while the program waits in the book selection dialog. The choice of
// the sample book is then written the way the dialog writes it (the dialog
// itself is driven in the main window's window test). The second start must
// reopen that book without asking, on the remembered page, and save the
// page and voice when it ends.

#include "base/SettingsKey.h"
#include "base/uFunc.h"
#include "book/BookLibrary.h"
#include "book/PackedFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace zarelo;

namespace {

const QStringList AllValues = {"bookname",           "publicname",     "selectskin",
                               "selectcolor",        "testarea",       "wordnumber",
                               "waittime",           "seririghttimes", "lasttestrightdays",
                               "righttestovertimes", "LastPage",       "LastVoiceName"};

QString ProgramFolder()
{
    return qEnvironmentVariable("ZARELO_PROGRAM_DIR");
}

QStringList Names(const QString& path)
{
    QFile file(path);
    QStringList names;
    if (!file.open(QIODevice::ReadOnly))
        return names;
    for (const QByteArray& line : file.readAll().split('\n'))
        if (!line.isEmpty())
            names << QString::fromUtf8(line.left(line.indexOf('=')));
    return names;
}

// One run of the program with its own settings home.
class Run {
public:
    explicit Run(const QTemporaryDir& home) : home_(home) {}

    void start()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", home_.path() + "/config");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("SDL_AUDIODRIVER", "disk");
        env.insert("SDL_DISKAUDIOFILE", home_.path() + "/played.raw");
        env.insert("SDL_DISKAUDIODELAY", "0");
        // A file left by an earlier run must not pass for this run's device.
        QFile::remove(home_.path() + "/played.raw");
        process_.setProcessEnvironment(env);
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.start(ProgramFolder() + "/zarelo", {});
        QVERIFY2(process_.waitForStarted(10000), qPrintable(process_.errorString()));
    }

    // Waits until `ready` holds (checked every 50 ms) while the program runs.
    bool waitFor(const std::function<bool()>& ready, int ms = 30000)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < ms) {
            if (ready())
                return true;
            if (process_.state() != QProcess::Running)
                return false;
            process_.waitForFinished(50);
        }
        return false;
    }

    // Ends the program as a desktop session does and expects a clean exit.
    void end()
    {
        process_.terminate();
        QVERIFY2(process_.waitForFinished(30000), "the program did not end on SIGTERM");
        QCOMPARE(process_.exitStatus(), QProcess::NormalExit);
        QVERIFY2(process_.exitCode() == 0, process_.readAll().constData());
    }

    bool running() const { return process_.state() == QProcess::Running; }

    // SDL's disk driver writes the played stream from the moment the main
    // window's creation opens the device.
    bool deviceOpened() const { return QFileInfo(home_.path() + "/played.raw").size() > 0; }

private:
    const QTemporaryDir& home_;
    QProcess process_;
};

} // namespace

class RestartReopensBook : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(ProgramFolder() + "/zarelo"), qPrintable(ProgramFolder()));
        const LibraryScan scan = ScanLibrary(ProgramFolder());
        QVERIFY2(!scan.BookNames.empty(), "the program folder holds no sample library");
        book_ = scan.BookNames.front();
        publisher_ = scan.BookPublishers.front();
        // The voice of the book's first entry: what the read-aloud view
        // holds after the book was opened.
        const QByteArray location =
            UnpackFile(ProgramFolder() + u'/' + publisher_ + u'/' + book_ + "/location.dat");
        const QByteArray firstEntry = location.split('\n').value(1);
        const auto fields = SplitFields(firstEntry, ';');
        QVERIFY2(fields.size() >= 7, firstEntry.constData());
        firstVoice_ = fields[4].toByteArray();
        QVERIFY(!firstVoice_.isEmpty());
    }

    void firstStartThenRestartReopensTheBook()
    {
        QTemporaryDir home;
        const QString settings = home.path() + "/config/ZareloEnglish/ZareloEnglish.ini";
        QDir().mkpath(home.path() + "/config/ZareloEnglish");
        QFile(settings).open(QIODevice::WriteOnly); // an empty settings file

        {
            Run first(home);
            first.start();
            // All values exist once the program waits for a book choice.
            QVERIFY2(first.waitFor([&] { return Names(settings) == AllValues; }),
                     qPrintable(Names(settings).join(u',')));
            QVERIFY(first.running());
            first.end();
        }
        {
            SettingsKey key(settings);
            QCOMPARE(key.readString("bookname"), QString());
            QCOMPARE(key.readString("selectskin"), QStringLiteral("默认.ssk"));
            QCOMPARE(key.readString("selectcolor"), QString());
            QCOMPARE(key.readString("testarea"), QStringLiteral("1"));
            QCOMPARE(key.readString("wordnumber"), QStringLiteral("十个"));
            QCOMPARE(key.readString("waittime"), QStringLiteral("10"));
            QCOMPARE(key.readString("LastPage"), QString());
        }

        // The choice, as the selection dialog stores it; the page to come back to.
        RememberChosenBook(settings, book_, publisher_);
        {
            SettingsKey key(settings);
            key.overwriteExisting("LastPage", "2");
            key.overwriteExisting("LastVoiceName", "not yet");
        }

        {
            Run second(home);
            second.start();
            // SIGTERM once the sound device is open: the main window is being
            // created, the signals are watched, and they are answered once
            // the start-up, which reopens the book, is through.
            QVERIFY(second.waitFor([&] { return second.deviceOpened(); }));
            second.end();
        }
        QCOMPARE(Names(settings), AllValues);
        SettingsKey key(settings);
        QCOMPARE(key.readString("bookname"), book_);
        QCOMPARE(key.readString("publicname"), publisher_);
        // Written on closing by the read-aloud view: the book was open, on page 2.
        QCOMPARE(key.readString("LastPage"), QStringLiteral("2"));
        QCOMPARE(key.readString("LastVoiceName").toUtf8(), firstVoice_);

        // The sound device was opened; nothing was played at start.
        QFile played(home.path() + "/played.raw");
        QVERIFY(played.open(QIODevice::ReadOnly));
        const QByteArray head = played.read(1 << 20);
        QVERIFY(!head.isEmpty());
        QCOMPARE(head.count('\0'), head.size());
    }

    void aMissingSkinDoesNotStopTheStart()
    {
        QTemporaryDir home;
        const QString settings = home.path() + "/config/ZareloEnglish/ZareloEnglish.ini";
        {
            SettingsKey key(settings);
            key.writeString("bookname", book_);
            key.writeString("publicname", publisher_);
            key.writeString("selectskin", "不存在.ssk");
            key.writeString("selectcolor", "255");
        }
        Run run(home);
        run.start();
        // Every value exists (the last two come with reading the last book)
        // and the sound device is open.
        QVERIFY2(run.waitFor([&] { return Names(settings) == AllValues && run.deviceOpened(); }),
                 qPrintable(Names(settings).join(u',')));
        run.end();
        SettingsKey key(settings);
        QCOMPARE(key.readString("LastPage"), QStringLiteral("1"));
        QCOMPARE(key.readString("LastVoiceName").toUtf8(), firstVoice_);
    }

private:
    QString book_;
    QString publisher_;
    QByteArray firstVoice_;
};

QTEST_MAIN(RestartReopensBook)
#include "RestartReopensBook.moc"
