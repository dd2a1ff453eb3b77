#pragma once
// One run of marrowby-tool in the test's process: its exit status and what
// it printed.
#include <sstream>
#include <string>

#include "tools/commands.h"

struct ToolRun {
    int Status;
    std::string Out, Err;
};

inline ToolRun Tool(const TToolArgs& args) {
    std::ostringstream out, err;
    int status = RunTool(args, out, err);
    return {status, out.str(), err.str()};
}
