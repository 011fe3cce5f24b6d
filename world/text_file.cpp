#include "world/text_file.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string_view CutAtEndMark(std::string_view text) {
    const size_t mark = text.find('\x1a');
    return mark == std::string_view::npos ? text : text.substr(0, mark);
}

bool NextLine(std::string_view& rest, std::string_view& line) {
    if (rest.empty()) return false;
    const size_t end = rest.find_first_of("\r\n");
    if (end == std::string_view::npos) {
        line = rest;
        rest = {};
        return true;
    }
    line = rest.substr(0, end);
    size_t next = end + 1;
    if (rest[end] == '\r' && next < rest.size() && rest[next] == '\n') ++next;
    rest.remove_prefix(next);
    return true;
}

} // namespace

bool ReadTextFile(const std::string& path, size_t maxBytes, std::string& text, std::string& error) {
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    if (ec) {
        error = "Cannot read \"" + path + "\": " + ec.message() + ".";
        return false;
    }
    if (size > maxBytes) {
        error = "\"" + path + "\" is too large (" + std::to_string(size) + " bytes, at most " +
                std::to_string(maxBytes) + ").";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    std::string data(static_cast<size_t>(size), '\0');
    if (!in || !in.read(data.data(), static_cast<std::streamsize>(data.size()))) {
        error = "Cannot read \"" + path + "\".";
        return false;
    }
    text = std::move(data);
    return true;
}

bool WriteTextFile(const std::string& path, std::string_view text, std::string& error) {
    const std::string temp = path + ".part";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (out) out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.flush();
        if (!out) {
            std::error_code ignored;
            fs::remove(temp, ignored);
            error = "Cannot write \"" + path + "\".";
            return false;
        }
    }
    std::error_code ec;
    fs::rename(temp, path, ec);
    if (ec) {
        fs::remove(temp, ec);
        error = "Cannot write \"" + path + "\": " + ec.message() + ".";
        return false;
    }
    return true;
}

TTextLines::TTextLines(std::string_view text) : Rest(CutAtEndMark(text)) {}

bool TTextLines::Next() {
    if (!NextLine(Rest, Line)) return false;
    ++Number;
    return true;
}

bool TTextLines::NextFilled() {
    while (Next())
        if (!TrimBlanks(Line).empty()) return true;
    return false;
}

std::string LineFault(const std::string& fileName, int line, const std::string& what) {
    return fileName + ", line " + std::to_string(line) + ": " + what;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string_view NextWord(std::string_view& rest) {
    size_t i = 0;
    while (i < rest.size() && IsBlank(rest[i]))
        ++i;
    size_t j = i;
    while (j < rest.size() && !IsBlank(rest[j]))
        ++j;
    const std::string_view word = rest.substr(i, j - i);
    rest.remove_prefix(j);
    return word;
}

bool ParseWholeNumber(std::string_view word, int32_t& value) {
    if (word.size() > 1 && word.front() == '+' && word[1] != '-') word.remove_prefix(1);
    const char* end = word.data() + word.size();
    const auto [ptr, ec] = std::from_chars(word.data(), end, value);
    return !word.empty() && ec == std::errc() && ptr == end;
}

std::string Printable(std::string_view word) {
    constexpr size_t maxShown = 24;
    std::string out;
    for (size_t i = 0; i < word.size() && i < maxShown; ++i) {
        const unsigned char c = static_cast<unsigned char>(word[i]);
        out += (c < 32 || c == 127) ? '?' : static_cast<char>(c);
    }
    if (word.size() > maxShown) out += "...";
    return out;
}

std::string FolderFile(const std::string& folder, const std::string& file) {
    if (folder.empty()) return file;
    return (fs::path(folder) / file).string();
}
