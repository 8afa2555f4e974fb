#pragma once
// The one exception type of the table engine. Every failure the engine reports,
// from a damaged file to a key violation, is an EngineError carrying a code the
// caller can test and a French message naming the file and what is wrong.

#include <filesystem>
#include <stdexcept>
#include <string>

namespace engine {

enum class ErrorCode : int {
    Io,              // the operating system refused a read, write, open, ...
    NotFound,        // the table (or a file it needs) does not exist
    NotParadox,      // the file is not a table file at all
    Corrupt,         // the file is a table file but its structure is damaged
    Encrypted,       // rows of a password-protected table cannot be read
    KeyViolation,    // a row with the same primary key already exists
    IndexNotFound,   // no index on the requested fields
    IndexOutOfDate,  // an index file does not match its table
    InvalidName,     // a table name that would leave the database directory
    ReadOnly,        // the table cannot be written
    Locked,          // the table is in use (open) and the operation needs it closed
    NotSupported,    // a feature the engine does not provide
    InvalidArgument, // a value or definition the engine cannot store
    InitFailed,      // the engine could not start (see initFailureText)
    NoCurrentRow,    // a cursor operation needs a current row
    AlreadyExists,   // a table that must be new exists already
};

class EngineError : public std::runtime_error {
public:
    EngineError(ErrorCode code, const std::string& message, int detail = 0);
    ErrorCode code() const { return m_code; }
    // Extra number carried by some errors (for InitFailed: the start-up failure code).
    int detail() const { return m_detail; }

private:
    ErrorCode m_code;
    int m_detail;
};

// Message helpers: all engine messages are built here so that their wording is uniform.
// The file is shown between French quotes « ».
std::string quoted(const std::filesystem::path& file);
[[noreturn]] void throwCorrupt(const std::filesystem::path& file, const std::string& damage);
[[noreturn]] void throwIo(const std::filesystem::path& file, const std::string& operation, int err);

// The text shown when the engine fails to start: the printf format
// "Une erreur est survenue lors de l'initialisation de Borland Database Engine (erreur $%.4x)"
// applied to the failure code.
extern const char* const kInitFailureFormat;
std::string initFailureText(int code);

// The key-violation message.
std::string keyViolationText(const std::filesystem::path& file);

} // namespace engine
