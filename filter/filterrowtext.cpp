#include "filter/filterrowtext.h"

#include "filter/messagefilterattach.h"
#include "filter/messagefilterheader.h"
#include "filter/messagefilterip.h"
#include "filter/messagefiltersender.h"
#include "filter/messagefilterstr.h"

namespace {

constexpr const char* kCaseless = "\x8B\xE6\x95\xCA\x82\xB5\x82\xC8\x82\xA2"; // 区別しない

std::string RegularText(bool regular) {
    return regular ? "Yes" : "No";
}

std::string CaselessText(bool caseless) {
    return caseless ? kCaseless : "";
}

} // namespace

std::string SenderTargetText(bool checkReturnPath, bool checkFrom) {
    if (checkReturnPath && checkFrom) return "Return-Path AND From";
    if (checkReturnPath) return "Return-Path";
    if (checkFrom) return "From";
    return "Return-Path OR From";
}

std::vector<std::string> FilterRowTexts(const TMessageFilter& filter) {
    if (auto* f = dynamic_cast<const TMessageFilterSender*>(&filter))
        return {SenderTargetText(f->GetCheckReturnPath(), f->GetCheckFrom()), f->GetKeyword(),
                RegularText(f->GetRegular()), CaselessText(f->GetCaseless())};
    if (auto* f = dynamic_cast<const TMessageFilterStr*>(&filter))
        return {f->GetKeyword(), RegularText(f->GetRegular()), CaselessText(f->GetCaseless())};
    if (auto* f = dynamic_cast<const TMessageFilterHeader*>(&filter))
        return {f->GetHeaderName(), f->GetKeyword(), RegularText(f->GetRegular()),
                CaselessText(f->GetCaseless())};
    if (auto* f = dynamic_cast<const TMessageFilterIP*>(&filter))
        return {f->GetNetworkIP(), f->GetNetmaskIP()};
    if (auto* f = dynamic_cast<const TMessageFilterAttach*>(&filter)) return {f->GetExtension()};
    return {};
}
