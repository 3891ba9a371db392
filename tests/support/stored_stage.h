// A stage built in code, as a stage file holds it: written by the stage's own writer at
// the current data version and read back by its own reader.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "data/stage_file.h"
#include "support/data_version.h"
#include "support/temp_dir.h"

namespace wftest {

inline cStage StoredAndLoaded(cStage stage) {
    ScopedDataVersion version;
    TempDir dir;
    const std::string path = dir.File("stored.stg4_0");
    EXPECT_EQ(stage.SaveFile(path.c_str()), 1);
    cStage loaded;
    EXPECT_EQ(loaded.LoadFile(path.c_str()), 1);
    return loaded;
}

}  // namespace wftest
