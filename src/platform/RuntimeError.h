#pragma once

#include <QString>

#include <exception>
#include <string>

namespace platform {

// The error every routine raises to its caller: a number, the routine that raised it and a
// description, as the message boxes of the handlers show them.
class RuntimeError : public std::exception {
public:
    RuntimeError(long number, QString source, QString description);

    long Number() const { return number_; }
    const QString& Source() const { return source_; }
    const QString& Description() const { return description_; }
    const char* what() const noexcept override { return what_.c_str(); }

private:
    long number_;
    QString source_;
    QString description_;
    std::string what_;
};

// Numbers of the platform's own errors.
namespace err {
inline constexpr long InvalidArgument = 5;
inline constexpr long SubscriptOutOfRange = 9;
inline constexpr long FileAccess = 75;
inline constexpr long DuplicateKey = 457;
}  // namespace err

}  // namespace platform
