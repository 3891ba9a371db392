// The file-system layer every loader and writer of the game goes through. Game paths
// stay as the game stores them: Windows form, Shift-JIS, backslashes, relative to the
// game folder (the current directory). This layer finds the file they name on Linux.
//
// How a game path is found:
// - It is split on '\' and '/', Shift-JIS aware: a '\' that is the second byte of a
//   double-byte character (表 is 95 5C) belongs to the name.
// - "." components are dropped and ".." takes the folder back one step, by the text
//   alone, as Windows does.
// - A path that starts with a separator is absolute: "\home\me\game\x.dat" names
//   /home/me/game/x.dat. This is the form the game's absolute paths take here (see
//   core/paths.h), so they open like relative ones.
// - Each component is converted to UTF-8 and looked up in its folder: the exact name
//   first, then the name with the raw Shift-JIS bytes (files unpacked without
//   conversion), then any entry whose name matches ignoring case (ASCII, Latin-1,
//   full-width Latin, Greek and Cyrillic letters, the letters code page 932 holds).
//   Several entries that differ only in case: the first in byte order wins and the
//   clash is reported once.
// - A component that matches nothing is taken as converted (or as raw bytes when it
//   does not convert), so that new files get UTF-8 names on disk.
// Folder listings are cached and checked against the folder's change time; anything
// this layer creates drops the cache, so a file just written is found by any spelling.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform::fs {

// The OS path a game path names (see above).
std::filesystem::path ResolveGamePath(std::string_view sjisPath);

// The other way: a path from the OS (command line, file chooser) as a game path in
// Shift-JIS with backslashes; an absolute OS path gives an absolute game path
// ("\home\me\game\data\x.stg4"). A component that has no code page 932 form keeps its
// UTF-8 bytes and is followed by '/' instead of '\', which a stray trail byte cannot
// swallow; such a name still resolves, by the raw-byte rule above.
std::string ToGamePath(const std::filesystem::path& osPath);

// fopen through the resolver. Write modes create the file under the resolved name.
// The Windows text-mode letter 't' is accepted and ignored. A folder is never opened
// as a file (null, as on Windows).
FILE* OpenGameFile(std::string_view sjisPath, const char* mode);

bool GameFileExists(std::string_view sjisPath);

// The whole file; false when it cannot be opened or read.
bool ReadGameFile(std::string_view sjisPath, std::vector<uint8_t>& out);
bool GameDirectoryExists(std::string_view sjisPath);
// A file or a folder of that name.
bool GamePathExists(std::string_view sjisPath);
// Creates the folder (and missing parents); true when it exists afterwards.
bool CreateGameDirectory(std::string_view sjisPath);

// Copies the folder tree `from` into `to` (created when missing; files already there
// are overwritten). On failure a `to` that did not exist before is removed again with
// whatever was copied, and false is returned.
bool CopyGameTree(std::string_view sjisFrom, std::string_view sjisTo);

// Forgets every cached folder listing. Anything created through this layer already
// does this; call it after changing the game folder by other means.
void InvalidateGamePathCache();

// Writes a user file so that it is never half-written: a temporary file in the same
// folder, flushed, synced and renamed over the old one. Until Commit succeeds the old
// file stays byte-identical; a writer destroyed without Commit removes its temporary.
class AtomicFileWriter {
  public:
    explicit AtomicFileWriter(std::string_view sjisPath);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // The stream to write to; null when the temporary file could not be created.
    FILE* Stream() const { return file_; }
    // Flush, sync, close and rename. False (old file kept) on any failure, including
    // an earlier failed write on the stream.
    bool Commit();
    void Abort();

  private:
    std::filesystem::path target_;
    std::filesystem::path temp_;
    FILE* file_ = nullptr;
};

// Convenience: the whole byte string through an AtomicFileWriter.
bool WriteFileAtomic(std::string_view sjisPath, std::span<const uint8_t> bytes);

// Test hooks making the atomic writer fail at one step.
enum class FailPoint { None, Create, Write, Sync, Rename };
void SetAtomicWriteFailPoint(FailPoint point);

}  // namespace platform::fs
