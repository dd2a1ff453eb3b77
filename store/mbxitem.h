#pragma once
// One entry of a mailbox index: the identity of a stored message, its file
// and the header values the message list shows. Written to and read from
// the index file as one CSV line of twelve items.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/datetime.h"

class TMessageBox;
class TMultipartMessage;

class TMBXItem {
public:
    // A new entry for a parsed message whose Path is its stored file. The
    // name becomes part of the UID; the box gives the folder and the count.
    TMBXItem(TMessageBox* box, std::string_view name, TDateTime storedDate,
             const TMultipartMessage& message);
    // An entry read from an index line.
    TMBXItem(TMessageBox* box, std::string_view line);

    // The folder of the parent's index file followed by FileName.
    std::string GetPath() const;
    std::string GetCSV() const;
    // Reads the items in order; an unreadable date ends the reading and the
    // fields from there on keep their values.
    void SetCSV(std::string_view line);
    // Moves the entry to box (appended there) and its file to a new name in
    // box's folder; UID and every other field stay. False when the entry is
    // not in its parent or the file could not be moved (the entry moves anyway).
    bool SetParent(TMessageBox* box);

    int CompareSubject(const TMBXItem& other) const;
    int CompareSize(const TMBXItem& other) const;
    int CompareRecvDate(const TMBXItem& other) const;

    TMessageBox* Parent = nullptr; // not owned
    std::string UID;
    std::string FileName;
    std::int32_t Size = 0;
    std::int8_t Kind = 0;
    std::string MimeType;
    std::string Subject;
    std::string From;
    TDateTime SentDate = 0;
    TDateTime RecvDate = 0;
    TDateTime StoredDate = 0;
    std::string ServerUID;
    std::string Comment;
    bool Deleted = false; // marked by a local POP3 session, never stored
};
