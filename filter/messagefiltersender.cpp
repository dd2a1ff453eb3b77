#include "filter/messagefiltersender.h"

#include "filter/rulepattern.h"
#include "foundation/csvline.h"
#include "message/multipartmessage.h"

TMessageFilterSender::TMessageFilterSender(TMessageFilters* owner, bool regular, bool caseless,
                                           std::string keyword, bool checkReturnPath,
                                           bool checkFrom)
    : TMessageFilter(owner), FCheckReturnPath(checkReturnPath), FCheckFrom(checkFrom),
      FRegular(regular), FCaseless(caseless), FKeyword(std::move(keyword)),
      FPattern(CreateRegexp()) {}

std::unique_ptr<TMessageFilterSender> TMessageFilterSender::FromLine(TMessageFilters* owner,
                                                                     std::string_view line) {
    std::vector<std::string> fields = CSVLineRead(line);
    if (fields.size() < 3) return nullptr;
    // A line without the two header fields leaves both clear: either header.
    bool checkReturnPath = fields.size() > 3 && ReadFlag(fields[3], false);
    bool checkFrom = fields.size() > 4 && ReadFlag(fields[4], true);
    return std::make_unique<TMessageFilterSender>(owner, ReadFlag(fields[1], true),
                                                  ReadFlag(fields[2], true), fields[0],
                                                  checkReturnPath, checkFrom);
}

void TMessageFilterSender::Assign(const TMessageFilter& source) {
    TMessageFilter::Assign(source);
    auto* sender = dynamic_cast<const TMessageFilterSender*>(&source);
    if (sender == nullptr || sender == this) return;
    FCheckReturnPath = sender->FCheckReturnPath;
    FCheckFrom = sender->FCheckFrom;
    FRegular = sender->FRegular;
    FCaseless = sender->FCaseless;
    FKeyword = sender->FKeyword;
    FPattern = CreateRegexp();
}

std::string TMessageFilterSender::GetCSV() const {
    return CSVLineWrite({FKeyword, FlagField(FRegular), FlagField(FCaseless),
                         FlagField(FCheckReturnPath), FlagField(FCheckFrom)});
}

bool TMessageFilterSender::Check(TMultipartMessage* message) {
    if (message == nullptr) return false;
    TMultipartItem* root = &message->GetRoot();
    bool returnPath = FPattern.SearchAny(HeaderValues(root, "Return-Path"));
    bool from = FPattern.SearchAny(HeaderValues(root, "From"));
    if (FCheckReturnPath && FCheckFrom) return returnPath && from;
    if (FCheckReturnPath) return returnPath;
    if (FCheckFrom) return from;
    return returnPath || from;
}

TRulePattern TMessageFilterSender::CreateRegexp() const {
    return TRulePattern::Keyword(FKeyword, FRegular, FCaseless);
}
