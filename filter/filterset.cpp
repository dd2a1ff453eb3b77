#include "filter/filterset.h"

#include "filter/messagefilterattach.h"
#include "filter/messagefilterbody.h"
#include "filter/messagefilterheader.h"
#include "filter/messagefilterhost.h"
#include "filter/messagefilterip.h"
#include "filter/messagefiltermailer.h"
#include "filter/messagefiltersender.h"
#include "filter/messagefiltersubject.h"
#include "platform/file.h"

void MessageFiltersSender1CreateFilter(TMessageFilters* sender,
                                       std::unique_ptr<TMessageFilter>& item,
                                       std::string_view param) {
    item = TMessageFilterSender::FromLine(sender, param);
}

void MessageFiltersSubjectCreateFilter(TMessageFilters* sender,
                                       std::unique_ptr<TMessageFilter>& item,
                                       std::string_view param) {
    item = StrFilterFromLine<TMessageFilterSubject>(sender, param);
}

void MessageFiltersIPCreateFilter(TMessageFilters* sender, std::unique_ptr<TMessageFilter>& item,
                                  std::string_view param) {
    item = TMessageFilterIP::FromLine(sender, param);
}

void MessageFiltersHostCreateFilter(TMessageFilters* sender, std::unique_ptr<TMessageFilter>& item,
                                    std::string_view param) {
    item = StrFilterFromLine<TMessageFilterHost>(sender, param);
}

void MessageFiltersMailerCreateFilter(TMessageFilters* sender,
                                      std::unique_ptr<TMessageFilter>& item,
                                      std::string_view param) {
    item = StrFilterFromLine<TMessageFilterMailer>(sender, param);
}

void MessageFiltersHeaderCreateFilter(TMessageFilters* sender,
                                      std::unique_ptr<TMessageFilter>& item,
                                      std::string_view param) {
    item = TMessageFilterHeader::FromLine(sender, param);
}

void MessageFiltersBodyCreateFilter(TMessageFilters* sender, std::unique_ptr<TMessageFilter>& item,
                                    std::string_view param) {
    item = StrFilterFromLine<TMessageFilterBody>(sender, param);
}

void MessageFiltersAttachCreateFilter(TMessageFilters* sender,
                                      std::unique_ptr<TMessageFilter>& item,
                                      std::string_view param) {
    item = std::make_unique<TMessageFilterAttach>(sender, std::string(param));
}

const std::array<TMessageFilterSet::TEntry, 9> TMessageFilterSet::FEntries = {{
    {&TMessageFilterSet::MessageFiltersSender1, "sender1.cgi"},
    {&TMessageFilterSet::MessageFiltersSender2, "sender2.cgi"},
    {&TMessageFilterSet::MessageFiltersSubject, "subject.cgi"},
    {&TMessageFilterSet::MessageFiltersIP, "ip.cgi"},
    {&TMessageFilterSet::MessageFiltersHost, "host.cgi"},
    {&TMessageFilterSet::MessageFiltersMailer, "mailer.cgi"},
    {&TMessageFilterSet::MessageFiltersHeader, "header.cgi"},
    {&TMessageFilterSet::MessageFiltersBody, "body.cgi"},
    {&TMessageFilterSet::MessageFiltersAttach, "attach.cgi"},
}};

TMessageFilterSet::TMessageFilterSet() {
    MessageFiltersSender1.OnCreateFilter = MessageFiltersSender1CreateFilter;
    MessageFiltersSender2.OnCreateFilter = MessageFiltersSender1CreateFilter;
    MessageFiltersSubject.OnCreateFilter = MessageFiltersSubjectCreateFilter;
    MessageFiltersIP.OnCreateFilter = MessageFiltersIPCreateFilter;
    MessageFiltersHost.OnCreateFilter = MessageFiltersHostCreateFilter;
    MessageFiltersMailer.OnCreateFilter = MessageFiltersMailerCreateFilter;
    MessageFiltersHeader.OnCreateFilter = MessageFiltersHeaderCreateFilter;
    MessageFiltersBody.OnCreateFilter = MessageFiltersBodyCreateFilter;
    MessageFiltersAttach.OnCreateFilter = MessageFiltersAttachCreateFilter;
}

void TMessageFilterSet::SetFolder(std::string_view programFolder) {
    std::string folder = platform::IncludeTrailingSeparator(programFolder) + "cgi/";
    for (const TEntry& entry : FEntries)
        (this->*entry.List).Path = folder + entry.FileName;
}

std::vector<TRuleLineError> TMessageFilterSet::Load() {
    std::vector<TRuleLineError> skipped;
    for (const TEntry& entry : FEntries) {
        std::vector<TRuleLineError> more = (this->*entry.List).Load();
        skipped.insert(skipped.end(), more.begin(), more.end());
    }
    return skipped;
}

std::vector<TRuleFileError> TMessageFilterSet::Save() const {
    std::vector<TRuleFileError> failed;
    for (const TEntry& entry : FEntries) {
        const TMessageFilters& list = this->*entry.List;
        std::string reason;
        if (!list.Save(&reason)) failed.push_back({list.Path, reason});
    }
    return failed;
}

std::string FormatRuleFileError(const TRuleFileError& error) {
    return error.Path + ": " + error.Reason;
}
