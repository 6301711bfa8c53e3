// Writes the editors' descriptions of the effect under the folder given.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "apps/editors/EditorFiles.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: mkeditorfiles OUTPUT_FOLDER\n");
        return 2;
    }
    namespace fs = std::filesystem;
    for (const hzeditors::EditorFileRec& f : hzeditors::EditorFiles(cSettingDescs)) {
        const fs::path path = fs::path(argv[1]) / f.path;
        std::error_code error;
        fs::create_directories(path.parent_path(), error);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << f.text;
        out.close();
        if (!out) {
            std::fprintf(stderr, "mkeditorfiles: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
