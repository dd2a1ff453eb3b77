#include "foundation/regexpobj.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <algorithm>

struct TRegexpObj::Code {
    pcre2_code* Pattern = nullptr;
    pcre2_match_data* Match = nullptr;
    pcre2_match_context* Context = nullptr; // only with limits
    bool Studied = false;
    ~Code() {
        pcre2_match_context_free(Context);
        pcre2_match_data_free(Match);
        pcre2_code_free(Pattern);
    }
};

namespace {

uint32_t CompileOptions(int options) {
    uint32_t result = 0;
    if (options & TRegexpObj::Caseless) result |= PCRE2_CASELESS;
    if (options & TRegexpObj::Multiline) result |= PCRE2_MULTILINE;
    return result;
}

const std::string kEmpty;

} // namespace

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
    int error = 0;
    PCRE2_SIZE offset = 0;
    pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(Pattern.data()), Pattern.size(),
                                     CompileOptions(options), &error, &offset, nullptr);
    if (code == nullptr) {
        PCRE2_UCHAR message[256];
        pcre2_get_error_message(error, message, sizeof message);
        ErrorText = reinterpret_cast<const char*>(message);
        ErrorOffset = static_cast<int>(offset);
        return false;
    }
    FCode = new Code;
    FCode->Pattern = code;
    FCode->Match = pcre2_match_data_create_from_pattern(code, nullptr);
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
    auto text = reinterpret_cast<PCRE2_SPTR>(subject.data());
    int rc = pcre2_match(FCode->Pattern, text, subject.size(), 0, 0, FCode->Match, FCode->Context);
    // The JIT's own stack is smaller than the interpreter's limits: a result
    // must never depend on whether the pattern was studied.
    if (rc == PCRE2_ERROR_JIT_STACKLIMIT)
        rc = pcre2_match(FCode->Pattern, text, subject.size(), 0, PCRE2_NO_JIT, FCode->Match,
                         FCode->Context);
    ResultCount = rc;
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
