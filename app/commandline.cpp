#include "app/commandline.h"

#include <filesystem>

#include "platform/file.h"
#include "platform/text.h"

namespace {

// A port number: decimal digits only, 1..65535.
bool ParsePort(const std::string& text, int& port) {
    if (text.empty() || text.size() > 5) return false;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > 65535) return false;
    port = value;
    return true;
}

TCommandLine Failure(std::string error) {
    TCommandLine result;
    result.Action = TCommandLine::TAction::Error;
    result.Error = std::move(error);
    return result;
}

} // namespace

TCommandLine ParseCommandLine(const std::vector<std::string>& args) {
    TCommandLine result;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string option = args[i];
        std::string value;
        bool hasValue = false;
        if (auto eq = option.find('='); option.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = option.substr(eq + 1);
            option.erase(eq);
            hasValue = true;
        }
        const bool takesValue = option == "--folder" || option == "--port";
        if (takesValue && !hasValue) {
            if (i + 1 >= args.size()) return Failure(option + " needs a value");
            value = args[++i];
        } else if (!takesValue && hasValue) {
            return Failure(option + " takes no value");
        }
        if (option == "--help" || option == "-h") {
            result.Action = TCommandLine::TAction::Help;
        } else if (option == "--version") {
            if (result.Action != TCommandLine::TAction::Help)
                result.Action = TCommandLine::TAction::Version;
        } else if (option == "--headless") {
            result.Headless = true;
        } else if (option == "--folder") {
            if (value.empty()) return Failure("--folder needs a folder");
            result.Folder = value;
        } else if (option == "--port") {
            if (!ParsePort(value, result.Port))
                return Failure("--port needs a port number from 1 to 65535, not '" + value + "'");
        } else {
            return Failure("unknown argument '" + args[i] + "'");
        }
    }
    return result;
}

std::string UsageText() {
    return "Usage: marrowby [--folder DIR] [--port N] [--headless]\n"
           "       marrowby --help | --version\n"
           "\n"
           "POP3 mail gateway with spam filtering (window title Velvane).\n"
           "\n"
           "  --folder DIR  keep mailboxes, rule files and logs under DIR (default:\n"
           "                $XDG_DATA_HOME/Marrowby, i.e. ~/.local/share/Marrowby, or\n"
           "                the executable's folder when it holds a Msgbox folder)\n"
           "  --port N      port of the local POP3 server (default 110; ports below\n"
           "                1024 need the right to bind them, which the Debian package\n"
           "                gives the installed program; else use e.g. --port 1110)\n"
           "  --headless    run without a window; the communication log goes to\n"
           "                standard output, SIGUSR1 checks mail at once,\n"
           "                SIGTERM or SIGINT saves everything and ends\n"
           "  --help        show this text\n"
           "  --version     show the version\n"
           "\n"
           "Only one instance runs per user; a second start ends at once.\n";
}

std::string VersionText() {
    return std::string("marrowby ") + MARROWBY_VERSION + "\n";
}

platform::TProgramFolder ProgramFolderFor(const std::string& folder) {
    if (folder.empty()) return platform::DefaultProgramFolder();
    std::error_code error;
    std::filesystem::path path = std::filesystem::absolute(folder, error);
    if (path.empty()) path = std::filesystem::current_path(error);
    return {
        platform::IncludeTrailingSeparator(platform::Utf8ToCp932(path.lexically_normal().string())),
        {}};
}
