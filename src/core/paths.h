// Path helpers of the game: relative and absolute forms, the file-name part,
// extensions, and the numbered generations a file leaves beside it
// ("stage.stg4_001", "stage.stg4_002", ...).
//
// Paths are game paths: Shift-JIS, Windows form, '\' between components ('/' is
// accepted too). Separators are found by walking the text character by character, so
// the '\' that ends a double-byte character (表 is 95 5C) is part of a name.
//
// Absolute paths: the game's absolute paths start with a drive ("C:\..."); on Linux
// an absolute game path is the OS path with '\' for '/' and the names in Shift-JIS,
// "\home\me\game\Report_Game.txt". The file-system layer opens that form directly,
// and MakeRelativePath turns it back into ".\Report_Game.txt" while the game folder
// is the current directory. A path with a drive is absolute but lies on no folder of
// ours: it is left as it is.
#pragma once

#include <cstdint>
#include <string>

// The Windows path length: every character buffer below holds at most this many
// bytes with its terminating zero. A result that would not fit is refused (the
// function returns 0 and leaves its target as it was) rather than cut.
inline constexpr int kMaxPath = 260;

// 1 on success or when the path is already relative, 0 (path unchanged) on failure.
// The result starts with ".\" when the file lies in or below the current directory,
// with "..\" steps otherwise.
int MakeRelativePath(char* path);
// 1 on success or when the path is already absolute, 0 (path unchanged) when the
// current directory cannot be read. "." and ".." components are worked out, '/'
// becomes '\', a trailing separator is kept.
int MakeAbsolutePath(char* path);
// Keeps only the part after the last separator ('\' or '/').
void StripDirectory(char* path);
// out = path with the text after its last '.' replaced by extension, or with the '.'
// and what follows removed when extension is null. 0 (out = path) when the file name
// has no '.'; a '.' in a folder name does not count.
int ChangeExtension(char* out, const char* path, const char* extension);
// Removes the last '.' of the file name and what follows; 1 when there was one.
int StripExtension(char* path);
// out = the text after the last '.' of the file name; 0 (out untouched) when none.
int GetExtension(char* out, const char* path);
// out = path with "_", the two digits and the extension in place of its extension:
// a.dat with 0 and 5 gives a_05.dat. 0 (out = path) when the file name has no '.'.
int AddNumberSuffix(char* out, const char* path, uint8_t digit1, uint8_t digit2);
// The newest numbered generation of path: the path with the given extension (null:
// without one), then "_" and three digits; the highest number that exists as a file
// or folder wins, whatever the dates. 1 and its name in out, or 0 (out untouched).
int FindNewestBackup(char* out, const char* path, const char* extension);

// The same on strings, without the length limit.
int MakeRelativePathStr(std::string& path);
int StripExtensionStr(std::string& path);
int FindNewestBackupStr(std::string& out, const std::string& path, const char* extension);
