#include "foundation/regexpobj.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "foundation/cp932pattern.h"
#include "foundation/matchbudget.h"
#include "platform/text.h"

namespace {

uint32_t CompileOptions(int options) {
    uint32_t result = 0;
    if (options & TRegexpObj::Caseless) result |= PCRE2_CASELESS;
    if (options & TRegexpObj::Multiline) result |= PCRE2_MULTILINE;
    return result;
}

// The compiled pattern, or null with the compiler's message and offset in
// the object when one is given.
pcre2_code* CompilePattern(const std::string& pattern, int options, TRegexpObj* errors) {
    int error = 0;
    PCRE2_SIZE offset = 0;
    pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                                     CompileOptions(options), &error, &offset, nullptr);
    if (code == nullptr && errors != nullptr) {
        PCRE2_UCHAR message[256];
        pcre2_get_error_message(error, message, sizeof message);
        errors->ErrorText = reinterpret_cast<const char*>(message);
        errors->ErrorOffset = static_cast<int>(offset);
    }
    return code;
}

const std::string kEmpty;

bool IsWordByte(unsigned char b) {
    return (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b == '_';
}

// Character boundaries of one subject, for the callouts of a pattern that
// matches by characters.
class TCharScan {
public:
    void Reset(std::string_view subject) {
        FSubject = subject;
        FCursor = 0;
        FStarts.clear();
    }

    // Match starts come in rising order: a cursor walks the characters once.
    bool Boundary(std::size_t at) {
        if (!FStarts.empty()) return FStarts[at];
        if (at < FCursor) FCursor = 0;
        while (FCursor < at)
            FCursor += platform::IsDoubleByteAt(FSubject, FCursor) ? 2 : 1;
        return FCursor == at;
    }
    // From a boundary on, whether `at` is one too.
    bool BoundaryFrom(std::size_t from, std::size_t at) const {
        while (from < at)
            from += platform::IsDoubleByteAt(FSubject, from) ? 2 : 1;
        return from == at;
    }
    // Whether a word starts or ends at the boundary, by characters: only a
    // single-byte character can be a word character.
    bool WordBoundary(std::size_t at) {
        Starts();
        const bool before = at > 0 && FStarts[at - 1] && IsWordByte(Byte(at - 1));
        const bool after = at < FSubject.size() && IsWordByte(Byte(at));
        return before != after;
    }

private:
    unsigned char Byte(std::size_t i) const { return static_cast<unsigned char>(FSubject[i]); }
    void Starts() {
        if (!FStarts.empty()) return;
        FStarts.assign(FSubject.size() + 1, false);
        for (std::size_t i = 0; i < FSubject.size();
             i += platform::IsDoubleByteAt(FSubject, i) ? 2 : 1)
            FStarts[i] = true;
        FStarts[FSubject.size()] = true;
    }

    std::string_view FSubject;
    std::size_t FCursor = 0;
    std::vector<bool> FStarts; // made when a word boundary is first asked
};

// 0 lets the match go on; 1 fails it at this point.
int CharCallout(pcre2_callout_block* block, void* data) {
    auto& scan = *static_cast<TCharScan*>(data);
    switch (block->callout_number) {
    case cp932callout::Start:
        return scan.Boundary(block->start_match) ? 0 : 1;
    case cp932callout::End:
        return scan.BoundaryFrom(block->start_match, block->current_position) ? 0 : 1;
    case cp932callout::WordBound:
        return scan.WordBoundary(block->current_position) ? 0 : 1;
    case cp932callout::NoWordBound:
        return scan.WordBoundary(block->current_position) ? 1 : 0;
    default:
        return 0; // the user's own callouts
    }
}

} // namespace

struct TRegexpObj::Code {
    pcre2_code* Pattern = nullptr;
    pcre2_match_data* Match = nullptr;
    pcre2_match_context* Context = nullptr; // only with limits or by characters
    bool Studied = false;
    bool Characters = false;
    TCharScan Scan; // the callouts' view of the subject, by characters
    ~Code() {
        pcre2_match_context_free(Context);
        pcre2_match_data_free(Match);
        pcre2_code_free(Pattern);
    }
};

TRegexpObj::TRegexpObj(std::string_view pattern, int options) {
    Compile(pattern, options);
}

TRegexpObj::~TRegexpObj() {
    Release();
}

void TRegexpObj::Release() {
    delete FCode;
    FCode = nullptr;
}

bool TRegexpObj::Compile(std::string_view pattern, int options) {
    Release();
    ErrorText.clear();
    ErrorOffset = 0;
    FCaptures.clear();
    Pattern = pattern;
    // A pattern that matches by characters and cannot be rewritten, or whose
    // rewriting does not compile, matches bytes as written.
    pcre2_code* code = nullptr;
    bool characters = false;
    if (options & Characters)
        if (std::optional<std::string> translated = TranslateCp932Pattern(Pattern))
            characters = (code = CompilePattern(*translated, options, nullptr)) != nullptr;
    if (code == nullptr) code = CompilePattern(Pattern, options, this);
    if (code == nullptr) return false;
    FCode = new Code;
    FCode->Pattern = code;
    FCode->Match = pcre2_match_data_create_from_pattern(code, nullptr);
    FCode->Characters = characters;
    if (characters) {
        FCode->Context = pcre2_match_context_create(nullptr);
        pcre2_set_callout(FCode->Context, CharCallout, &FCode->Scan);
    }
    ApplyLimits();
    return true;
}

void TRegexpObj::SetMatchLimits(std::uint32_t matchLimit, std::uint32_t depthLimit) {
    FMatchLimit = matchLimit;
    FDepthLimit = depthLimit;
    ApplyLimits();
}

void TRegexpObj::ApplyLimits() {
    if (FCode == nullptr || (FMatchLimit == 0 && FDepthLimit == 0)) return;
    if (FCode->Context == nullptr) FCode->Context = pcre2_match_context_create(nullptr);
    if (FMatchLimit != 0) pcre2_set_match_limit(FCode->Context, FMatchLimit);
    if (FDepthLimit != 0) pcre2_set_depth_limit(FCode->Context, FDepthLimit);
}

bool TRegexpObj::Study(int) {
    if (FCode == nullptr) return false;
    // A pattern the JIT cannot take still matches through the interpreter.
    FCode->Studied = pcre2_jit_compile(FCode->Pattern, PCRE2_JIT_COMPLETE) == 0;
    return true;
}

bool TRegexpObj::Execute(std::string_view subject, int) {
    if (FCode == nullptr) return false;
    TMatchBudget* budget = FBudgeted ? TMatchBudget::Current() : nullptr;
    if (budget != nullptr && budget->Exhausted()) {
        ResultCount = PCRE2_ERROR_NOMATCH;
        return false;
    }
    auto text = reinterpret_cast<PCRE2_SPTR>(subject.data());
    if (FCode->Characters) FCode->Scan.Reset(subject);
    int rc = pcre2_match(FCode->Pattern, text, subject.size(), 0, 0, FCode->Match, FCode->Context);
    // The JIT's own stack is smaller than the interpreter's limits: a result
    // must never depend on whether the pattern was studied.
    if (rc == PCRE2_ERROR_JIT_STACKLIMIT)
        rc = pcre2_match(FCode->Pattern, text, subject.size(), 0, PCRE2_NO_JIT, FCode->Match,
                         FCode->Context);
    ResultCount = rc;
    if (budget != nullptr)
        budget->Spend(subject.size(), rc == PCRE2_ERROR_MATCHLIMIT ||
                                          rc == PCRE2_ERROR_DEPTHLIMIT ||
                                          rc == PCRE2_ERROR_HEAPLIMIT);
    if (rc > 0) {
        uint32_t groups = 0;
        pcre2_pattern_info(FCode->Pattern, PCRE2_INFO_CAPTURECOUNT, &groups);
        const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(FCode->Match);
        FCaptures.assign(groups + 1, std::string());
        for (uint32_t k = 0; k <= groups; ++k) {
            PCRE2_SIZE from = ov[2 * k], to = ov[2 * k + 1];
            if (k < static_cast<uint32_t>(rc) && from != PCRE2_UNSET && to != PCRE2_UNSET &&
                from <= to)
                FCaptures[k].assign(subject.data() + from, to - from);
        }
        // \K can put the start of a match after its end; keep the views sane.
        PCRE2_SIZE start = std::min(ov[0], ov[1]);
        FPreMatch = subject.substr(0, start);
        FPostMatch = subject.substr(ov[1]);
    }
    return rc >= 0;
}

const std::string& TRegexpObj::Capture(std::size_t k) const {
    return k < FCaptures.size() ? FCaptures[k] : kEmpty;
}

std::string TRegexpObj::escape(std::string_view text) {
    std::string result;
    result.reserve(text.size() * 2);
    for (char c : text) {
        unsigned char b = static_cast<unsigned char>(c);
        bool word =
            (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '_';
        if (!word) result += '\\';
        result += c;
    }
    return result;
}
