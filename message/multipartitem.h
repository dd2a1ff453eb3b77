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
    void SetText(std::string_view text);

    int GetCount() const { return static_cast<int>(Parts.size()); }
    TMultipartItem* GetParts(int i) const { return Parts[static_cast<std::size_t>(i)].get(); }
    bool GetKeep() const { return FRoot->Keep; }
    // Nesting level: 0 for the root.
    int GetDepth() const { return FDepth; }

    // Appends the value of every header of that name (a pattern fragment) to
    // Results and returns the number of entries; Results is not emptied first.
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
    static std::string UnwrapHeaderItem(std::string_view text);
    // Decodes RFC 2047 encoded words (raw ISO-2022-JP when there are none).
    std::string DecodeHeaderItem(std::string_view text);

    // The message text rebuilt from Header, Boundary and RawBody (needs Keep).
    std::string MakeMessage(bool htmlAsPlain) const;

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
    std::optional<std::string> Stream; // decoded bytes of message and binary parts
    std::vector<std::unique_ptr<TMultipartItem>> Parts;
    std::uint8_t Kind = KindText;
    std::string MimeType;
    std::string Name;
    std::string FileName;
    std::string Charset;
    // Set when a bound of message/limits.h stopped the parse of this node.
    bool LimitReached = false;

private:
    struct TShared;

    void Create();
    void CreateMultipart(std::string_view contentType);
    bool SplitMultipart();
    void CreateMessagepart();
    std::string FirstValue(std::string_view name);
    std::string ParameterValue(TRegexpObj& pattern, std::string_view value);
    bool AddPart(std::string_view text);
    TRegexpObj& HeaderPattern(std::string_view name);
    TJapanCode& Japan() const;

    TMultipartItem* FRoot;
    int FDepth = 0;
    std::unique_ptr<TShared> FShared; // root only
    int FNodeCount = 1;               // root only: nodes of the tree
    std::size_t FCopyBudget = 0;      // root only: bytes children may still be given
};
