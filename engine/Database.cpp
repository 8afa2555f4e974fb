#include "engine/Database.h"

#include "engine/CodePage.h"
#include "engine/EngineError.h"

#include <mutex>

namespace engine {

Database::Database(std::string aliasName) : m_name(std::move(aliasName)) {}

namespace {

void refuseName(const std::string& name, const std::string& why) {
    throw EngineError(ErrorCode::InvalidName, "Nom de table incorrect « " + name + " » : " + why);
}

// A bare table name must stay a single file name inside the alias directory.
void checkBareName(const std::string& name) {
    requireBareName(name);
    for (unsigned char c : name) {
        if (c < 0x20 || c == 0x7F)
            refuseName(name, "caractère de contrôle interdit");
        switch (c) {
        case ':':
        case '*':
        case '?':
        case '"':
        case '<':
        case '>':
        case '|':
            refuseName(name, std::string("caractère « ") + char(c) + " » interdit");
        default:
            break;
        }
    }
}

} // namespace

void requireBareName(const std::string& name) {
    if (name.empty())
        refuseName(name, "le nom est vide");
    if (name.front() == '/' || name.front() == '\\')
        refuseName(name, "un chemin absolu sortirait du dossier des données");
    for (char c : {'/', '\\'})
        if (name.find(c) != std::string::npos)
            refuseName(name, std::string("caractère « ") + c +
                                 " » interdit : le nom ne doit pas désigner un autre dossier");
    if (name == "." || name == "..")
        refuseName(name, "« " + name + " » désigne un dossier");
}

std::filesystem::path Database::resolve(const std::string& tableName) const {
    std::filesystem::path p(tableName);
    if (!tableName.empty() && p.is_absolute()) {
        if (!p.has_filename())
            refuseName(tableName, "le chemin ne nomme pas de fichier");
        std::filesystem::path normal = p.lexically_normal();
        if (!normal.has_extension())
            normal += ".DB";
        return normal;
    }
    checkBareName(tableName);
    if (m_path.empty())
        refuseName(tableName, "la base de données n'a pas de chemin (PATH)");
    std::filesystem::path out = m_path / tableName;
    if (!out.has_extension())
        out += ".DB";
    return out;
}

namespace {
std::once_flag g_initOnce;
int g_initError = 0;
bool g_initDone = false;
int g_level3CodePage = 437;
} // namespace

void initialise() {
    std::call_once(g_initOnce, [] {
        g_initError = CodePage::selfTest();
        g_initDone = g_initError == 0;
    });
    if (g_initError != 0)
        throw EngineError(ErrorCode::InitFailed, initFailureText(g_initError), g_initError);
}

bool isInitialised() {
    return g_initDone;
}

void setLevel3CodePage(int codePage) {
    g_level3CodePage = codePage;
}

int level3CodePage() {
    return g_level3CodePage;
}

} // namespace engine
