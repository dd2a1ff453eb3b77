#pragma once
// The one line convention of every data file: items separated by commas (and,
// on reading, by blanks and control bytes), double-quoted with inner quotes
// doubled when they hold a blank, control byte, comma or quote. Double-byte
// CP932 characters are stepped over whole.
#include <string>
#include <string_view>
#include <vector>

// A CR, LF or NUL inside an item is written as a blank: a line always reads
// back as the items it was written from.
std::string CSVLineWrite(const std::vector<std::string>& items);
std::vector<std::string> CSVLineRead(std::string_view line);
