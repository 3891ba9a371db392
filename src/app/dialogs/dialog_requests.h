// The dialogs the main window runs for the other threads (ranking name, stage and
// replay files), in the form the window's request handlers call them.
#pragma once

#include <string>

// The ranking name of the stage-play scene while that scene exists (it sets and clears
// this); null while there is none, and the options' registration name is asked for.
extern std::string* g_lpStageRankName;

// The ranking-name dialog, modal, owned by the main window.
void RunRankingNameDialog();

// An open (save false) or save dialog over folder with one filter (its shown name and
// its pattern list). For a save, a path given in `path` is proposed. True with the
// chosen game path in `path`.
bool RunFileDialog(bool save, const char* title, const char* folder, const char* filterName,
                   const char* pattern, std::string& path);
