#include "message/multipartitem.h"

#include <unordered_map>

#include "foundation/base64dec.h"
#include "foundation/japancode.h"
#include "message/headertext.h"
#include "message/limits.h"
#include "platform/text.h"

using headertext::TrimControl;

// The patterns every node of one tree shares, compiled and studied once per root.
struct TMultipartItem::TShared {
    TRegexpObj Boundary{"\\bboundary=([^;]+)", TRegexpObj::Caseless};
    TRegexpObj MimeType{"(\\b[a-z]+)/([^\\s;]+)", TRegexpObj::Caseless};
    TRegexpObj Charset{"\\bcharset=([^;]+)", TRegexpObj::Caseless};
    TRegexpObj Decoder{"=\\?([^\\?]+)\\?([BQ])\\?([^\\?]+)\\?=", TRegexpObj::Caseless};
    TRegexpObj Name{"\\bname=([^;]+)", TRegexpObj::Caseless};
    TRegexpObj FileName{"\\bfilename=([^;]+)", TRegexpObj::Caseless};
    TJapanCode Japan;
    // Header lookup patterns by name, compiled on first use.
    std::unordered_map<std::string, std::unique_ptr<TRegexpObj>> Headers;

    TShared() {
        for (TRegexpObj* reg : {&Boundary, &MimeType, &Charset, &Decoder, &Name, &FileName})
            reg->Study();
    }
};

namespace {

constexpr std::string_view kCrLf = "\r\n";
// Distinct header names whose lookup patterns a tree keeps compiled.
constexpr std::size_t kHeaderPatternCache = 64;
// Bodies from this size on are split with a JIT-compiled delimiter.
constexpr std::size_t kStudyBodyBytes = 64 * 1024;

// Every line break (CR alone, LF alone, LF CR, CR LF) made CR LF.
std::string NormalizeLineBreaks(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t lineEnd = text.find_first_of("\r\n", i);
        if (lineEnd == std::string_view::npos) lineEnd = text.size();
        out.append(text, i, lineEnd - i);
        if (lineEnd == text.size()) break;
        char pair = text[lineEnd] == '\r' ? '\n' : '\r';
        i = lineEnd + (lineEnd + 1 < text.size() && text[lineEnd + 1] == pair ? 2 : 1);
        out += kCrLf;
    }
    return out;
}

// Decodes a body by its Content-Transfer-Encoding; unknown encodings pass unchanged.
std::string DecodeTransfer(std::string_view encoding, std::string_view text) {
    if (platform::SameText(encoding, "base64")) {
        TBase64Decode decoder;
        decoder.Create(text);
        return std::move(decoder.Data);
    }
    if (platform::SameText(encoding, "quoted-printable")) {
        TQPrintDecode decoder;
        decoder.Create(text);
        return std::move(decoder.Data);
    }
    return std::string(text);
}

// The bytes of one encoded word. In "Q" data an underscore stands for a blank.
std::string DecodeWord(std::string_view encoding, std::string_view data) {
    if (platform::SameText(encoding, "B")) return DecodeTransfer("base64", data);
    std::string text(data);
    for (char& c : text)
        if (c == '_') c = ' ';
    return DecodeTransfer("quoted-printable", text);
}

std::string ReplaceNoCase(std::string_view text, std::string_view from, std::string_view to) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text.size() - i >= from.size() &&
            platform::SameText(text.substr(i, from.size()), from)) {
            out += to;
            i += from.size();
        } else {
            out += text[i++];
        }
    }
    return out;
}

} // namespace

TMultipartItem::TMultipartItem(TMultipartItem* parent)
    : Parent(parent), FRoot(parent ? parent->FRoot : this),
      FDepth(parent ? parent->FDepth + 1 : 0) {
    if (!parent) FShared = std::make_unique<TShared>();
}

TMultipartItem::~TMultipartItem() = default;

TRegexpObj& TMultipartItem::GetRegBoundary() const {
    return FRoot->FShared->Boundary;
}
TRegexpObj& TMultipartItem::GetRegMimeType() const {
    return FRoot->FShared->MimeType;
}
TRegexpObj& TMultipartItem::GetRegCharset() const {
    return FRoot->FShared->Charset;
}
TRegexpObj& TMultipartItem::GetRegDecoder() const {
    return FRoot->FShared->Decoder;
}
TRegexpObj& TMultipartItem::GetRegName() const {
    return FRoot->FShared->Name;
}
TRegexpObj& TMultipartItem::GetRegFileName() const {
    return FRoot->FShared->FileName;
}
TJapanCode& TMultipartItem::Japan() const {
    return FRoot->FShared->Japan;
}

void TMultipartItem::SetText(std::string_view text) {
    if (FRoot == this) {
        FNodeCount = 1;
        FCopyBudget = msglimits::MaxNestedCopies * text.size() + msglimits::NestedCopyAllowance;
    }
    LimitReached = false;
    std::size_t end = text.find("\r\n\r\n");
    if (text.starts_with(kCrLf)) {
        // An empty line first: no header at all.
        Header.clear();
        Body = text.substr(2);
    } else if (end == std::string_view::npos) {
        // No empty line: all header, and its last line still ends in CR LF.
        Header = text;
        if (!Header.empty() && !Header.ends_with(kCrLf)) Header += kCrLf;
        Body.clear();
    } else {
        Header = text.substr(0, end + 2);
        Body = text.substr(end + 4);
    }
    if (Header.size() > msglimits::MaxHeaderBytes) {
        std::size_t cut = Header.rfind(kCrLf, msglimits::MaxHeaderBytes - 2);
        Header.resize(cut == std::string::npos ? 0 : cut + 2);
        LimitReached = true;
    }
    Create();
}

std::string TMultipartItem::FirstValue(std::string_view name) {
    int before = Results.GetCount();
    std::string value;
    if (Select(name) > before) value = TrimControl(Results[before]);
    return value;
}

std::string TMultipartItem::ParameterValue(TRegexpObj& pattern, std::string_view value) {
    if (!pattern.Execute(value)) return {};
    return DecodeHeaderItem(UnwrapHeaderItem(StripQuote(pattern.Capture(1))));
}

void TMultipartItem::Create() {
    Parts.clear();
    Stream.reset();
    RawBody.clear();
    Boundary.clear();

    FileName.clear();
    if (Select("Content-Disposition") > 0) FileName = ParameterValue(GetRegFileName(), Results[0]);
    FreeResult();

    std::string contentType = FirstValue("Content-Type");
    if (Results.GetCount() == 0) contentType = "text/plain";
    Name = ParameterValue(GetRegName(), contentType);

    std::string major = "text";
    MimeType = contentType;
    if (GetRegMimeType().Execute(contentType)) {
        MimeType = GetRegMimeType().Capture(0);
        major = GetRegMimeType().Capture(1);
    }

    // Encoded words of the parameters above do not count as the node's charset:
    // the declared one comes first, then that of the Subject's encoded words.
    Charset.clear();
    if (GetRegCharset().Execute(contentType)) {
        Charset = UnwrapHeaderItem(StripQuote(GetRegCharset().Capture(1)));
    } else {
        int before = Results.GetCount();
        if (Select("Subject") > before) DecodeResult(true);
    }
    std::string charset = GetDefCharset();
    FreeResult();

    std::string encoding = FirstValue("Content-Transfer-Encoding");
    FreeResult();

    if (platform::SameText(major, "multipart")) {
        Kind = KindMultipart;
        CreateMultipart(contentType);
    } else if (platform::SameText(major, "message")) {
        Kind = KindMessage;
        Stream = DecodeTransfer(encoding, Body);
        CreateMessagepart();
    } else if (platform::SameText(major, "text")) {
        Kind = KindText;
        if (GetKeep()) RawBody = Body;
        Body =
            NormalizeLineBreaks(Japan().ConvertEncoding(DecodeTransfer(encoding, Body), charset));
    } else {
        Kind = KindBinary;
        if (GetKeep()) RawBody = Body;
        Stream = DecodeTransfer(encoding, Body);
        Body.clear();
    }
    FreeResult();
}

bool TMultipartItem::AddPart(std::string_view text) {
    if (FRoot->FNodeCount >= msglimits::MaxParts || text.size() > FRoot->FCopyBudget) {
        LimitReached = true;
        return false;
    }
    ++FRoot->FNodeCount;
    FRoot->FCopyBudget -= text.size();
    auto part = std::make_unique<TMultipartItem>(this);
    part->SetText(text);
    Parts.push_back(std::move(part));
    return true;
}

void TMultipartItem::CreateMultipart(std::string_view contentType) {
    if (GetRegBoundary().Execute(contentType)) {
        Boundary = UnwrapHeaderItem(StripQuote(GetRegBoundary().Capture(1)));
        if (FDepth >= msglimits::MaxMimeDepth || Boundary.size() > msglimits::MaxBoundaryBytes)
            LimitReached = true;
        else if (SplitMultipart())
            return;
    }
    if (GetKeep()) RawBody = Body; // the whole body stays unsplit
}

bool TMultipartItem::SplitMultipart() {
    TRegexpObj delimiter("(\\r\\n)?" + TRegexpObj::escape("--" + Boundary) + "(--)?(\\r\\n)?",
                         TRegexpObj::Caseless);
    if (Body.size() > kStudyBodyBytes) delimiter.Study();
    std::string body = std::move(Body);
    if (!delimiter.Execute(body)) {
        Body = std::move(body);
        return false;
    }
    Body = delimiter.PreMatch();
    if (GetKeep()) RawBody = Body;
    std::string closing = delimiter.Capture(2);
    std::string_view rest = delimiter.PostMatch();
    while (closing != "--" && delimiter.Execute(rest)) {
        closing = delimiter.Capture(2);
        rest = delimiter.PostMatch();
        if (!AddPart(delimiter.PreMatch())) break;
    }
    return true;
}

void TMultipartItem::CreateMessagepart() {
    if (FDepth >= msglimits::MaxMimeDepth) {
        LimitReached = true;
        if (GetKeep()) RawBody = Body;
    } else {
        AddPart(Body);
    }
    Body.clear();
}

TRegexpObj& TMultipartItem::HeaderPattern(std::string_view name) {
    auto& cache = FRoot->FShared->Headers;
    auto found = cache.find(std::string(name));
    if (found != cache.end()) return *found->second;
    if (cache.size() >= kHeaderPatternCache) cache.clear();
    auto reg = std::make_unique<TRegexpObj>(SelectPattern(name),
                                            TRegexpObj::Caseless | TRegexpObj::Multiline);
    reg->Study();
    return *cache.emplace(std::string(name), std::move(reg)).first->second;
}

std::string TMultipartItem::SelectPattern(std::string_view name) {
    // A header line, then its continuation lines. The value forms have no
    // overlapping repeats, so a failing line costs one pass over it.
    std::string pattern = "^(";
    pattern += name;
    pattern += ":)((?:.+\\r\\n)(?:[ \\t].+\\r\\n)*)";
    return pattern;
}

int TMultipartItem::Select(std::string_view name) {
    return Select(HeaderPattern(name));
}

int TMultipartItem::Select(TRegexpObj& reg) {
    std::string_view rest = Header;
    while (reg.Execute(rest)) {
        Results.Add(reg.Capture(2));
        // A name fragment that lets the pattern match nothing must not stall the scan.
        if (reg.Capture(0).empty()) {
            if (reg.MatchStart() >= rest.size()) break;
            rest.remove_prefix(reg.MatchStart() + 1);
        } else {
            rest = reg.PostMatch();
        }
    }
    return Results.GetCount();
}

void TMultipartItem::DecodeResult(bool unwrap) {
    for (std::string& entry : Results.Strings)
        entry = DecodeHeaderItem(unwrap ? UnwrapHeaderItem(entry) : entry);
}

std::string TMultipartItem::GetDefCharset() const {
    for (const TMultipartItem* node = this; node; node = node->Parent)
        if (!node->Charset.empty()) return node->Charset;
    return "US-ASCII";
}

std::string TMultipartItem::StripQuote(std::string_view text) {
    if (text.empty() || (text[0] != '"' && text[0] != '\'')) return std::string(text);
    const char quote = text[0];
    std::string out;
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (text[i] == quote) {
            if (i + 1 >= text.size() || text[i + 1] != quote) break;
            ++i;
        }
        out += text[i];
    }
    return out;
}

std::string TMultipartItem::UnwrapHeaderItem(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::size_t next = i;
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++next;
        bool lineBreak = text[next] == '\n';
        if (lineBreak && next + 1 < text.size() &&
            (text[next + 1] == ' ' || text[next + 1] == '\t')) {
            i = next;
            continue;
        }
        out += text[i];
    }
    std::size_t first = out.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    std::size_t last = out.find_last_not_of(" \t\r\n");
    return out.substr(first, last - first + 1);
}

std::string TMultipartItem::DecodeHeaderItem(std::string_view text) {
    TRegexpObj& reg = GetRegDecoder();
    if (!reg.Execute(text)) return Japan().JIS2SJIS(text);
    std::string out;
    bool afterWord = false;
    std::string_view rest;
    do {
        // White space between two adjacent encoded words is dropped (RFC 2047).
        if (!afterWord || !headertext::IsFoldingSpace(reg.PreMatch())) out += reg.PreMatch();
        Charset = reg.Capture(1).substr(0, reg.Capture(1).find('*')); // RFC 2231 language cut
        out += Japan().ConvertEncoding(DecodeWord(reg.Capture(2), reg.Capture(3)), GetDefCharset());
        afterWord = true;
        rest = reg.PostMatch();
    } while (reg.Execute(rest));
    out += rest;
    return out;
}

std::string TMultipartItem::MakeMessage(bool htmlAsPlain) const {
    std::string out;
    if (Kind == KindMultipart && !Parts.empty()) {
        out = Header + "\r\n" + RawBody;
        for (const auto& part : Parts)
            out += "\r\n--" + Boundary + "\r\n" + part->MakeMessage(htmlAsPlain);
        out += "\r\n--" + Boundary + "--\r\n";
    } else if (Kind == KindMessage && !Parts.empty()) {
        out = Header + "\r\n" + Parts[0]->MakeMessage(htmlAsPlain);
    } else if (htmlAsPlain && platform::SameText(MimeType, "text/html")) {
        out = ReplaceNoCase(Header, "text/html", "text/plain") + "\r\n" + RawBody;
    } else {
        out = Header + "\r\n" + RawBody;
    }
    return out;
}
