#pragma once
// How a rule reads in the filter dialog's lists and in the tool's listing:
// one text per column, CP932.
#include <string>
#include <vector>

class TMessageFilter;

// The headers a sender rule tests: "Return-Path AND From", "Return-Path",
// "From" or "Return-Path OR From".
std::string SenderTargetText(bool checkReturnPath, bool checkFrom);

// sender:  target, keyword, "Yes"/"No" (regular expression), "区別しない" or empty (caseless)
// keyword: keyword, "Yes"/"No", "区別しない" or empty
// header:  header name, keyword, "Yes"/"No", "区別しない" or empty
// address: network, netmask (dotted quads)
// attachment: extension
// Other kinds have no row.
std::vector<std::string> FilterRowTexts(const TMessageFilter& filter);
