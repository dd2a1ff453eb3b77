#include "filter/filterverdict.h"

#include <array>

#include "filter/filterset.h"
#include "filter/messagefilterattach.h"
#include "filter/messagefilterheader.h"
#include "filter/messagefilterip.h"
#include "filter/messagefiltersender.h"
#include "filter/messagefilterstr.h"
#include "foundation/matchbudget.h"
#include "learn/learnfilter.h"
#include "message/multipartmessage.h"

namespace {

// Labels of the reasons, CP932.
constexpr const char* kAttachLabel = "\x93Y\x95t\xCC\xA7\xB2\xD9"; // 添付ﾌｧｲﾙ
constexpr const char* kSender1Label = "\x8D\xB7\x8Fo\x90l1";       // 差出人1
constexpr const char* kSender2Label = "\x8D\xB7\x8Fo\x90l2";       // 差出人2
constexpr const char* kSubjectLabel = "\x8C\x8F\x96\xBC";          // 件名
constexpr const char* kIPLabel = "IP\xB1\xC4\xDE\xDA\xBD";         // IPｱﾄﾞﾚｽ
constexpr const char* kHostLabel = "\xCE\xBD\xC4\x96\xBC";         // ﾎｽﾄ名
constexpr const char* kMailerLabel = "\xD2\xB0\xD9\xBF\xCC\xC4";   // ﾒｰﾙｿﾌﾄ
constexpr const char* kHeaderLabel = "\xCD\xAF\xC0\xDE";           // ﾍｯﾀﾞ
constexpr const char* kBodyLabel = "\x96{\x95\xB6";                // 本文

// The label of a message the parser could not read to its end, and the bound
// its comment names.
constexpr const char* kLimitLabel = "\x89\xF0\x90\xCD\x8F\xE3\x8C\xC0"; // 解析上限
constexpr std::array<const char*, static_cast<std::size_t>(msglimits::TParseLimit::Count)>
    kLimitNames = {{
        "",
        "\x93\xFC\x82\xEA\x8E\x71\x82\xCC\x90\x5B\x82\xB3",         // 入れ子の深さ
        "\xCA\xDF\xB0\xC4\x90\x94",                                 // ﾊﾟｰﾄ数
        "\x8B\xAB\x8A\x45\x82\xCC\x92\xB7\x82\xB3",                 // 境界の長さ
        "\xCD\xAF\xC0\xDE\x82\xCC\x91\xE5\x82\xAB\x82\xB3",         // ﾍｯﾀﾞの大きさ
        "\xD2\xAF\xBE\xB0\xBC\xDE\x95\x94\x82\xCC\x93\x57\x8A\x4A", // ﾒｯｾｰｼﾞ部の展開
    }};

// What a rule of each kind quotes in the reason: the settings as stored.
std::string Quoted(const TMessageFilter& filter) {
    if (auto* f = dynamic_cast<const TMessageFilterSender*>(&filter)) return f->GetKeyword();
    if (auto* f = dynamic_cast<const TMessageFilterStr*>(&filter)) return f->GetKeyword();
    if (auto* f = dynamic_cast<const TMessageFilterHeader*>(&filter))
        return f->GetHeaderName() + ":" + f->GetKeyword();
    if (auto* f = dynamic_cast<const TMessageFilterIP*>(&filter))
        return f->GetNetworkIP() + "/" + f->GetNetmaskIP();
    if (auto* f = dynamic_cast<const TMessageFilterAttach*>(&filter)) return f->GetExtension();
    return {};
}

struct TStep {
    TMessageFilters TMessageFilterSet::*List;
    bool Reject;
    const char* Label;
};

constexpr TStep kAttachStep{&TMessageFilterSet::MessageFiltersAttach, true, kAttachLabel};
constexpr std::array<TStep, 8> kSteps = {{
    {&TMessageFilterSet::MessageFiltersSender1, false, kSender1Label},
    {&TMessageFilterSet::MessageFiltersSender2, true, kSender2Label},
    {&TMessageFilterSet::MessageFiltersSubject, true, kSubjectLabel},
    {&TMessageFilterSet::MessageFiltersIP, true, kIPLabel},
    {&TMessageFilterSet::MessageFiltersHost, true, kHostLabel},
    {&TMessageFilterSet::MessageFiltersMailer, true, kMailerLabel},
    {&TMessageFilterSet::MessageFiltersHeader, true, kHeaderLabel},
    {&TMessageFilterSet::MessageFiltersBody, true, kBodyLabel},
}};

std::string Reason(const TStep& step, const TMessageFilter& filter) {
    return std::string(step.Label) + "(" + Quoted(filter) + ")";
}

// True when the step decides: a rule of its list matched (comment and reject
// set), or the budget ran out during the list (the message is accepted).
bool Consult(TMessageFilterSet& lists, const TStep& step, TMultipartMessage* message,
             std::string& comment, bool& reject, const TMatchBudget& patterns,
             TVerdictBudget& budget) {
    TMessageFilters& list = lists.*step.List;
    if (TMessageFilter* filter = list.Check(message)) {
        comment = Reason(step, *filter);
        reject = step.Reject;
        return true;
    }
    if (!patterns.Exhausted()) return false;
    budget.Spent = true;
    if (const TMessageFilter* filter = list.RanOut()) budget.RanOut = Reason(step, *filter);
    reject = false;
    return true;
}

} // namespace

bool FilterVerdict(TMessageFilterSet& lists, bool precheckAttach, std::string& comment,
                   TMultipartMessage* message, TVerdictBudget* budget, TLearnFilter* learn) {
    TVerdictBudget own;
    TVerdictBudget& used = budget != nullptr ? *budget : own;
    used.Spent = false;
    used.RanOut.clear();
    // Content past a parser bound went unread by every list, so no list may
    // let such a message pass: it is rejected before any list is consulted.
    if (message != nullptr) {
        msglimits::TParseLimit limit = message->GetRoot().FirstLimitReached();
        if (limit != msglimits::TParseLimit::None) {
            comment =
                std::string(kLimitLabel) + "(" + kLimitNames[static_cast<std::size_t>(limit)] + ")";
            return true;
        }
    }
    TMatchBudget patterns(used.Allowance, used.LimitSearches);
    TMatchBudget::TScope scope(patterns);
    bool reject = false;
    auto consult = [&](const TStep& step) {
        return Consult(lists, step, message, comment, reject, patterns, used);
    };
    if (precheckAttach && consult(kAttachStep)) return reject;
    for (const TStep& step : kSteps)
        if (consult(step)) return reject;
    if (!precheckAttach && consult(kAttachStep)) return reject;
    return learn != nullptr && message != nullptr && learn->Verdict(*message, comment);
}

std::string VerdictTimeoutLine(const std::string& ranOut) {
    // " ﾙｰﾙの照合時間の上限に達したため、以降のﾙｰﾙは省略しました"
    static const std::string kOmitted =
        " \xD9\xB0\xD9\x82\xCC\x8F\xC6\x8D\x87\x8E\x9E\x8A\xD4\x82\xCC\x8F\xE3\x8C\xC0\x82\xC9\x92"
        "B\x82\xB5\x82\xBD\x82\xBD\x82\xDF\x81"
        "A\x88\xC8\x8D~"
        "\x82\xCC\xD9\xB0\xD9\x82\xCD\x8F\xC8\x97\xAA\x82\xB5\x82\xDC\x82\xB5\x82\xBD";
    return ">TIMEOUT:" + ranOut + kOmitted;
}
