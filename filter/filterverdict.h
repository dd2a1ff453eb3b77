#pragma once
// The verdict for one received message: the nine lists in their fixed order,
// the first list with a matching rule deciding.
#include <chrono>
#include <string>

class TLearnFilter;
class TMessageFilterSet;
class TMultipartMessage;

// The time all rules of all lists may spend searching one message. Honest
// mail takes well under a millisecond per message with hundreds of rules; a
// message built to make a costly rule run on thousands of parts stops here.
constexpr std::chrono::milliseconds VerdictPatternTime{1000};
// Searches of one message that may stop at the matcher's limits (each costs
// a few milliseconds; a rule that reaches them on honest mail is itself at
// fault and is named in the log).
constexpr unsigned VerdictLimitSearches = 16;

// The budget of one verdict and what became of it.
struct TVerdictBudget {
    std::chrono::milliseconds Allowance = VerdictPatternTime;
    unsigned LimitSearches = VerdictLimitSearches;
    // After the verdict: whether the budget was spent, and the rule whose
    // search spent it, in the form of a reason ("本文(" + keyword + ")"). The
    // rules after it did not run.
    bool Spent = false;
    std::string RanOut;
};

// True to reject (trash), false to accept. When a list matched, comment is set
// to the reason (CP932), for example "IPｱﾄﾞﾚｽ(10.0.0.0/255.0.0.0)"; otherwise it
// is left as it was. With precheckAttach the attachment list comes first,
// otherwise last. A message whose parse reached a bound of message/limits.h is
// rejected before any list, with the bound named: "解析上限(ﾊﾟｰﾄ数)". The
// rules share one budget for their patterns (budget, or the default one); a
// message that spends it is judged by the rules that ran before, and the
// verdict says which rule spent it.
// When no list matched, the learning filter (when given) takes the last step:
// it rejects with "学習(score)" or marks the accepted message "学習?(score)"
// once trained (see TLearnFilter::Verdict). A white-list match is never
// scored; a message whose rules ran out of budget is, since the learning step
// has bounds of its own.
bool FilterVerdict(TMessageFilterSet& lists, bool precheckAttach, std::string& comment,
                   TMultipartMessage* message, TVerdictBudget* budget = nullptr,
                   TLearnFilter* learn = nullptr);

// The log line of a verdict whose budget was spent: ">TIMEOUT:" with the rule
// that spent it, then that the rules after it did not run.
std::string VerdictTimeoutLine(const std::string& ranOut);
