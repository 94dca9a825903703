// The program's own start-up in this process, over a copy of the real sample
// library (one sentence of the remembered page's lesson printed twice) and
// the program-folder assets, with SDL's disk driver as the sound device: a
// sentence listening test of that lesson. Whichever of the two equal
// sentences plays, a click on either of their labels is right and turns the
// clicked label alone lime; the pupil clicks the second label at the first
// playing and the first at the second, and nothing else. The score counts
// the two, and the recorded output holds "Start.wav", then each sentence's
// voice range in the play order, then "Succ.wav".

#include "ProgramRun.h"
#include "base/SettingsKey.h"
#include "book/Gbk.h"
#include "book/PackedFile.h"
#include "quiz/gui/uFrmSentTest.h"
#include "shell/gui/AppContext.h"
#include "shell/gui/uFrmMain.h"
#include "support/ScriptedMessages.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace zarelo;
using namespace zarelo::e2e;

namespace {

const QString Publisher = QStringLiteral("晨光教育出版社");
const QString Book = QStringLiteral("小学英语三年级上册");
const QString Twice = QStringLiteral("What's in your school bag?");

// The book's table with the entry of `english` printed twice in a row.
void PrintTwice(const QString& bookFolder, const QString& english)
{
    const QString path = bookFolder + QStringLiteral("/location.dat");
    QByteArray twice;
    int copies = 0;
    for (const QByteArray& line : UnpackFile(path).split('\n')) {
        if (line.isEmpty())
            continue;
        twice += line + '\n';
        if (line.contains(toGbk(english))) {
            twice += line + '\n';
            ++copies;
        }
    }
    QCOMPARE(copies, 1);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(PackBytes(twice));
}

} // namespace

class SentenceTestHeardInPlayOrder : public QObject {
    Q_OBJECT
private slots:
    void sentencesPlayInPlayOrderAndEitherEqualLabelCounts();
};

void SentenceTestHeardInPlayOrder::sentencesPlayInPlayOrderAndEitherEqualLabelCounts()
{
    QTemporaryDir root;
    const RunFolders folders(root.path());
    const QString& programFolder = folders.ProgramFolder;
    const QString& settingsPath = folders.SettingsPath;
    const QString& played = folders.Played;
    CopyProgramParts(folders, Publisher, {"Start.wav", "Succ.wav", "fire2.tga"});
    PrintTwice(programFolder + u'/' + Publisher + u'/' + Book, Twice);
    {
        SettingsKey key(settingsPath);
        key.writeString(QStringLiteral("bookname"), Book);
        key.writeString(QStringLiteral("publicname"), Publisher);
        key.writeString(QStringLiteral("LastPage"), QStringLiteral("3"));
        key.writeString(QStringLiteral("LastVoiceName"), QString());
        key.writeString(QStringLiteral("testarea"), QStringLiteral("1"));
        key.writeString(QStringLiteral("wordnumber"), QStringLiteral("全部"));
        key.writeString(QStringLiteral("waittime"), QStringLiteral("1"));
    }
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", played.toLocal8Bit());

    std::vector<int> heardRows;
    QByteArrayList voices;
    std::vector<std::pair<double, double>> ranges;
    {
        fakes::ScriptedMessages* messages = nullptr;
        AppContext app(ProgramSeams(folders, messages));
        fakes::ScriptedMessages& shown = *messages;
        TfrmMain window(app);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY2(shown.shown.isEmpty(), qPrintable(shown.texts().join(u'|')));

        QTest::mouseClick(window.sbtSelectSet, Qt::LeftButton);
        TfrmSentTest* test = window.frmSentTest;
        QVERIFY(test && test->isVisible());
        QCOMPARE(app.TestState.ActiveMode, 1);
        const int n = test->controller().ItemCount();
        QVERIFY2(n >= 2, "the lesson of page 3 holds sentences");
        const std::vector<int> playRows = test->controller().PlayRows();
        const SentenceTable& t = app.Book.Content.Sentences;

        // The two labels of the sentence printed twice, in display order.
        std::vector<QLabel*> equal;
        for (QLabel* label : test->SentenceLabels())
            if (label->text() == Twice)
                equal.push_back(label);
        QCOMPARE(int(equal.size()), 2);
        const auto isLime = [](const QLabel* label) {
            return label->palette().color(QPalette::WindowText) == QColor(0, 255, 0);
        };

        QTest::mouseClick(test->SbtStartTesting, Qt::LeftButton);
        int heardTwice = 0;
        for (int item = 0; item < n; ++item) {
            QTRY_COMPARE_WITH_TIMEOUT(app.TestState.TestPos, item, 20000);
            const int row = test->controller().CurrentRow();
            heardRows.push_back(row);
            voices << t.VoiceName[row].toByteArray();
            ranges.push_back({t.StartTime[row], t.EndTime[row]});
            if (fromGbk(t.EnglishText[row]) != Twice)
                continue;
            // First playing: the second label; second playing: the first.
            QLabel* label = equal[heardTwice == 0 ? 1 : 0];
            QTest::mouseClick(label, Qt::LeftButton);
            QVERIFY(isLime(label));
            QCOMPARE(isLime(equal[heardTwice == 0 ? 0 : 1]), heardTwice == 1);
            ++heardTwice;
        }
        QTRY_COMPARE_WITH_TIMEOUT(app.TestState.TestState, -1, 20000);
        QCOMPARE(heardTwice, 2);
        QCOMPARE(heardRows, playRows);
        for (QLabel* label : test->SentenceLabels())
            QCOMPARE(isLime(label), label->text() == Twice);
        QCOMPARE(n, 15);
        QCOMPARE(test->LblCore->text(), QStringLiteral("得分：13 分")); // 2 of 15
        QVERIFY2(shown.shown.isEmpty(), qPrintable(shown.texts().join(u'|')));
        QFile succ(programFolder + QStringLiteral("/Succ.wav"));
        QVERIFY(succ.open(QIODevice::ReadOnly));
        const std::vector<int16_t> succPiece = RenderSound(succ.readAll(), 0, -1);
        QTRY_VERIFY_WITH_TIMEOUT(FindPiece(ReadSamples(played), succPiece, 0) >= 0, 10000);
        window.close();
    }

    // Heard in order: the start cue, each sentence's voice range, the end cue.
    const std::vector<int16_t> recording = ReadSamples(played);
    QVERIFY(!recording.empty());
    const QString bookFolder = programFolder + u'/' + Publisher + u'/' + Book + u'/';
    std::vector<std::pair<QString, std::vector<int16_t>>> pieces;
    QFile start(programFolder + QStringLiteral("/Start.wav"));
    QVERIFY(start.open(QIODevice::ReadOnly));
    pieces.push_back({QStringLiteral("Start.wav"), RenderSound(start.readAll(), 0, -1)});
    for (size_t i = 0; i < heardRows.size(); ++i) {
        const QByteArray voice = UnpackFile(bookFolder + fromGbk(voices[int(i)]) + ".wav");
        const double from = ranges[i].first;
        pieces.push_back({QStringLiteral("row %1").arg(heardRows[i]),
                          RenderSound(voice, from, ranges[i].second - from)});
    }
    QFile succ(programFolder + QStringLiteral("/Succ.wav"));
    QVERIFY(succ.open(QIODevice::ReadOnly));
    pieces.push_back({QStringLiteral("Succ.wav"), RenderSound(succ.readAll(), 0, -1)});
    long at = 0;
    for (const auto& [name, piece] : pieces) {
        const long found = FindPiece(recording, piece, at);
        QVERIFY2(found >= 0,
                 qPrintable(QStringLiteral("%1 is not heard after frame %2").arg(name).arg(at)));
        at = found + 1;
    }
}

QTEST_MAIN(SentenceTestHeardInPlayOrder)
#include "SentenceTestHeardInPlayOrder.moc"
