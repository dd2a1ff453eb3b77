#include "filter/messagefilterattach.h"

#include "filter/rulepattern.h"
#include "message/multipartitem.h"

TMessageFilterAttach::TMessageFilterAttach(TMessageFilters* owner, std::string extension)
    : TMessageFilter(owner), FExtension(std::move(extension)), FPattern(CreateRegexp()) {}

void TMessageFilterAttach::Assign(const TMessageFilter& source) {
    TMessageFilter::Assign(source);
    auto* attach = dynamic_cast<const TMessageFilterAttach*>(&source);
    if (attach == nullptr || attach == this) return;
    FExtension = attach->FExtension;
    FPattern = CreateRegexp();
}

bool TMessageFilterAttach::CheckPart(TMultipartItem* part) {
    return part != nullptr && (FPattern.Search(part->Name) || FPattern.Search(part->FileName));
}

TRulePattern TMessageFilterAttach::CreateRegexp() const {
    return TRulePattern(CreateRulePattern(PatternText(FExtension), TRegexpObj::Caseless));
}

std::string TMessageFilterAttach::PatternText(std::string_view extension) {
    return "\\." + std::string(extension) + "$";
}
