#pragma once
// What a test and a practice tell the learning record, and the journal a
// test writes its run into. The history (TdmMain) keeps the record beside
// the word counters: a word's answer and its record row are written in one
// transaction.

#include "quiz/LearningSummary.h"

#include <QString>
#include <cstdint>
#include <optional>

namespace zarelo {

// Where a test or a practice took place. Lesson: the lesson's Name; empty
// for the whole book.
struct RecordPlace {
    QString Publisher;
    QString Book;
    QString Lesson;
};

// One closed item of a test.
struct ItemAnswer {
    int64_t Test = 0; // the test's record id; 0: the test is not recorded
    QString Item;     // the expected English text
    QString Typed;    // typed when the item closed, or the last sentence clicked; empty: nothing
    bool Right = false;
    int64_t Ms = 0; // from the item's start to its close or right answer
};

enum class PracticeKind { Read, Oral };

// A test's run as the record keeps it. Failures throw WordHistoryError.
class TestJournal {
public:
    virtual ~TestJournal() = default;
    // A test of `items` items starts now; its record id, 0 when nothing is
    // recorded (no history, or a history of a newer program).
    virtual int64_t BeginTest(RecordedMode mode, const RecordPlace& place, int items) = 0;
    // An item without a word history (the sentence test).
    virtual void RecordItem(const ItemAnswer& answer) = 0;
    // The test ends: finished with its score, or given up or left (no score).
    virtual void EndTest(int64_t test, int rightItems, std::optional<int> score) = 0;
};

// A reading or oral training session as the record keeps it.
class PracticeJournal {
public:
    virtual ~PracticeJournal() = default;
    // A session starts now; its record id, 0 when nothing is recorded.
    virtual int64_t BeginPractice(PracticeKind kind, const RecordPlace& place) = 0;
    // The session's length and count so far.
    virtual void UpdatePractice(int64_t practice, int64_t seconds, int items) = 0;
};

} // namespace zarelo
