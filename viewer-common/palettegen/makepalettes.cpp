// Writes every palette file into the folder given: make-palettes DIR
#include "palettegenerator.h"

#include <cstdio>
#include <fstream>

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    for (const std::string& name : palettegen::paletteNames()) {
        const std::string path = std::string(argv[1]) + "/" + name + ".rpal";
        const std::vector<std::uint8_t> bytes = palettegen::fileContents(name);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
