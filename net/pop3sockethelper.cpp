#include "net/pop3sockethelper.h"

void TPop3SocketHelper::EncodeBlock(std::string& out, std::string_view in) {
    Logging(">");
    Logging(in);
    out.assign(in);
}

void TPop3SocketHelper::DecodeBlock(std::string& out, std::string_view in) {
    LogBlock(in);
    out.assign(in);
}

void TPop3SocketHelper::LogBlock(std::string_view in) {
    Logging("<");
    Logging(in);
}

std::size_t TPop3SocketHelper::EarlyBlockEnd(std::string_view pending) const {
    if (!pending.starts_with("-ERR")) return 0;
    std::size_t end = pending.find("\r\n");
    return end == std::string_view::npos ? 0 : end + 2;
}
