// The read-aloud view on the offscreen platform.
//  - Page turn: showing a packed 1600 x 2263 JPEG page in whole-page mode
//    (ShowPage: unpack, decode, lay out; then painting the visible page,
//    stretched, into the window's backing store) against the baseline of
//    unpack + decode alone (LoadPicFromZipFile) of the same file.
//    Goal: at most 1.3 x the baseline. Standard size is measured as well.
//  - Hovering: the hit test over a page of a 20,000-entry book, at a point
//    beside every box (the whole table is scanned), and a whole mouse move
//    over an entry (hit test and highlight). Goal: under 1% of the baseline.
#include "audio/AudioEngine.h"
#include "audio/VoicePlayer.h"
#include "book/PackedFile.h"
#include "reading/PageGeometry.h"
#include "reading/gui/PageImageWidget.h"
#include "reading/gui/uOrvane.h"
#include "support/ManualClock.h"
#include "support/PageJpeg.h"
#include "support/ScriptedMessages.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <memory>

using namespace zarelo;

namespace {

constexpr int kWidth = 1600;
constexpr int kHeight = 2263;
constexpr int kEntries = 20000;
constexpr int kPerPage = 20;

// Two packed pages (turning alternates between them) and a 20,000-entry
// table, 20 entries a page, in a view of 1280 x 800.
struct Rig {
    QTemporaryDir dir;
    ProgramPaths paths;
    OpenBook book;
    fakes::ScriptedMessages messages;
    fakes::ManualClock clock{1000, 1};
    AudioEngine engine{nullptr};
    std::unique_ptr<VoicePlayer> player;
    SharedTestState test;
    std::unique_ptr<TfrmOrvane> view;

    Rig()
    {
        paths.ProgramFolder = dir.path();
        QDir(dir.path()).mkpath("Pub/Book");
        for (int p = 1; p <= 2; ++p) {
            QFile file(dir.filePath(QString("Pub/Book/Page%1.zip").arg(p)));
            file.open(QIODevice::WriteOnly);
            file.write(PackBytes(fakes::PageLikeJpeg(kWidth, kHeight, p)));
        }
        book.CurrentPublisher = "Pub";
        book.CurrentBook = "Book";
        SentenceTable& t = book.Content.Sentences;
        for (int i = 0; i < kEntries; ++i) {
            t.PageName.append(PageNameOf(i / kPerPage + 1));
            t.Kind.append("sent");
            const int y = 40 + (i % kPerPage) * 50;
            t.Box1Left.push_back(60), t.Box1Top.push_back(y), t.Box1Right.push_back(700),
                t.Box1Bottom.push_back(y + 30);
            const bool two = i % 5 == 1;
            t.Box2Left.push_back(two ? 60 : -1), t.Box2Top.push_back(two ? y + 32 : -1),
                t.Box2Right.push_back(two ? 300 : -1), t.Box2Bottom.push_back(two ? y + 46 : -1);
            for (auto* c : {&t.Box3Left, &t.Box3Top, &t.Box3Right, &t.Box3Bottom})
                c->push_back(-1);
            t.VoiceName.append("v1");
            t.StartTime.push_back(i), t.EndTime.push_back(i + 1);
            t.ChineseText.append("\xc4\xe3\xba\xc3");
            t.EnglishText.append("Hello.");
        }
        player = std::make_unique<VoicePlayer>(engine, book, paths, messages);
        book.CurrentPage = 1;
        OrvaneContext context{paths, book, *player, test, messages, clock, {}, {}};
        view = std::make_unique<TfrmOrvane>(context);
        view->resize(1280, 800);
        view->show();
        QApplication::processEvents();
    }

    void turn()
    {
        book.CurrentPage = book.CurrentPage == 1 ? 2 : 1;
        view->ShowPage();
        view->Image1->repaint(); // paints the visible page into the backing store now
    }
};

// Made at the first use and freed by main() while the application still
// exists: its windows must go before QApplication does.
std::unique_ptr<Rig> sharedRig;

Rig& rig()
{
    if (!sharedRig)
        sharedRig = std::make_unique<Rig>();
    return *sharedRig;
}

void BM_Baseline_UnpackAndDecode(benchmark::State& state)
{
    const QString path = rig().dir.filePath("Pub/Book/Page1.zip");
    for (auto _ : state) {
        const DecodedImage image = LoadPicFromZipFile(path);
        benchmark::DoNotOptimize(image.Pixels.constData());
    }
}

void BM_PageTurn_WholePage(benchmark::State& state)
{
    Rig& r = rig();
    if (r.view->PageScale() == 1.0)
        r.view->SbtFillClick();
    for (auto _ : state)
        r.turn();
    state.counters["page_w"] = r.view->Image1->width();
    state.counters["page_h"] = r.view->Image1->height();
}

void BM_PageTurn_StandardSize(benchmark::State& state)
{
    Rig& r = rig();
    if (r.view->PageScale() != 1.0)
        r.view->SbtOrignClick();
    for (auto _ : state)
        r.turn();
}

void BM_Hover_HitTestMiss(benchmark::State& state)
{
    Rig& r = rig();
    r.book.CurrentPage = kEntries / kPerPage / 2;
    const QByteArray name = PageNameOf(r.book.CurrentPage);
    for (auto _ : state)
        benchmark::DoNotOptimize(HitTest(r.book.Content.Sentences, name, 0.8, 750.5, 33.5));
}

void BM_Hover_MouseMoveOverEntry(benchmark::State& state)
{
    Rig& r = rig();
    r.book.CurrentPage = kEntries / kPerPage; // the last page: the scan passes every row
    const QPointF at(r.view->PageScale() * 300, r.view->PageScale() * (40 + 19 * 50 + 15));
    QMouseEvent move(QEvent::MouseMove, at, r.view->Image1->mapToGlobal(at), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    for (auto _ : state)
        QApplication::sendEvent(r.view->Image1, &move);
}

} // namespace

BENCHMARK(BM_Baseline_UnpackAndDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PageTurn_WholePage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PageTurn_StandardSize)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Hover_HitTestMiss)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Hover_MouseMoveOverEntry)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    sharedRig.reset();
    return 0;
}
