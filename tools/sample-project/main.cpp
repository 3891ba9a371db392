// make-sample-project FOLDER: writes the sample game project into FOLDER (created when
// missing; files already there are replaced).
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "core/record.h"
#include "sample_project.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-sample-project FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (!ec) std::filesystem::current_path(folder, ec);
    if (ec) {
        std::fprintf(stderr, "make-sample-project: %s: %s\n", argv[1], ec.message().c_str());
        return 1;
    }
    // Every file is written at the data version the player writes.
    g_nDataVersion = kCurrentDataVersion;
    std::string error;
    if (!sample::WriteSampleProject(error)) {
        std::fprintf(stderr, "make-sample-project: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
