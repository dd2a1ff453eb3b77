#pragma once
// The per-user instance lock: an exclusive flock on a lock file in the
// user's runtime folder ($XDG_RUNTIME_DIR, else /tmp), named after the
// instance lock "MutexSkerrywick" and the user id. The gateway holds it while
// it runs; companion programs that write its stores take it too, so the two
// never write the same files at once. The lock lasts as long as the object
// (and ends with the process in any case).
#include <string>

class TInstanceLock {
public:
    enum class TState { Acquired, Running, Failed };

    explicit TInstanceLock(std::string lockPath = DefaultLockPath());
    ~TInstanceLock();
    TInstanceLock(const TInstanceLock&) = delete;
    TInstanceLock& operator=(const TInstanceLock&) = delete;

    // Running when another holder has the lock; Failed (see Error) when the
    // lock file cannot be opened.
    TState Acquire();
    const std::string& Error() const { return FError; }
    const std::string& Path() const { return FPath; }

    static std::string DefaultLockPath();

private:
    std::string FPath;
    std::string FError;
    int FHandle = -1;
};
