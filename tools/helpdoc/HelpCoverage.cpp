// Checks that the user guide names every entry of the filter bar's command box exactly as the box shows it
// (the texts are the program's own, odd spellings included), each in a table cell of its own.
// Usage: vyx-help-coverage GUIDE.md

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "filter/CommandList.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: vyx-help-coverage GUIDE.md\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 2;
    }
    std::ostringstream text;
    text << in.rdbuf();
    const std::string guide = text.str();

    int missing = 0;
    for (const std::string_view entry : vyx::CommandListTexts()) {
        const std::string cell = "| " + std::string(entry) + " |";
        if (guide.find(cell) == std::string::npos) {
            std::fprintf(stderr, "the guide has no table cell \"%s\"\n", cell.c_str());
            ++missing;
        }
    }
    if (missing > 0) {
        std::fprintf(stderr, "%d of %d command box entries are missing from the guide\n", missing,
                     vyx::kCommandListSize);
        return 1;
    }
    std::printf("all %d command box entries are in the guide\n", vyx::kCommandListSize);
    return 0;
}
