#pragma once
// The printed learning record: a one- or two-page A4 PDF for a parent or a
// teacher with the book, the dates covered, the practice calendar, the lesson
// progress and the hard words, drawn by the same LearningCharts functions as
// the window. QtGui only.

#include "quiz/LearningSummary.h"

#include <QString>

namespace zarelo {

// Writes the report of `summary` to `path`, replacing the file only when the
// whole report was written. Returns an empty string, or the error naming the
// file. UI thread (fonts).
QString WriteLearningReport(const LearningSummary& summary, const QString& path);

} // namespace zarelo
