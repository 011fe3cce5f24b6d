// The .map text format: codes (texture index * 4 + rotation) for the cells,
// row by row from the top. The first line holds the whole top row and so
// fixes the width; after it blanks and line breaks alike separate codes, and
// they are taken width at a time as the next rows, however the lines are
// wrapped. SaveMap writes one row per line, CR LF between rows and nothing
// after the last. The readers work on text in memory; maps.h wraps them
// with the files.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/map_state.h"

// A grid read from a file before it replaces the loaded map.
struct TMapGrid {
    int32_t Width = 0;
    int32_t Height = 0;
    std::vector<int32_t> Cells; // row by row from the top
    int32_t At(int column, int row) const {
        return Cells[static_cast<size_t>(row) * Width + column];
    }
};

// The largest map file that can hold 1000 x 1000 codes with room to spare.
constexpr size_t MaxMapFileBytes = 64u << 20;

// Reads a map's text into grid. Only the first line's length matters: the
// codes after it need not follow its wrapping, but their count must be a
// whole number of rows. Blank lines are skipped and a Ctrl-Z ends the text.
// On a fault returns false with a message naming fileName and the line;
// grid is then left half-filled and must not be used.
bool ParseMapText(std::string_view text, const std::string& fileName, TMapGrid& grid,
                  std::string& error);

// The loaded map as SaveMap writes it.
std::string FormatMapText(const TMapState& map);

// Number of codes in text whose texture is a base, counting no further
// than limit. Line structure does not matter; an unreadable word ends it.
int CountBaseCodes(std::string_view text, const TTerrainTables& tables, int limit);

// 16-bit checksum of the loaded grid that peers compare.
uint16_t MapChecksum(const TMapState& map);
