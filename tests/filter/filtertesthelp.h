#pragma once
// Messages and folders shared by the filter tests.
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>

#include "message/multipartmessage.h"

// A parsed message from header lines and a body; "\n" becomes CR LF.
inline std::unique_ptr<TMultipartMessage> ParseMessage(std::string_view text) {
    std::string crlf;
    for (char c : text) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    auto message = std::make_unique<TMultipartMessage>();
    message->Create(crlf);
    return message;
}

// A message whose Received hops come from the given addresses, oldest last.
inline std::string WithHops(std::initializer_list<std::string_view> froms) {
    std::string text;
    for (std::string_view from : froms)
        text += "Received: from " + std::string(from) +
                " by mx.example.jp with SMTP; Mon, 5 Jul 2004 13:02:03 +0900\n";
    return text;
}

// A fresh folder, removed with its contents at the end of the test.
class TTempFolder {
public:
    TTempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "mbfilterXXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            throw std::filesystem::filesystem_error("mkdtemp",
                                                    std::make_error_code(std::errc::io_error));
        Path = pattern;
    }
    ~TTempFolder() { std::filesystem::remove_all(Path); }
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    std::string File(std::string_view name) const { return Path + "/" + std::string(name); }

    std::string Path;
};
