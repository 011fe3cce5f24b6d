#include <cstdio>

#include "app/run.h"

int RunWindowed(const TOptions&, const std::string&) {
    std::fprintf(stderr, "moorclash: the window is not built yet; try --headless\n");
    return 1;
}
