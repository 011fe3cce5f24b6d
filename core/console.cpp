#include "core/console.h"

void TConsole::Add(const std::string& text, int32_t owner, int32_t tickNow) {
    if (Count == ConsoleLines) {
        for (int i = 1; i < ConsoleLines; ++i)
            Lines[i - 1] = std::move(Lines[i]);
        --Count;
    }
    Lines[Count++] = {text, tickNow + ConsoleLineLifeMs, owner == 255 ? -1 : owner};
}

void TConsole::Age(int32_t tickNow) {
    int gone = 0;
    while (gone < Count && Lines[gone].Expiry < tickNow)
        ++gone;
    if (gone == 0) return;
    for (int i = gone; i < Count; ++i)
        Lines[i - gone] = std::move(Lines[i]);
    Count -= gone;
}
