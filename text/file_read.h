#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <utility>

// The one way the program reads a file: whole, at once, regular files only (a symlink to
// one counts; a FIFO or a device would block or never end). Reading never changes anything.

enum class ReadFailure {
    None,
    Missing,    // nothing at the path
    NotAFile,   // a folder, a FIFO, a device
    NoAccess,   // exists but could not be opened
    TooLarge,   // larger than the cap, which the reader asked to be refused
    ReadError,  // opened, then reading failed
};

// How much a reader takes. A file over the cap is either refused or read only up to it.
struct ReadCap {
    enum Over { Refuse, TakeStart };
    qint64 maxBytes = -1; // -1: no cap
    Over over = Refuse;

    static ReadCap none() { return {}; }
    static ReadCap refuseOver(qint64 bytes) { return {bytes, Refuse}; }
    static ReadCap firstBytes(qint64 bytes) { return {bytes, TakeStart}; }
};

// A file as the system knows it, compared whole: any write changes its change time.
struct FileIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = -1;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;
    bool operator==(const FileIdentity&) const = default;
    static std::optional<FileIdentity> of(const QString& path);
};

class FileRead {
public:
    FileRead(QByteArray bytes) : m_bytes(std::move(bytes)) {}
    FileRead(ReadFailure failure) : m_failure(failure) {}

    explicit operator bool() const { return m_failure == ReadFailure::None; }
    bool has_value() const { return bool(*this); }
    ReadFailure failure() const { return m_failure; }
    QByteArray& operator*() { return m_bytes; }
    const QByteArray& operator*() const { return m_bytes; }
    const QByteArray* operator->() const { return &m_bytes; }
    QByteArray value_or(const QByteArray& other) const { return *this ? m_bytes : other; }
    // Hands the bytes over, leaving none behind (a large page is not held twice).
    QByteArray take() { return std::exchange(m_bytes, QByteArray()); }
    // The file read, as it was when opened and once read: a reader that keeps what it learnt
    // of a file knows whether the file changed meanwhile, with no second look up its path.
    const FileIdentity& opened() const { return m_opened; }
    const FileIdentity& read() const { return m_read; }
    void setIdentities(const FileIdentity& opened, const FileIdentity& read)
    {
        m_opened = opened;
        m_read = read;
    }

private:
    QByteArray m_bytes;
    ReadFailure m_failure = ReadFailure::None;
    FileIdentity m_opened;
    FileIdentity m_read;
};

FileRead readWholeFile(const QString& path, ReadCap cap = ReadCap::none());
// The same into `reuse`'s room where it is large enough, so a reader of many files in turn
// does not ask the system for fresh memory, and give it back, for each.
FileRead readWholeFile(const QString& path, ReadCap cap, QByteArray reuse);
