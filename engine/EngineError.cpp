#include "engine/EngineError.h"

#include <cstdio>
#include <cstring>

namespace engine {

EngineError::EngineError(ErrorCode code, const std::string& message, int detail)
    : std::runtime_error(message), m_code(code), m_detail(detail) {}

std::string quoted(const std::filesystem::path& file) {
    return "« " + file.string() + " »";
}

void throwCorrupt(const std::filesystem::path& file, const std::string& damage) {
    throw EngineError(ErrorCode::Corrupt, "Table endommagée : " + quoted(file) + " : " + damage);
}

void throwIo(const std::filesystem::path& file, const std::string& operation, int err) {
    throw EngineError(ErrorCode::Io,
                      "Erreur d'entrée-sortie (" + operation + ") sur " + quoted(file) + " : " +
                          std::strerror(err),
                      err);
}

const char* const kInitFailureFormat =
    "Une erreur est survenue lors de l'initialisation de Borland Database Engine (erreur $%.4x)";

std::string initFailureText(int code) {
    char buf[256];
    std::snprintf(buf, sizeof buf, kInitFailureFormat, static_cast<unsigned>(code));
    return buf;
}

std::string keyViolationText(const std::filesystem::path& file) {
    return "Violation de clé : une ligne de même clé primaire existe déjà dans " + quoted(file) +
           ".";
}

} // namespace engine
