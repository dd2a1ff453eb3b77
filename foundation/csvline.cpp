#include "foundation/csvline.h"

#include "platform/text.h"

namespace {

bool NeedsQuotes(std::string_view item) {
    for (std::size_t i = 0; i < item.size(); ++i) {
        auto b = static_cast<unsigned char>(item[i]);
        if (platform::IsDoubleByteAt(item, i)) {
            ++i; // the trail byte of a double-byte character is never special
            continue;
        }
        if ((b >= 0x01 && b <= 0x20) || b == '"' || b == ',') return true;
    }
    return false;
}

void AppendQuoted(std::string& out, std::string_view item) {
    out += '"';
    for (std::size_t i = 0; i < item.size(); ++i) {
        char c = item[i];
        out += c;
        if (platform::IsDoubleByteAt(item, i))
            out += item[++i];
        else if (c == '"')
            out += '"';
    }
    out += '"';
}

bool IsBlank(char c) {
    auto b = static_cast<unsigned char>(c);
    return b >= 0x01 && b <= 0x20;
}

// A line end or a NUL inside an item would split the line or end the file
// when it is read back: each becomes a blank. No trail byte of a double-byte
// character is below 0x40, so bytes can be replaced one by one.
constexpr std::string_view LineBreakers("\0\r\n", 3);

std::string WithoutLineBreakers(std::string_view item) {
    std::string out(item);
    for (std::size_t at = out.find_first_of(LineBreakers); at != std::string::npos;
         at = out.find_first_of(LineBreakers, at + 1))
        out[at] = ' ';
    return out;
}

} // namespace

std::string CSVLineWrite(const std::vector<std::string>& items) {
    if (items.size() == 1 && items[0].empty()) return "\"\"";
    std::string out;
    for (std::size_t k = 0; k < items.size(); ++k) {
        if (k) out += ',';
        std::string_view item = items[k];
        std::string clean;
        if (item.find_first_of(LineBreakers) != std::string_view::npos)
            item = clean = WithoutLineBreakers(item);
        if (NeedsQuotes(item))
            AppendQuoted(out, item);
        else
            out += item;
    }
    return out;
}

std::vector<std::string> CSVLineRead(std::string_view line) {
    // A NUL byte ends the text, as it does for a whole data file.
    line = line.substr(0, line.find('\0'));
    std::vector<std::string> items;
    std::size_t i = 0, n = line.size();
    while (i < n && IsBlank(line[i]))
        ++i;
    while (i < n) {
        std::string item;
        if (line[i] == '"') {
            ++i;
            while (i < n) {
                if (line[i] == '"') {
                    if (i + 1 < n && line[i + 1] == '"') {
                        item += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += line[i++];
            }
        } else {
            std::size_t start = i;
            while (i < n && !IsBlank(line[i]) && line[i] != ',')
                ++i;
            item.assign(line.substr(start, i - start));
        }
        items.push_back(std::move(item));
        while (i < n && IsBlank(line[i]))
            ++i;
        if (i < n && line[i] == ',') {
            ++i;
            while (i < n && IsBlank(line[i]))
                ++i;
        }
    }
    return items;
}
