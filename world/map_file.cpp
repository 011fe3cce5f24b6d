#include "world/map_file.h"

#include <charconv>

#include "core/terrain.h"
#include "world/text_file.h"

bool ParseMapText(std::string_view text, const std::string& fileName, TMapGrid& grid,
                  std::string& error) {
    grid.Width = 0;
    grid.Height = 0;
    grid.Cells.clear();
    TTextLines lines(text);
    std::string_view& line = lines.Line;
    // Only the first row fixes the width; after it the codes run on across
    // line breaks and are cut into rows of that width.
    size_t rowStart = 0; // where the row being read began in Cells
    int lastCodeLine = 0;
    bool firstLine = true;
    while (lines.NextFilled()) {
        const int lineNumber = lines.Number;
        for (std::string_view word = NextWord(line); !word.empty(); word = NextWord(line)) {
            int32_t code = 0;
            if (!ParseWholeNumber(word, code)) {
                error = LineFault(fileName, lineNumber,
                                  "\"" + Printable(word) +
                                      "\" is not a whole number that fits a cell code.");
                return false;
            }
            if (firstLine && grid.Cells.size() == static_cast<size_t>(MaxMapSize)) {
                error =
                    LineFault(fileName, lineNumber,
                              "the map is wider than " + std::to_string(MaxMapSize) + " cells.");
                return false;
            }
            if (!firstLine && grid.Cells.size() == rowStart + static_cast<size_t>(grid.Width)) {
                if (grid.Height == MaxMapSize) {
                    error =
                        LineFault(fileName, lineNumber,
                                  "the map has more than " + std::to_string(MaxMapSize) + " rows.");
                    return false;
                }
                rowStart = grid.Cells.size();
                ++grid.Height;
            }
            grid.Cells.push_back(code);
            lastCodeLine = lineNumber;
        }
        if (firstLine) {
            firstLine = false;
            grid.Width = static_cast<int32_t>(grid.Cells.size());
            grid.Height = 1;
            rowStart = 0;
        }
    }
    if (grid.Height == 0) {
        error = fileName + " holds no map cells.";
        return false;
    }
    const size_t lastRow = grid.Cells.size() - rowStart;
    if (lastRow != static_cast<size_t>(grid.Width)) {
        error = LineFault(fileName, lastCodeLine,
                          "only " + std::to_string(lastRow) + (lastRow == 1 ? " code" : " codes") +
                              " in the last row, but the first row has " +
                              std::to_string(grid.Width) + ".");
        return false;
    }
    return true;
}

std::string FormatMapText(const TMapState& map) {
    std::string text;
    text.reserve(static_cast<size_t>(map.MapWidth) * map.MapHeight * 4);
    char number[16];
    for (int row = 0; row < map.MapHeight; ++row) {
        if (row > 0) text += "\r\n";
        for (int column = 0; column < map.MapWidth; ++column) {
            if (column > 0) text += ' ';
            const auto [end, ec] =
                std::to_chars(number, number + sizeof number, map.MapCells(column, row));
            text.append(number, end);
        }
    }
    return text;
}

int CountBaseCodes(std::string_view text, const TTerrainTables& tables, int limit) {
    TTextLines lines(text);
    int count = 0;
    while (count < limit && lines.Next()) {
        for (std::string_view word = NextWord(lines.Line); count < limit && !word.empty();
             word = NextWord(lines.Line)) {
            int32_t code = 0;
            if (!ParseWholeNumber(word, code)) return count;
            if (KindOfCode(tables, code) == tkBase) ++count;
        }
    }
    return count;
}

uint16_t MapChecksum(const TMapState& map) {
    // Wrap-around 32-bit sums: unsigned arithmetic gives the same low bits
    // without signed overflow.
    const uint32_t w = static_cast<uint32_t>(map.MapWidth);
    const uint32_t h = static_cast<uint32_t>(map.MapHeight);
    uint32_t sum = w * h;
    const uint32_t rows = h < MaxMapSize ? h : MaxMapSize;
    const uint32_t columns = w < MaxMapSize ? w : MaxMapSize;
    for (uint32_t y = 0; y < rows; ++y)
        for (uint32_t x = 0; x < columns; ++x)
            sum += (y * w + x + 1) *
                   static_cast<uint32_t>(map.MapCells(static_cast<int>(x), static_cast<int>(y)));
    return static_cast<uint16_t>(sum & 0xFFFFu);
}
