#pragma once
// The learning record window "学习记录": over a LearningSummary of the open
// book it shows the practice calendar, the lesson progress, the score curve
// and the hard words, each drawn by LearningCharts. It exports the tests and
// answers as a table, prints the report and can end with the request to
// dictate the hard words. Modal; made for one showing. UI thread only.

#include "quiz/LearningSummary.h"

#include <QDialog>
#include <functional>

class QPushButton;
class QScrollArea;

namespace zarelo {

class UserMessages;

// QFileDialog::getSaveFileName, starting in the documents folder with
// `suggestedName` when that is a bare file name. Empty when cancelled.
QString AskSaveFileNameWithDialog(QWidget* parent, const QString& caption, const QString& filter,
                                  const QString& suggestedName);

struct LearningRecordActions {
    // Writes the tests and answers as CSV to `path`; the error text, or
    // empty when written. Without it "导出表格" is disabled.
    std::function<QString(const QString& path)> ExportTable;
    // The file to save to, asked of the pupil; empty when cancelled.
    std::function<QString(QWidget* parent, const QString& caption, const QString& filter,
                          const QString& suggestedName)>
        AskSaveFileName = AskSaveFileNameWithDialog;
};

class LearningRecordWindow final : public QDialog {
    Q_OBJECT
public:
    // The result of exec() when the pupil chose "错词听写"; otherwise
    // QDialog::Rejected.
    enum Result { StartWrongWordDictation = QDialog::Accepted + 1 };

    // `messages` shows the export's and the report's errors ("提示").
    LearningRecordWindow(const LearningSummary& summary, LearningRecordActions actions,
                         UserMessages& messages, QWidget* parent = nullptr);

    // The parts, by their object names.
    QWidget* PracticeCalendar = nullptr;
    QScrollArea* LessonProgressArea = nullptr;
    QWidget* LessonProgress = nullptr; // inside LessonProgressArea, as tall as its lines
    QWidget* ScoreCurve = nullptr;
    QWidget* HardWords = nullptr;
    QPushButton* BtnWrongWordDictation = nullptr; // "错词听写"
    QPushButton* BtnExportTable = nullptr;        // "导出表格"
    QPushButton* BtnPrintReport = nullptr;        // "打印报告"
    QPushButton* BtnClose = nullptr;              // "关闭"

    // Each part paints its picture inside its own rectangle less this margin.
    static constexpr int kPartMargin = 6;
    static QRect PictureArea(const QWidget* part);

    // What the window shows.
    const LearningSummary& Summary() const { return summary_; }

    // The suggested file name "学习记录-<book>-<today>.<suffix>".
    QString SuggestedFileName(const QString& suffix) const;

public slots:
    void WrongWordDictationClick();
    void ExportTableClick();
    void PrintReportClick();

private:
    // Asks a file name ending in `suffix`, adding it when the pupil left it
    // off; empty when cancelled.
    QString askFileName(const QString& caption, const QString& filter, const QString& suffix);

    const LearningSummary summary_;
    LearningRecordActions actions_;
    UserMessages& messages_;
};

} // namespace zarelo
