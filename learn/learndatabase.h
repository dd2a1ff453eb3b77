#pragma once
// The token counts of the learning filter in an SQLite database file: for each
// token the number of learned spam and ham messages that held it, the number
// of messages learned of each class, and the digest of each learned message
// with its class, so that learning it again as the other class moves its counts.
//
// Every change is one transaction (a message is learned whole or not at all);
// the journal is a write-ahead log, so a process killed at any moment leaves
// the last committed state. A file that is not a sound learning database is
// set aside under a new name and a new database is made in its place.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "learn/robinsonfisher.h"

struct sqlite3;
struct sqlite3_stmt;

// What learning one message did.
enum class TLearnResult {
    Learned, // counted in the class for the first time
    Moved,   // it was learned as the other class; its counts moved
    Known,   // it was already learned as this class: nothing changed
    Failed,  // the database could not be written: nothing changed
};

class TLearnDatabase {
public:
    TLearnDatabase() = default;
    ~TLearnDatabase();
    TLearnDatabase(const TLearnDatabase&) = delete;
    TLearnDatabase& operator=(const TLearnDatabase&) = delete;

    // Opens the file (CP932 path), making it when missing. A file that is not
    // a sound learning database is renamed to path + ".broken-yyyymmdd-hhnnss"
    // (with its log files) and a new one is made; notice then tells what
    // happened (CP932). False when no database could be opened; error tells why.
    bool Open(std::string_view path, std::string& notice);
    void Close();
    bool IsOpen() const { return FDb != nullptr; }
    const std::string& GetPath() const { return FPath; }

    // The numbers of spam and ham messages learned.
    std::optional<TTokenCounts> MessageCounts();
    // The number of distinct tokens counted.
    std::optional<std::int64_t> TokenCount();
    // The counts of each token, in the order given (tokens never seen count 0).
    // Counts read are kept until the database changes (here or in another
    // process), since messages share most of their tokens.
    bool Lookup(const std::vector<std::int64_t>& tokens, std::vector<TTokenCounts>& counts);
    // Learns the message with this digest and these distinct token hashes, in
    // one transaction.
    TLearnResult Learn(std::string_view digest, const std::vector<std::int64_t>& tokens, bool spam);

    // The reason of the last failure (SQLite's text).
    const std::string& GetLastError() const { return FError; }
    // True when the last failure found the file damaged: it should be set aside.
    bool IsDamaged() const { return FDamaged; }
    // Sets the damaged file aside and makes a new one; notice tells the new name.
    bool Renew(std::string& notice);

private:
    bool OpenFile();
    bool Sound();
    bool CreateSchema();
    bool Prepare();
    bool Exec(const char* sql);
    bool Fail(int code);
    bool SetAside(std::string& notice);
    bool ChangeCounts(const std::vector<std::int64_t>& tokens, bool spam, int delta);
    bool Step(sqlite3_stmt* statement, bool& row);
    bool ReadCounts(std::int64_t token, TTokenCounts& counts);
    std::optional<TTokenCounts> QueryRow(const char* sql);
    std::optional<TTokenCounts> ReadRow(sqlite3_stmt* statement);
    bool RefreshCache();

    std::string FPath;
    sqlite3* FDb = nullptr;
    sqlite3_stmt* FSelectToken = nullptr;
    sqlite3_stmt* FAddToken = nullptr;
    sqlite3_stmt* FRemoveToken = nullptr;
    sqlite3_stmt* FSelectMessage = nullptr;
    sqlite3_stmt* FPutMessage = nullptr;
    sqlite3_stmt* FChangeTotals = nullptr;
    sqlite3_stmt* FDataVersion = nullptr;
    sqlite3_stmt* FSelectTotals = nullptr; // read for every verdict
    std::unordered_map<std::int64_t, TTokenCounts> FCache;
    std::int64_t FCacheVersion = -1;
    std::string FError;
    bool FDamaged = false;
};
