// The fixed table of relative paths that names every project and user file by
// index, the table of file extensions, the start-up check of the project folder
// and the folders made at start.
#pragma once

#include "platform/win_types.h"

// 48 game paths; the readers use the index, so entries nothing reads keep their place.
// Plain pointers, constant-initialised: the table is complete before any other
// static object could look at it.
inline constexpr int kDataPathCount = 48;
extern const char* const DataPath[kDataPathCount];

// File extensions without the dot: 0 common palette, 1 stage files, 2 palette files
// (not read by the player), 3 ranking files.
inline constexpr int kDataExtCount = 4;
extern const char* const DataExt[kDataExtCount];

// Makes sure the project folder "data\" exists. When it is missing but the factory
// copy "default\" is there, asks the user and copies the whole factory tree into
// "data\". Nonzero when "data\" is usable; 0 when start-up must stop (no factory
// copy, the user said no, or the copy failed: what it had copied is removed).
int CheckDataFolder(HWND window);

// Creates the user, project, picture, sound and music folders the game writes into
// or lists (an existing folder is fine). False when one of them could not be made;
// start-up goes on either way, as the game's did.
bool CreateStartFolders();
