// The open and save dialogs: an in-window browser of the game folder (folder line,
// sub-folders and the files matching the chosen filter, a name field, Open or Save and
// Cancel) that gives back game paths. The main window uses them on behalf of the game
// thread to choose stage and replay files.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/win_types.h"

// The filter is the window system's form: pairs of a shown name and a pattern list
// ("*.stg4_*;*.rpl4_*"), each ended by a zero byte, the whole ended by an empty name.
// A null filter shows every file.
//
// 1 when a file was chosen. With a result list several files may be marked (Space or
// Ctrl+click) and each chosen path is appended to the list; the buffer receives the
// first. Paths are the folder as given (or as walked from it) and the name joined with
// '\'. Cancel leaves the list as it was; the buffer may have been cleared.
int OpenFileDialogMulti(HWND owner, char* buffer, int bufferSize, const char* initialFolder,
                        const char* title, const char* filter, const char* defaultExtension,
                        std::vector<std::string>* results);
// buffer holds 260 bytes; with keepBuffer its name is offered first. A name that exists
// is asked about before it is given back (overwrite confirmation).
int SaveFileDialog(HWND owner, char* buffer, const char* initialFolder, const char* title,
                   const char* filter, const char* defaultExtension, bool keepBuffer);
// The hook procedure of the full-screen case: it handles nothing.
LRESULT DlgHookNull(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// A file name against a pattern list such as "*.stg4_*;*.rpl4_*": '*' any run, '?' one
// character; ASCII letters match without case, double-byte characters as one.
bool MatchFilePattern(std::string_view nameSjis, std::string_view patterns);
