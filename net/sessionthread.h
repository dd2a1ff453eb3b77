#pragma once
// What the two session-thread bases share: the messenger to the main window,
// the helper of the running session, the received line split into a command
// and its arguments, and the six hooks that the concrete threads implement.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "foundation/stringlist.h"
#include "net/interthreadmessenger.h"
#include "net/sockethelper.h"
#include "platform/thread.h"

// Splits a received text as the session threads do. Line mode: words as a
// comma-text list; the command is the upper-cased first word (removed from
// the arguments), or the upper-cased whole text when there is no word. Block
// mode: the arguments are the text's lines and the command is the text. Any
// other mode: no arguments, the text as command.
std::string SplitCommandLine(std::string_view text, std::uint8_t mode, TStringList& arguments);

class TSessionThread : public platform::TWorkerThread {
public:
    // Starts a thread that was created suspended.
    void Resume() { Start(); }

protected:
    TSessionThread(platform::TWindowHandle window, std::uint32_t windowMessage,
                   std::uint32_t threadMessage);

    virtual bool ClientConnect() { return false; }
    virtual void ClientDisconnect(bool /*accepted*/) {}
    virtual void ClientDispatch(platform::TMessage& /*message*/) {}
    virtual void ClientIdle() {}
    virtual void ClientDialogue(const std::string& /*command*/) {}
    virtual std::unique_ptr<TSocketHelper> CreateHelper(platform::TSocket& socket);

    // One session on the socket: makes the thread's queue exist, creates the
    // helper, runs its loop and frees it (also when an error escapes).
    void RunSession(platform::TSocket& socket);
    // Waits for the reply to a request outside the helper's loop (a greeting
    // that needs the window's answer first), running ClientIdle at every wait
    // tick meanwhile; the reply is received into FMessenger. False when the
    // connection ends (or is shut down) first.
    bool WaitReply(platform::TMessage& reply);
    // Whether the session is accepted once the connection is up.
    virtual bool HelperConnect() { return ClientConnect(); }

    TInterThreadMessenger FMessenger;
    std::unique_ptr<TSocketHelper> FHelper;
    TStringList FArguments;
    std::string FLine;
    // Whether a received block is copied into FLine and the command and split
    // into FArguments (its lines). A thread that reads blocks from its helper
    // (GetLastBlock) spares that work on large blocks: its ClientDialogue then
    // gets an empty command, FLine and FArguments empty.
    bool FSplitBlocks = true;

private:
    void HelperIdle();
    void HelperReceived(const std::string& text);
};
