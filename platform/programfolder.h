#pragma once
// Where the gateway and its companion tool keep their data when no folder is
// given. The executable's own folder serves only when it already holds a
// Marrowby layout (a "Msgbox" folder) and may be written, as a copy carried
// along with its data has it. Otherwise the user's data folder
// $XDG_DATA_HOME/Marrowby (~/.local/share/Marrowby) is used, made private
// (0700) when it is created: an installed program cannot write beside
// itself, and a build tree is no place for mail.
#include <string>

namespace platform {

struct TProgramFolder {
    std::string Path;  // CP932 with the trailing separator; empty on failure
    std::string Error; // why the user's data folder could not be made
};

// The folder of the running executable (CP932, no trailing separator).
std::string ExecutableFolder();
// $XDG_DATA_HOME/Marrowby, or ~/.local/share/Marrowby when XDG_DATA_HOME is
// unset, empty or not absolute (CP932, no trailing separator).
std::string UserDataProgramFolder();
// The choice above for an executable in executableFolder; the user's data
// folder and its missing parents are created 0700.
TProgramFolder DefaultProgramFolder(const std::string& executableFolder = ExecutableFolder());

} // namespace platform
