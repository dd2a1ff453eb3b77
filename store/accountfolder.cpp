#include "store/accountfolder.h"

#include <filesystem>
#include <system_error>

#include "platform/file.h"

namespace fs = std::filesystem;

namespace {

bool Fail(std::string* error, std::string_view path, const std::error_code& ec) {
    if (error) *error = std::string(path) + ": " + ec.message();
    return false;
}

} // namespace

bool MakeAccountFolder(std::string_view folder, std::string* error) {
    std::error_code ec;
    const fs::path path = platform::NativePath(folder);
    fs::create_directories(path, ec);
    if (!ec && !fs::is_directory(path, ec)) ec = std::make_error_code(std::errc::not_a_directory);
    return ec ? Fail(error, folder, ec) : true;
}

bool RenameAccountFolder(std::string_view from, std::string_view to, std::string* error) {
    std::error_code ec;
    const fs::path source = platform::NativePath(from), target = platform::NativePath(to);
    if (fs::exists(fs::symlink_status(target, ec)))
        return Fail(error, to, std::make_error_code(std::errc::file_exists));
    if (!fs::exists(fs::symlink_status(source, ec))) return MakeAccountFolder(to, error);
    fs::rename(source, target, ec);
    return ec ? Fail(error, from, ec) : true;
}

bool RemoveAccountFolder(std::string_view folder, std::string* error) {
    const std::string base = platform::IncludeTrailingSeparator(folder);
    std::error_code first, ec;
    std::string firstPath;
    for (const std::string& name : platform::FindFiles(folder, ""))
        if (!fs::remove(platform::NativePath(base + name), ec) && ec && !first) {
            first = ec;
            firstPath = base + name;
        }
    const fs::path path = platform::NativePath(folder);
    if (!first && fs::exists(fs::symlink_status(path, ec)) && !fs::remove(path, ec) && ec) {
        first = ec;
        firstPath = folder;
    }
    return first ? Fail(error, firstPath, first) : true;
}
