#pragma once
// Messages and a trained learning filter shared by the learning tests.
#include <string>
#include <string_view>

#include "learn/learnfilter.h"

namespace learntest {

// "\n" becomes CR LF, as mail arrives.
inline std::string Crlf(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

// The n-th message of a kind, each one different (its own digest).
inline std::string SpamText(int n) {
    return Crlf("From: promo" + std::to_string(n) +
                "@bulk.example\nSubject: CHEAP pills offer\n\nBuy CHEAP pills now, "
                "limited offer " +
                std::to_string(n) + ". Visit http://pills.example/buy\n");
}

inline std::string HamText(int n) {
    return Crlf("From: colleague@work.example\nSubject: meeting notes\n\nThe meeting "
                "moved to Tuesday; agenda item " +
                std::to_string(n) + " stays. Regards\n");
}

// Learns count messages of each kind (the filter is then trained at 50).
inline void Train(TLearnFilter& filter, int count = 50) {
    for (int i = 0; i < count; ++i) {
        filter.Learn(SpamText(i), true);
        filter.Learn(HamText(i), false);
    }
}

} // namespace learntest
