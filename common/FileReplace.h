#pragma once

#include "common/FileIo.h"

#include <QByteArray>
#include <QString>

namespace qemra {

// Why a file could not be written: at which step, and the system's error number.
struct FileWriteError {
    bool opening = false;  // the file could not be created or opened, as opposed to written
    int code = 0;          // errno
    QString Text() const;  // the system's text for `code`
};

// What to do when no temporary file can be made beside the file, as in a folder that takes no new
// files but holds a writable file.
enum class WhenNoTemporaryFile {
    Fail,
    // Write the new bytes over the old ones; should that fail, the old bytes go back into the room
    // they already had, so the file is never left cut short.
    RewriteInPlace,
};

// Replaces the file at `path` (a symbolic link: the file it points to) by `bytes` so that it cannot
// be lost: the bytes go into a temporary file beside it, every write and the flush to the disk are
// checked, and only then is the temporary file renamed over the old one, which keeps its
// permissions; a file that may not be written is not replaced. On any failure the old file stays byte for byte and
// false is returned, with the reason in `error` when given.
//
// The temporary file is named "." + the file's name + "." + six letters or digits + ".qemra-tmp" and
// is locked while it is written. Before making one, the temporary files of that name pattern in the
// folder that a killed run left (last changed before this run began, locked by nobody) are removed;
// CreateFileWith does the same.
bool ReplaceFile(const QString& path, const QByteArray& bytes, FileIo& io,
                 WhenNoTemporaryFile noTemporaryFile = WhenNoTemporaryFile::Fail, FileWriteError* error = nullptr);

// Brings a file into existence with `bytes` already in it, never empty or cut short: written and
// flushed beside it, then linked into place. A file that is already there is never replaced.
enum class CreateResult { Created, AlreadyThere, Failed };
CreateResult CreateFileWith(const QString& path, const QByteArray& bytes, FileIo& io);

// Appends `bytes`; a missing file is created as by CreateFileWith. A failed append is cut back to
// where the file ended, so no part of it stays behind.
bool AppendToFile(const QString& path, const QByteArray& bytes, FileIo& io);

}  // namespace qemra
