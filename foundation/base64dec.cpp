#include "foundation/base64dec.h"

#include <array>
#include <cstdint>

namespace {

constexpr unsigned char NotInTable = 0xFF;

constexpr std::array<unsigned char, 256> MakeTable(std::string_view digits, bool caseless) {
    std::array<unsigned char, 256> table{};
    table.fill(NotInTable);
    for (std::size_t i = 0; i < digits.size(); ++i) {
        table[static_cast<unsigned char>(digits[i])] = static_cast<unsigned char>(i);
        if (caseless && digits[i] >= 'a' && digits[i] <= 'z')
            table[static_cast<unsigned char>(digits[i] - 'a' + 'A')] =
                static_cast<unsigned char>(i);
    }
    return table;
}

constexpr auto Base64Value =
    MakeTable("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/", false);
constexpr auto HexValue = MakeTable("0123456789abcdef", true);

unsigned char Byte(char c) {
    return static_cast<unsigned char>(c);
}

// Writes the three bytes of four six-bit groups held in the low 24 bits.
char* PutTriple(char* out, std::uint32_t bits) {
    out[0] = static_cast<char>(bits >> 16);
    out[1] = static_cast<char>(bits >> 8);
    out[2] = static_cast<char>(bits);
    return out + 3;
}

// The bytes of a last, incomplete run of one to three groups: every group
// starts a byte of its own except where it shares one with its predecessor,
// so one group gives one byte (its six bits and two zero bits), two give
// one, three give two.
char* PutTail(char* out, std::uint32_t bits, int groups) {
    switch (groups) {
    case 1:
        *out++ = static_cast<char>(bits << 2);
        break;
    case 2:
        *out++ = static_cast<char>(bits >> 4);
        break;
    case 3:
        *out++ = static_cast<char>(bits >> 10);
        *out++ = static_cast<char>(bits >> 2);
        break;
    }
    return out;
}

// True when the soft line break "=" CR LF starts at p.
bool SoftBreakAt(std::string_view text, std::size_t p) {
    return p + 2 < text.size() && text[p] == '=' && text[p + 1] == '\r' && text[p + 2] == '\n';
}

std::size_t SkipSoftBreaks(std::string_view text, std::size_t p) {
    while (SoftBreakAt(text, p))
        p += 3;
    return p;
}

} // namespace

void TCustomDecode::Create(std::string_view text) {
    Data.assign(text);
    Size = static_cast<int>(Data.size());
}

void TBase64Decode::Create(std::string_view text) {
    // Decoding ends at the first "="; a later block is ignored.
    text = text.substr(0, text.find('='));
    Data.assign(text.size() / 4 * 3 + 3, '\0');
    char* out = Data.data();
    const char* in = text.data();
    const char* const end = in + text.size();
    std::uint32_t bits = 0;
    int groups = 0;
    while (in < end) {
        // Fast path: four alphabet bytes in a row at a group boundary.
        if (groups == 0 && end - in >= 4) {
            std::uint32_t a = Base64Value[Byte(in[0])], b = Base64Value[Byte(in[1])],
                          c = Base64Value[Byte(in[2])], d = Base64Value[Byte(in[3])];
            if (((a | b | c | d) & 0x80) == 0) {
                out = PutTriple(out, a << 18 | b << 12 | c << 6 | d);
                in += 4;
                continue;
            }
        }
        // Bytes outside the alphabet (line breaks, blanks, junk) are skipped.
        unsigned char value = Base64Value[Byte(*in++)];
        if (value == NotInTable) continue;
        bits = bits << 6 | value;
        if (++groups == 4) {
            out = PutTriple(out, bits);
            bits = 0;
            groups = 0;
        }
    }
    out = PutTail(out, bits, groups);
    Data.resize(static_cast<std::size_t>(out - Data.data()));
    Size = static_cast<int>(Data.size());
}

// Quoted-printable decodes in two steps: every soft line break "=" CR LF is
// removed, then each "=" with two hexadecimal digits, leftmost first, becomes
// that byte and the scan continues after it; any other "=" stays. One pass
// does both: it reads the text as if the soft line breaks were gone, so "=4"
// soft break "1" decodes like "=41". Soft line breaks cannot overlap, so
// every "=" CR LF of the input is one.
void TQPrintDecode::Create(std::string_view text) {
    Data.assign(text.size(), '\0');
    char* out = Data.data();
    const std::size_t n = text.size();
    std::size_t read = 0;
    while (read < n) {
        char c = text[read];
        if (c != '=') {
            *out++ = c;
            ++read;
        } else if (SoftBreakAt(text, read)) {
            read += 3;
        } else {
            std::size_t high = SkipSoftBreaks(text, read + 1);
            std::size_t low = high < n ? SkipSoftBreaks(text, high + 1) : n;
            if (low < n && HexValue[Byte(text[high])] != NotInTable &&
                HexValue[Byte(text[low])] != NotInTable) {
                *out++ =
                    static_cast<char>(HexValue[Byte(text[high])] << 4 | HexValue[Byte(text[low])]);
                read = low + 1;
            } else {
                *out++ = '=';
                ++read;
            }
        }
    }
    Data.resize(static_cast<std::size_t>(out - Data.data()));
    Size = static_cast<int>(Data.size());
}
