#include "cli/AsideFile.h"

namespace cli {

AsideFile::AsideFile(const std::string& target)
    : m_target(target), m_file(engine::fileSystem().createReplacement(target)),
      m_aside(m_file->path()) {}

AsideFile::~AsideFile() {
    if (m_committed)
        return;
    m_file.reset();
    try {
        engine::fileSystem().remove(m_aside);
    } catch (...) {
        // The failure being reported is the first one.
    }
}

void AsideFile::append(const std::string& text) {
    m_file->writeAt(m_size, text.data(), text.size());
    m_size += text.size();
}

void AsideFile::commit() {
    m_file->sync();
    m_file->close();
    engine::fileSystem().rename(m_aside, m_target);
    m_committed = true;
}

} // namespace cli
