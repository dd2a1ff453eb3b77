#pragma once
// The distinct tokens of one message, up to the bound of learnlimits.h. A
// token is counted once per message however often it occurs: the filter asks
// in how many messages of each class it appeared. The database knows a token
// by a 64-bit hash of its bytes (small keys, integer comparisons); the token
// texts are kept only when asked for, to show which tokens decided a score.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// The hash the database keys a token by (64-bit FNV-1a with a final mix).
std::int64_t TokenHash(std::string_view prefix, std::string_view token);

// The tokens of a message: hashes in ascending order (neighbours in the
// database's key order) and, when kept, each hash's text in the same order.
struct TMessageTokens {
    std::vector<std::int64_t> Hashes;
    std::vector<std::string> Texts;
};

class TTokenSet {
public:
    explicit TTokenSet(bool keepTexts = false) : FKeepTexts(keepTexts) {}

    // Adds prefix + token; ignored once the set holds the most tokens allowed.
    void Add(std::string_view prefix, std::string_view token);
    bool Full() const;
    std::size_t Size() const { return FHashes.size(); }
    TMessageTokens Take();

private:
    bool FKeepTexts;
    std::unordered_set<std::int64_t> FHashes;
    std::unordered_map<std::int64_t, std::string> FTexts;
};
