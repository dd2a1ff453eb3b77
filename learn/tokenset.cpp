#include "learn/tokenset.h"

#include <algorithm>

#include "learn/learnlimits.h"

std::int64_t TokenHash(std::string_view prefix, std::string_view token) {
    std::uint64_t h = 0xcbf29ce484222325ULL;
    for (std::string_view part : {prefix, token})
        for (unsigned char c : part) {
            h ^= c;
            h *= 0x100000001b3ULL;
        }
    // FNV-1a mixes its last bytes poorly; the splitmix64 finalizer spreads them.
    h ^= h >> 30;
    h *= 0xbf58476d1ce4e5b9ULL;
    h ^= h >> 27;
    h *= 0x94d049bb133111ebULL;
    h ^= h >> 31;
    return static_cast<std::int64_t>(h);
}

void TTokenSet::Add(std::string_view prefix, std::string_view token) {
    if (Full()) return;
    std::int64_t hash = TokenHash(prefix, token);
    if (FHashes.insert(hash).second && FKeepTexts)
        FTexts.emplace(hash, std::string(prefix).append(token));
}

bool TTokenSet::Full() const {
    return FHashes.size() >= learnlimits::MaxTokens;
}

TMessageTokens TTokenSet::Take() {
    TMessageTokens tokens;
    tokens.Hashes.assign(FHashes.begin(), FHashes.end());
    std::sort(tokens.Hashes.begin(), tokens.Hashes.end());
    if (FKeepTexts) {
        tokens.Texts.reserve(tokens.Hashes.size());
        for (std::int64_t hash : tokens.Hashes)
            tokens.Texts.push_back(std::move(FTexts[hash]));
    }
    FHashes.clear();
    FTexts.clear();
    return tokens;
}
