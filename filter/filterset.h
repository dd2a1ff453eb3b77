#pragma once
// The nine rule lists the verdict consults, with their rule files under the
// program folder's "cgi" folder and the handlers that read each kind's lines.
// The main window and the filter dialog each hold one set.
#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "filter/messagefilters.h"

// OnCreateFilter handlers, one per kind (the first serves both sender lists).
void MessageFiltersSender1CreateFilter(TMessageFilters* sender,
                                       std::unique_ptr<TMessageFilter>& item,
                                       std::string_view param);
void MessageFiltersSubjectCreateFilter(TMessageFilters* sender,
                                       std::unique_ptr<TMessageFilter>& item,
                                       std::string_view param);
void MessageFiltersIPCreateFilter(TMessageFilters* sender, std::unique_ptr<TMessageFilter>& item,
                                  std::string_view param);
void MessageFiltersHostCreateFilter(TMessageFilters* sender, std::unique_ptr<TMessageFilter>& item,
                                    std::string_view param);
void MessageFiltersMailerCreateFilter(TMessageFilters* sender,
                                      std::unique_ptr<TMessageFilter>& item,
                                      std::string_view param);
void MessageFiltersHeaderCreateFilter(TMessageFilters* sender,
                                      std::unique_ptr<TMessageFilter>& item,
                                      std::string_view param);
void MessageFiltersBodyCreateFilter(TMessageFilters* sender, std::unique_ptr<TMessageFilter>& item,
                                    std::string_view param);
void MessageFiltersAttachCreateFilter(TMessageFilters* sender,
                                      std::unique_ptr<TMessageFilter>& item,
                                      std::string_view param);

// A rule file that could not be written.
struct TRuleFileError {
    std::string Path;
    std::string Reason;
};

class TMessageFilterSet {
public:
    TMessageFilterSet();

    // Sets every list's Path: the folder, then "cgi/" and its file name.
    void SetFolder(std::string_view programFolder);
    // Loads the lists in the order Sender1, Sender2, Subject, IP, Host,
    // Mailer, Header, Body, Attach; returns the lines that were skipped.
    std::vector<TRuleLineError> Load();
    // Saves the lists in the same order. A file that cannot be written keeps
    // its old contents and does not stop the others; returns the failures.
    [[nodiscard]] std::vector<TRuleFileError> Save() const;

    TMessageFilters MessageFiltersSender1{"MessageFiltersSender1"};
    TMessageFilters MessageFiltersSender2{"MessageFiltersSender2"};
    TMessageFilters MessageFiltersSubject{"MessageFiltersSubject"};
    TMessageFilters MessageFiltersIP{"MessageFiltersIP"};
    TMessageFilters MessageFiltersHost{"MessageFiltersHost"};
    TMessageFilters MessageFiltersMailer{"MessageFiltersMailer"};
    TMessageFilters MessageFiltersHeader{"MessageFiltersHeader"};
    TMessageFilters MessageFiltersBody{"MessageFiltersBody"};
    TMessageFilters MessageFiltersAttach{"MessageFiltersAttach"};

private:
    struct TEntry {
        TMessageFilters TMessageFilterSet::*List;
        const char* FileName;
    };
    static const std::array<TEntry, 9> FEntries; // in load order
};

// Formats a rule file that could not be written for the user: "path: reason".
std::string FormatRuleFileError(const TRuleFileError& error);
