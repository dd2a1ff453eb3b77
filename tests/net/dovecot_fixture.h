#pragma once
// A throwaway dovecot POP3 server for tests and benchmarks: its own
// configuration, state, users and maildirs in a temporary folder, listening
// on a free port of 127.0.0.1, stopped and removed by the destructor.
//
// Users have plain passwords, so both USER/PASS and APOP work (the greeting
// carries an APOP time stamp). Run as root, dovecot gives mail access to the
// unprivileged uid and gid 65534 (nobody, nogroup), which own the maildirs.
#include <string>
#include <sys/types.h>
#include <vector>

class TDovecotServer {
public:
    // Where the dovecot binary is expected.
    static constexpr const char* Binary = "/usr/sbin/dovecot";
    static bool Available();

    TDovecotServer();
    ~TDovecotServer();
    TDovecotServer(const TDovecotServer&) = delete;
    TDovecotServer& operator=(const TDovecotServer&) = delete;

    // Users are added before Start.
    void AddUser(const std::string& user, const std::string& password);
    // Puts a message (CR LF lines) into the user's maildir; messages are
    // numbered in the order they were added.
    void AddMessage(const std::string& user, const std::string& text);
    // Starts dovecot and waits (bounded) until it greets. False with the
    // reason (its log included) when it does not come up. Dovecot is stopped
    // when the calling thread ends, so call it from one that outlives the server.
    bool Start(std::string& error);
    void Stop();

    int GetPort() const { return FPort; }
    const std::string& GetFolder() const { return FFolder; }
    // The messages now in the user's maildir, in the order they were added.
    std::vector<std::string> Messages(const std::string& user) const;

private:
    std::string MailDir(const std::string& user) const;
    void WriteConfig() const;
    bool Launch(std::string& error);
    bool WaitUntilGreeting(std::string& error);
    std::string Logs() const;
    void Own(const std::string& path) const;

    std::string FFolder;
    int FPort = 0;
    pid_t FPid = -1;
    uid_t FUid;
    gid_t FGid;
    int FNextMessage = 0;
    std::vector<std::pair<std::string, std::string>> FUsers;
};
