#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <sys/types.h>

// The system calls of a file write, each checked: a short write, a failed flush to disk or a
// failed rename is a failed write. A test can make any one step fail once.

enum class WriteStep {
    Create,     // the temporary or backup file
    Write,      // the new text into the file that ends up holding it
    DataSync,   // the new text onto the disk
    Rename,     // the temporary file over the target
    FolderSync, // the rename onto the disk
    Backup,     // the old text into the backup
};

namespace write_steps {
// True when a test asked `step` to fail; errno is then set as it asked.
bool injectedFailure(WriteStep step);

bool writeAll(int fd, QByteArrayView bytes, off_t at, WriteStep step = WriteStep::Write);
// Copies `size` bytes from the start of `from` to the start of `to`.
bool copyAll(int from, int to, off_t size, WriteStep step);
bool dataSync(int fd);
bool closeFile(int fd);
bool renameFile(const QByteArray& from, const QByteArray& to);
bool syncFolder(const QByteArray& folder);
// Opens a new file for reading and writing, named `prefix` and six random letters; its path lands in `path`.
int createUnique(const QByteArray& prefix, mode_t mode, QByteArray* path);
}

// For tests: the next `times` times `step` runs, it fails with `error`.
void failWriteStepForTesting(WriteStep step, int error, int times = 1);
