#include "message/datereader.h"

#include <array>
#include <vector>

#include "platform/text.h"

namespace {

struct TToken {
    std::string_view Text;
    bool Integer = false;
};

bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsNumberTail(char c) {
    return IsDigit(c) || c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-';
}
bool IsSuffix(char c) {
    return c == 'C' || c == 'D' || c == 'S' || c == 'c' || c == 'd' || c == 's';
}

// Bytes 0x01 to 0x20 separate tokens; words, numbers and single other bytes are tokens.
// A number that runs on over ".eE+-" or takes a letter C, D or S is no integer.
std::vector<TToken> Tokenize(std::string_view text) {
    std::vector<TToken> tokens;
    std::size_t i = 0;
    while (i < text.size()) {
        unsigned char b = static_cast<unsigned char>(text[i]);
        if (b >= 0x01 && b <= 0x20) {
            ++i;
            continue;
        }
        std::size_t start = i++;
        bool integer = false;
        if (IsLetter(text[start])) {
            while (i < text.size() && (IsLetter(text[i]) || IsDigit(text[i])))
                ++i;
        } else if (IsDigit(text[start]) || text[start] == '-') {
            while (i < text.size() && IsDigit(text[i]))
                ++i;
            integer = i - start > (text[start] == '-' ? 1u : 0u);
            if (i < text.size() && IsNumberTail(text[i])) {
                integer = false;
                while (i < text.size() && IsNumberTail(text[i]))
                    ++i;
            }
            if (i < text.size() && IsSuffix(text[i])) {
                integer = false;
                ++i;
            }
        }
        tokens.push_back({text.substr(start, i - start), integer});
    }
    return tokens;
}

class TDateScanner {
public:
    explicit TDateScanner(std::string_view text) : FTokens(Tokenize(text)) {}

    void Step() { ++FIndex; }
    bool Is(std::string_view text) const { return Current().Text == text; }
    void SkipIf(std::string_view text) {
        if (Is(text)) Step();
    }

    // The current token as an integer; false when it is none or out of int range.
    bool Integer(int& value) const {
        const TToken& token = Current();
        if (!token.Integer) return false;
        std::string_view digits = token.Text;
        bool negative = digits.front() == '-';
        if (negative) digits.remove_prefix(1);
        while (digits.size() > 1 && digits.front() == '0')
            digits.remove_prefix(1);
        if (digits.size() > 9) return false;
        int n = 0;
        for (char c : digits)
            n = n * 10 + (c - '0');
        value = negative ? -n : n;
        return true;
    }

    // 1..12 for a month name, else 0.
    int Month() const {
        static constexpr std::array<std::string_view, 12> names = {
            "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
        for (std::size_t m = 0; m < names.size(); ++m)
            if (platform::SameText(Current().Text, names[m])) return static_cast<int>(m) + 1;
        return 0;
    }

private:
    const TToken& Current() const {
        static const TToken end;
        return FIndex < FTokens.size() ? FTokens[FIndex] : end;
    }

    std::vector<TToken> FTokens;
    std::size_t FIndex = 0;
};

bool ReadTime(TDateScanner& scan, TDateTimeFields& f) {
    if (!scan.Integer(f.Hour)) return false;
    scan.Step();
    scan.SkipIf(":");
    if (!scan.Integer(f.Minute)) return false;
    scan.Step();
    scan.SkipIf(":");
    if (!scan.Integer(f.Second)) return false;
    scan.Step();
    return true;
}

} // namespace

std::optional<TDateTime> ReadMailDate(std::string_view text) {
    TDateScanner scan(text);
    // Passes over a leading "Date:" and a day name with its comma.
    scan.Step();
    scan.SkipIf(":");
    scan.Step();
    scan.SkipIf(",");
    TDateTimeFields f;
    if ((f.Month = scan.Month()) != 0) {
        scan.Step();
        if (!scan.Integer(f.Day)) return std::nullopt;
        scan.Step();
        if (!ReadTime(scan, f) || !scan.Integer(f.Year)) return std::nullopt;
    } else {
        if (!scan.Integer(f.Day)) return std::nullopt;
        scan.Step();
        scan.SkipIf("-");
        if ((f.Month = scan.Month()) == 0) return std::nullopt;
        scan.Step();
        scan.SkipIf("-");
        if (!scan.Integer(f.Year)) return std::nullopt;
        if (f.Year < 100) f.Year += 1900;
        scan.Step();
        if (!ReadTime(scan, f)) return std::nullopt;
    }
    return EncodeDateTime(f);
}
