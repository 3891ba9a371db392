// The loaded databases as the behaviour records check their references against them.
#pragma once

// Installs the database object as the reference source of flow validation. Start-up's
// database load does this once the lists are read.
void InstallDatabaseRefs();
