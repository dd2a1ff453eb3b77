#include "message/multipartitem.h"

#include <unordered_map>

#include "foundation/base64dec.h"
#include "foundation/charsetdetect.h"
#include "foundation/japancode.h"
#include "message/headertext.h"
#include "platform/text.h"

using headertext::TrimControl;
using msglimits::TParseLimit;

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
    // The tree of the text last given to the root's SetText:
    int NodeCount = 1;
    std::size_t StreamBudget = 0; // bytes encoded message parts may still decode
    bool TextViewed = false;      // a Stream is a view of the root's copy of the text

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

template <class TDecoder>
std::string Decoded(std::string_view text) {
    TDecoder decoder;
    decoder.Create(text);
    return std::move(decoder.Data);
}

// Only these Content-Transfer-Encodings change the bytes; others pass unchanged.
bool NeedsDecoding(std::string_view encoding) {
    return platform::SameText(encoding, "base64") ||
           platform::SameText(encoding, "quoted-printable");
}

std::string DecodeTransfer(std::string_view encoding, std::string_view text) {
    if (platform::SameText(encoding, "base64")) return Decoded<TBase64Decode>(text);
    return Decoded<TQPrintDecode>(text);
}

// The bytes of one encoded word. In "Q" data an underscore stands for a blank.
std::string DecodeWord(std::string_view encoding, std::string_view data) {
    if (platform::SameText(encoding, "B")) return Decoded<TBase64Decode>(data);
    std::string text(data);
    for (char& c : text)
        if (c == '_') c = ' ';
    return Decoded<TQPrintDecode>(text);
}

// A line of a header block: a field (a name of printable ASCII bytes and a
// colon, RFC 5322), a continuation (a blank or tab first), or an mbox "From "
// line, which mail kept by some servers still carries.
bool IsHeaderLine(std::string_view line) {
    if (line.empty()) return false;
    if (line[0] == ' ' || line[0] == '\t') return true;
    std::size_t name = 0;
    while (name < line.size() && line[name] != ':' &&
           static_cast<unsigned char>(line[name]) > 0x20 &&
           static_cast<unsigned char>(line[name]) < 0x7F)
        ++name;
    if (name > 0 && name < line.size() && line[name] == ':') return true;
    return line.starts_with("From ");
}

struct THeaderSplit {
    std::size_t HeaderBytes;
    std::size_t BodyStart;
};

// The header ends at an empty line, which belongs to neither part, or before
// the first line that is no header line, which starts the body; a text of
// header lines only is all header.
THeaderSplit SplitHeader(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find(kCrLf, pos);
        if (end == pos) return {pos, pos + 2};
        if (!IsHeaderLine(text.substr(pos, end == std::string_view::npos ? end : end - pos)))
            return {pos, pos};
        if (end == std::string_view::npos) break;
        pos = end + 2;
    }
    return {text.size(), text.size()};
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
    std::string copy(text); // the text may be a view of this tree
    Parts.clear();
    Stream.reset();
    FText = std::move(copy);
    const bool root = FRoot == this;
    if (root) {
        FShared->NodeCount = 1;
        FShared->StreamBudget = FText.size() + msglimits::MessageStreamAllowance;
        FShared->TextViewed = false;
    }
    Parse(FText);
    if (root && !FShared->TextViewed) std::string().swap(FText);
}

void TMultipartItem::Parse(std::string_view text) {
    LimitReached = TParseLimit::None;
    THeaderSplit split = SplitHeader(text);
    std::string_view header = text.substr(0, split.HeaderBytes);
    if (header.size() > msglimits::MaxHeaderBytes) {
        std::size_t cut = header.rfind(kCrLf, msglimits::MaxHeaderBytes - 2);
        header = header.substr(0, cut == std::string_view::npos ? 0 : cut + 2);
        LimitReached = TParseLimit::HeaderBytes;
    }
    Header = header;
    // The last header line ends in CR LF even where the text ends without one.
    if (!Header.empty() && !Header.ends_with(kCrLf)) Header += kCrLf;
    Create(text.substr(split.BodyStart));
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

void TMultipartItem::Create(std::string_view body) {
    Parts.clear();
    Stream.reset();
    FDecoded = std::string();
    Body.clear();
    RawBody.clear();
    Boundary.clear();

    FileName.clear();
    if (Select("Content-Disposition") > 0) FileName = ParameterValue(GetRegFileName(), Results[0]);
    FreeResult();

    std::string contentType = FirstValue("Content-Type");
    if (Results.GetCount() == 0) contentType = DefaultContentType();
    Name = ParameterValue(GetRegName(), contentType);

    // The media type ends at its parameters, a blank or a line break.
    std::string type = contentType.substr(0, contentType.find_first_of("; \t\r\n"));
    if (type.empty()) type = DefaultContentType();
    std::string major = "text";
    MimeType = type;
    if (GetRegMimeType().Execute(type)) {
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
    FreeResult();

    std::string encoding = FirstValue("Content-Transfer-Encoding");
    FreeResult();

    if (platform::SameText(major, "multipart")) {
        Kind = KindMultipart;
        CreateMultipart(contentType, body);
    } else if (platform::SameText(major, "message")) {
        Kind = KindMessage;
        CreateMessagepart(encoding, body);
    } else if (platform::SameText(major, "text")) {
        Kind = KindText;
        CreateText(encoding, body);
    } else {
        Kind = KindBinary;
        if (GetKeep()) RawBody = body;
        SetStream(encoding, body);
    }
    FreeResult();
}

std::string TMultipartItem::DefaultContentType() const {
    // RFC 2046: in a digest, a part without a type is an enclosed message.
    bool digest = Parent != nullptr && Parent->Kind == KindMultipart &&
                  platform::SameText(Parent->MimeType, "multipart/digest");
    return digest ? "message/rfc822" : "text/plain";
}

void TMultipartItem::CreateText(std::string_view encoding, std::string_view body) {
    if (GetKeep()) RawBody = body;
    std::string decoded;
    std::string_view bytes = body;
    if (NeedsDecoding(encoding)) bytes = decoded = DecodeTransfer(encoding, body);
    // Text that declares no charset, nor inherits one, is read by its bytes.
    const std::string* charset = InheritedCharset();
    Body = NormalizeLineBreaks(Japan().ConvertEncoding(bytes, charset ? std::string_view(*charset)
                                                                      : DetectCharset(bytes)));
}

void TMultipartItem::SetStream(std::string_view encoding, std::string_view body) {
    if (NeedsDecoding(encoding)) {
        FDecoded = DecodeTransfer(encoding, body);
        Stream = FDecoded;
    } else {
        Stream = body;
        FRoot->FShared->TextViewed = true;
    }
}

bool TMultipartItem::AddPart(std::string_view text) {
    if (FRoot->FShared->NodeCount >= msglimits::MaxParts) {
        LimitReached = TParseLimit::Parts;
        return false;
    }
    ++FRoot->FShared->NodeCount;
    Parts.push_back(std::make_unique<TMultipartItem>(this));
    Parts.back()->Parse(text);
    return true;
}

void TMultipartItem::CreateMultipart(std::string_view contentType, std::string_view body) {
    if (GetRegBoundary().Execute(contentType)) {
        Boundary = UnwrapHeaderItem(StripQuote(GetRegBoundary().Capture(1)));
        if (FDepth >= msglimits::MaxMimeDepth)
            LimitReached = TParseLimit::MimeDepth;
        else if (Boundary.size() > msglimits::MaxBoundaryBytes)
            LimitReached = TParseLimit::BoundaryBytes;
        else if (SplitMultipart(body))
            return;
    }
    Body = body; // the whole body stays unsplit
    if (GetKeep()) RawBody = Body;
}

bool TMultipartItem::SplitMultipart(std::string_view body) {
    TRegexpObj delimiter("(\\r\\n)?" + TRegexpObj::escape("--" + Boundary) + "(--)?(\\r\\n)?",
                         TRegexpObj::Caseless);
    if (body.size() > kStudyBodyBytes) delimiter.Study();
    if (!delimiter.Execute(body)) return false;
    Body = delimiter.PreMatch();
    if (GetKeep()) RawBody = Body;
    std::string closing = delimiter.Capture(2);
    std::string_view rest = delimiter.PostMatch();
    while (closing != "--" && delimiter.Execute(rest)) {
        closing = delimiter.Capture(2);
        std::string_view part = delimiter.PreMatch();
        rest = delimiter.PostMatch();
        if (!AddPart(part)) return true;
    }
    // A body that ends without its closing delimiter keeps its last part; the
    // epilogue after a closing delimiter is dropped.
    if (closing != "--" && !headertext::IsFoldingSpace(rest)) AddPart(rest);
    return true;
}

void TMultipartItem::CreateMessagepart(std::string_view encoding, std::string_view body) {
    std::size_t& budget = FRoot->FShared->StreamBudget;
    if (!NeedsDecoding(encoding)) {
        SetStream(encoding, body);
    } else if (body.size() > budget) {
        LimitReached = TParseLimit::MessageStream;
        SetStream({}, body); // the enclosed text as it stands
    } else {
        budget -= body.size();
        SetStream(encoding, body);
    }
    // The enclosed message is parsed as it stands, undecoded.
    if (FDepth < msglimits::MaxMimeDepth) {
        AddPart(body);
    } else {
        LimitReached = TParseLimit::MimeDepth;
        if (GetKeep()) RawBody = body;
    }
}

msglimits::TParseLimit TMultipartItem::FirstLimitReached() const {
    if (LimitReached != TParseLimit::None) return LimitReached;
    for (const auto& part : Parts)
        if (TParseLimit limit = part->FirstLimitReached(); limit != TParseLimit::None) return limit;
    return TParseLimit::None;
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
    // A header line, then its continuation lines; a value may start on the
    // line after the name. The value forms have no overlapping repeats, so a
    // failing line costs one pass over it.
    std::string pattern = "^(";
    pattern += name;
    pattern += ":)((?:.+\\r\\n|\\r\\n(?=[ \\t].+\\r\\n))(?:[ \\t].+\\r\\n)*)";
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

const std::string* TMultipartItem::InheritedCharset() const {
    for (const TMultipartItem* node = this; node; node = node->Parent)
        if (!node->Charset.empty()) return &node->Charset;
    return nullptr;
}

std::string TMultipartItem::GetDefCharset() const {
    const std::string* charset = InheritedCharset();
    return charset ? *charset : "US-ASCII";
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
    auto blank = [&text](std::size_t i) {
        return i < text.size() && (text[i] == ' ' || text[i] == '\t');
    };
    std::string out;
    out.reserve(text.size());
    bool doubleByte = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\x1b' && IsJISEscape(text, i)) doubleByte = text[i + 1] == '$';
        std::size_t next = i;
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++next;
        if (text[next] == '\n' && blank(next + 1)) {
            i = next;
            while (doubleByte && blank(i + 1))
                ++i;
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
