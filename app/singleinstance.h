#pragma once
// One running instance per user: an exclusive flock on a lock file in the
// user's runtime folder ($XDG_RUNTIME_DIR, else /tmp), named after the
// instance lock "MutexSkerrywick" and the user id. The lock lasts as long as
// the object (and ends with the process in any case).
#include <string>

class TSingleInstance {
public:
    enum class TState { Acquired, Running, Failed };

    explicit TSingleInstance(std::string lockPath = DefaultLockPath());
    ~TSingleInstance();
    TSingleInstance(const TSingleInstance&) = delete;
    TSingleInstance& operator=(const TSingleInstance&) = delete;

    // Running when another instance holds the lock; Failed (see Error) when
    // the lock file cannot be opened.
    TState Acquire();
    const std::string& Error() const { return FError; }

    static std::string DefaultLockPath();

private:
    std::string FPath;
    std::string FError;
    int FHandle = -1;
};
