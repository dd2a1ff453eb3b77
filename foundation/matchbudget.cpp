#include "foundation/matchbudget.h"

TMatchBudget::TMatchBudget(TClock::duration allowance, unsigned limitSearches)
    : FDeadline(TClock::now() + allowance), FLimitSearches(limitSearches),
      FExhausted(allowance <= TClock::duration::zero() || limitSearches == 0) {}

void TMatchBudget::Look(bool limitReached) {
    if (limitReached && --FLimitSearches == 0) FExhausted = true;
    FSearches = 0;
    FBytes = 0;
    if (TClock::now() >= FDeadline) FExhausted = true;
}

TMatchBudget::TScope::TScope(TMatchBudget& budget) : FPrevious(FCurrent) {
    FCurrent = &budget;
}

TMatchBudget::TScope::~TScope() {
    FCurrent = FPrevious;
}
