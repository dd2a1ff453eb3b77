#pragma once
// The commands of marrowby-tool. A command gets its arguments (without the
// command name) and the two output streams, and returns the exit code.
// A new command is one cmd_<name>.cpp file and one line in the table.
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

using TToolArgs = std::vector<std::string>;

struct TToolCommand {
    std::string_view Name;
    std::string_view Summary;
    int (*Run)(const TToolArgs& args, std::ostream& out, std::ostream& err);
};

std::span<const TToolCommand> ToolCommands();

// Dispatches "COMMAND ARGS..." to its command; --help lists the commands.
int RunTool(const TToolArgs& args, std::ostream& out, std::ostream& err);

// True when the arguments ask for help ("--help" or "-h").
bool WantsHelp(const TToolArgs& args);

int CmdParse(const TToolArgs& args, std::ostream& out, std::ostream& err);
int CmdVerdict(const TToolArgs& args, std::ostream& out, std::ostream& err);
int CmdAccounts(const TToolArgs& args, std::ostream& out, std::ostream& err);
int CmdMailbox(const TToolArgs& args, std::ostream& out, std::ostream& err);
int CmdRules(const TToolArgs& args, std::ostream& out, std::ostream& err);
int CmdRestruct(const TToolArgs& args, std::ostream& out, std::ostream& err);
int CmdLearn(const TToolArgs& args, std::ostream& out, std::ostream& err);
int CmdScore(const TToolArgs& args, std::ostream& out, std::ostream& err);
