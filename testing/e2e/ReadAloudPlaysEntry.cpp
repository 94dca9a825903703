// The program's own start-up in this process, over a copy of the real sample
// library, with SDL's disk driver as the sound device: the remembered page
// comes back, a click on an entry's box makes the output file hold exactly
// that entry's audio, and closing saves the page and the voice.
//
// The expected audio is rendered by a second engine over the manual device
// from the same voice bytes (same decoder, same resampler), so the check is
// sample for sample, whatever rate the voice has.

#include "ProgramRun.h"
#include "base/SettingsKey.h"
#include "book/Gbk.h"
#include "book/PackedFile.h"
#include "reading/gui/PageImageWidget.h"
#include "reading/gui/uOrvane.h"
#include "shell/gui/AppContext.h"
#include "shell/gui/uFrmMain.h"
#include "support/ScriptedMessages.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

using namespace zarelo;
using namespace zarelo::e2e;

namespace {

const QString Publisher = QStringLiteral("晨光教育出版社");
const QString Book = QStringLiteral("小学英语三年级上册");
constexpr int RememberedPage = 3;

} // namespace

class ReadAloudPlaysEntry : public QObject {
    Q_OBJECT
private slots:
    void clickPlaysTheEntryAndClosingSavesThePage();
};

void ReadAloudPlaysEntry::clickPlaysTheEntryAndClosingSavesThePage()
{
    QTemporaryDir root;
    const RunFolders folders(root.path());
    const QString& programFolder = folders.ProgramFolder;
    const QString& settingsPath = folders.SettingsPath;
    const QString& played = folders.Played;
    CopyProgramParts(folders, Publisher);
    RememberBook(settingsPath, Publisher, Book, RememberedPage);
    // Real-time pacing stays on: the read-aloud timer then sees the end of
    // the range within one tick of audio, as with a sound card.
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", played.toLocal8Bit());

    ClickedEntry clicked;
    {
        fakes::ScriptedMessages* messages = nullptr;
        AppContext app(ProgramSeams(folders, messages));
        fakes::ScriptedMessages& shown = *messages;
        TfrmMain window(app);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY2(shown.shown.isEmpty(), qPrintable(shown.texts().join(u'|')));

        TfrmOrvane* view = window.frmOrvane;
        QVERIFY(view);
        QCOMPARE(view->Edit1->text(), QString::number(RememberedPage));
        QCOMPARE(app.Book.CurrentPage, RememberedPage);

        // The first sentence of the remembered page.
        ClickFirstSentence(*view, app, RememberedPage, clicked);
        if (QTest::currentTestFailed())
            return;

        window.close();
        SettingsKey key(settingsPath);
        QCOMPARE(key.readString(QStringLiteral("LastPage")), QString::number(RememberedPage));
        QCOMPARE(key.readString(QStringLiteral("LastVoiceName")), fromGbk(clicked.Voice));
    } // the engine closes the device: the output file is complete

    const QString voicePath =
        programFolder + u'/' + Publisher + u'/' + Book + u'/' + fromGbk(clicked.Voice) + ".wav";
    const std::vector<int16_t> expected =
        RenderSound(UnpackFile(voicePath), clicked.Start, clicked.End - clicked.Start);
    // Silence until the click, then the entry from its first sample.
    VerifyPlayedExactly(ReadSamples(played), expected);
}

QTEST_MAIN(ReadAloudPlaysEntry)
#include "ReadAloudPlaysEntry.moc"
