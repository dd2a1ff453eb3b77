// Names of message files, made from the message's subject. The work is
// linear in the subject's length and, for the " (n)" counter, independent of
// how many files already share the name.
#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/file.h"
#include "platform/text.h"
#include "store/messagebox.h"

namespace {

// A longer name is cut to its first line when word-wrapped at this width.
constexpr std::size_t kWrapColumns = 240;
// Longest file name the file system takes, in UTF-8 bytes.
constexpr std::size_t kNameMaxUtf8 = 255;
// Counters remembered at most; the memory stays small whatever the mail.
constexpr std::size_t kMaxHints = 4096;

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

// Length of the first line of the name word-wrapped at kWrapColumns: a line
// ends only after a blank, hyphen or full stop outside apostrophes. Without
// any such break the line is empty.
std::size_t FirstWrappedLine(std::string_view name) {
    if (name.size() <= kWrapColumns) return name.size();
    std::size_t lastBreak = 0;
    bool quoted = false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        auto b = static_cast<unsigned char>(name[i]);
        if (platform::IsDoubleByteAt(name, i)) {
            ++i;
        } else if (b == '\'') {
            quoted = !quoted;
        } else if (!quoted && (b == ' ' || b == '-' || b == '.')) {
            if (i + 1 > kWrapColumns) return lastBreak == 0 ? i + 1 : lastBreak;
            lastBreak = i + 1;
        }
    }
    return lastBreak;
}

bool FitsWith(std::string_view name, std::size_t suffixBytes) {
    return platform::Cp932ToUtf8(name).size() + suffixBytes <= kNameMaxUtf8;
}

// The longest prefix of the name, cut at a character boundary, that fits the
// file system's limit with the suffix once converted to UTF-8. Every CP932
// byte gives at least one UTF-8 byte, so only the first limit bytes can fit:
// the name is cut there first, then the boundary is found by halving.
std::string FitName(std::string_view name, std::size_t suffixBytes) {
    const std::size_t limit = kNameMaxUtf8 - suffixBytes;
    std::vector<std::size_t> ends{0}; // where each character ends
    for (std::size_t i = 0; i < name.size();) {
        i += platform::IsDoubleByteAt(name, i) ? 2 : 1;
        if (i > limit) break;
        ends.push_back(i);
    }
    if (FitsWith(name.substr(0, ends.back()), suffixBytes))
        return std::string(name.substr(0, ends.back()));
    std::size_t fits = 0, tooLong = ends.size() - 1; // the empty name always fits
    while (tooLong - fits > 1) {
        std::size_t mid = fits + (tooLong - fits) / 2;
        (FitsWith(name.substr(0, ends[mid]), suffixBytes) ? fits : tooLong) = mid;
    }
    return std::string(name.substr(0, ends[fits]));
}

// The next counter to try for each folder and name, learnt from the names
// handed out. Only a hint: every candidate is still looked up on disk.
class TCounterHints {
public:
    std::int64_t Get(const std::string& key) {
        std::lock_guard lock(FMutex);
        auto it = FNext.find(key);
        return it == FNext.end() ? 0 : it->second;
    }
    void Set(const std::string& key, std::int64_t next) {
        std::lock_guard lock(FMutex);
        if (FNext.size() >= kMaxHints && !FNext.count(key)) FNext.clear();
        FNext[key] = next;
    }

private:
    std::mutex FMutex;
    std::unordered_map<std::string, std::int64_t> FNext;
};

TCounterHints& CounterHints() {
    static TCounterHints hints;
    return hints;
}

// The first free counter from `from` on, when the taken counters from `from`
// form one run, as they do while files are only added: doubling steps find a
// free one, halving finds the first.
template <class TTaken>
std::int64_t FirstFree(std::int64_t from, TTaken taken) {
    if (!taken(from)) return from;
    std::int64_t busy = from, free = from + 1;
    for (std::int64_t step = 2; taken(free); step *= 2) {
        busy = free;
        free = from + step;
    }
    while (free - busy > 1) {
        std::int64_t mid = busy + (free - busy) / 2;
        (taken(mid) ? busy : free) = mid;
    }
    return free;
}

// A name that ls and file managers show: a leading dot would hide the file
// (and ".tmp" would make it look like a temporary file), and a message
// without a subject still needs a name before ".eml".
std::string VisibleName(std::string name) {
    for (std::size_t i = 0; i < name.size() && name[i] == '.'; ++i)
        name[i] = '_';
    if (name.empty()) name = platform::Utf8ToCp932("無題");
    return name;
}

} // namespace

std::string TMessageBox::MakeMessagePath(std::string_view folder, std::string_view name) {
    const std::string base =
        folder.empty() ? std::string() : platform::IncludeTrailingSeparator(folder);
    const std::string clean = VisibleName(CleanName(name.substr(0, FirstWrappedLine(name))));
    std::string plain = base + FitName(clean, 4) + ".eml";
    if (!platform::PathExists(plain)) return plain;
    auto numbered = [&](std::int64_t n) {
        std::string suffix = " (" + std::to_string(n) + ").eml";
        return base + FitName(clean, suffix.size()) + suffix;
    };
    auto taken = [&](std::int64_t n) { return platform::PathExists(numbered(n)); };
    // The counter goes on from the last name handed out while that file is
    // still there; otherwise the search starts again from 2.
    const std::string key = base + '\0' + clean;
    const std::int64_t hint = CounterHints().Get(key);
    const std::int64_t n = FirstFree(hint > 2 && taken(hint - 1) ? hint : 2, taken);
    CounterHints().Set(key, n + 1);
    return numbered(n);
}
