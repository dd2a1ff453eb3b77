#include "filter/messagefilterheader.h"

#include "filter/rulepattern.h"
#include "foundation/csvline.h"
#include "message/multipartitem.h"

TMessageFilterHeader::TMessageFilterHeader(TMessageFilters* owner, std::string headerName,
                                           bool regular, bool caseless, std::string keyword)
    : TMessageFilter(owner), FHeaderName(std::move(headerName)), FRegular(regular),
      FCaseless(caseless), FKeyword(std::move(keyword)), FPattern(CreateRegexp()),
      FSelect(CreateSelectRegexp()) {}

std::unique_ptr<TMessageFilterHeader> TMessageFilterHeader::FromLine(TMessageFilters* owner,
                                                                     std::string_view line) {
    std::vector<std::string> fields = CSVLineRead(line);
    if (fields.size() < 4) return nullptr;
    return std::make_unique<TMessageFilterHeader>(owner, fields[0], ReadFlag(fields[2], true),
                                                  ReadFlag(fields[3], true), fields[1]);
}

void TMessageFilterHeader::Assign(const TMessageFilter& source) {
    TMessageFilter::Assign(source);
    auto* header = dynamic_cast<const TMessageFilterHeader*>(&source);
    if (header == nullptr || header == this) return;
    FHeaderName = header->FHeaderName;
    FRegular = header->FRegular;
    FCaseless = header->FCaseless;
    FKeyword = header->FKeyword;
    FPattern = CreateRegexp();
    FSelect = CreateSelectRegexp();
}

std::string TMessageFilterHeader::GetCSV() const {
    return CSVLineWrite({FHeaderName, FKeyword, FlagField(FRegular), FlagField(FCaseless)});
}

bool TMessageFilterHeader::CheckPart(TMultipartItem* part) {
    return part != nullptr && FPattern.SearchAny(HeaderValues(part, FHeaderName, FSelect.get()));
}

TRulePattern TMessageFilterHeader::CreateRegexp() const {
    return TRulePattern::Keyword(FKeyword, FRegular, FCaseless);
}

std::unique_ptr<TRegexpObj> TMessageFilterHeader::CreateSelectRegexp() const {
    // The header name is a fragment of the selection, which reads the
    // header lines as bytes, as the parser's own selections do.
    return CreateBoundedPattern(TMultipartItem::SelectPattern(FHeaderName),
                                TRegexpObj::Caseless | TRegexpObj::Multiline);
}
