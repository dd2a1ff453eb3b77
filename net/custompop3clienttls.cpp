// The steps of a client session to TLS: the handshake right after the
// connect (POP3S), or after a plain greeting CAPA, STLS and the handshake
// (RFC 2595), all before the login. A server that cannot give TLS ends the
// session: the password never goes out in plain text.
#include "net/custompop3clientthread.h"
#include "net/pop3capa.h"

namespace {

// Why a session ends when the server offers no STLS; its refusal of CAPA, if any.
std::string NoStls(const std::string& refusal) {
    std::string reason = "The server does not offer STLS";
    if (!refusal.empty()) reason.append(" (").append(refusal).append(")");
    reason += ": the session ends before the login, so no password goes out in plain text";
    return reason;
}

} // namespace

bool TCustomPop3ClientThread::Handshake() {
    try {
        GetClientSocket().StartTls(FTlsOptions);
    } catch (const platform::SocketError& e) {
        Fail(e.what());
        return false;
    }
    std::string line = "*TLS ";
    line += GetClientSocket().GetTlsDescription();
    line += "\r\n";
    FHelper->Logging(line);
    return true;
}

bool TCustomPop3ClientThread::TlsDialogue(bool ok, const std::string& reply) {
    if (FTlsMode != platform::TTlsMode::StartTls || GetClientSocket().IsTls()) return false;
    if (FState == StateGreeting && !ok) return false; // the window logs the refusal
    // Bytes that came with a reply before TLS would pass for the server's
    // words over TLS: a man in the middle could inject them.
    if (FHelper->BufferRemaining()) {
        Fail("Unexpected data from the server before TLS");
        return true;
    }
    switch (FState) {
    case StateGreeting:
        FGreeting = reply;
        FHelper->SetMode(TSocketHelper::ModeBlock);
        Send({"CAPA", StateCapa});
        return true;
    case StateCapa:
        FHelper->SetMode(TSocketHelper::ModeCommand);
        if (ok && CapaWords(reply, "STLS"))
            Send({"STLS", StateStls});
        else
            Fail(NoStls(ok ? std::string() : Shown(reply)));
        return true;
    case StateStls:
        if (!ok)
            Fail(std::string("The server refused STLS: ").append(Shown(reply)));
        else if (Handshake()) {
            FState = StateGreeting; // the window sees the greeting once TLS is up
            PostEvent(StateGreeting, true, FHost, FGreeting);
        }
        return true;
    default:
        return false;
    }
}
