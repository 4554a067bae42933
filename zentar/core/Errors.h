#pragma once
// Errors raised by the store. An operation that meets one of them is abandoned; the
// application-wide hook drops them (writing them to the log) so that the operator sees
// no message for them.

#include <stdexcept>
#include <string>

#include <QString>

namespace zentar {

class ZentarError : public std::runtime_error {
public:
    explicit ZentarError(const QString& message) : std::runtime_error(message.toStdString()) {}
};

// A text that had to be a number (a layout parameter, a direction digit) or a date was not one.
class ConversionError : public ZentarError {
public:
    using ZentarError::ZentarError;
};

// The database engine refused a statement or a row write; the message is the engine's.
class DatabaseError : public ZentarError {
public:
    using ZentarError::ZentarError;
};

}  // namespace zentar
