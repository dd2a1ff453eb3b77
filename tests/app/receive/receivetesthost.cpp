#include "receivetesthost.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "net/interthreadmessenger.h"
#include "platform/file.h"
#include "platform/text.h"

TReceiveTestHost::TReceiveTestHost() {
    char pattern[] = "/tmp/mb-receive-XXXXXX";
    Folder = std::string(mkdtemp(pattern)) + "/";
    Accounts.BaseFolder = Folder + "Msgbox";
    Accounts.ListFile = Folder + "Msgbox/accounts.dat";
    Account = Accounts.Add("home", "user", "secret", "127.0.0.1", 110, false, false);
    platform::ForceDirectories(Account->GetFolder());
    Trash.Caption = platform::Utf8ToCp932("ごみ箱");
    Trash.Path = Folder + "Dustbox/messages.idx";
    platform::ForceDirectories(Folder + "Dustbox");
}

TReceiveTestHost::~TReceiveTestHost() {
    std::filesystem::remove_all(Folder);
}

bool TReceiveTestHost::FilterMessage(std::string& comment, TMultipartMessage& message) {
    if (message.Subject == "boom") throw std::runtime_error("verdict failed");
    if (message.From.starts_with("friend")) {
        comment = platform::Utf8ToCp932("差出人1(friend)");
        return false;
    }
    if (message.Subject.starts_with("spam")) {
        comment = platform::Utf8ToCp932("件名(spam)");
        return true;
    }
    return false;
}

namespace {

std::optional<TAnswer> Exchange(TReceiveCoordinator& coordinator, bool erase, int code, bool flag,
                                const std::string& text) {
    const std::uint32_t msg =
        erase ? TReceiveCoordinator::EraseEvent : TReceiveCoordinator::CheckEvent;
    std::string data = text + '\0';
    platform::TMessage message{msg, code,
                               TInterThreadMessenger::MakeBlock(platform::CurrentThreadId(), flag,
                                                                data.data(),
                                                                static_cast<int>(data.size()))};
    if (erase)
        coordinator.WMEraseEvent(message, nullptr);
    else
        coordinator.WMCheckEvent(message, nullptr);
    std::optional<platform::TMessage> reply = platform::PeekThreadMessage();
    if (!reply) return std::nullopt;
    TAnswer answer;
    platform::TThreadId thread;
    std::string payload;
    if (!TInterThreadMessenger::ReadBlock(reply->Data, thread, answer.Flag, payload)) return {};
    answer.Code = static_cast<int>(reply->WParam);
    answer.Text = payload.substr(0, payload.find('\0'));
    if (reply->Msg != (erase ? TReceiveCoordinator::EraseAnswer : TReceiveCoordinator::CheckAnswer))
        answer.Code = -2;
    return answer;
}

} // namespace

std::optional<TAnswer> CheckEvent(TReceiveCoordinator& coordinator, int code, bool flag,
                                  const std::string& text) {
    return Exchange(coordinator, false, code, flag, text);
}

std::optional<TAnswer> EraseEvent(TReceiveCoordinator& coordinator, int code, bool flag,
                                  const std::string& text) {
    return Exchange(coordinator, true, code, flag, text);
}

bool ServeSession(TReceiveCoordinator& coordinator, platform::TQueueWindow& window, const int& ends,
                  std::chrono::milliseconds bound) {
    const int before = ends;
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (ends == before) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::optional<platform::TMessage> m = window.Wait(std::chrono::milliseconds(50));
        if (!m) continue;
        if (m->Msg == TReceiveCoordinator::CheckEvent) coordinator.WMCheckEvent(*m, &window);
        if (m->Msg == TReceiveCoordinator::EraseEvent) coordinator.WMEraseEvent(*m, &window);
    }
    return true;
}

std::string RetrEventText(int number, const std::string& message) {
    std::string block = "RETR " + std::to_string(number) + "\r\n+OK " +
                        std::to_string(message.size()) + " octets\r\n";
    std::size_t start = 0;
    while (start < message.size()) {
        std::size_t end = message.find("\r\n", start);
        end = end == std::string::npos ? message.size() : end + 2;
        if (message[start] == '.') block += '.';
        block.append(message, start, end - start);
        start = end;
    }
    if (!block.ends_with("\r\n")) block += "\r\n";
    return block + ".\r\n";
}
