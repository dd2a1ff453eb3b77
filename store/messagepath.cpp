// Names of message files, made from the message's subject.
#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/text.h"
#include "store/messagebox.h"

namespace {

// A longer name is cut to its first line when word-wrapped at this width.
constexpr std::size_t kWrapColumns = 240;
// Longest file name the file system takes, in UTF-8 bytes.
constexpr std::size_t kNameMaxUtf8 = 255;

bool Unsafe(unsigned char b) {
    // 0x10 passes; a NUL would cut the name short at the OS call.
    if (b <= 0x0F || (b >= 0x11 && b <= 0x1F)) return true;
    return std::string_view("/:;*?\\\"<>|").find(static_cast<char>(b)) != std::string_view::npos;
}

// Characters that cannot stand in a file name become underscores; the
// second byte of a double-byte character is never touched.
std::string CleanName(std::string_view name) {
    std::string out(name);
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (platform::IsDoubleByteAt(out, i))
            ++i;
        else if (Unsafe(static_cast<unsigned char>(out[i])))
            out[i] = '_';
    }
    return out;
}

// The first line of the name word-wrapped at kWrapColumns: a line ends only
// after a blank, hyphen or full stop outside apostrophes. Without any such
// break the name becomes empty.
std::string FirstWrappedLine(const std::string& name) {
    if (name.size() <= kWrapColumns) return name;
    std::size_t lastBreak = std::string::npos;
    bool quoted = false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        auto b = static_cast<unsigned char>(name[i]);
        if (platform::IsDoubleByteAt(name, i)) {
            ++i;
        } else if (b == '\'') {
            quoted = !quoted;
        } else if (!quoted && (b == ' ' || b == '-' || b == '.')) {
            if (i + 1 > kWrapColumns)
                return name.substr(0, lastBreak == std::string::npos ? i + 1 : lastBreak);
            lastBreak = i + 1;
        }
    }
    return lastBreak == std::string::npos ? std::string() : name.substr(0, lastBreak);
}

// The name cut at a character boundary so that it and the suffix fit the
// file system's limit once converted to UTF-8.
std::string FitName(const std::string& name, std::size_t suffixBytes) {
    std::vector<std::size_t> ends; // where each character ends
    for (std::size_t i = 0; i < name.size();) {
        i += platform::IsDoubleByteAt(name, i) ? 2 : 1;
        ends.push_back(i);
    }
    auto fits = [&](std::size_t end) {
        return platform::Cp932ToUtf8(std::string_view(name).substr(0, end)).size() + suffixBytes <=
               kNameMaxUtf8;
    };
    while (!ends.empty() && !fits(ends.back()))
        ends.pop_back();
    return name.substr(0, ends.empty() ? 0 : ends.back());
}

bool Taken(const std::string& path) {
    return platform::FileExists(path) || platform::DirectoryExists(path);
}

} // namespace

std::string TMessageBox::MakeMessagePath(std::string_view folder, std::string_view name) {
    std::string base = folder.empty() ? std::string() : platform::IncludeTrailingSeparator(folder);
    std::string clean = FirstWrappedLine(CleanName(name));
    std::string candidate = base + FitName(clean, 4) + ".eml";
    for (int n = 2; Taken(candidate); ++n) {
        std::string suffix = " (" + std::to_string(n) + ").eml";
        candidate = base + FitName(clean, suffix.size()) + suffix;
    }
    return candidate;
}
