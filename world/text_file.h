// Reading the game's small text files: whole-file reads with a size limit,
// the old end-of-file mark, and line splitting for CR LF, LF or CR endings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Reads the whole file. On failure returns false and says why in error,
// naming the file. Files larger than maxBytes are refused.
bool ReadTextFile(const std::string& path, size_t maxBytes, std::string& text, std::string& error);

// Writes text to path through a temporary file beside it, so a failed write
// never leaves half a file where the old one was.
bool WriteTextFile(const std::string& path, std::string_view text, std::string& error);

// Walks the lines of a text, numbering them from 1. Lines end with CR LF,
// LF or CR; a Ctrl-Z ends the text, as it always has for these files.
class TTextLines {
  public:
    explicit TTextLines(std::string_view text);
    bool Next();
    // Like Next, but passes over lines that hold only blanks.
    bool NextFilled();
    std::string_view Line;
    int Number = 0;

  private:
    std::string_view Rest;
};

// "file, line n: what"
std::string LineFault(const std::string& fileName, int line, const std::string& what);

bool IsBlank(char c);
std::string_view TrimBlanks(std::string_view s);
// Takes the next blank-separated word off the front of rest; empty at the end.
std::string_view NextWord(std::string_view& rest);

// A decimal whole number with an optional sign that fits 32 bits, and
// nothing else in the word.
bool ParseWholeNumber(std::string_view word, int32_t& value);

// A word as it may be shown in a message: shortened, control bytes masked.
std::string Printable(std::string_view word);

// Joins the program folder and a file name.
std::string FolderFile(const std::string& folder, const std::string& file);
