// Writes a deliverable's PiPL resource bytes for the resource compiler.
#include <cstdio>
#include <cstring>

#include "framework/host/pipl.h"

int main(int argc, char** argv) {
    if (argc != 4 || (std::strcmp(argv[3], "x86") != 0 && std::strcmp(argv[3], "x64") != 0)) {
        std::fprintf(stderr, "usage: pipl_gen MODULE OUTPUT x86|x64\n");
        return 1;
    }
    const PiplArch arch = std::strcmp(argv[3], "x86") == 0 ? PiplArch::x86 : PiplArch::x64;
    const PiplInfo* info = findPipl(argv[1]);
    if (!info) {
        std::fprintf(stderr, "pipl_gen: no PiPL for '%s'\n", argv[1]);
        return 1;
    }
    std::vector<uint8_t> bytes = buildPipl(*info, arch);
    std::FILE* f = std::fopen(argv[2], "wb");
    if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fclose(f) != 0) {
        std::fprintf(stderr, "pipl_gen: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
