// What the drawing device tells the start-up report about the display: the software
// renderer's own facts stand where the game read the video driver and its diagnostics.
#pragma once

// Installs the drawing device as the report's source of display facts. Start-up calls
// it once before DDInit; before a successful DDInit the display reads as not started.
void DDInstallDisplayFacts();
void DDRemoveDisplayFacts();
