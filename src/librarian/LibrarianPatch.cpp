#include "src/librarian/LibrarianPatch.h"

void LibrarianPatch::parseCategory(int offset) {
    if (!dumps.empty()) category += dumps.front().text(offset, 4);
}
