#include "tools/commands.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array kCommands = {
    TToolCommand{"parse", "print each message file parsed, one JSON object per line", CmdParse},
    TToolCommand{"verdict", "judge message files by the nine rule files of a folder", CmdVerdict},
    TToolCommand{"accounts", "list, add or remove the remote POP3 accounts", CmdAccounts},
    TToolCommand{"mailbox", "print the index entries of the inboxes or the trash", CmdMailbox},
    TToolCommand{"rules", "list, add or remove the rules of the nine filter lists", CmdRules},
    TToolCommand{"restruct", "rebuild the trash and inbox indexes from the message files",
                 CmdRestruct},
    TToolCommand{"learn", "teach the learning filter spam or ham, or show what it knows", CmdLearn},
    TToolCommand{"score", "score message files with the learning filter", CmdScore},
};

void PrintUsage(std::ostream& out) {
    out << "Usage: marrowby-tool COMMAND [ARGS...]\n"
           "Inspects the data of the Marrowby mail gateway from a terminal.\n\n"
           "Commands:\n";
    for (const TToolCommand& command : kCommands)
        out << "  " << command.Name
            << std::string(12 - std::min<std::size_t>(command.Name.size(), 11), ' ')
            << command.Summary << "\n";
    out << "\nWithout --folder DIR, a command uses the gateway's default program folder: the\n"
           "folder of this program when it holds a \"Msgbox\" folder and may be written, else\n"
           "$XDG_DATA_HOME/Marrowby (~/.local/share/Marrowby), made when missing.\n"
           "\"marrowby-tool COMMAND --help\" explains a command.\n";
}

} // namespace

std::span<const TToolCommand> ToolCommands() {
    return kCommands;
}

bool WantsHelp(const TToolArgs& args) {
    return std::any_of(args.begin(), args.end(),
                       [](const std::string& a) { return a == "--help" || a == "-h"; });
}

int RunTool(const TToolArgs& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        PrintUsage(err);
        return 2;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        PrintUsage(out);
        return 0;
    }
    for (const TToolCommand& command : kCommands)
        if (command.Name == args[0])
            return command.Run(TToolArgs(args.begin() + 1, args.end()), out, err);
    err << "marrowby-tool: unknown command \"" << args[0] << "\"\n\n";
    PrintUsage(err);
    return 2;
}
