// The program's own start-up in this process, over a copy of the real sample
// library and program-folder assets, with SDL's disk driver as the sound
// device: a sentence listening test of the remembered page's lesson, in which
// the pupil clicks the first sentence heard and no other. Its label turns
// lime, the score counts it alone, and the recorded output holds "Start.wav",
// then each sentence's voice range in the play order, then "Succ.wav".

#include "ProgramRun.h"
#include "book/Gbk.h"
#include "book/PackedFile.h"
#include "book/SettingsKey.h"
#include "shell/gui/AppContext.h"
#include "shell/gui/uFrmMain.h"
#include "support/ScriptedMessages.h"
#include "tests/FinishEffect.h"
#include "tests/gui/uFrmSentTest.h"

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

} // namespace

class SentenceTestHeardInPlayOrder : public QObject {
    Q_OBJECT
private slots:
    void sentencesPlayInPlayOrderAndARightClickCounts();
};

void SentenceTestHeardInPlayOrder::sentencesPlayInPlayOrderAndARightClickCounts()
{
    QTemporaryDir root;
    const RunFolders folders(root.path());
    const QString& programFolder = folders.ProgramFolder;
    const QString& settingsPath = folders.SettingsPath;
    const QString& played = folders.Played;
    CopyProgramParts(folders, Publisher, {"Start.wav", "Succ.wav", "fire2.tga"});
    {
        SettingsKey key(settingsPath);
        key.writeString(QStringLiteral("bookname"), Book);
        key.writeString(QStringLiteral("publicname"), Publisher);
        key.writeString(QStringLiteral("LastPage"), QStringLiteral("3"));
        key.writeString(QStringLiteral("LastVoiceName"), QString());
        key.writeString(QStringLiteral("testarea"), QStringLiteral("1"));
        key.writeString(QStringLiteral("wordnumber"), QStringLiteral("十个"));
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

        QTest::mouseClick(test->SbtStartTesting, Qt::LeftButton);
        int clicked = -1;
        for (int item = 0; item < n; ++item) {
            QTRY_COMPARE_WITH_TIMEOUT(app.TestState.TestPos, item, 20000);
            const int row = test->controller().CurrentRow();
            heardRows.push_back(row);
            voices << t.VoiceName[row].toByteArray();
            ranges.push_back({t.StartTime[row], t.EndTime[row]});
            if (item == 0) {
                const QString text = fromGbk(t.EnglishText[row]);
                for (size_t i = 0; i < test->SentenceLabels().size() && clicked < 0; ++i)
                    if (test->SentenceLabels()[i]->text() == text)
                        clicked = int(i);
                QVERIFY(clicked >= 0);
                QTest::mouseClick(test->SentenceLabels()[size_t(clicked)], Qt::LeftButton);
            }
        }
        QTRY_COMPARE_WITH_TIMEOUT(app.TestState.TestState, -1, 20000);
        QCOMPARE(heardRows, playRows);
        int lime = 0;
        for (size_t i = 0; i < test->SentenceLabels().size(); ++i) {
            const bool isLime = test->SentenceLabels()[i]->palette().color(QPalette::WindowText) ==
                                QColor(0, 255, 0);
            QCOMPARE(isLime,
                     int(i) == clicked || test->SentenceLabels()[i]->text() ==
                                              test->SentenceLabels()[size_t(clicked)]->text());
            lime += isLime ? 1 : 0;
        }
        QCOMPARE(test->LblCore->text(), ScoreText(ScorePercent(lime, n)));
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
