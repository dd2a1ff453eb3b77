#include "platform/file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/text.h"

namespace platform {

std::string NativePath(std::string_view path) {
    return Cp932ToUtf8(path);
}

namespace {

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool EndsWithNoCase(std::string_view name, std::string_view suffix) {
    return name.size() >= suffix.size() &&
           SameText(name.substr(name.size() - suffix.size()), suffix);
}

} // namespace

std::optional<std::string> ReadFile(std::string_view path) {
    int fd = ::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::string data;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
        data.reserve(static_cast<std::size_t>(st.st_size));
    char buf[65536];
    while (true) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        data.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return data;
}

bool WriteFile(std::string_view path, std::string_view data, unsigned mode) {
    int fd = ::open(NativePath(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (fd < 0) return false;
    bool ok = WriteAll(fd, data);
    return (::close(fd) == 0) && ok;
}

namespace {

bool Fail(std::string* error, const char* what, int code = errno) {
    if (error) *error = std::string(what) + ": " + std::strerror(code);
    errno = code;
    return false;
}

std::string FolderOf(const std::string& native) {
    const std::size_t slash = native.rfind('/');
    return slash == std::string::npos ? std::string(".") : native.substr(0, slash + 1);
}

// A rename or a new name is durable only once its folder is synced.
bool SyncFolder(const std::string& nativeFolder) {
    int fd = ::open(nativeFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = ::fsync(fd) == 0;
    int saved = errno;
    ::close(fd);
    errno = saved;
    return ok;
}

} // namespace

bool WriteFileAtomic(std::string_view path, std::string_view data, unsigned mode,
                     std::string* error) {
    std::string target = NativePath(path);
    // A short name beside the target: the target's own name may already use
    // the whole length a name may have.
    const std::size_t slash = target.rfind('/');
    std::string temp = (slash == std::string::npos ? std::string() : target.substr(0, slash + 1)) +
                       std::string(TempFilePrefix) + "XXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0) return Fail(error, "cannot create a temporary file");
    bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, data) && ::fsync(fd) == 0;
    int saved = errno;
    ok = (::close(fd) == 0) && ok;
    if (!ok || ::rename(temp.c_str(), target.c_str()) != 0) {
        if (ok) saved = errno;
        ::unlink(temp.c_str());
        return Fail(error, ok ? "cannot replace the file" : "cannot write the file", saved);
    }
    if (!SyncFolder(FolderOf(target))) return Fail(error, "cannot sync the folder");
    return true;
}

bool WriteNewFile(std::string_view path, std::string_view data, unsigned mode, std::string* error) {
    const std::string native = NativePath(path);
    int fd = ::open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) return Fail(error, "cannot create the file");
    bool ok = WriteAll(fd, data);
    int saved = errno;
    ok = (::close(fd) == 0) && ok;
    if (ok) return true;
    ::unlink(native.c_str());
    return Fail(error, "cannot write the file", saved);
}

bool AppendFile(std::string_view path, std::string_view data, unsigned mode, bool newLine,
                std::string* error) {
    int fd = ::open(NativePath(path).c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, mode);
    if (fd < 0) return Fail(error, "cannot open the file");
    std::string joined;
    struct stat st {};
    char last = '\n';
    if (newLine && ::fstat(fd, &st) == 0 && st.st_size > 0 &&
        ::pread(fd, &last, 1, st.st_size - 1) == 1 && last != '\n') {
        joined.reserve(data.size() + 2);
        joined.append("\r\n").append(data);
        data = joined;
    }
    bool ok = WriteAll(fd, data);
    int saved = errno;
    ok = (::close(fd) == 0) && ok;
    return ok || Fail(error, "cannot append to the file", saved);
}

bool SyncFileSystem(std::string_view path, std::string* error) {
    int fd = ::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Fail(error, "cannot open for syncing");
    bool ok = ::syncfs(fd) == 0;
    int saved = errno;
    ::close(fd);
    return ok || Fail(error, "cannot sync the file system", saved);
}

bool IsTempFileName(std::string_view name) {
    return name.starts_with(TempFilePrefix) && !EndsWithNoCase(name, ".eml");
}

bool FileExists(std::string_view path) {
    struct stat st {};
    return ::stat(NativePath(path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(std::string_view path) {
    struct stat st {};
    return ::stat(NativePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool PathExists(std::string_view path) {
    struct stat st {};
    return ::stat(NativePath(path).c_str(), &st) == 0;
}

bool ForceDirectories(std::string_view path, unsigned mode) {
    std::string native = NativePath(path);
    while (native.size() > 1 && native.back() == '/')
        native.pop_back();
    if (native.empty()) return false;
    for (std::size_t i = 1; i <= native.size(); ++i) {
        if (i < native.size() && native[i] != '/') continue;
        std::string part = native.substr(0, i);
        if (::mkdir(part.c_str(), mode) != 0 && errno != EEXIST) return false;
    }
    struct stat st {};
    return ::stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool DeleteFile(std::string_view path) {
    return ::unlink(NativePath(path).c_str()) == 0;
}

bool RenameFile(std::string_view from, std::string_view to) {
    return ::rename(NativePath(from).c_str(), NativePath(to).c_str()) == 0;
}

bool CopyFile(std::string_view from, std::string_view to) {
    auto data = ReadFile(from);
    return data && WriteFile(to, *data);
}

bool MoveFile(std::string_view from, std::string_view to, std::string* error) {
    if (RenameFile(from, to)) return true;
    if (errno != EXDEV) return Fail(error, "cannot move the file");
    struct stat st {};
    if (::stat(NativePath(from).c_str(), &st) != 0) return Fail(error, "cannot read the file");
    auto data = ReadFile(from);
    if (!data) return Fail(error, "cannot read the file");
    if (!WriteFileAtomic(to, *data, st.st_mode & 07777, error)) return false;
    if (DeleteFile(from)) return true;
    const int saved = errno;
    DeleteFile(to); // one copy, the original, stays
    return Fail(error, "cannot remove the moved file", saved);
}

std::vector<std::string> FindFiles(std::string_view folder, std::string_view suffix) {
    std::vector<std::string> names;
    std::string native = NativePath(folder);
    DIR* dir = ::opendir(native.empty() ? "." : native.c_str());
    if (!dir) return names;
    while (dirent* e = ::readdir(dir)) {
        std::string name = e->d_name;
        if (name == "." || name == ".." || !EndsWithNoCase(name, suffix)) continue;
        struct stat st {};
        std::string full = native + (native.empty() || native.back() == '/' ? "" : "/") + name;
        if (::stat(full.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        names.push_back(Utf8ToCp932(name));
    }
    ::closedir(dir);
    return names;
}

std::optional<TDateTime> FileDateTime(std::string_view path) {
    struct stat st {};
    if (::stat(NativePath(path).c_str(), &st) != 0) return std::nullopt;
    return UnixToDateTime(st.st_mtime);
}

std::string IncludeTrailingSeparator(std::string_view folder) {
    std::string result(folder);
    if (result.empty() || result.back() != '/') result += '/';
    return result;
}

std::string ExtractFilePath(std::string_view path) {
    auto slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::string ExtractFileName(std::string_view path) {
    auto slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

} // namespace platform
