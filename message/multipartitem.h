#pragma once
// One node of a parsed message: header block, body and, for multipart and
// message parts, the child nodes. Giving the root the whole message text with
// SetText parses the entire tree.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/regexpobj.h"
#include "foundation/stringlist.h"
#include "message/limits.h"

class TJapanCode;

class TMultipartItem {
public:
    // Values of Kind.
    static constexpr std::uint8_t KindMultipart = 0;
    static constexpr std::uint8_t KindMessage = 1;
    static constexpr std::uint8_t KindText = 2;
    static constexpr std::uint8_t KindBinary = 3;

    // A root (no parent) compiles the patterns that every node of its tree shares.
    explicit TMultipartItem(TMultipartItem* parent = nullptr);
    ~TMultipartItem();
    TMultipartItem(const TMultipartItem&) = delete;
    TMultipartItem& operator=(const TMultipartItem&) = delete;

    // Splits header and body and parses this node and everything below it.
    // The node keeps its own copy of the text; the parts below it read views
    // of that copy, so nesting copies nothing again.
    void SetText(std::string_view text);

    int GetCount() const { return static_cast<int>(Parts.size()); }
    TMultipartItem* GetParts(int i) const { return Parts[static_cast<std::size_t>(i)].get(); }
    bool GetKeep() const { return FRoot->Keep; }
    // Nesting level: 0 for the root.
    int GetDepth() const { return FDepth; }

    // Appends the value of every header of that name (a pattern fragment) to
    // Results and returns the number of entries; Results is not emptied first.
    // A value may start on the line after the name; an empty value is not found.
    int Select(std::string_view name);
    // The same with the pattern of a name compiled by the caller (from
    // SelectPattern, caseless and multiline), for example with bounded work.
    int Select(TRegexpObj& pattern);
    // The pattern Select uses for a header name.
    static std::string SelectPattern(std::string_view name);
    // Replaces each entry of Results by its decoded form (unfolded first when asked).
    void DecodeResult(bool unwrap);
    void FreeResult() { Results.Clear(); }

    // The declared charset, else the parent's, else "US-ASCII".
    std::string GetDefCharset() const;

    // A quoted text up to its closing quote, doubled quotes read as one.
    static std::string StripQuote(std::string_view text);
    // Removes each line break followed by a blank or tab, then trims the ends.
    // A fold inside raw ISO-2022-JP double-byte text loses its blanks too: a
    // blank is no character there, and would shift every pair after it.
    static std::string UnwrapHeaderItem(std::string_view text);
    // Decodes RFC 2047 encoded words (raw ISO-2022-JP when there are none).
    std::string DecodeHeaderItem(std::string_view text);

    // The message text rebuilt from Header, Boundary and RawBody (needs Keep).
    std::string MakeMessage(bool htmlAsPlain) const;

    // The first bound that stopped the parse of this part or one below it
    // (pre-order); None when the whole tree was read.
    msglimits::TParseLimit FirstLimitReached() const;

    // The shared patterns of the tree (owned by the root).
    TRegexpObj& GetRegBoundary() const;
    TRegexpObj& GetRegMimeType() const;
    TRegexpObj& GetRegCharset() const;
    TRegexpObj& GetRegDecoder() const;
    TRegexpObj& GetRegName() const;
    TRegexpObj& GetRegFileName() const;

    TMultipartItem* Parent = nullptr;
    bool Keep = false;
    std::string Header;
    std::string Body;
    std::string RawBody;
    std::string Boundary;
    TStringList Results;
    // Decoded bytes of message and binary parts, valid until the next SetText:
    // a view of the message text where the body needs no decoding.
    std::optional<std::string_view> Stream;
    std::vector<std::unique_ptr<TMultipartItem>> Parts;
    std::uint8_t Kind = KindText;
    std::string MimeType;
    std::string Name;
    std::string FileName;
    std::string Charset;
    // The bound of message/limits.h that stopped the parse of this node, if any.
    msglimits::TParseLimit LimitReached = msglimits::TParseLimit::None;

private:
    struct TShared;

    void Parse(std::string_view text);
    void Create(std::string_view body);
    std::string DefaultContentType() const;
    void CreateText(std::string_view encoding, std::string_view body);
    void CreateMultipart(std::string_view contentType, std::string_view body);
    bool SplitMultipart(std::string_view body);
    void CreateMessagepart(std::string_view encoding, std::string_view body);
    void SetStream(std::string_view encoding, std::string_view body);
    std::string FirstValue(std::string_view name);
    std::string ParameterValue(TRegexpObj& pattern, std::string_view value);
    const std::string* InheritedCharset() const;
    bool AddPart(std::string_view text);
    TRegexpObj& HeaderPattern(std::string_view name);
    TJapanCode& Japan() const;

    TMultipartItem* FRoot;
    int FDepth = 0;
    std::unique_ptr<TShared> FShared; // root only
    std::string FText;                // the text given to SetText
    std::string FDecoded;             // the bytes Stream shows when they needed decoding
};
