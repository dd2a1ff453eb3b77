#include "net/sessionthread.h"

#include "foundation/csvline.h"
#include "platform/text.h"

namespace {

// Upper-cases ASCII letters, stepping over double-byte characters whole.
std::string UpperCase(std::string_view text) {
    std::string out(text);
    for (std::size_t i = 0; i < out.size(); ++i) {
        auto c = static_cast<unsigned char>(out[i]);
        if (platform::IsLeadByte(c))
            ++i;
        else if (c >= 'a' && c <= 'z')
            out[i] = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

} // namespace

std::string SplitCommandLine(std::string_view text, std::uint8_t mode, TStringList& arguments) {
    arguments.Clear();
    if (mode == TSocketHelper::ModeBlock) {
        arguments.SetText(text);
        return std::string(text);
    }
    if (mode != TSocketHelper::ModeCommand) return std::string(text);
    arguments.Strings = CSVLineRead(text);
    if (arguments.GetCount() == 0) return UpperCase(text);
    std::string command = UpperCase(arguments[0]);
    arguments.Delete(0);
    return command;
}

TSessionThread::TSessionThread(platform::TWindowHandle window, std::uint32_t windowMessage,
                               std::uint32_t threadMessage)
    : FMessenger(windowMessage, threadMessage, 0, window, false) {}

std::unique_ptr<TSocketHelper> TSessionThread::CreateHelper(platform::TSocket& socket) {
    return std::make_unique<TSocketHelper>(&socket, netlimits::SessionWaitTime);
}

void TSessionThread::RunSession(platform::TSocket& socket) {
    FMessenger.SetThread(platform::CurrentThreadId());
    FHelper = CreateHelper(socket);
    FHelper->SetWakeOnMessage(true);
    FHelper->SetDecodeBlocks(FSplitBlocks);
    FHelper->OnConnect = [this](TSocketHelper&, bool& accept) { accept = HelperConnect(); };
    FHelper->OnDisconnect = [this](TSocketHelper&, bool accepted) { ClientDisconnect(accepted); };
    FHelper->OnIdle = [this](TSocketHelper&) { HelperIdle(); };
    FHelper->OnReceived = [this](TSocketHelper&, const std::string& text) { HelperReceived(text); };
    struct TFreeHelper {
        std::unique_ptr<TSocketHelper>& Helper;
        ~TFreeHelper() { Helper.reset(); }
    } freeHelper{FHelper};
    FHelper->Execute();
}

bool TSessionThread::WaitReply(platform::TMessage& reply) {
    using TWait = platform::TSocket::TWait;
    for (;;) {
        TWait result = FHelper->GetSocket().WaitForMessage(FHelper->GetWaitTime(),
                                                           platform::ThreadQueueWakeHandle());
        if (result == TWait::Hangup) return false;
        if (FMessenger.Query(reply)) {
            FMessenger.Receive(reply);
            return true;
        }
        if (result == TWait::Timeout) ClientIdle();
    }
}

void TSessionThread::HelperIdle() {
    platform::TMessage message;
    if (FMessenger.Query(message)) {
        FMessenger.Receive(message);
        ClientDispatch(message);
    } else {
        ClientIdle();
    }
}

void TSessionThread::HelperReceived(const std::string& text) {
    if (!FSplitBlocks && FHelper->GetMode() == TSocketHelper::ModeBlock) {
        FLine.clear();
        FArguments.Clear();
        ClientDialogue({});
        return;
    }
    FLine = text;
    ClientDialogue(SplitCommandLine(text, FHelper->GetMode(), FArguments));
}
