#include "foundation/datafile.h"

#include "platform/file.h"

std::vector<std::string> SplitDataLines(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = start;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n')
            ++end;
        if (end == text.size()) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
    }
    return lines;
}

std::string JoinDataLines(const std::vector<std::string>& lines) {
    std::size_t size = 0;
    for (const auto& l : lines)
        size += l.size() + 2;
    std::string text;
    text.reserve(size);
    for (const auto& l : lines) {
        text += l;
        text += "\r\n";
    }
    return text;
}

std::vector<std::string> ReadDataFile(std::string_view path) {
    auto text = platform::ReadFile(path);
    return text ? SplitDataLines(*text) : std::vector<std::string>();
}

bool WriteDataFile(std::string_view path, const std::vector<std::string>& lines, unsigned mode,
                   std::string* error) {
    return platform::WriteFileAtomic(path, JoinDataLines(lines), mode, error);
}

bool AppendDataLine(std::string_view path, std::string_view line, unsigned mode,
                    std::string* error) {
    std::string text;
    text.reserve(line.size() + 2);
    text.append(line).append("\r\n");
    return platform::AppendFile(path, text, mode, true, error);
}
