// The file-system layer every loader and writer of the game goes through. Game paths
// stay as the game stores them: Windows form, Shift-JIS, backslashes, relative to the
// game folder (the current directory). This layer finds the file they name on Linux.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace platform::fs {

// The OS path a game path names: separators '\' (Shift-JIS aware) and '/', each
// component converted to UTF-8 and matched case-insensitively against its folder.
std::filesystem::path ResolveGamePath(std::string_view sjisPath);

// The other way: a path from the OS (command line, file chooser) as a game path in
// Shift-JIS with backslashes.
std::string ToGamePath(const std::filesystem::path& osPath);

// fopen through the resolver. Write modes create the file under the resolved name.
FILE* OpenGameFile(std::string_view sjisPath, const char* mode);

bool GameFileExists(std::string_view sjisPath);
bool GameDirectoryExists(std::string_view sjisPath);
// Creates the folder (and missing parents); true when it exists afterwards.
bool CreateGameDirectory(std::string_view sjisPath);

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
