#pragma once
// A mailbox: one folder with one ".eml" file per stored message and the
// index file "messages.idx" with one line per message. The box owns its
// entries; nothing reaches the index file until Save.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/datetime.h"
#include "store/mbxitem.h"

class TMessageBox {
public:
    TMessageBox() = default;
    TMessageBox(const TMessageBox&) = delete;
    TMessageBox& operator=(const TMessageBox&) = delete;

    int GetCount() const { return static_cast<int>(FItems.size()); }
    TMBXItem* GetMessages(int i) const { return FItems[static_cast<std::size_t>(i)].get(); }
    // Sum of the sizes of all entries.
    std::int64_t GetTotal() const;

    // Appends the entry (its Parent becomes this box) and returns it.
    TMBXItem* Add(std::unique_ptr<TMBXItem> item);
    // Appends an entry made from a parsed message stored at its Path; an
    // empty name stands for Caption.
    TMBXItem* Add(const TMultipartMessage& message, TDateTime storedDate, std::string_view name);

    // Full path of a message file named after name in folder that does not
    // exist yet: unsafe bytes replaced, long names cut, " (n)" added while
    // the name is taken. The name also fits 255 bytes once in UTF-8. The
    // counter goes on from the last one handed out for the folder and name
    // while that file is there, so a number freed below it is not reused.
    static std::string MakeMessagePath(std::string_view folder, std::string_view name);

    void LoadFromFile(std::string_view path);
    // Replaces the entries by those of the index file at Path; a missing or
    // unreadable file gives an empty box. Nothing happens without a Path.
    void Load();
    // One entry per line, an empty line included; a line whose file name
    // leads outside the folder (not empty, not IsPlainFileName) is skipped
    // and its name kept in GetSkipped, never followed.
    void LoadFromStrings(const std::vector<std::string>& lines);
    // Appends the index line of every entry, but those whose file name leads
    // outside the folder.
    void SaveToStrings(std::vector<std::string>& lines) const;
    // Replaces the index file atomically (readable by its owner only). False,
    // with the reason in error, when it could not be written: the old file
    // then stays as it was.
    [[nodiscard]] bool Save(std::string* error = nullptr) const;
    // Appends the entry's line, its download items included, to the index
    // file (created when missing), so that a stored message is in the index
    // at once without a rewrite of the whole file. Not synced.
    [[nodiscard]] bool Append(const TMBXItem& item, std::string* error = nullptr) const;
    // The file names the last load skipped.
    const std::vector<std::string>& GetSkipped() const { return FSkipped; }
    // Where the entry's message is written before it gets its own name: a
    // temporary name of the folder that only this entry maps to.
    std::string GetTempPath(const TMBXItem& item) const;

    // Delete the entry's message file, then the entry.
    void Remove(int i);
    int Remove(TMBXItem* item); // the index it had, or -1
    // Takes the entry out without touching its file; null when it is not here.
    std::unique_ptr<TMBXItem> Extract(TMBXItem* item);
    int IndexOf(std::string_view uid) const;
    int IndexOf(const TMBXItem* item) const;
    // Deletes every message file and every entry (needs a Path).
    void Clear();
    // Rebuilds the entries from the ".eml" files of the folder, oldest file
    // first; files that cannot be read are skipped (needs a Path).
    void Restruct();
    // Appends an entry for the message file of that name in the folder, as
    // the rebuild makes it; null when the file cannot be read.
    TMBXItem* AddFile(const std::string& name);
    // Ascending StoredDate.
    static int Compare(const TMBXItem& a, const TMBXItem& b);

    std::string Caption;
    std::string Path;

private:
    std::vector<std::unique_ptr<TMBXItem>> FItems;
    std::vector<std::string> FSkipped;
};
