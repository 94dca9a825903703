#pragma once
// An unexpected error of the word history (an existing row that cannot be
// updated). A BookError, so the application's general error report shows its
// text and ends only the handler (timer tick) that was running.

#include "base/BookError.h"

namespace zarelo {

class WordHistoryError : public BookError {
public:
    using BookError::BookError;
};

} // namespace zarelo
