#pragma once
// Filter lists: an ordered list of rules of one kind, kept in one rule file,
// and the base of every filter kind.
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

class TMultipartItem;
class TMultipartMessage;
class TRegexpObj;
class TMessageFilters;

// Decoded header values shared by the filters of one list during one check.
struct TFilterHeaderCache {
    struct TRecent {
        const TMultipartItem* Part = nullptr;
        std::string_view Name; // a key of Values
        const std::vector<std::string>* Values = nullptr;
    };

    bool Active = false;
    std::unordered_map<const TMultipartItem*,
                       std::map<std::string, std::vector<std::string>, std::less<>>>
        Values;
    // The last two looked up: the sender rules of a list ask for the same two
    // headers of the same part over and over.
    TRecent Recent[2];
    unsigned NextRecent = 0;

    void Clear() {
        Active = false;
        Values.clear();
        Recent[0] = Recent[1] = {};
    }
};

class TMessageFilter {
public:
    // Stores the owner (which may be null); the creator adds the filter to it.
    explicit TMessageFilter(TMessageFilters* owner) : FOwner(owner) {}
    virtual ~TMessageFilter() = default;
    TMessageFilter(const TMessageFilter&) = delete;
    TMessageFilter& operator=(const TMessageFilter&) = delete;

    // Copies the settings of a filter of the same kind (the base: the owner).
    virtual void Assign(const TMessageFilter& source);
    // The rule-file line.
    virtual std::string GetCSV() const { return {}; }
    // True when this filter matches the part or any part below it (pre-order).
    virtual bool CheckParts(TMultipartItem* part);
    // True when this filter matches the part alone.
    virtual bool CheckPart(TMultipartItem* part);
    // True when this filter matches the message (the base: its part tree).
    virtual bool Check(TMultipartMessage* message);

    // Removes the filter from its list, which destroys it; no effect without one.
    void Delete();
    TMessageFilters* GetOwner() const { return FOwner; }

protected:
    // The decoded values (not unwrapped) of the headers of the part named by
    // the pattern fragment, first to last; selected with the compiled select
    // pattern of that name when one is given. Shared by the filters of one
    // list while that list checks a message.
    const std::vector<std::string>& HeaderValues(TMultipartItem* part, std::string_view name,
                                                 TRegexpObj* selectPattern = nullptr);

private:
    TMessageFilters* FOwner;
    std::vector<std::string> FValues; // HeaderValues outside a list's check
};

// A rule line that could not be read.
struct TRuleLineError {
    std::string Path;
    int Line = 0; // from 1
    std::string Text;
};

class TMessageFilters {
public:
    // Sets item to a new filter read from the line, or leaves it null when the
    // line lacks the fields the kind needs.
    using TCreateFilterEvent = std::function<void(
        TMessageFilters* sender, std::unique_ptr<TMessageFilter>& item, std::string_view param)>;

    explicit TMessageFilters(std::string name = {}) : Name(std::move(name)) {}
    ~TMessageFilters();
    TMessageFilters(const TMessageFilters&) = delete;
    TMessageFilters& operator=(const TMessageFilters&) = delete;

    // Replaces the filters with those read from Path. A missing or unreadable
    // file gives an empty list. A line the handler cannot read is skipped and
    // returned; the lines after it still load.
    std::vector<TRuleLineError> Load();
    std::vector<TRuleLineError> LoadFromFile(std::string_view path);
    // Writes one line per filter to Path, replacing the file atomically; an
    // empty list writes an empty file. False, with the reason, when it fails.
    [[nodiscard]] bool Save(std::string* error = nullptr) const;

    // The first filter in list order that matches, or null. While a match
    // budget is current on the thread, the check stops once it is spent.
    TMessageFilter* Check(TMultipartMessage* message);
    // The first filter whose CheckPart matches this part alone, or null.
    TMessageFilter* CheckPart(TMultipartItem* part);
    // The filter whose test spent the current match budget in the last Check
    // or CheckPart, or null.
    TMessageFilter* RanOut() const { return FRanOut; }

    TMessageFilter* Add(std::unique_ptr<TMessageFilter> filter);
    // Removes and destroys the filter at index; no effect outside the list.
    void Delete(int index);
    // The filter's former index, or -1 when it is not in the list.
    int Remove(TMessageFilter* filter);
    int IndexOf(const TMessageFilter* filter) const;
    void Clear() { FItems.clear(); }
    int Count() const { return static_cast<int>(FItems.size()); }
    TMessageFilter* Items(int index) const { return FItems[static_cast<std::size_t>(index)].get(); }

    std::string Name;
    std::string Path;
    TCreateFilterEvent OnCreateFilter;

private:
    friend class TMessageFilter;

    template <class TTest>
    TMessageFilter* FirstMatch(TTest test);

    std::vector<std::unique_ptr<TMessageFilter>> FItems;
    TMessageFilter* FRanOut = nullptr;
    // Active only while Check or CheckPart runs, so every filter of the list
    // reuses one selection per part and header name.
    TFilterHeaderCache FHeaderCache;
};

// Formats a skipped rule line for the user: "path:line: text".
std::string FormatRuleLineError(const TRuleLineError& error);
