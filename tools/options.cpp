#include "tools/options.h"

#include <algorithm>

namespace {

bool Listed(std::initializer_list<std::string_view> names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

} // namespace

const std::string* TToolOptions::Value(std::string_view name) const {
    auto found = Values.find(name);
    return found == Values.end() ? nullptr : &found->second;
}

bool ParseToolOptions(const TToolArgs& args, std::initializer_list<std::string_view> valued,
                      std::initializer_list<std::string_view> switches, TToolOptions& options,
                      std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 3 || arg.compare(0, 2, "--") != 0) {
            options.Operands.push_back(arg);
            continue;
        }
        std::size_t equals = arg.find('=');
        std::string name = arg.substr(0, equals);
        if (Listed(switches, name) && equals == std::string::npos) {
            options.Switches.insert(name);
        } else if (!Listed(valued, name)) {
            error = "unknown option " + arg;
            return false;
        } else if (equals != std::string::npos) {
            options.Values[name] = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            options.Values[name] = args[++i];
        } else {
            error = name + " needs a value";
            return false;
        }
    }
    return true;
}
