#pragma once

#include <QIODevice>
#include <QString>

#include <filesystem>
#include <memory>

namespace engine {
class File;
}

namespace reporting {

// A write-only device whose bytes become a file only when it is committed:
// they go, as they are written, to a new file of an unpredictable name beside
// the target (created exclusively, never through a link), a piece of 64 KiB
// at a time, each write checked;
// commit syncs it and renames it over the target. Until then, and after any
// failure, the old file stays whole; a device never committed removes its
// temporary file. It lets a writer that only knows a QIODevice (the PDF
// writer) stream a long output without holding it in memory. The writes go
// through the engine's file layer.
class ReplacingFile : public QIODevice {
    Q_OBJECT

public:
    ReplacingFile();
    ~ReplacingFile() override;

    // Refuses a target that is not a plain file or that is write-protected.
    bool begin(const QString& path, QString& error);
    // False, with the first failure's reason, when any write failed.
    bool commit(QString& error);
    // Removes the temporary file: the target stays as it was.
    void abandon();
    // The first write's failure; empty while all is well.
    const QString& failure() const { return m_failure; }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override;

private:
    bool writePiece(qsizetype bytes);

    std::filesystem::path m_target;
    std::unique_ptr<engine::File> m_file;
    quint64 m_written = 0;
    QByteArray m_piece; // not yet on the disk
    QString m_failure;
};

} // namespace reporting
