// make-sample-project [--required-only] FOLDER: writes the sample game project into
// FOLDER (created when missing; files already there are replaced); with --required-only
// only what the player cannot start without.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "core/record.h"
#include "sample_project.h"

int main(int argc, char** argv) {
    const bool requiredOnly = argc == 3 && std::string(argv[1]) == "--required-only";
    if (argc != 2 && !requiredOnly) {
        std::fprintf(stderr, "usage: make-sample-project [--required-only] FOLDER\n");
        return 2;
    }
    const char* target = argv[argc - 1];
    const std::filesystem::path folder = target;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (!ec) std::filesystem::current_path(folder, ec);
    if (ec) {
        std::fprintf(stderr, "make-sample-project: %s: %s\n", target, ec.message().c_str());
        return 1;
    }
    // Every file is written at the data version the player writes.
    g_nDataVersion = kCurrentDataVersion;
    std::string error;
    if (!sample::WriteSampleProject(
            error, requiredOnly ? sample::SampleKind::RequiredOnly : sample::SampleKind::Full)) {
        std::fprintf(stderr, "make-sample-project: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
