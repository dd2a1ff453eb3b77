#pragma once
// A whole parsed message: the root of its part tree, the header values the
// rest of the system reads directly, its size and path, and its delivery
// trace (oldest hop first).
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "message/multipartitem.h"
#include "message/receiveditem.h"
#include "platform/datetime.h"

class TMultipartMessage {
public:
    TMultipartMessage();
    ~TMultipartMessage();
    TMultipartMessage(const TMultipartMessage&) = delete;
    TMultipartMessage& operator=(const TMultipartMessage&) = delete;

    // Parses a whole message text (CR LF line ends); replaces the previous message.
    void Create(std::string_view text);
    // Sets Path and parses the file up to its first NUL byte. A file that cannot
    // be read parses as an empty message; the result tells whether it was read.
    bool LoadFromFile(std::string_view path);
    void SetPath(std::string_view path) { Path = path; }

    int GetCountReceived() const { return static_cast<int>(FReceived.size()); }
    // Hop 0 is the oldest: the Received header nearest the end of the header block.
    const TReceivedItem& GetReceived(int i) const {
        return *FReceived[static_cast<std::size_t>(i)];
    }

    bool GetKeep() const { return FRoot->Keep; }
    void SetKeep(bool keep) { FRoot->Keep = keep; }
    TMultipartItem& GetRoot() { return *FRoot; }
    const TMultipartItem& GetRoot() const { return *FRoot; }

    std::string Path;
    std::int32_t Size = 0;
    std::string Subject;
    std::string ReturnPath;
    std::string From;
    std::string Mailer;
    TDateTime SentDate = 0;
    std::string ServerUID;

private:
    std::string DecodedHeader(std::string_view name);
    void CreateReceived();

    std::unique_ptr<TMultipartItem> FRoot;
    std::vector<std::unique_ptr<TReceivedItem>> FReceived;
};
