#pragma once

#include <QByteArray>

#include <sys/stat.h>

// Gives the fresh file `fd` what makes the file at `original` (whose stat is `st`) what it
// is: its owner and group, every mode bit, its extended attributes (ACLs among them). False
// when any of it cannot be carried over; the caller then must not put `fd` in its place.
bool carryAttributes(const QByteArray& original, const struct stat& st, int fd);

// The kernel drops setuid and setgid when someone without the right to keep them writes to
// a file; its owner may set them again. True when `fd` has every mode bit of `st`.
bool keepModeBits(int fd, const struct stat& st);
