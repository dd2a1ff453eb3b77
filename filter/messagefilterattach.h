#pragma once
// Attachment rule: a file-name extension (without its dot) matched at the end
// of the name of any part, without regard to case.
#include <memory>
#include <string>
#include <string_view>

#include "filter/messagefilters.h"
#include "filter/rulepattern.h"
#include "foundation/regexpobj.h"

class TMessageFilterAttach : public TMessageFilter {
public:
    // The rule line is the extension as it stands; it is not escaped, so it
    // may carry pattern syntax.
    TMessageFilterAttach(TMessageFilters* owner, std::string extension);

    void Assign(const TMessageFilter& source) override;
    std::string GetCSV() const override { return FExtension; }
    // The part's Name, failing that its FileName.
    bool CheckPart(TMultipartItem* part) override;
    TRulePattern CreateRegexp() const;
    // The pattern of an extension: "\." + extension + "$".
    static std::string PatternText(std::string_view extension);

    const std::string& GetExtension() const { return FExtension; }

private:
    std::string FExtension;
    TRulePattern FPattern;
};
