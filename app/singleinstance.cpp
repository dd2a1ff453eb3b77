#include "app/singleinstance.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

TSingleInstance::TSingleInstance(std::string lockPath) : FPath(std::move(lockPath)) {}

TSingleInstance::~TSingleInstance() {
    if (FHandle >= 0) close(FHandle);
}

std::string TSingleInstance::DefaultLockPath() {
    std::string folder = "/tmp";
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && runtime[0] == '/') {
        struct stat info {};
        if (stat(runtime, &info) == 0 && S_ISDIR(info.st_mode)) folder = runtime;
    }
    return folder + "/MutexSkerrywick-" + std::to_string(getuid()) + ".lock";
}

TSingleInstance::TState TSingleInstance::Acquire() {
    if (FHandle < 0) {
        // No symbolic links: in /tmp another user could plant one.
        FHandle = open(FPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (FHandle < 0) {
            FError = FPath + ": " + std::strerror(errno);
            return TState::Failed;
        }
    }
    if (flock(FHandle, LOCK_EX | LOCK_NB) == 0) return TState::Acquired;
    if (errno == EWOULDBLOCK) return TState::Running;
    FError = FPath + ": " + std::strerror(errno);
    return TState::Failed;
}
