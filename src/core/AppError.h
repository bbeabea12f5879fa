#pragma once

#include <QString>
#include <exception>

namespace core {

// A failure that a command's error report shows: a number and a description, as run-time errors carry them.
class AppError : public std::exception
{
public:
    AppError(int number, QString description) : m_number(number), m_description(std::move(description)) {}
    int number() const { return m_number; }
    const QString& description() const { return m_description; }
    const char* what() const noexcept override { return "application error"; }

private:
    int m_number;
    QString m_description;
};

// Run-time error numbers the program raises itself, with their usual descriptions.
namespace errors {
inline constexpr int kOverflow = 6;
inline constexpr int kFileNotFound = 53;
inline constexpr int kTypeMismatch = 13;
inline constexpr int kDeviceIo = 57;
inline constexpr int kPermissionDenied = 70;
inline constexpr int kPathNotFound = 76;
inline constexpr int kInvalidPropertyValue = 380;
} // namespace errors

} // namespace core
