#pragma once
// What the commands that use the learning filter share.
#include <ostream>
#include <string_view>

class TLearnFilter;

// Each report of the filter (a database set aside, a failure) on err as UTF-8.
void ReportLearnNotices(std::string_view command, TLearnFilter& filter, std::ostream& err);
