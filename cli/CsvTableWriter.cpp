#include "cli/CsvTableWriter.h"

#include "cli/ProgressBar.h"
#include "cli/SqlTable.h"
#include "cli/ValueText.h"
#include "cli/VisibleText.h"

#include "engine/FileSystem.h"
#include "engine/TableFile.h"

namespace cli {

namespace {

constexpr size_t kWriteChunk = 1 << 20;

void appendField(std::string& line, const std::string& text) {
    if (text.find_first_of("\",\r\n") == std::string::npos) {
        line += text;
        return;
    }
    line += '"';
    for (char c : text) {
        if (c == '"')
            line += '"';
        line += c;
    }
    line += '"';
}

// Text as it is (no control character spelled out: the file is data), in UTF-8; a
// NUL, which a damaged memo may hold and most readers of CSV refuse, is left out.
std::string fieldText(const engine::Value& v) {
    if (v.kind != engine::Value::Kind::Text)
        return valueText(v);
    std::string text = validUtf8(v.text);
    std::erase(text, '\0');
    return text;
}

std::string headerLine(const SqlTable& schema) {
    std::string line;
    for (size_t i = 0; i < schema.columns.size(); ++i) {
        if (i)
            line += ',';
        appendField(line, validUtf8(schema.columns[i].name));
    }
    return line + "\r\n";
}

class ChunkedFile {
public:
    explicit ChunkedFile(engine::File& file) : m_file(file) {}
    std::string& buffer() { return m_buffer; }
    void flushIfFull() {
        if (m_buffer.size() >= kWriteChunk)
            flush();
    }
    void flush() {
        m_file.writeAt(m_offset, m_buffer.data(), m_buffer.size());
        m_offset += m_buffer.size();
        m_buffer.clear();
    }

private:
    engine::File& m_file;
    std::string m_buffer;
    uint64_t m_offset = 0;
};

uint64_t writeRows(const engine::TableFile& table, const SqlTable& schema, engine::File& file,
                   ProgressBar& progress) {
    ChunkedFile out(file);
    out.buffer() = headerLine(schema);
    uint64_t rows = 0;
    progress.start(schema.name, table.recordCount());
    table.forEachRow([&](const engine::Row& row) {
        for (size_t i = 0; i < row.size(); ++i) {
            if (i)
                out.buffer() += ',';
            appendField(out.buffer(), fieldText(row[i]));
        }
        out.buffer() += "\r\n";
        out.flushIfFull();
        progress.advance(++rows);
        return true;
    });
    progress.finish();
    out.flush();
    return rows;
}

} // namespace

uint64_t CsvTableWriter::write(const engine::TableFile& table, const SqlTable& schema,
                               const std::filesystem::path& file, ProgressBar& progress) {
    engine::FileSystem& fs = engine::fileSystem();
    std::unique_ptr<engine::File> aside = fs.createTemporary(file, 0666);
    const std::filesystem::path asidePath = aside->path();
    try {
        const uint64_t rows = writeRows(table, schema, *aside, progress);
        aside->sync();
        aside->close();
        fs.rename(asidePath, file);
        fs.syncDirectory(file.parent_path());
        return rows;
    } catch (...) {
        progress.finish();
        aside.reset();
        try {
            fs.remove(asidePath);
        } catch (...) { // the first failure is the one to tell
        }
        throw;
    }
}

} // namespace cli
