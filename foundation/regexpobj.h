#pragma once
// A compiled PCRE2 pattern with the captures and the texts before and after
// its last match. Subjects are bytes (CP932 or ASCII); no UTF mode.
//
// Scanning idiom: to find every occurrence, repeat Execute on the previous
// PostMatch(). Each search treats the remainder as a fresh subject, so "^"
// and "\b" see its start as the start of a subject. PreMatch() and
// PostMatch() are views into the last matched subject, which must outlive
// their use; Execute never copies the subject.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TRegexpObj {
public:
    // Option bits of the classic interface.
    static constexpr int Caseless = 1;
    static constexpr int Multiline = 2;
    // Matches CP932 text by characters (foundation/cp932pattern.h): a match
    // starts and ends on character boundaries, items take whole characters
    // and case folding never touches the second byte of a character. For the
    // patterns users write; the system's own patterns match bytes.
    static constexpr int Characters = 0x100;

    explicit TRegexpObj(std::string_view pattern, int options = 0);
    ~TRegexpObj();
    TRegexpObj(const TRegexpObj&) = delete;
    TRegexpObj& operator=(const TRegexpObj&) = delete;

    // JIT-compiles the pattern. False when there is no compiled pattern.
    bool Study(int options = 0);
    bool Compile(std::string_view pattern, int options);
    // Bounds the work of every later Execute (the PCRE2 match and depth limits),
    // also across Compile: a search that reaches a bound ends as no match. For
    // patterns that users write, where backtracking can explode.
    void SetMatchLimits(std::uint32_t matchLimit, std::uint32_t depthLimit);
    // Makes every later Execute draw on the thread's current TMatchBudget
    // (foundation/matchbudget.h), when there is one: once it is spent,
    // Execute finds nothing without searching.
    void SetBudgeted(bool budgeted) { FBudgeted = budgeted; }

    // True when the pattern matches somewhere in the subject. On a match the
    // captures, PreMatch and PostMatch are replaced; otherwise they stay.
    bool Execute(std::string_view subject, int options = 0);
    bool Execute(const char* subject, int options = 0) {
        return Execute(std::string_view(subject), options);
    }
    bool Execute(std::string&& subject, int options = 0) = delete; // views would dangle

    // The text with a backslash before every byte that is not a word character.
    static std::string escape(std::string_view text);

    bool Compiled() const { return FCode != nullptr; }
    std::string_view PreMatch() const { return FPreMatch; }
    std::string_view PostMatch() const { return FPostMatch; }
    const std::vector<std::string>& Captures() const { return FCaptures; }
    const std::string& Capture(std::size_t k) const;
    // Offset of the whole match within the last matched subject.
    std::size_t MatchStart() const { return FPreMatch.size(); }

    std::string Pattern;
    std::string ErrorText;
    int ErrorOffset = 0;
    int ResultCount = 0;

private:
    struct Code;
    void Release();
    void ApplyLimits();

    Code* FCode = nullptr;
    std::uint32_t FMatchLimit = 0; // 0: the library's defaults
    std::uint32_t FDepthLimit = 0;
    bool FBudgeted = false;
    std::vector<std::string> FCaptures;
    std::string_view FPreMatch;
    std::string_view FPostMatch;
};
