#pragma once
// The two concrete POP3 client threads. TPop3MailCheckThread walks the
// server's messages and, as the main window answers, skips, fetches or
// deletes each; TPop3MailEraseThread deletes the messages with one UIDL.
// Both only choose the next command; the window takes every decision.
#include <cstddef>
#include <string>

#include "net/custompop3clientthread.h"

class TPop3MailCheckThread : public TCustomPop3ClientThread {
public:
    static constexpr std::uint32_t WindowMessage = 2049; // events to the window
    static constexpr std::uint32_t ThreadMessage = 2050; // the window's answers

    TPop3MailCheckThread(bool createSuspended, platform::TWindowHandle window, int port,
                         std::string host, bool useAPOP, std::string password, std::string user,
                         std::string logFolder);

    // Bound of one retrieved message for a size limit in kilobytes (the
    // setting "limitsize"; 0 or less: none). A server whose message runs past
    // it loses the session instead of filling memory.
    static std::size_t BlockLimit(int limitSizeKB);

protected:
    TPop3Command NextCommand(int code) override;

private:
    int FIndex = 0;
};

class TPop3MailEraseThread : public TCustomPop3ClientThread {
public:
    static constexpr std::uint32_t WindowMessage = 2051;
    static constexpr std::uint32_t ThreadMessage = 2052;

    TPop3MailEraseThread(bool createSuspended, platform::TWindowHandle window, int port,
                         std::string host, bool useAPOP, std::string password, std::string user,
                         std::string targetUID, std::string logFolder);

protected:
    TPop3Command NextCommand(int code) override;

private:
    int FIndex = 0;
    std::string FTargetUID;
};
