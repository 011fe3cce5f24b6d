#include "app/version.h"

const char* GameVersion() {
    return MOOR_VERSION;
}
