#include "platform/programfolder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <pwd.h>
#include <unistd.h>

#include "platform/file.h"
#include "platform/text.h"

namespace platform {

namespace {

// The home folder from $HOME, else from the password database.
std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    passwd entry{};
    passwd* found = nullptr;
    char buffer[4096];
    if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found && found->pw_dir)
        return found->pw_dir;
    return "/";
}

bool Writable(const std::string& folder) {
    return ::access(NativePath(folder).c_str(), W_OK | X_OK) == 0;
}

} // namespace

std::string ExecutableFolder() {
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
    return Utf8ToCp932(path.empty() ? std::filesystem::current_path(error).string()
                                    : path.string());
}

std::string UserDataProgramFolder() {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    std::string base =
        dataHome && dataHome[0] == '/' ? std::string(dataHome) : HomeFolder() + "/.local/share";
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    return Utf8ToCp932(base + "/Marrowby");
}

TProgramFolder DefaultProgramFolder(const std::string& executableFolder) {
    const std::string beside = IncludeTrailingSeparator(executableFolder);
    if (DirectoryExists(beside + "Msgbox") && Writable(beside)) return {beside, {}};
    const std::string folder = UserDataProgramFolder();
    if (!ForceDirectories(folder, 0700))
        return {{},
                "cannot create the folder " + Cp932ToUtf8(folder) + ": " + std::strerror(errno)};
    return {IncludeTrailingSeparator(folder), {}};
}

} // namespace platform
