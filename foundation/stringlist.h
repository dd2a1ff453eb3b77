#pragma once
// An ordered list of texts: CR LF lines, the CSV line conversion and
// case-insensitive lookup.
#include <string>
#include <string_view>
#include <vector>

class TStringList {
public:
    std::vector<std::string> Strings;

    int GetCount() const { return static_cast<int>(Strings.size()); }
    const std::string& operator[](int i) const { return Strings[static_cast<std::size_t>(i)]; }
    std::string& operator[](int i) { return Strings[static_cast<std::size_t>(i)]; }
    void Add(std::string s) { Strings.push_back(std::move(s)); }
    void Clear() { Strings.clear(); }
    void Delete(int i);
    // Index of the first text equal to s ignoring letter case, or -1.
    int IndexOf(std::string_view s) const;

    std::string GetText() const;         // every line followed by CR LF
    void SetText(std::string_view text); // data-file line rules
    std::string GetCommaText() const;    // one CSV line
    void SetCommaText(std::string_view line);

    // A missing file loads as empty (and returns false).
    bool LoadFromFile(std::string_view path);
    bool SaveToFile(std::string_view path, unsigned mode = 0600,
                    std::string* error = nullptr) const;
};
