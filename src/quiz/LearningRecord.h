#pragma once
// Reads the learning record kept in the history file: the summary the
// learning record window shows of the open book, and the tests with their
// answers as a table for spreadsheet programs. Only reads; UI thread (or any
// one thread per object).

#include "base/uPublicVarDefine.h"
#include "book/BookContent.h"
#include "quiz/LearningLog.h"
#include "quiz/LearningSummary.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <memory>

namespace zarelo {

// Where the open book's practice or test takes place: its publisher and
// book, and with `lesson` the Name of CurrentLesson (empty when there is
// none).
RecordPlace PlaceOf(const OpenBook& book, bool lesson);

// The number of days the practice calendar shows ending `today`: 25 whole
// weeks before today's week (weeks begin on Monday) and today's week up to
// today.
int CalendarDays(QDate today);

// One field of a CSV line: quoted when it holds a comma, a quote or a line
// break, quotes doubled.
QString CsvField(const QString& text);

class LearningRecord {
public:
    // The history file `databasePath`; a missing file reads as no record.
    explicit LearningRecord(QString databasePath);
    ~LearningRecord();
    LearningRecord(const LearningRecord&) = delete;
    LearningRecord& operator=(const LearningRecord&) = delete;

    // The summary of the open book at `now`: the calendar counts every
    // book's practice; lessons, scores and hard words are the open book's.
    // Words are passed by the new-word rule with `settings`. A file that
    // cannot be read throws WordHistoryError naming it.
    LearningSummary Summarize(const OpenBook& book, const TestSettings& settings,
                              const QDateTime& now) const;

    // Every test with its answers as CSV at `path`, one line per answer (a
    // test without answers: one line with its own columns), in UTF-8 with a
    // byte-order mark. The file is replaced whole or not at all. Returns an
    // error text naming the file, empty on success.
    QString ExportCsv(const QString& path) const;

private:
    struct Reader;
    QString path_;
    std::unique_ptr<Reader> reader_;
};

} // namespace zarelo
