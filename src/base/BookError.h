#pragma once
// The one exception type for unexpected errors (a malformed number in a book
// file, a damaged packed file, a database error). Its text says which file,
// which line and what was wrong; the application's general error report shows
// it and ends only the handler that was running.

#include <QString>
#include <stdexcept>

namespace zarelo {

class BookError : public std::runtime_error {
public:
    explicit BookError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message)
    {
    }
    const QString& message() const { return message_; }

private:
    QString message_;
};

} // namespace zarelo
