#pragma once
// A throwaway dovecot POP3 server for tests and benchmarks: its own
// configuration, state, users and maildirs in a temporary folder, listening
// on a free port of 127.0.0.1, stopped and removed by the destructor.
//
// Users have plain passwords, so both USER/PASS and APOP work (the greeting
// carries an APOP time stamp). Without EnableTls it speaks no TLS at all, so
// its capabilities lack STLS. Run as root, dovecot gives mail access to the
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

    // Serves TLS too, with this certificate and key (PEM files): STLS on the
    // plain port and POP3 over TLS on a port of its own. Before Start.
    void EnableTls(const std::string& cert, const std::string& key);
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
    int GetTlsPort() const { return FTlsPort; } // 0 without EnableTls
    const std::string& GetFolder() const { return FFolder; }
    // The messages now in the user's maildir, in the order they were added.
    std::vector<std::string> Messages(const std::string& user) const;

private:
    std::string MailDir(const std::string& user) const;
    void WriteConfig() const;
    std::string TlsConfig() const;
    bool Launch(std::string& error);
    bool WaitUntilGreeting(std::string& error);
    std::string Logs() const;
    void Own(const std::string& path) const;

    std::string FFolder;
    int FPort = 0;
    int FTlsPort = 0;
    std::string FCert, FKey;
    pid_t FPid = -1;
    uid_t FUid;
    gid_t FGid;
    int FNextMessage = 0;
    std::vector<std::pair<std::string, std::string>> FUsers;
};
