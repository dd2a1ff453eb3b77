#include "filter/messagefilters.h"

#include <algorithm>

#include "foundation/datafile.h"
#include "foundation/matchbudget.h"
#include "message/multipartmessage.h"

void TMessageFilter::Assign(const TMessageFilter& source) {
    FOwner = source.FOwner;
}

bool TMessageFilter::CheckParts(TMultipartItem* part) {
    if (part == nullptr) return false;
    if (CheckPart(part)) return true;
    for (int i = 0; i < part->GetCount(); ++i)
        if (CheckParts(part->GetParts(i))) return true;
    return false;
}

bool TMessageFilter::CheckPart(TMultipartItem*) {
    return false;
}

bool TMessageFilter::Check(TMultipartMessage* message) {
    return message != nullptr && CheckParts(&message->GetRoot());
}

void TMessageFilter::Delete() {
    if (FOwner != nullptr) FOwner->Remove(this);
}

namespace {

// Selects and decodes, leaving the part's Results empty as it found them.
void SelectDecoded(TMultipartItem& part, std::string_view name, TRegexpObj* selectPattern,
                   std::vector<std::string>& out) {
    part.FreeResult();
    if ((selectPattern ? part.Select(*selectPattern) : part.Select(name)) > 0)
        part.DecodeResult(false);
    out = std::move(part.Results.Strings);
    part.FreeResult();
}

// Keeps a list's header cache alive for the length of one check.
class TCacheScope {
public:
    explicit TCacheScope(TFilterHeaderCache& cache) : FCache(cache) { FCache.Active = true; }
    ~TCacheScope() { FCache.Clear(); }
    TCacheScope(const TCacheScope&) = delete;
    TCacheScope& operator=(const TCacheScope&) = delete;

private:
    TFilterHeaderCache& FCache;
};

} // namespace

const std::vector<std::string>& TMessageFilter::HeaderValues(TMultipartItem* part,
                                                             std::string_view name,
                                                             TRegexpObj* selectPattern) {
    if (FOwner == nullptr || !FOwner->FHeaderCache.Active) {
        SelectDecoded(*part, name, selectPattern, FValues);
        return FValues;
    }
    TFilterHeaderCache& cache = FOwner->FHeaderCache;
    for (const TFilterHeaderCache::TRecent& recent : cache.Recent)
        if (recent.Part == part && recent.Name == name) return *recent.Values;
    auto& names = cache.Values[part];
    auto it = names.find(name);
    if (it == names.end()) {
        it = names.emplace(std::string(name), std::vector<std::string>()).first;
        SelectDecoded(*part, name, selectPattern, it->second);
    }
    cache.Recent[cache.NextRecent++ % 2] = {part, it->first, &it->second};
    return it->second;
}

TMessageFilters::~TMessageFilters() = default;

std::vector<TRuleLineError> TMessageFilters::Load() {
    FItems.clear();
    std::vector<TRuleLineError> skipped;
    if (!OnCreateFilter) return skipped;
    std::vector<std::string> lines = ReadDataFile(Path);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::unique_ptr<TMessageFilter> item;
        OnCreateFilter(this, item, lines[i]);
        if (item)
            Add(std::move(item));
        else
            skipped.push_back({Path, static_cast<int>(i + 1), lines[i]});
    }
    return skipped;
}

std::vector<TRuleLineError> TMessageFilters::LoadFromFile(std::string_view path) {
    Path = path;
    return Load();
}

bool TMessageFilters::Save(std::string* error) const {
    std::vector<std::string> lines;
    lines.reserve(FItems.size());
    for (const auto& item : FItems)
        lines.push_back(item->GetCSV());
    return WriteDataFile(Path, lines, 0600, error);
}

template <class TTest>
TMessageFilter* TMessageFilters::FirstMatch(TTest test) {
    TCacheScope scope(FHeaderCache);
    FRanOut = nullptr;
    const TMatchBudget* budget = TMatchBudget::Current();
    if (budget != nullptr && budget->Exhausted()) return nullptr;
    for (const auto& item : FItems) {
        if (test(*item)) return item.get();
        if (budget != nullptr && budget->Exhausted()) {
            FRanOut = item.get();
            return nullptr;
        }
    }
    return nullptr;
}

TMessageFilter* TMessageFilters::Check(TMultipartMessage* message) {
    return FirstMatch([message](TMessageFilter& filter) { return filter.Check(message); });
}

TMessageFilter* TMessageFilters::CheckPart(TMultipartItem* part) {
    return FirstMatch([part](TMessageFilter& filter) { return filter.CheckPart(part); });
}

TMessageFilter* TMessageFilters::Add(std::unique_ptr<TMessageFilter> filter) {
    FItems.push_back(std::move(filter));
    return FItems.back().get();
}

void TMessageFilters::Delete(int index) {
    if (index < 0 || index >= Count()) return;
    FItems.erase(FItems.begin() + index);
}

int TMessageFilters::Remove(TMessageFilter* filter) {
    int index = IndexOf(filter);
    if (index >= 0) Delete(index);
    return index;
}

int TMessageFilters::IndexOf(const TMessageFilter* filter) const {
    auto it = std::find_if(FItems.begin(), FItems.end(),
                           [filter](const auto& item) { return item.get() == filter; });
    return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

std::string FormatRuleLineError(const TRuleLineError& error) {
    return error.Path + ":" + std::to_string(error.Line) + ": " + error.Text;
}
