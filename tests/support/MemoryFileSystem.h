#pragma once
// A FileSystem whose files live in memory: the fuzz targets, their replay test and
// the damaged-file tests open tables straight from bytes built or read beforehand,
// without touching the disk, so one table cannot leave state behind for the next.

#include "engine/EngineError.h"
#include "engine/FileSystem.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace testsupport {

class MemoryFileSystem : public engine::FileSystem {
public:
    using Contents = std::vector<unsigned char>;

    void put(const std::filesystem::path& p, Contents bytes) {
        m_files[p.lexically_normal().string()] = std::make_shared<Contents>(std::move(bytes));
    }
    void clear() { m_files.clear(); }

    std::unique_ptr<engine::File> open(const std::filesystem::path& p,
                                       engine::OpenMode mode) override {
        const std::string key = p.lexically_normal().string();
        auto it = m_files.find(key);
        if (mode == engine::OpenMode::CreateExclusive && it != m_files.end())
            throw engine::EngineError(engine::ErrorCode::AlreadyExists,
                                      engine::quoted(p) + " existe déjà");
        if (engine::opensToCreate(mode)) {
            auto fresh = std::make_shared<Contents>();
            m_files[key] = fresh;
            return std::make_unique<MemoryFile>(p, fresh);
        }
        if (it == m_files.end())
            throw engine::EngineError(engine::ErrorCode::NotFound,
                                      "Fichier introuvable : " + engine::quoted(p));
        return std::make_unique<MemoryFile>(p, it->second);
    }
    bool exists(const std::filesystem::path& p) override {
        return m_files.count(p.lexically_normal().string()) != 0;
    }
    void remove(const std::filesystem::path& p) override {
        m_files.erase(p.lexically_normal().string());
    }
    void rename(const std::filesystem::path& from, const std::filesystem::path& to) override {
        auto it = m_files.find(from.lexically_normal().string());
        if (it == m_files.end())
            throw engine::EngineError(engine::ErrorCode::NotFound,
                                      "Fichier introuvable : " + engine::quoted(from));
        auto contents = it->second;
        m_files.erase(it);
        m_files[to.lexically_normal().string()] = contents;
    }
    std::vector<std::filesystem::path> list(const std::filesystem::path& dir) override {
        std::vector<std::filesystem::path> out;
        const std::filesystem::path d = dir.lexically_normal();
        for (const auto& [name, contents] : m_files)
            if (std::filesystem::path(name).parent_path() == d)
                out.emplace_back(name);
        return out;
    }

private:
    class MemoryFile : public engine::File {
    public:
        MemoryFile(const std::filesystem::path& p, std::shared_ptr<Contents> c)
            : engine::File(p), m_c(std::move(c)) {}
        size_t readAt(uint64_t off, void* buf, size_t n) override {
            if (off >= m_c->size())
                return 0;
            size_t k = std::min<uint64_t>(n, m_c->size() - off);
            std::memcpy(buf, m_c->data() + off, k);
            return k;
        }
        void writeAt(uint64_t off, const void* buf, size_t n) override {
            if (off + n > m_c->size())
                m_c->resize(off + n, 0);
            std::memcpy(m_c->data() + off, buf, n);
        }
        uint64_t size() override { return m_c->size(); }
        void truncate(uint64_t s) override { m_c->resize(s, 0); }
        void sync() override {}

    private:
        std::shared_ptr<Contents> m_c;
    };

    std::map<std::string, std::shared_ptr<Contents>> m_files;
};

} // namespace testsupport
