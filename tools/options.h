#pragma once
// Options of one command: "--name VALUE" or "--name=VALUE" for options that
// take a value, "--name" for switches; everything else is an operand.
#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "tools/commands.h"

struct TToolOptions {
    std::map<std::string, std::string, std::less<>> Values;
    std::set<std::string, std::less<>> Switches;
    std::vector<std::string> Operands;

    bool Has(std::string_view name) const { return Values.count(name) || Switches.count(name); }
    // The value of the option, or nothing when it was not given.
    const std::string* Value(std::string_view name) const;
};

// False, with the reason in error, for an unknown option or a missing value.
bool ParseToolOptions(const TToolArgs& args, std::initializer_list<std::string_view> valued,
                      std::initializer_list<std::string_view> switches, TToolOptions& options,
                      std::string& error);
