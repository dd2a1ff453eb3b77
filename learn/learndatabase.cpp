#include "learn/learndatabase.h"

#include <sqlite3.h>

#include <ctime>

#include "platform/file.h"
#include "platform/text.h"

namespace {

// Marks the file as this program's learning database ("MRLN"), schema 1.
constexpr int kApplicationId = 0x4D524C4E;
constexpr int kSchemaVersion = 1;
// A writer (the gateway or the tool) holds the lock for one message at most.
constexpr int kBusyTimeoutMs = 3000;
// Token counts kept in memory between messages (some 10 MiB at most).
constexpr std::size_t kMaxCached = 1 << 18;

constexpr const char* kSchema =
    "CREATE TABLE tokens(token INTEGER PRIMARY KEY, spam INTEGER NOT NULL, ham INTEGER NOT NULL);"
    "CREATE TABLE messages(digest BLOB PRIMARY KEY, spam INTEGER NOT NULL) WITHOUT ROWID;"
    "CREATE TABLE totals(id INTEGER PRIMARY KEY CHECK(id = 1), spam INTEGER NOT NULL,"
    " ham INTEGER NOT NULL);"
    "INSERT INTO totals VALUES(1, 0, 0);";

bool IsDamageCode(int code) {
    int primary = code & 0xFF;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

void Finalize(sqlite3_stmt*& statement) {
    sqlite3_finalize(statement);
    statement = nullptr;
}

void BindText(sqlite3_stmt* statement, int index, std::string_view text) {
    sqlite3_bind_blob(statement, index, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
}

// Local time as yyyymmdd-hhnnss, for the name of a file set aside.
std::string TimeStamp() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

} // namespace

TLearnDatabase::~TLearnDatabase() {
    Close();
}

void TLearnDatabase::Close() {
    for (sqlite3_stmt** statement : {&FSelectToken, &FAddToken, &FRemoveToken, &FSelectMessage,
                                     &FPutMessage, &FChangeTotals, &FDataVersion, &FSelectTotals})
        Finalize(*statement);
    FCache.clear();
    FCacheVersion = -1;
    sqlite3_close(FDb);
    FDb = nullptr;
}

bool TLearnDatabase::Fail(int code) {
    FError = FDb ? sqlite3_errmsg(FDb) : sqlite3_errstr(code);
    FDamaged = IsDamageCode(code);
    return false;
}

bool TLearnDatabase::Exec(const char* sql) {
    int code = sqlite3_exec(FDb, sql, nullptr, nullptr, nullptr);
    return code == SQLITE_OK || Fail(code);
}

bool TLearnDatabase::Open(std::string_view path, std::string& notice) {
    Close();
    FPath = path;
    FDamaged = false;
    if (OpenFile()) return true;
    return FDamaged && Renew(notice);
}

bool TLearnDatabase::Renew(std::string& notice) {
    Close();
    FDamaged = false;
    if (!SetAside(notice)) return false;
    return OpenFile();
}

bool TLearnDatabase::OpenFile() {
    int code = sqlite3_open_v2(platform::NativePath(FPath).c_str(), &FDb,
                               SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (code != SQLITE_OK) {
        Fail(code);
        Close();
        return false;
    }
    sqlite3_busy_timeout(FDb, kBusyTimeoutMs);
    sqlite3_extended_result_codes(FDb, 1);
    // A killed writer leaves the log, which the next opening reads: what was
    // committed stays, what was not is gone. NORMAL syncs at checkpoints,
    // which copy the log into the file every 16 MiB of log (not every 4).
    if (!Exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;"
              " PRAGMA wal_autocheckpoint=4000;") ||
        !Sound() || !Prepare()) {
        Close();
        return false;
    }
    return true;
}

// True when the file passes SQLite's quick check and holds this program's
// tables (a new empty file gets them).
bool TLearnDatabase::Sound() {
    sqlite3_stmt* check = nullptr;
    int code = sqlite3_prepare_v2(FDb, "PRAGMA quick_check", -1, &check, nullptr);
    if (code != SQLITE_OK) return Fail(code);
    code = sqlite3_step(check);
    std::string verdict =
        code == SQLITE_ROW ? reinterpret_cast<const char*>(sqlite3_column_text(check, 0)) : "";
    Finalize(check);
    if (code != SQLITE_ROW) return Fail(code);
    if (verdict != "ok") {
        FError = "quick_check: " + verdict;
        FDamaged = true;
        return false;
    }
    sqlite3_stmt* read = nullptr;
    code = sqlite3_prepare_v2(FDb,
                              "SELECT (SELECT application_id FROM pragma_application_id),"
                              " (SELECT user_version FROM pragma_user_version),"
                              " (SELECT count(*) FROM sqlite_schema)",
                              -1, &read, nullptr);
    if (code != SQLITE_OK) return Fail(code);
    code = sqlite3_step(read);
    int id = sqlite3_column_int(read, 0), version = sqlite3_column_int(read, 1);
    int objects = sqlite3_column_int(read, 2);
    Finalize(read);
    if (code != SQLITE_ROW) return Fail(code);
    if (objects == 0) return CreateSchema();
    if (id == kApplicationId && version == kSchemaVersion) return true;
    FError = "not a learning database of this program";
    FDamaged = true;
    return false;
}

bool TLearnDatabase::CreateSchema() {
    std::string sql = std::string("BEGIN IMMEDIATE;") + kSchema +
                      "PRAGMA application_id=" + std::to_string(kApplicationId) +
                      "; PRAGMA user_version=" + std::to_string(kSchemaVersion) + "; COMMIT;";
    if (Exec(sql.c_str())) return true;
    Exec("ROLLBACK");
    return false;
}

bool TLearnDatabase::Prepare() {
    struct TStatement {
        sqlite3_stmt** Target;
        const char* Sql;
    };
    const TStatement statements[] = {
        {&FSelectToken, "SELECT spam, ham FROM tokens WHERE token = ?1"},
        {&FAddToken, "INSERT INTO tokens VALUES(?1, ?2, ?3) ON CONFLICT(token) DO UPDATE SET"
                     " spam = spam + ?2, ham = ham + ?3"},
        {&FRemoveToken, "UPDATE tokens SET spam = max(spam - ?2, 0), ham = max(ham - ?3, 0)"
                        " WHERE token = ?1"},
        {&FSelectMessage, "SELECT spam FROM messages WHERE digest = ?1"},
        {&FPutMessage, "INSERT OR REPLACE INTO messages VALUES(?1, ?2)"},
        {&FChangeTotals, "UPDATE totals SET spam = max(spam + ?1, 0), ham = max(ham + ?2, 0)"},
        {&FDataVersion, "PRAGMA data_version"},
        {&FSelectTotals, "SELECT spam, ham FROM totals"},
    };
    for (const TStatement& s : statements) {
        int code = sqlite3_prepare_v3(FDb, s.Sql, -1, SQLITE_PREPARE_PERSISTENT, s.Target, nullptr);
        if (code != SQLITE_OK) return Fail(code);
    }
    return true;
}

bool TLearnDatabase::SetAside(std::string& notice) {
    std::string aside = FPath + ".broken-" + TimeStamp();
    for (int n = 2; platform::FileExists(aside); ++n)
        aside = FPath + ".broken-" + TimeStamp() + "-" + std::to_string(n);
    if (!platform::RenameFile(FPath, aside)) {
        FError = "cannot rename " + FPath;
        return false;
    }
    // The log files belong to the old file: a new database must not read them.
    for (const char* suffix : {"-wal", "-shm"})
        if (platform::FileExists(FPath + suffix))
            platform::RenameFile(FPath + suffix, aside + suffix);
    notice = platform::Utf8ToCp932("学習ﾃﾞｰﾀﾍﾞｰｽが壊れていたため ") + aside +
             platform::Utf8ToCp932(" に移し、新しく作りました (") + FError + ")";
    return true;
}

bool TLearnDatabase::Step(sqlite3_stmt* statement, bool& row) {
    int code = sqlite3_step(statement);
    row = code == SQLITE_ROW;
    if (code == SQLITE_ROW || code == SQLITE_DONE) return true;
    sqlite3_reset(statement);
    return Fail(code);
}

// The first row of a query of two integer columns (the second 0 when there
// is one); nothing when it fails.
std::optional<TTokenCounts> TLearnDatabase::QueryRow(const char* sql) {
    if (!FDb) return std::nullopt;
    sqlite3_stmt* read = nullptr;
    int code = sqlite3_prepare_v2(FDb, sql, -1, &read, nullptr);
    if (code != SQLITE_OK) {
        Fail(code);
        return std::nullopt;
    }
    std::optional<TTokenCounts> values = ReadRow(read);
    Finalize(read);
    return values;
}

// The same from a prepared statement, which is reset for its next use.
std::optional<TTokenCounts> TLearnDatabase::ReadRow(sqlite3_stmt* statement) {
    bool row = false;
    std::optional<TTokenCounts> values;
    if (Step(statement, row))
        values = row ? TTokenCounts{sqlite3_column_int64(statement, 0),
                                    sqlite3_column_count(statement) > 1
                                        ? sqlite3_column_int64(statement, 1)
                                        : 0}
                     : TTokenCounts{};
    sqlite3_reset(statement);
    return values;
}

std::optional<TTokenCounts> TLearnDatabase::MessageCounts() {
    if (!FDb) return std::nullopt;
    return ReadRow(FSelectTotals);
}

std::optional<std::int64_t> TLearnDatabase::TokenCount() {
    std::optional<TTokenCounts> count = QueryRow("SELECT count(*) FROM tokens");
    if (!count) return std::nullopt;
    return count->Spam;
}

// Empties the cache when another connection committed since it was filled
// (this connection's own commits empty it themselves).
bool TLearnDatabase::RefreshCache() {
    bool row = false;
    if (!Step(FDataVersion, row)) return false;
    std::int64_t version = row ? sqlite3_column_int64(FDataVersion, 0) : -1;
    sqlite3_reset(FDataVersion);
    if (version != FCacheVersion || FCache.size() >= kMaxCached) FCache.clear();
    FCacheVersion = version;
    return true;
}

bool TLearnDatabase::ReadCounts(std::int64_t token, TTokenCounts& counts) {
    sqlite3_bind_int64(FSelectToken, 1, token);
    bool row = false;
    if (!Step(FSelectToken, row)) return false;
    counts = row ? TTokenCounts{sqlite3_column_int64(FSelectToken, 0),
                                sqlite3_column_int64(FSelectToken, 1)}
                 : TTokenCounts{};
    sqlite3_reset(FSelectToken);
    return true;
}

bool TLearnDatabase::Lookup(const std::vector<std::int64_t>& tokens,
                            std::vector<TTokenCounts>& counts) {
    counts.assign(tokens.size(), TTokenCounts{});
    // One read transaction for the whole message: one lock, one snapshot.
    if (!FDb || !Exec("BEGIN")) return false;
    bool ok = RefreshCache();
    for (std::size_t i = 0; ok && i < tokens.size(); ++i) {
        auto [cached, added] = FCache.try_emplace(tokens[i]);
        if (added) ok = ReadCounts(tokens[i], cached->second);
        counts[i] = cached->second;
    }
    if (ok && Exec("COMMIT")) return true;
    FCache.clear();
    std::string error = FError;
    Exec("ROLLBACK");
    FError = error;
    return false;
}

bool TLearnDatabase::ChangeCounts(const std::vector<std::int64_t>& tokens, bool spam, int delta) {
    sqlite3_stmt* statement = delta > 0 ? FAddToken : FRemoveToken;
    int amount = delta > 0 ? delta : -delta;
    for (std::int64_t token : tokens) {
        sqlite3_bind_int64(statement, 1, token);
        sqlite3_bind_int(statement, 2, spam ? amount : 0);
        sqlite3_bind_int(statement, 3, spam ? 0 : amount);
        bool row = false;
        if (!Step(statement, row)) return false;
        sqlite3_reset(statement);
    }
    return true;
}

TLearnResult TLearnDatabase::Learn(std::string_view digest, const std::vector<std::int64_t>& tokens,
                                   bool spam) {
    if (!FDb) return TLearnResult::Failed;
    if (!Exec("BEGIN IMMEDIATE")) return TLearnResult::Failed;
    BindText(FSelectMessage, 1, digest);
    bool known = false;
    bool ok = Step(FSelectMessage, known);
    bool wasSpam = known && sqlite3_column_int(FSelectMessage, 0) != 0;
    sqlite3_reset(FSelectMessage);
    if (ok && known && wasSpam == spam) {
        Exec("ROLLBACK");
        return TLearnResult::Known;
    }
    bool row = false;
    if (ok && known) ok = ChangeCounts(tokens, wasSpam, -1);
    ok = ok && ChangeCounts(tokens, spam, +1);
    if (ok) {
        BindText(FPutMessage, 1, digest);
        sqlite3_bind_int(FPutMessage, 2, spam ? 1 : 0);
        ok = Step(FPutMessage, row);
        sqlite3_reset(FPutMessage);
    }
    if (ok) {
        int moved = known ? 1 : 0;
        sqlite3_bind_int(FChangeTotals, 1, spam ? 1 : -moved);
        sqlite3_bind_int(FChangeTotals, 2, spam ? -moved : 1);
        ok = Step(FChangeTotals, row);
        sqlite3_reset(FChangeTotals);
    }
    FCache.clear();
    if (ok && Exec("COMMIT")) return known ? TLearnResult::Moved : TLearnResult::Learned;
    std::string error = FError;
    bool damaged = FDamaged;
    Exec("ROLLBACK");
    FError = error;
    FDamaged = damaged;
    return TLearnResult::Failed;
}
