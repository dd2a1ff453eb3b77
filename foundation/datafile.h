#pragma once
// Data files: read whole; lines end at CR, LF or CR LF; a NUL byte ends the
// text. Written with CR LF after every line, the last included.
#include <string>
#include <string_view>
#include <vector>

std::vector<std::string> SplitDataLines(std::string_view text);
std::string JoinDataLines(const std::vector<std::string>& lines);

// A missing or unreadable file reads as no lines.
std::vector<std::string> ReadDataFile(std::string_view path);
// Replaces the file atomically; false (with the reason in error) when it could not.
bool WriteDataFile(std::string_view path, const std::vector<std::string>& lines,
                   unsigned mode = 0600, std::string* error = nullptr);
// Appends one line (CR LF added) with one write. A last line that a crash
// cut short of its line end is ended first, so the new line stands alone.
bool AppendDataLine(std::string_view path, std::string_view line, unsigned mode = 0600,
                    std::string* error = nullptr);
