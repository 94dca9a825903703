// A book imported from real material opens in the program and plays what
// it should: the sample book of numbers is taken as a publisher would have
// it, its pages scanned (degraded as a scanner returns them) and its voice as
// one recording, and imported by the book maker. The program then opens it
// with SDL's disk driver as the sound device; a click on a sentence's box
// plays exactly the range the maker found, and that range holds the sentence
// and no neighbour (it lies within 60 ms of where the sentence really is).

#include "ProgramRun.h"
#include "ScannedPage.h"
#include "audio/SdlAudioDevice.h"
#include "base/SettingsKey.h"
#include "book/BookLoader.h"
#include "book/Gbk.h"
#include "book/PackedFile.h"
#include "book/PageImage.h"
#include "bookmaker/BookCheck.h"
#include "bookmaker/BookSource.h"
#include "bookmaker/BookWriter.h"
#include "reading/gui/PageImageWidget.h"
#include "reading/gui/uOrvane.h"
#include "shell/gui/AppContext.h"
#include "shell/gui/uFrmMain.h"
#include "support/ScriptedMessages.h"

#include <QTemporaryDir>
#include <QTest>

using namespace zarelo;
using namespace zarelo::e2e;

namespace {

constexpr int Page = 1;

// The sentence table of a book folder, read with the program's parser.
SentenceTable Entries(const QString& folder)
{
    const QByteArray text = UnpackFile(folder + "/location.dat");
    TextColumn lines;
    SplitLines(QByteArrayView(text).sliced(text.indexOf('\n') + 1), lines);
    SentenceTable table;
    ParseLocationLines(lines, table, QStringLiteral("location.txt"), 2);
    return table;
}

} // namespace

class ImportedBookPlaysEntry : public QObject {
    Q_OBJECT
private slots:
    void clickOnAnImportedEntryPlaysExactlyIt();
};

void ImportedBookPlaysEntry::clickOnAnImportedEntryPlaysExactlyIt()
{
    QTemporaryDir root;
    const QString samples = qEnvironmentVariable("ZARELO_PROGRAM_DIR");
    const RunFolders folders(root.path());

    // The publisher's material: scans of the made pages, the made voice as
    // one recording.
    bookmaker::BookSource source = bookmaker::LoadBookSource(
        qEnvironmentVariable("ZARELO_SOURCE_DIR") + "/data/books/numbers-starter.txt");
    const QString made = samples + u'/' + source.Publisher + u'/' + source.Name;
    for (bookmaker::SourcePage& page : source.Pages) {
        page.Picture = root.path() + QStringLiteral("/scan%1.jpg").arg(page.Number);
        makertest::ScanMadePage(made + QStringLiteral("/Page%1.zip").arg(page.Number),
                                page.Picture);
    }
    for (const bookmaker::SourceEntry& e : source.Entries) {
        const QString track = root.path() + u'/' + e.Voice + QStringLiteral("-track.wav");
        if (source.Recordings.count(e.Voice))
            continue;
        QFile file(track);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(UnpackFile(made + u'/' + e.Voice + QStringLiteral(".wav")));
        source.Recordings[e.Voice] = {track, e.Line};
    }
    const QString folder =
        bookmaker::WriteBook(source, folders.ProgramFolder, bookmaker::SpeechOptions{}).Folder;
    const std::vector<bookmaker::Finding> findings = bookmaker::CheckBookFolder(folder);
    QVERIFY2(bookmaker::ProblemCount(findings) == 0,
             qPrintable(findings.empty() ? QString() : findings.front().Text));

    RememberBook(folders.SettingsPath, source.Publisher, source.Name, Page);
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", folders.Played.toLocal8Bit());

    ClickedEntry clicked;
    {
        fakes::ScriptedMessages* messages = nullptr;
        AppContext app(ProgramSeams(folders, messages));
        const fakes::ScriptedMessages& shown = *messages;
        TfrmMain window(app);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY2(shown.shown.isEmpty(), qPrintable(shown.texts().join(u'|')));
        TfrmOrvane* view = window.frmOrvane;
        QVERIFY(view);
        QCOMPARE(app.Book.CurrentPage, Page);

        ClickFirstSentence(*view, app, Page, clicked);
        if (QTest::currentTestFailed())
            return;
        window.close();
    } // the engine closes the device: the output file is complete

    // The range found is the sentence's: within 60 ms of the true one.
    const SentenceTable truth = Entries(made);
    const int row = clicked.Row;
    QVERIFY2(std::abs(truth.StartTime[row] - clicked.Start) <= 0.6 &&
                 std::abs(truth.EndTime[row] - clicked.End) <= 0.6,
             qPrintable(QStringLiteral("found %1..%2, the sentence is at %3..%4 (tenths)")
                            .arg(clicked.Start)
                            .arg(clicked.End)
                            .arg(truth.StartTime[row])
                            .arg(truth.EndTime[row])));

    // What was played is that range of the recording, sample for sample.
    const std::vector<int16_t> expected =
        RenderSound(UnpackFile(folder + u'/' + fromGbk(clicked.Voice) + ".wav"), clicked.Start,
                    clicked.End - clicked.Start);
    VerifyPlayedExactly(ReadSamples(folders.Played), expected);
}

QTEST_MAIN(ImportedBookPlaysEntry)
#include "ImportedBookPlaysEntry.moc"
