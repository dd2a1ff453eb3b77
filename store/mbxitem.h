#pragma once
// One entry of a mailbox index: the identity of a stored message, its file
// and the header values the message list shows. Written to and read from
// the index file as one CSV line of twelve items; a line appended when a
// download stores the message carries two more (FetchedUID, FetchedAccount).
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

    // The folder of the parent's index file followed by FileName; empty when
    // FileName is not a plain name (see IsPlainFileName), so that no file
    // outside the folder is ever read, served, moved or deleted.
    std::string GetPath() const;
    // The twelve items; with fetched, the two download items as well.
    std::string GetCSV(bool fetched = false) const;
    // Reads the items in order; an unreadable date ends the reading and the
    // fields from there on keep their values.
    void SetCSV(std::string_view line);
    // Moves the file to a new name in box's folder, then the entry (appended
    // to box); UID and every other field stay. When the file cannot be moved
    // the entry stays where it was: false, with the reason in error.
    bool SetParent(TMessageBox* box, std::string* error = nullptr);

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
    // The server's UIDL and the account of a message that a download stored;
    // written only in the line appended then, and read back from it so that a
    // restart after a crash can complete the account's checklist. A whole
    // rewrite of the index (Save) drops them: the checklist holds them by then.
    std::string FetchedUID;
    std::string FetchedAccount;
};

// A file name that stays inside its folder: not empty, not "." or "..", no
// "/" and no control byte.
bool IsPlainFileName(std::string_view name);
// A header text made fit for one index item: every byte below 0x20 (tabs and
// line ends of folded or hostile headers) becomes a blank.
std::string SingleLineText(std::string_view text);
