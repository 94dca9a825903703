#include "quiz/gui/LearningRecordWindow.h"

#include "base/UserMessages.h"
#include "base/gui/Controls.h"
#include "quiz/gui/LearningCharts.h"
#include "quiz/gui/LearningReport.h"

#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QStandardPaths>
#include <QToolTip>
#include <QVBoxLayout>

namespace zarelo {

namespace {

// A white part that paints its picture inside a margin and, when given
// `tip`, shows the text `tip` gives for the point under the mouse.
class PicturePart final : public QWidget {
public:
    using Paint = std::function<void(QPainter&, const QRect&)>;
    using Tip = std::function<QString(QPoint, const QRect&)>;

    PicturePart(const char* name, Paint paint, Tip tip = {})
        : paint_(std::move(paint)), tip_(std::move(tip))
    {
        setObjectName(QLatin1String(name));
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        paint_(painter, LearningRecordWindow::PictureArea(this));
    }
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::ToolTip && tip_) {
            auto* help = static_cast<QHelpEvent*>(event);
            const QString text = tip_(help->pos(), LearningRecordWindow::PictureArea(this));
            if (text.isEmpty())
                QToolTip::hideText();
            else
                QToolTip::showText(help->globalPos(), text, this);
            return true;
        }
        return QWidget::event(event);
    }

private:
    Paint paint_;
    Tip tip_;
};

QGroupBox* Group(const QString& caption, QWidget* content)
{
    auto* group = new QGroupBox(caption);
    auto* layout = new QVBoxLayout(group);
    layout->setContentsMargins(6, 12, 6, 6);
    layout->addWidget(content);
    return group;
}

QScrollArea* Scrolling(const char* name, QWidget* content)
{
    auto* area = named(new QScrollArea, name);
    area->setWidget(content);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    return area;
}

// `name` with the characters no file name may hold replaced.
QString FileNameSafe(QString name)
{
    for (QChar& c : name)
        if (QStringLiteral("\\/:*?\"<>|").contains(c) || c.unicode() < 0x20)
            c = QLatin1Char('_');
    return name.trimmed();
}

} // namespace

QString AskSaveFileNameWithDialog(QWidget* parent, const QString& caption, const QString& filter,
                                  const QString& suggestedName)
{
    QString start = suggestedName;
    if (QFileInfo(suggestedName).isRelative())
        start = QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                    .filePath(suggestedName);
    return QFileDialog::getSaveFileName(parent, caption, start, filter);
}

QRect LearningRecordWindow::PictureArea(const QWidget* part)
{
    return part->rect().adjusted(kPartMargin, kPartMargin, -kPartMargin, -kPartMargin);
}

LearningRecordWindow::LearningRecordWindow(const LearningSummary& summary,
                                           LearningRecordActions actions, UserMessages& messages,
                                           QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      summary_(summary), actions_(std::move(actions)), messages_(messages)
{
    setObjectName(QStringLiteral("frmLearningRecord"));
    setWindowTitle(QStringLiteral("学习记录"));
    setModal(true);
    setFont(PixelFont(12));
    resize(1040, 680);

    const QString covered =
        summary_.FirstRecord.isValid()
            ? QStringLiteral("%1 至 %2")
                  .arg(summary_.FirstRecord.toString(QStringLiteral("yyyy-MM-dd")),
                       summary_.Today.toString(QStringLiteral("yyyy-MM-dd")))
            : QStringLiteral("还没有学习记录");
    auto* heading = named(new QLabel(QStringLiteral("%1 %2    %3")
                                         .arg(summary_.Publisher, summary_.Book, covered)
                                         .trimmed()),
                          "LblBook");
    heading->setFont(PixelFont(14, true));

    PracticeCalendar = new PicturePart(
        "PracticeCalendar",
        [this](QPainter& p, const QRect& r) { PaintPracticeCalendar(p, r, summary_); },
        [this](QPoint at, const QRect& r) {
            if (summary_.IsEmpty())
                return QString();
            const int day = CalendarLayout(summary_, r).DayAt(at);
            return day < 0 ? QString() : PracticeDayText(summary_.Days[size_t(day)]);
        });
    PracticeCalendar->setMinimumSize(440 + 2 * kPartMargin,
                                     PracticeCalendarHeight(440) + 2 * kPartMargin);

    LessonProgress = new PicturePart("LessonProgress", [this](QPainter& p, const QRect& r) {
        LessonProgressTable(summary_).Paint(p, r);
    });
    const int lessonLines = LessonProgressTable(summary_).Lines();
    LessonProgress->setMinimumSize(
        LessonProgressTable::MinimumWidth() + 2 * kPartMargin,
        lessonLines > 0 ? LessonProgressTable::Height(lessonLines) + 2 * kPartMargin : 120);
    LessonProgressArea = Scrolling("LessonProgressArea", LessonProgress);

    ScoreCurve = new PicturePart(
        "ScoreCurve", [this](QPainter& p, const QRect& r) { PaintScoreCurve(p, r, summary_); });
    ScoreCurve->setMinimumSize(320, 180);

    HardWords = new PicturePart(
        "HardWords", [this](QPainter& p, const QRect& r) { PaintHardWords(p, r, summary_); });
    HardWords->setMinimumSize(300, HardWordsHeight(summary_) + 2 * kPartMargin);
    BtnWrongWordDictation =
        named(new QPushButton(QStringLiteral("错词听写")), "BtnWrongWordDictation");
    BtnWrongWordDictation->setEnabled(!summary_.HardWords.empty());
    BtnWrongWordDictation->setToolTip(QStringLiteral("听写上面这些单词"));
    auto* hardWords = new QWidget;
    auto* hardLayout = new QVBoxLayout(hardWords);
    hardLayout->setContentsMargins(0, 0, 0, 0);
    hardLayout->addWidget(Scrolling("HardWordsArea", HardWords), 1);
    hardLayout->addWidget(BtnWrongWordDictation, 0, Qt::AlignRight);

    BtnExportTable = named(new QPushButton(QStringLiteral("导出表格")), "BtnExportTable");
    BtnPrintReport = named(new QPushButton(QStringLiteral("打印报告")), "BtnPrintReport");
    BtnClose = named(new QPushButton(QStringLiteral("关闭")), "BtnClose");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BtnExportTable);
    buttons->addWidget(BtnPrintReport);
    buttons->addStretch(1);
    buttons->addWidget(BtnClose);
    BtnExportTable->setEnabled(bool(actions_.ExportTable));
    for (QPushButton* b : {BtnWrongWordDictation, BtnExportTable, BtnPrintReport, BtnClose}) {
        b->setAutoDefault(false);
        b->setMinimumWidth(88);
    }

    auto* grid = new QGridLayout(this);
    grid->addWidget(heading, 0, 0, 1, 2);
    grid->addWidget(Group(QStringLiteral("练习日历"), PracticeCalendar), 1, 0);
    grid->addWidget(Group(QStringLiteral("成绩曲线"), ScoreCurve), 1, 1);
    grid->addWidget(Group(QStringLiteral("课本进度"), LessonProgressArea), 2, 0);
    grid->addWidget(Group(QStringLiteral("易错单词"), hardWords), 2, 1);
    grid->addLayout(buttons, 3, 0, 1, 2);
    grid->setColumnStretch(0, 5);
    grid->setColumnStretch(1, 3);
    grid->setRowStretch(2, 1);

    connect(BtnWrongWordDictation, &QPushButton::clicked, this,
            &LearningRecordWindow::WrongWordDictationClick);
    connect(BtnExportTable, &QPushButton::clicked, this, &LearningRecordWindow::ExportTableClick);
    connect(BtnPrintReport, &QPushButton::clicked, this, &LearningRecordWindow::PrintReportClick);
    connect(BtnClose, &QPushButton::clicked, this, &QDialog::reject);
}

QString LearningRecordWindow::SuggestedFileName(const QString& suffix) const
{
    QStringList parts{QStringLiteral("学习记录")};
    if (const QString book = FileNameSafe(summary_.Book); !book.isEmpty())
        parts << book;
    parts << summary_.Today.toString(QStringLiteral("yyyy-MM-dd"));
    return parts.join(QLatin1Char('-')) + QLatin1Char('.') + suffix;
}

QString LearningRecordWindow::askFileName(const QString& caption, const QString& filter,
                                          const QString& suffix)
{
    QString path = actions_.AskSaveFileName(this, caption, filter, SuggestedFileName(suffix));
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += QLatin1Char('.') + suffix;
    return path;
}

void LearningRecordWindow::WrongWordDictationClick()
{
    if (!summary_.HardWords.empty())
        done(StartWrongWordDictation);
}

void LearningRecordWindow::ExportTableClick()
{
    const QString path = askFileName(QStringLiteral("导出表格"), QStringLiteral("表格 (*.csv)"),
                                     QStringLiteral("csv"));
    if (path.isEmpty())
        return;
    const QString error = actions_.ExportTable(path);
    if (!error.isEmpty())
        messages_.showMessage(error, QStringLiteral("提示"), this);
}

void LearningRecordWindow::PrintReportClick()
{
    const QString path = askFileName(QStringLiteral("打印报告"), QStringLiteral("PDF 文件 (*.pdf)"),
                                     QStringLiteral("pdf"));
    if (path.isEmpty())
        return;
    const QString error = WriteLearningReport(summary_, path);
    if (!error.isEmpty())
        messages_.showMessage(error, QStringLiteral("提示"), this);
}

} // namespace zarelo
