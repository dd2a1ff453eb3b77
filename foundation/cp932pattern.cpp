#include "foundation/cp932pattern.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <utility>
#include <vector>

#include "platform/text.h"

namespace {

using platform::IsLeadByte;
using platform::IsTrailByte;

// Any double-byte character: a lead byte and a trail byte.
const std::string kAnyDB = "[\\x81-\\x9f\\xe0-\\xfc][\\x40-\\x7e\\x80-\\xfc]";
// Sets of bytes, as inclusive ranges.
using TRanges = std::initializer_list<std::pair<unsigned, unsigned>>;
constexpr TRanges kLeads = {{0x81, 0x9F}, {0xE0, 0xFC}};
constexpr TRanges kTrails = {{0x40, 0x7E}, {0x80, 0xFC}};

std::string Hex(unsigned b) {
    char text[8];
    std::snprintf(text, sizeof text, "\\x%02x", b & 0xFF);
    return text;
}

bool IsWordByte(unsigned char b) {
    return (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b == '_';
}

bool IsDigit(unsigned char b) {
    return b >= '0' && b <= '9';
}

bool IsLetter(unsigned char b) {
    return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
}

int HexDigit(unsigned char b) {
    if (IsDigit(b)) return b - '0';
    if (b >= 'a' && b <= 'f') return b - 'a' + 10;
    if (b >= 'A' && b <= 'F') return b - 'A' + 10;
    return -1;
}

// The bytes from..to that lie in the set, as one byte or a class.
std::string ByteSet(unsigned from, unsigned to, TRanges set) {
    std::string members;
    int count = 0;
    for (auto [a, b] : set) {
        const unsigned lo = std::max(from, a), hi = std::min(to, b);
        if (lo > hi) continue;
        members += Hex(lo);
        if (hi > lo) {
            members += '-';
            members += Hex(hi);
        }
        count += hi > lo ? 2 : 1;
    }
    if (count <= 1) return members;
    members.insert(members.begin(), '[');
    members += ']';
    return members;
}

// The double-byte characters lo..hi (codes lead * 256 + trail) as
// alternatives of a lead byte and a class of trail bytes.
std::string DBRange(unsigned lo, unsigned hi) {
    std::string out;
    auto add = [&](const std::string& leads, unsigned from, unsigned to) {
        std::string trails = ByteSet(from, to, kTrails);
        if (leads.empty() || trails.empty()) return;
        if (!out.empty()) out += '|';
        out += leads + trails;
    };
    const unsigned l1 = lo >> 8, t1 = lo & 0xFF, l2 = hi >> 8, t2 = hi & 0xFF;
    if (l1 == l2) {
        add(Hex(l1), t1, t2);
    } else {
        add(Hex(l1), t1, 0xFC);
        if (l1 + 1 < l2) add(ByteSet(l1 + 1, l2 - 1, kLeads), 0x40, 0xFC);
        add(Hex(l2), 0x40, t2);
    }
    return out;
}

// One member of a class: a character (a code, rangeable) or a set.
struct TMember {
    enum TKind { Code, Set, Unknown } Kind = Unknown;
    unsigned Value = 0; // Code: a byte, or lead * 256 + trail
    std::string Text;   // single bytes: the member as class text
    bool AllDB = false; // Set: every double-byte character belongs
};

// A class taken apart: its single-byte members as class text, and its
// double-byte characters.
struct TClass {
    bool Negated = false;
    bool AllDB = false;
    std::string Singles;
    std::string DBAlternatives;

    void AddDB(unsigned lo, unsigned hi) {
        if (!DBAlternatives.empty()) DBAlternatives += '|';
        DBAlternatives += DBRange(lo, hi);
    }
};

class TTranslator {
public:
    explicit TTranslator(std::string_view pattern) : In(pattern) {}
    std::optional<std::string> Run();

private:
    std::size_t Size() const { return In.size(); }
    unsigned char At(std::size_t i) const {
        return i < In.size() ? static_cast<unsigned char>(In[i]) : 0;
    }
    bool DBAt(std::size_t i) const { return platform::IsDoubleByteAt(In, i); }
    void Copy(std::size_t n) {
        n = std::min(n, Size() - I);
        R.append(In.substr(I, n));
        I += n;
    }
    void CopyTo(char close) {
        const std::size_t end = In.find(close, I);
        Copy(end == std::string_view::npos ? Size() - I : end - I + 1);
    }
    void DBLiteral(unsigned char lead, unsigned char trail) {
        R += "(?-i:" + Hex(lead) + Hex(trail) + ")";
    }
    // An item that may take a double-byte character whole.
    void Whole(std::string_view item) {
        if (Lookbehinds > 0)
            R += item;
        else
            R += "(?>" + kAnyDB + "|" + std::string(item) + ")";
    }
    void Open(bool lookbehind) {
        Groups.push_back(lookbehind);
        Lookbehinds += lookbehind;
    }

    void Item();
    void Escape();
    bool EscapedDB(std::size_t at, unsigned& code, std::size_t& length) const;
    bool HexValue(std::size_t at, unsigned& value, std::size_t& length) const;
    void Quoted();
    void WordBoundary(bool bound);
    void Group();
    void Class();
    TMember Member(std::size_t& j) const;
    TMember EscapeMember(std::size_t& j) const;
    void EmitClass(const TClass& cls, std::string_view original);

    std::string_view In;
    std::size_t I = 0;
    std::string R;
    bool Faulty = false;      // groups that do not balance, a lone backslash at the end
    std::vector<bool> Groups; // open groups: true for a lookbehind
    int Lookbehinds = 0;
};

std::optional<std::string> TTranslator::Run() {
    // Items that set options for the whole pattern must stay in front.
    while (In.substr(I).starts_with("(*")) {
        std::size_t j = I + 2;
        while (j < Size() &&
               ((At(j) >= 'A' && At(j) <= 'Z') || IsDigit(At(j)) || At(j) == '_' || At(j) == '='))
            ++j;
        if (j == I + 2 || At(j) != ')') break;
        Copy(j - I + 1);
    }
    R += "(?:";
    while (I < Size())
        Item();
    if (Faulty || !Groups.empty()) return std::nullopt;
    // A match that starts inside a character is given up at that start; one
    // that ends inside a character looks for another end.
    R += ")(?>(?C" + std::to_string(cp932callout::Start) + ")|(*PRUNE)(*FAIL))(?C" +
         std::to_string(cp932callout::End) + ")";
    return std::move(R);
}

void TTranslator::Item() {
    switch (At(I)) {
    case '\\':
        Escape();
        return;
    case '[':
        Class();
        return;
    case '(':
        Group();
        return;
    case ')':
        if (Groups.empty()) {
            Faulty = true;
        } else {
            Lookbehinds -= Groups.back();
            Groups.pop_back();
        }
        Copy(1);
        return;
    case '.':
        ++I;
        Whole(".");
        return;
    default:
        break;
    }
    if (DBAt(I)) {
        DBLiteral(At(I), At(I + 1));
        I += 2;
        return;
    }
    Copy(1);
}

// A backslash before a lead byte: the double-byte character, written either
// whole or as the escape of each byte puts it ("\" lead "\" trail, for a
// trail byte that is not a word character).
bool TTranslator::EscapedDB(std::size_t at, unsigned& code, std::size_t& length) const {
    const unsigned char lead = At(at + 1), trail = At(at + 2);
    if (!IsLeadByte(lead) || at + 2 >= Size()) return false;
    if (trail == '\\') {
        if (at + 3 >= Size() || !IsTrailByte(At(at + 3)) || IsWordByte(At(at + 3))) return false;
        code = lead << 8 | At(at + 3);
        length = 4;
        return true;
    }
    if (!IsTrailByte(trail)) return false;
    code = lead << 8 | trail;
    length = 3;
    return true;
}

// "\xhh" or "\x{hh}" at the offset: its value and length.
bool TTranslator::HexValue(std::size_t at, unsigned& value, std::size_t& length) const {
    if (At(at) != '\\' || At(at + 1) != 'x') return false;
    value = 0;
    std::size_t j = at + 2;
    if (At(j) == '{') {
        for (++j; HexDigit(At(j)) >= 0 && value <= 0xFF; ++j)
            value = value * 16 + static_cast<unsigned>(HexDigit(At(j)));
        if (At(j) != '}' || value > 0xFF) return false;
        ++j;
    } else {
        for (int digits = 0; digits < 2 && HexDigit(At(j)) >= 0; ++digits, ++j)
            value = value * 16 + static_cast<unsigned>(HexDigit(At(j)));
    }
    length = j - at;
    return true;
}

void TTranslator::Escape() {
    if (I + 1 >= Size()) {
        Faulty = true;
        Copy(1);
        return;
    }
    const unsigned char e = At(I + 1);
    unsigned code = 0;
    std::size_t length = 0;
    if (EscapedDB(I, code, length)) {
        DBLiteral(static_cast<unsigned char>(code >> 8), static_cast<unsigned char>(code));
        I += length;
        return;
    }
    switch (e) {
    case 'Q':
        Quoted();
        return;
    case 'x': {
        unsigned lead = 0, trail = 0;
        std::size_t first = 0, second = 0;
        if (HexValue(I, lead, first) && IsLeadByte(static_cast<unsigned char>(lead)) &&
            HexValue(I + first, trail, second) && IsTrailByte(static_cast<unsigned char>(trail))) {
            DBLiteral(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail));
            I += first + second;
        } else {
            Copy(HexValue(I, lead, first) ? first : 2);
        }
        return;
    }
    case 'b':
    case 'B':
        I += 2;
        WordBoundary(e == 'b');
        return;
    case 'W':
    case 'S':
    case 'D':
    case 'H':
    case 'X': {
        const std::string item(In.substr(I, 2));
        I += 2;
        Whole(item);
        return;
    }
    case 'N':
        if (At(I + 2) != '{') {
            I += 2;
            Whole("\\N");
            return;
        }
        break;
    case 'c':
        Copy(3);
        return;
    default:
        break;
    }
    Copy(2);
    // The argument of an escape that has one, so that its text is not read
    // as pattern items.
    if (e == 'p' || e == 'P' || e == 'g' || e == 'k' || e == 'o' || e == 'N') {
        const unsigned char open = At(I);
        if (open == '{' || open == '<' || open == '\'')
            CopyTo(open == '{' ? '}' : open == '<' ? '>' : '\'');
        else if (e == 'p' || e == 'P')
            Copy(1);
        else if (e == 'g')
            for (Copy(At(I) == '-' || At(I) == '+' ? 1 : 0); IsDigit(At(I));)
                Copy(1);
    } else if (IsDigit(e)) {
        while (IsDigit(At(I)))
            Copy(1);
    }
}

// "\Q...\E": every character literal.
void TTranslator::Quoted() {
    I += 2;
    while (I < Size()) {
        if (DBAt(I)) {
            DBLiteral(At(I), At(I + 1));
            I += 2;
            continue;
        }
        const unsigned char c = At(I);
        if (c == '\\' && At(I + 1) == 'E') {
            I += 2;
            return;
        }
        if (IsWordByte(c))
            R += static_cast<char>(c);
        else
            R += Hex(c);
        ++I;
    }
}

// "\b" and "\B": the byte test holds unless the two bytes before could be one
// double-byte character; there the matcher judges the characters.
void TTranslator::WordBoundary(bool bound) {
    R += "(?:(?<!" + kAnyDB + ")" + (bound ? "\\b" : "\\B") + "|(?<=" + kAnyDB + ")(?C" +
         std::to_string(bound ? cp932callout::WordBound : cp932callout::NoWordBound) + "))";
}

void TTranslator::Group() {
    const unsigned char c1 = At(I + 1), c2 = At(I + 2);
    if (c1 == '?' && c2 == '#') { // a comment
        CopyTo(')');
        return;
    }
    if (c1 == '*') {
        std::size_t j = I + 2;
        while (j < Size() && ((At(j) >= 'a' && At(j) <= 'z') || At(j) == '_'))
            ++j;
        if (j > I + 2 && At(j) == ':') { // an assertion or group by name
            const std::string_view name = In.substr(I + 2, j - I - 2);
            Open(name == "plb" || name == "positive_lookbehind" || name == "nlb" ||
                 name == "negative_lookbehind" || name == "naplb" ||
                 name == "non_atomic_positive_lookbehind");
            Copy(j - I + 1);
        } else { // a verb
            CopyTo(')');
        }
        return;
    }
    if (c1 == '?' && c2 == 'C') { // a callout, perhaps with a delimited text
        std::size_t j = I + 3;
        if (j < Size() && !IsDigit(At(j)) && At(j) != ')') {
            const unsigned char close = At(j) == '{' ? '}' : At(j);
            for (++j; j < Size(); ++j) {
                if (At(j) != close) continue;
                if (close != '}' && At(j + 1) == close) {
                    ++j;
                    continue;
                }
                break;
            }
        }
        const std::size_t end = In.find(')', j);
        Copy(end == std::string_view::npos ? Size() - I : end - I + 1);
        return;
    }
    if (c1 == '?' && c2 == '<' && (At(I + 3) == '=' || At(I + 3) == '!')) {
        Open(true);
        Copy(4);
        return;
    }
    if (c1 == '?') {
        std::size_t j = I + 2;
        while (j < Size() && (IsLetter(At(j)) || At(j) == '-' || At(j) == '^'))
            ++j;
        if (At(j) == ')' && j < Size()) { // options for the rest of the group
            Copy(j - I + 1);
            return;
        }
        Open(false);
        Copy(2);
        return;
    }
    Open(false);
    Copy(1);
}

TMember TTranslator::EscapeMember(std::size_t& j) const {
    TMember m;
    const unsigned char e = At(j + 1);
    unsigned code = 0;
    std::size_t length = 0;
    if (EscapedDB(j, code, length)) {
        j += length;
        m.Kind = TMember::Code;
        m.Value = code;
        return m;
    }
    if (e == 'x') {
        unsigned lead = 0, trail = 0;
        std::size_t first = 0, second = 0;
        if (!HexValue(j, lead, first)) {
            j += 2;
            return m;
        }
        if (IsLeadByte(static_cast<unsigned char>(lead)) && HexValue(j + first, trail, second) &&
            IsTrailByte(static_cast<unsigned char>(trail))) {
            // Two hex escapes of a lead and a trail byte: "\x83\x41" names ア.
            m.Kind = TMember::Code;
            m.Value = lead << 8 | trail;
            j += first + second;
            return m;
        }
        m.Kind = TMember::Code;
        m.Value = lead;
        m.Text = std::string(In.substr(j, first));
        j += first;
        return m;
    }
    m.Text = std::string(In.substr(j, 2));
    j += 2;
    static constexpr std::string_view kValues = "n\nt\tr\rf\fe\x1b"
                                                "a\ab\b";
    if (const std::size_t at = kValues.find(static_cast<char>(e));
        at != std::string_view::npos && at % 2 == 0) {
        m.Kind = TMember::Code;
        m.Value = static_cast<unsigned char>(kValues[at + 1]);
    } else if (std::string_view("dwshv").find(static_cast<char>(e)) != std::string_view::npos) {
        m.Kind = TMember::Set;
    } else if (std::string_view("DWSHV").find(static_cast<char>(e)) != std::string_view::npos) {
        m.Kind = TMember::Set;
        m.AllDB = true; // every double-byte character is outside these sets
    } else if (!IsWordByte(e) && e != 0) {
        m.Kind = TMember::Code;
        m.Value = e;
    }
    return m; // anything else is left to the matcher, byte by byte
}

TMember TTranslator::Member(std::size_t& j) const {
    TMember m;
    const unsigned char c = At(j);
    if (c == '[' && At(j + 1) == ':') {
        const std::size_t end = In.find(":]", j + 2);
        if (end != std::string_view::npos) {
            m.Kind = TMember::Set;
            m.AllDB = At(j + 2) == '^';
            m.Text = std::string(In.substr(j, end + 2 - j));
            j = end + 2;
            return m;
        }
    }
    if (c == '\\') return EscapeMember(j);
    m.Kind = TMember::Code;
    if (DBAt(j)) {
        m.Value = c << 8 | At(j + 1);
        j += 2;
        return m;
    }
    m.Value = c;
    m.Text = std::string_view("]^-\\[").find(static_cast<char>(c)) != std::string_view::npos
                 ? std::string("\\") + static_cast<char>(c)
                 : std::string(1, static_cast<char>(c));
    ++j;
    return m;
}

void TTranslator::Class() {
    TClass cls;
    bool understood = true;
    std::size_t j = I + 1;
    if (At(j) == '^') {
        cls.Negated = true;
        ++j;
    }
    for (bool first = true; j < Size() && (first || At(j) != ']'); first = false) {
        TMember m = Member(j);
        TMember hi;
        const bool range =
            m.Kind == TMember::Code && At(j) == '-' && j + 1 < Size() && At(j + 1) != ']';
        if (range) {
            ++j;
            hi = Member(j);
        }
        if (m.Kind == TMember::Unknown || (range && hi.Kind != TMember::Code)) {
            understood = false;
        } else if (m.Kind == TMember::Set) {
            cls.Singles += m.Text;
            cls.AllDB = cls.AllDB || m.AllDB;
        } else if (!range) {
            if (m.Value > 0xFF)
                cls.AddDB(m.Value, m.Value);
            else
                cls.Singles += m.Text;
        } else if (m.Value > hi.Value) {
            understood = false; // out of order: the matcher says so
        } else if (hi.Value <= 0xFF) {
            cls.Singles += m.Text + "-" + hi.Text;
        } else {
            if (m.Value <= 0xFF) cls.Singles += m.Text + "-\\xff";
            cls.AddDB(std::max(m.Value, 0x8140u), hi.Value);
        }
    }
    if (j >= Size()) { // no closing bracket: the matcher reports it
        Copy(Size() - I);
        return;
    }
    const std::string_view original = In.substr(I, j + 1 - I);
    I = j + 1;
    if (!understood || Lookbehinds > 0)
        R += original;
    else
        EmitClass(cls, original);
}

void TTranslator::EmitClass(const TClass& cls, std::string_view original) {
    const bool someDB = !cls.DBAlternatives.empty();
    const std::string named = "(?-i:" + cls.DBAlternatives + ")";
    if (!cls.Negated) {
        if (!someDB && !cls.AllDB) {
            R += original;
        } else if (cls.Singles.empty()) {
            R += named;
        } else if (cls.AllDB) {
            R += "(?>" + kAnyDB + "|[" + cls.Singles + "])";
        } else {
            R += "(?:" + named + "|[" + cls.Singles + "])";
        }
        return;
    }
    const std::string others = cls.Singles.empty() ? "[\\x00-\\xff]" : "[^" + cls.Singles + "]";
    if (cls.AllDB)
        R += "(?!" + kAnyDB + ")" + others;
    else if (!someDB)
        R += "(?>" + kAnyDB + "|" + std::string(original) + ")";
    else
        R += "(?:(?!" + named + ")" + kAnyDB + "|(?!" + kAnyDB + ")" + others + ")";
}

} // namespace

std::optional<std::string> TranslateCp932Pattern(std::string_view pattern) {
    return TTranslator(pattern).Run();
}
