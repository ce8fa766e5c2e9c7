#pragma once
#include <QString>
#include <exception>

// Errors travel as exceptions carrying the German text the user sees.
// The top-level handler shows the text in an error box; the action ends and the window
// stays as it was.
class HwError : public std::exception {
public:
    explicit HwError(QString message, int code = 0) : m_message(std::move(message)), m_code(code),
        m_utf8(m_message.toUtf8()) {}
    const QString& message() const noexcept { return m_message; }
    int code() const noexcept { return m_code; }
    const char* what() const noexcept override { return m_utf8.constData(); }
private:
    QString m_message;
    int m_code;
    QByteArray m_utf8;
};

// An error reported by the table engine (missing table, lock, key violation, conflict ...).
class EngineError : public HwError {
public:
    using HwError::HwError;
};

// Silent cancel: a hook or a dialog has already told the user (or the user said No).
class Abort : public std::exception {
public:
    const char* what() const noexcept override { return "Abort"; }
};

// Engine error codes; the numbers are those callers test for.
namespace EngineCode {
constexpr int Generic = 1;
constexpr int TableNotFound = 10024;     // table or alias missing
constexpr int DirNotFound = 10008;
constexpr int KeyViolation = 9729;
constexpr int RecordChanged = 8708;      // row changed by another workstation since it was read
constexpr int RecordDeleted = 8709;      // row deleted by another workstation since it was read
constexpr int InsufficientRights = 10498;
constexpr int TableLocked = 10245;
constexpr int TableBusy = 10243;
constexpr int RequiredField = 9732;
constexpr int InvalidValue = 9733;
constexpr int ConversionError = 9734;
constexpr int AliasNotFound = 10011;
constexpr int SqlError = 10501;
}
