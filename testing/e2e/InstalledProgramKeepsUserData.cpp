// The program installed under a temporary prefix, its tree made read-only,
// run as the installed program with a home of its own and SDL's disk driver:
// the desktop entry and the metainfo pass their validators; a dictation
// starts with the installed cue sound and its answer lands in
// $XDG_DATA_HOME/ZareloEnglish/DicData.db, the oral
// training's recording beside it; a book the installed book maker made into
// the user's library is offered by "选书" and opens; and nothing in the
// installed tree changes.

#include "ProgramRun.h"
#include "base/ProgramLocations.h"
#include "book/Gbk.h"
#include "book/gui/uSelectBook.h"
#include "oral/gui/uFollowRead.h"
#include "quiz/gui/uFrmWordTest.h"
#include "shell/gui/uFrmMain.h"
#include "support/ModalAnswer.h"

#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolButton>

#include <numbers>

using namespace zarelo;
using namespace zarelo::e2e;

namespace {

const QString Publisher = QStringLiteral("晨光教育出版社");
const QString Book = QStringLiteral("小学英语三年级上册");
const QString MyPublisher = QStringLiteral("我的出版社");
const QString MyBook = QStringLiteral("我的书");

// Every file and folder below `root` with its size and time of change.
QStringList TreeState(const QString& root)
{
    QStringList state;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        state << QStringLiteral("%1 %2 %3")
                     .arg(info.filePath().mid(root.size()))
                     .arg(info.size())
                     .arg(info.lastModified().toMSecsSinceEpoch());
    }
    state.sort();
    return state;
}

// Runs `program` with `arguments` in `environment`; its exit code, or -1
// when it could not run. Its output goes into `output`.
int Run(const QString& program, const QStringList& arguments,
        const QProcessEnvironment& environment, QString* output = nullptr)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(300000))
        return -1;
    if (output)
        *output = QString::fromUtf8(process.readAll());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

void MakeReadOnly(const QString& root)
{
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile::setPermissions(path,
                              QFile::permissions(path) & ~(QFile::WriteOwner | QFile::WriteGroup |
                                                           QFile::WriteOther | QFile::WriteUser));
    }
}

} // namespace

class InstalledProgramKeepsUserData : public QObject {
    Q_OBJECT
private slots:
    void theInstalledProgramWritesOnlyIntoTheUsersHome();
};

void InstalledProgramKeepsUserData::theInstalledProgramWritesOnlyIntoTheUsersHome()
{
    QTemporaryDir root;
    const QString prefix = root.filePath("usr");
    const QString home = root.filePath("home");
    const QString userData = home + QStringLiteral("/.local/share/ZareloEnglish");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home);
    environment.remove(QStringLiteral("XDG_DATA_HOME"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    // Installed as a user would, then made read-only.
    QString output;
    QCOMPARE(Run(QStringLiteral(CMAKE_COMMAND),
                 {QStringLiteral("--install"), QStringLiteral(ZARELO_BUILD_DIR),
                  QStringLiteral("--prefix"), prefix},
                 environment, &output),
             0);
    for (const char* file :
         {"bin/zarelo", "bin/zarelo-bookmaker", "share/zarelo/Start.wav", "share/zarelo/fire2.tga",
          "share/zarelo/smalldefault.htm", "share/icons/hicolor/256x256/apps/zarelo.png",
          "share/man/man1/zarelo-bookmaker.1.gz", "share/doc/zarelo/copyright"})
        QVERIFY2(QFileInfo(prefix + u'/' + QLatin1String(file)).isFile(), file);
    QVERIFY(QFileInfo(prefix + QStringLiteral("/share/zarelo/books/") + Publisher + u'/' + Book)
                .isDir());
    QCOMPARE(Run(QStringLiteral("desktop-file-validate"),
                 {prefix + QStringLiteral("/share/applications/org.zarelo.Zarelo.desktop")},
                 environment, &output),
             0);
    QCOMPARE(Run(QStringLiteral("appstreamcli"),
                 {QStringLiteral("validate"), QStringLiteral("--no-net"),
                  prefix + QStringLiteral("/share/metainfo/org.zarelo.Zarelo.metainfo.xml")},
                 environment, &output),
             0);
    MakeReadOnly(prefix);
    const QStringList installed = TreeState(prefix);

    // A teacher's book, made by the installed book maker into his library.
    QFile source(root.filePath("my-book.txt"));
    QVERIFY(source.open(QIODevice::WriteOnly));
    source.write(QStringLiteral("publisher %1\nbook %2\nlayout text\n\n"
                                "heading Unit 1 | Hello\nheading Lesson 1 | Hi\nvoice My1\n"
                                "page 1\nsent Hello, how are you today? | 你好，你今天好吗？\n"
                                "word apple | 苹果\n")
                     .arg(MyPublisher, MyBook)
                     .toUtf8());
    source.close();
    QCOMPARE(Run(prefix + QStringLiteral("/bin/zarelo-bookmaker"), {source.fileName()}, environment,
                 &output),
             0);
    QVERIFY2(QFileInfo(userData + QStringLiteral("/books/") + MyPublisher + u'/' + MyBook +
                       QStringLiteral("/location.dat"))
                 .isFile(),
             qPrintable(output));

    // The installed program, with the sample book left open at page 3.
    const ProgramPaths located = LocateProgram({prefix + QStringLiteral("/bin/zarelo"), {}, home});
    QVERIFY(IsInstalled(located));
    const RunFolders folders(root.path());
    RememberBook(folders.SettingsPath, Publisher, Book, 3);
    {
        SettingsKey key(folders.SettingsPath);
        key.writeString(QStringLiteral("testarea"), QStringLiteral("1"));
        key.writeString(QStringLiteral("waittime"), QStringLiteral("1"));
    }
    const QString microphone = root.filePath("microphone.raw");
    {
        std::vector<int16_t> tone(44100 * 2);
        for (size_t i = 0; i < tone.size(); ++i)
            tone[i] = int16_t(8000 * std::sin(2 * std::numbers::pi * 440 * double(i / 2) / 44100));
        QFile file(microphone);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(tone.data()), qint64(tone.size() * 2));
    }
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", folders.Played.toLocal8Bit());
    qputenv("SDL_DISKAUDIOFILEIN", microphone.toLocal8Bit());

    QString firstWord;
    {
        fakes::ScriptedMessages* messages = nullptr;
        AppSeams seams = ProgramSeams(folders, messages);
        seams.ProgramFolder = located.ProgramFolder;
        seams.ProgramFile = located.ProgramFile;
        seams.DataFolder = located.DataFolder;
        seams.UserFolder = located.UserFolder;
        seams.LibraryFolders = located.LibraryFolders;
        AppContext app(std::move(seams));
        fakes::ScriptedMessages& shown = *messages;
        TfrmMain window(app);
        app.dmMain->DataModuleCreate();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY2(shown.shown.isEmpty(), qPrintable(shown.texts().join(u'|')));
        QCOMPARE(app.Book.CurrentBook, Book);

        // One dictation item, answered wrong; its wait of a second runs out.
        QTest::mouseClick(window.sbtLessonWord, Qt::LeftButton);
        TfrmWordTest* test = window.frmWordTest;
        QTest::mouseClick(test->SbtStartTesting, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(app.TestState.TestPos, 0, 10000);
        firstWord = fromGbk(app.Book.Content.Sentences.EnglishText[test->controller().CurrentRow()])
                        .trimmed();
        QTest::keyClicks(test->EdtEnterWord, QStringLiteral("zzz"));
        QTest::keyClick(test->EdtEnterWord, Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(app.TestState.TestPos >= 1 || app.TestState.TestState == -1,
                                 15000);
        QTest::mouseClick(window.sbtHearUnit, Qt::LeftButton);

        // A recording of the oral training, stopped after half a second.
        bool recorded = false;
        fakes::AnswerNextModal([&](QWidget* modal) {
            auto* follow = qobject_cast<TfrmFollow*>(modal);
            if (!follow)
                return;
            QTest::mouseClick(follow->bRecord, Qt::LeftButton);
            recorded = QTest::qWaitFor(
                [&] { return follow->Recorder().Buffer.size() >= 44 + 44100 * 2; }, 10000);
            QTest::mouseClick(follow->bRecord, Qt::LeftButton);
            follow->close();
        });
        QTest::mouseClick(window.sbtFollow, Qt::LeftButton);
        QVERIFY(recorded);

        // "选书" offers the teacher's book beside the installed ones; it opens.
        QStringList offered;
        fakes::AnswerNextModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<TfrmSelectBook*>(modal);
            if (!dialog)
                return;
            for (size_t i = 0; i < dialog->Library().BookNames.size(); ++i)
                offered << dialog->Library().BookPublishers[i] + u'/' +
                               dialog->Library().BookNames[i];
            dialog->SetCurrentPublic(MyPublisher);
            dialog->CmbPublicChange();
            dialog->StringGrid1->setCurrentCell(0, 0);
            dialog->StartReading();
        });
        QTest::mouseClick(window.SbtSelectBook, Qt::LeftButton);
        QVERIFY2(offered.contains(MyPublisher + u'/' + MyBook), qPrintable(offered.join(u'|')));
        QVERIFY(offered.contains(Publisher + u'/' + Book));
        QCOMPARE(app.Book.CurrentBook, MyBook);
        QCOMPARE(window.Label_Title->text(), MyBook);
        QVERIFY(app.Voice.VoiceStream != 0);
        QVERIFY2(shown.shown.isEmpty(), qPrintable(shown.texts().join(u'|')));
        window.close();
    }

    // The history and the recording are in the user's data folder.
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "installed");
        db.setDatabaseName(userData + QStringLiteral("/DicData.db"));
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(query.exec(QStringLiteral("SELECT ErrorTimes FROM WordRecord WHERE English = '%1'")
                               .arg(firstWord)));
        QVERIFY2(query.next(), qPrintable(firstWord));
        QCOMPARE(query.value(0).toInt(), 1);
    }
    QSqlDatabase::removeDatabase("installed");
    QFile recording(userData + QStringLiteral("/zarelotmp.wav"));
    QVERIFY(recording.open(QIODevice::ReadOnly));
    QCOMPARE(recording.read(4), QByteArray("RIFF"));
    QVERIFY(recording.size() >= 44 + 44100 * 2);

    // The dictation's start cue came from the installed data.
    QFile start(prefix + QStringLiteral("/share/zarelo/Start.wav"));
    QVERIFY(start.open(QIODevice::ReadOnly));
    QVERIFY2(FindPiece(ReadSamples(folders.Played), RenderSound(start.readAll(), 0, -1), 0) >= 0,
             "the start cue was not heard");

    // The installed tree is as it was installed.
    QCOMPARE(TreeState(prefix), installed);
}

QTEST_MAIN(InstalledProgramKeepsUserData)
#include "InstalledProgramKeepsUserData.moc"
