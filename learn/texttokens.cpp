#include "learn/texttokens.h"

#include <algorithm>
#include <string>

#include "learn/learnlimits.h"
#include "learn/tokenset.h"
#include "platform/text.h"

namespace {

constexpr std::size_t npos = std::string_view::npos;

bool IsAlnum(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Bytes that may stand inside a word; trimmed from its ends.
bool IsInnerMark(unsigned char c) {
    return c == '.' || c == '-' || c == '_' || c == '\'' || c == '$';
}

char Lower(unsigned char c) {
    return static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
}

// The ASCII letter or digit of a full-width one (row 0x82), else 0.
char FoldFullWidth(unsigned code) {
    if (code >= 0x824F && code <= 0x8258) return static_cast<char>('0' + (code - 0x824F));
    if (code >= 0x8260 && code <= 0x8279) return static_cast<char>('A' + (code - 0x8260));
    if (code >= 0x8281 && code <= 0x829A) return static_cast<char>('a' + (code - 0x8281));
    return 0;
}

// True for a double-byte character that belongs to Japanese words: kana,
// kanji, the iteration and long-vowel marks, the NEC specials (①, ㈱).
// Punctuation, brackets, symbols and box drawing separate words.
bool IsJapaneseLetter(unsigned code) {
    unsigned lead = code >> 8;
    if (lead == 0x81) return (code >= 0x8152 && code <= 0x8158) || code == 0x815B;
    if (lead == 0x82) return code >= 0x829F && code <= 0x82F1;
    if (lead == 0x83 || lead == 0x87) return true;
    return lead >= 0x88;
}

// Half-width katakana without the half-width punctuation 0xA1..0xA5.
bool IsHalfWidthKana(unsigned char c) {
    return c >= 0xA6 && c <= 0xDF;
}

bool StartsWithNoCase(std::string_view text, std::size_t at, std::string_view word) {
    if (text.size() - at < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (Lower(static_cast<unsigned char>(text[at + i])) != word[i]) return false;
    return true;
}

bool IsHostByte(unsigned char c) {
    return IsAlnum(c) || c == '.' || c == '-' || c == '_';
}

// Bytes that end a URL in text: blanks, controls, quotes, angle brackets, non-ASCII.
bool EndsUrl(unsigned char c) {
    return c <= 0x20 || c >= 0x7F || c == '"' || c == '\'' || c == '<' || c == '>';
}

class TScanner {
public:
    TScanner(std::string_view text, std::string_view prefix, TTokenSet& tokens)
        : FText(text), FPrefix(prefix), FTokens(tokens) {}

    void Run();

private:
    void WordByte(char c);
    void EndWord();
    void JapaneseLetter(std::size_t start, std::size_t end);
    void EndRun();
    void Separator() {
        EndWord();
        EndRun();
    }

    std::string_view FText;
    std::string_view FPrefix;
    TTokenSet& FTokens;
    std::string FWord;           // the first bytes of the word
    std::size_t FWordLength = 0; // all its bytes
    bool FWordHasAlnum = false;
    std::size_t FLetterStart = 0; // the last Japanese letter of the run
    std::size_t FRunLetters = 0;
};

void TScanner::Run() {
    std::size_t i = 0;
    while (i < FText.size()) {
        auto c = static_cast<unsigned char>(FText[i]);
        if (c < 0x80) {
            if ((c == 'h' || c == 'H') && FWordLength == 0) {
                std::size_t past = TokenizeUrl(FText, i, FTokens);
                if (past != i) {
                    Separator();
                    i = past;
                    continue;
                }
            }
            if (IsAlnum(c) || IsInnerMark(c)) {
                EndRun();
                WordByte(static_cast<char>(c));
            } else {
                Separator();
            }
            ++i;
        } else if (platform::IsDoubleByteAt(FText, i)) {
            unsigned code = (c << 8) | static_cast<unsigned char>(FText[i + 1]);
            if (char folded = FoldFullWidth(code)) {
                EndRun();
                WordByte(folded);
            } else if (IsJapaneseLetter(code)) {
                EndWord();
                JapaneseLetter(i, i + 2);
            } else {
                Separator();
            }
            i += 2;
        } else {
            if (IsHalfWidthKana(c)) {
                EndWord();
                JapaneseLetter(i, i + 1);
            } else {
                Separator();
            }
            ++i;
        }
    }
    Separator();
}

void TScanner::WordByte(char c) {
    if (FWordLength == 0) FWord.clear();
    if (FWordLength <= learnlimits::MaxWordBytes) FWord.push_back(c);
    ++FWordLength;
    FWordHasAlnum = FWordHasAlnum || IsAlnum(static_cast<unsigned char>(c));
}

void TScanner::EndWord() {
    if (FWordLength == 0) return;
    const std::size_t length = FWordLength;
    const bool hasAlnum = FWordHasAlnum;
    FWordLength = 0;
    FWordHasAlnum = false;
    if (!hasAlnum) return;
    if (length > learnlimits::MaxWordBytes) {
        std::size_t first = FWord.find_first_not_of(".-_'$");
        std::string skip =
            (first == npos ? "" : FWord.substr(first, 1)) + std::to_string(length / 10 * 10);
        FTokens.Add(FPrefix, "skip:" + skip);
        return;
    }
    std::string_view word = FWord;
    while (IsInnerMark(static_cast<unsigned char>(word.back())))
        word.remove_suffix(1);
    while (word.front() != '$' && IsInnerMark(static_cast<unsigned char>(word.front())))
        word.remove_prefix(1);
    if (word.size() < learnlimits::MinWordBytes) return;
    // A number alone (a date, a count, a price without its sign) tells nothing.
    if (std::none_of(word.begin(), word.end(), [](char c) {
            return c == '$' || (IsAlnum(static_cast<unsigned char>(c)) && (c < '0' || c > '9'));
        }))
        return;
    // A word in capitals alone counts as the same word in small letters: text
    // written all in capitals (weather warnings, old terminals) is not spam.
    if (std::none_of(word.begin(), word.end(), [](char c) { return c >= 'a' && c <= 'z'; })) {
        std::string lower(word);
        for (char& c : lower)
            c = Lower(static_cast<unsigned char>(c));
        FTokens.Add(FPrefix, lower);
        return;
    }
    FTokens.Add(FPrefix, word);
}

void TScanner::JapaneseLetter(std::size_t start, std::size_t end) {
    // Neighbouring letters stand side by side in the text: the bigram is one view.
    if (FRunLetters > 0) FTokens.Add(FPrefix, FText.substr(FLetterStart, end - FLetterStart));
    FLetterStart = start;
    ++FRunLetters;
}

void TScanner::EndRun() {
    if (FRunLetters == 1) {
        std::size_t length = platform::IsDoubleByteAt(FText, FLetterStart) ? 2 : 1;
        FTokens.Add(FPrefix, FText.substr(FLetterStart, length));
    }
    FRunLetters = 0;
}

} // namespace

void TokenizeText(std::string_view text, std::string_view prefix, TTokenSet& tokens) {
    TScanner(text, prefix, tokens).Run();
}

std::size_t TokenizeUrl(std::string_view text, std::size_t start, TTokenSet& tokens) {
    std::size_t hostStart = npos;
    if (StartsWithNoCase(text, start, "http://")) hostStart = start + 7;
    if (StartsWithNoCase(text, start, "https://")) hostStart = start + 8;
    if (hostStart == npos) return start;
    std::size_t i = hostStart;
    // user:password@ before the host is passed over.
    while (i < text.size() &&
           (IsHostByte(static_cast<unsigned char>(text[i])) || text[i] == '@' || text[i] == ':')) {
        if (text[i] == '@') hostStart = i + 1;
        ++i;
    }
    std::string_view host = text.substr(hostStart, i - hostStart);
    host = host.substr(0, host.find(':'));
    while (!host.empty() && host.back() == '.')
        host.remove_suffix(1);
    if (!host.empty() && host.size() <= learnlimits::MaxHostBytes) {
        std::string lower(host);
        for (char& c : lower)
            c = Lower(static_cast<unsigned char>(c));
        tokens.Add("url:", lower);
    }
    while (i < text.size() && !EndsUrl(static_cast<unsigned char>(text[i])))
        ++i;
    return i;
}
