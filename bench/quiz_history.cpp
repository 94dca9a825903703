// Building a whole-book word test over 3,000 words whose history holds 3,000
// rows: BM_BuildWordTest runs the real build, BuildWordTest(2) at testarea 0
// over an open book of 3,000 "word" rows, with the window and the voice
// player replaced by inert stand-ins. It asks the history once per row, so
// its baseline, BM_Baseline_PreparedLookups, is 3,000 indexed lookups of the
// same columns through one prepared statement. Goal: at most 3 x the baseline.
#include "base/uPublicVarDefine.h"
#include "book/BookContent.h"
#include "book/Gbk.h"
#include "quiz/WordTestAdapters.h"
#include "quiz/WordTestController.h"
#include "quiz/uDmMain.h"
#include "support/FakeVoice.h"
#include "support/ManualClock.h"
#include "support/ScriptedMessages.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <benchmark/benchmark.h>

using namespace zarelo;

namespace {

constexpr int kWords = 3000;

// A program folder whose history holds a row for every word of the book:
// a third passed, the others still new by one rule or another.
struct BookHistory {
    QTemporaryDir folder;
    QStringList words;
    TestSettings settings;
    fakes::ScriptedMessages messages;
    std::unique_ptr<TdmMain> dmMain;

    BookHistory()
    {
        settings.SeriRightSetting = 3;
        settings.LastRightDaysSetting = 3;
        settings.RightOverSetting = 3;
        for (int i = 0; i < kWords; ++i)
            words << QStringLiteral("word%1").arg(i);
        dmMain = std::make_unique<TdmMain>(folder.path(), settings, messages);
        dmMain->DataModuleCreate();
        if (!dmMain->IsConnected())
            qFatal("no history database");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "fill");
            db.setDatabaseName(folder.path() + "/DicData.db");
            db.open();
            db.transaction();
            QSqlQuery insert(db);
            insert.prepare(
                "INSERT INTO WordRecord (English, RightTimes, SeriRightTimes,"
                " ErrorTimes, FirstTestTime, LastTestRightTime) VALUES (?, ?, ?, ?, ?, ?)");
            const QString today = QDateTime::currentDateTime().toString("yyyy-MM-dd HH:mm:ss");
            for (int i = 0; i < kWords; ++i) {
                insert.bindValue(0, words[i]);
                insert.bindValue(1, 2 + i % 5);
                insert.bindValue(2, i % 5);
                insert.bindValue(3, i % 2);
                insert.bindValue(4, today);
                insert.bindValue(5, today);
                insert.exec();
            }
            db.commit();
            db.close();
        }
        QSqlDatabase::removeDatabase("fill");
    }
};

BookHistory& history()
{
    static BookHistory h;
    return h;
}

// One indexed lookup per word through one prepared statement on a
// connection of its own.
void BM_Baseline_PreparedLookups(benchmark::State& state)
{
    BookHistory& h = history();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "baseline");
        db.setDatabaseName(h.folder.path() + "/DicData.db");
        db.open();
        QSqlQuery lookup(db);
        lookup.prepare("SELECT RightTimes, SeriRightTimes, ErrorTimes, LastTestRightTime"
                       " FROM WordRecord WHERE English = ?");
        for (auto _ : state) {
            int found = 0;
            for (const QString& word : h.words) {
                lookup.bindValue(0, word);
                lookup.exec();
                if (lookup.next())
                    found += lookup.value(0).toInt() + lookup.value(1).toInt() +
                             lookup.value(2).toInt() + lookup.value(3).toString().size();
                lookup.finish();
            }
            benchmark::DoNotOptimize(found);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase("baseline");
    state.counters["lookups"] = kWords;
}

// The window as an inert stand-in: BuildWordTest's calls cost nothing.
class NoView final : public WordTestView {
public:
    void SetTimerActive(bool) override {}
    void SetTitle(const QString&) override {}
    void SetUnitText(const QString&) override {}
    void SetWordCount(const QString& text) override { count = text; }
    void SetChinese(const QString&) override {}
    void SetMark(const QString&) override {}
    void SetExpected(const QString&) override {}
    void SetScoreText(const QString&) override {}
    QString EnterWordText() const override { return {}; }
    void SetEnterWordText(const QString&) override {}
    void SetEnterWordEnabled(bool) override {}
    void FocusEnterWord() override {}
    void ShowEntryPanel() override {}
    void SetVoiceCheckVisible(bool) override {}
    void SetDisplayChineseVisible(bool) override {}
    bool VoiceChecked() const override { return false; }
    bool DisplayChineseChecked() const override { return false; }
    void SetItemProgress(int, int) override {}
    void SetTimeMaximum(int64_t) override {}
    void SetTimePosition(int64_t) override {}
    void SetStartEnabled(bool) override {}
    void SetStopEnabled(bool) override {}
    void SetRetestEnabled(bool) override {}
    void SetShowErrorEnabled(bool) override {}
    void HideFinishEffect() override {}
    void StartFinishEffect(int) override {}
    void CloseWindow() override {}
    QObject* MessageOwner() override { return nullptr; }

    QString count; // the last "本次测试单词共N个"
};

// The open book of the whole-book build: one "word" row per word of the
// history, over 100 pages of one lesson, all in one voice.
void FillBook(OpenBook& book, const QStringList& words)
{
    SentenceTable& t = book.Content.Sentences;
    const QByteArray chinese = toGbk(QStringLiteral("中文"));
    for (int i = 0; i < words.size(); ++i) {
        t.PageName.append("Page" + QByteArray::number(1 + i / 30));
        t.Kind.append("word");
        for (auto* column :
             {&t.Box1Left, &t.Box1Top, &t.Box1Right, &t.Box1Bottom, &t.Box2Left, &t.Box2Top,
              &t.Box2Right, &t.Box2Bottom, &t.Box3Left, &t.Box3Top, &t.Box3Right, &t.Box3Bottom})
            column->push_back(-1);
        t.VoiceName.append("voice1");
        t.StartTime.push_back(10.0 * i);
        t.EndTime.push_back(10.0 * i + 6);
        t.ChineseText.append(chinese);
        // A blank around the word, as books have them: the lookup trims it.
        t.EnglishText.append(toGbk(u' ' + words[i] + u' '));
    }
    LessonTable& l = book.Content.Lessons;
    l.Name.append("Lesson 1");
    l.Title.append("Title");
    l.Column2.append("");
    l.Column4.append("");
    l.StartTime.push_back(0);
    l.EndTime.push_back(0);
    l.FirstPage.push_back(1);
    l.EndPage.push_back(1 + (words.size() - 1) / 30);
    book.CurrentPage = 1;
    book.CurrentVoiceName = "voice1";
    book.LoadedVoiceName = "voice1";
}

void BM_BuildWordTest(benchmark::State& state)
{
    BookHistory& h = history();
    OpenBook book;
    FillBook(book, h.words);
    SharedTestState shared;
    shared.ActiveMode = -1;
    shared.TestState = -1;
    TestSettings settings = h.settings;
    settings.TestAreaSetting = 0;
    settings.WordNumberSetting = QStringLiteral("全部");
    fakes::ScriptedMessages messages;
    fakes::ManualClock clock;
    NoView view;
    fakes::FakeVoice player(book);
    DmMainHistory wordHistory(h.dmMain.get());
    WordTestContext context{book, shared, settings, messages, clock, h.folder.path(), [] {}};
    WordTestController test(context, view, player, wordHistory);
    for (auto _ : state) {
        test.BuildWordTest(2);
        benchmark::DoNotOptimize(shared.TestOrder.data());
    }
    if (shared.ActiveMode != 2)
        state.SkipWithError("no word offered");
    state.counters["lookups"] = kWords;
    state.counters["offered"] = double(shared.TestCandidates.size());
}

} // namespace

BENCHMARK(BM_Baseline_PreparedLookups)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildWordTest)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
