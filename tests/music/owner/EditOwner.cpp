// Rewrites one file's title with the tag editor, as the app does, and nothing else: the owner
// of an edit that a test can kill outright. Usage: edit-owner <file> <title>
#include "ZazidEvoz/tags/TagEditor.hpp"

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: edit-owner <file> <title>\n");
        return 2;
    }
    try {
        ZazidEvoz::TagEditor::Changes changes;
        changes.title = argv[2];
        ZazidEvoz::TagEditor::apply(changes, argv[1]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
