#pragma once
// A named database alias (driver STANDARD): resolves table names against its PATH.

#include <filesystem>
#include <string>

namespace engine {

class Database {
public:
    explicit Database(std::string aliasName = {});
    const std::string& name() const { return m_name; }
    void setPath(std::filesystem::path dir) { m_path = std::move(dir); }
    const std::filesystem::path& path() const { return m_path; }

    // A full (absolute) path names the file itself. A bare name is looked up in PATH;
    // a bare name holding a path separator, "..", a character no file name may hold
    // (\ / : * ? " < > | or a control character), or nothing is refused (InvalidName).
    // A bare name without extension gets ".DB".
    std::filesystem::path resolve(const std::string& tableName) const;

private:
    std::string m_name;
    std::filesystem::path m_path;
};

// Refuses (InvalidName) a name that is not a bare file name: empty, absolute,
// holding a path separator (/ or \\), or "." or "..". Two dots inside a name
// ("a..b") are no path component and are accepted.
void requireBareName(const std::string& name);

// Starts the engine once per process (called at the first database connection; later
// calls do nothing). Throws EngineError(InitFailed) whose detail() is the failure code
// and whose message is initFailureText(code).
void initialise();
bool isInitialised();

// Code page assumed for level-3 tables, which do not record one (default 437).
void setLevel3CodePage(int codePage);
int level3CodePage();

} // namespace engine
