#pragma once
// A budget for the patterns users write, shared by every search made while
// it is current on the thread: the verdict of one message makes one current
// for all rules of all lists. Each search is bounded on its own by the
// matcher's limits; the budget bounds their sum, so a message with thousands
// of parts cannot make a costly rule run thousands of times. It is spent by
// time, or by a number of searches that stopped at the matcher's limits
// (which honest patterns on honest mail never reach). Once it is spent, the
// searches that draw on it find nothing.
#include <chrono>
#include <cstddef>

class TMatchBudget {
public:
    using TClock = std::chrono::steady_clock;

    // A budget of no time, or of no searches at the limits, is spent before
    // the first search.
    TMatchBudget(TClock::duration allowance, unsigned limitSearches);

    bool Exhausted() const { return FExhausted; }
    // Counts a search over the bytes; limitReached when it stopped at the
    // matcher's limits. The clock is read now and then (after a search that
    // reached a limit, every few searches, every few kilobytes), so that
    // short searches cost no clock reads.
    void Spend(std::size_t bytes, bool limitReached) {
        FBytes += bytes;
        if (++FSearches >= SearchesPerLook || FBytes >= BytesPerLook || limitReached)
            Look(limitReached);
    }

    // The budget current on this thread, or null.
    static TMatchBudget* Current() { return FCurrent; }

    // Makes the budget current on this thread while it lives.
    class TScope {
    public:
        explicit TScope(TMatchBudget& budget);
        ~TScope();
        TScope(const TScope&) = delete;
        TScope& operator=(const TScope&) = delete;

    private:
        TMatchBudget* FPrevious;
    };

private:
    void Look(bool limitReached);

    static inline thread_local TMatchBudget* FCurrent = nullptr;
    static constexpr unsigned SearchesPerLook = 32;
    static constexpr std::size_t BytesPerLook = 64 * 1024;

    TClock::time_point FDeadline;
    unsigned FLimitSearches; // left
    bool FExhausted;
    unsigned FSearches = 0; // since the clock was last read
    std::size_t FBytes = 0;
};
