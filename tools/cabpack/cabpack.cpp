// Build tool: packs files into a single-folder MSZIP cabinet, compressed as tightly as the
// format allows. The product build carries the engine library in such a cabinet.
//   cabpack [--headless] OUTPUT NAME=FILE [NAME=FILE...]
// --headless leaves out the cabinet's four signature bytes: inside setup.exe a whole cabinet
// would be taken for the package's own, which is found by its signature. The loader puts the
// signature back when it writes the cabinet out.
#include "unpack/CabWriter.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

int main(int argc, char** argv) {
    const bool headless = argc > 1 && std::string(argv[1]) == "--headless";
    argc -= headless;
    argv += headless;
    if (argc < 3) {
        std::fprintf(stderr, "usage: cabpack [--headless] OUTPUT NAME=FILE [NAME=FILE...]\n");
        return 2;
    }
    try {
        velk::TCabWriter writer(velk::TCabCompression::MsZip, 9);
        for (int i = 2; i < argc; ++i) {
            std::string entry = argv[i];
            size_t equals = entry.find('=');
            if (equals == std::string::npos || equals == 0)
                throw velk::Exception("expected NAME=FILE, got \"" + entry + "\"");
            std::ifstream in(entry.substr(equals + 1), std::ios::binary);
            if (!in)
                throw velk::Exception("cannot read \"" + entry.substr(equals + 1) + "\"");
            std::string data((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
            velk::TCabFileInfo info;
            info.Name = entry.substr(0, equals);
            info.Attributes = 0x20; // archive
            writer.AddFile(info, std::move(data));
        }
        std::ostringstream cabinet;
        writer.Write(cabinet);
        std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
        out << cabinet.str().substr(headless ? 4 : 0);
        out.close();
        if (!out)
            throw velk::Exception(std::string("cannot write \"") + argv[1] + "\"");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "cabpack: %s\n", e.what());
        std::remove(argv[1]);
        return 1;
    }
    return 0;
}
