// The store commands of marrowby-tool: accounts, mailbox and restruct.
#include <gtest/gtest.h>

#include "platform/file.h"
#include "platform/instancelock.h"
#include "store/pop3accountlist.h"
#include "store/storelayout.h"
#include "toolstore.h"

namespace {

TEST_F(ToolStore, AccountsAddListAndRemove) {
    EXPECT_EQ(AddAccount("home", {"--apop", "--port=995"}).Status, 0);
    EXPECT_EQ(AddAccount("work", {"--stay"}).Status, 0);
    EXPECT_TRUE(platform::DirectoryExists(Msgbox() + "mbx.home"));
    EXPECT_TRUE(platform::DirectoryExists(Msgbox() + "mbx.work"));

    ToolRun list = Tool({"accounts", "--folder", dir});
    EXPECT_EQ(list.Status, 0);
    EXPECT_EQ(
        list.Out,
        "{\"name\":\"home\",\"host\":\"pop.example\",\"port\":995,\"user\":\"taro\","
        "\"apop\":true,\"stay\":false,\"security\":\"none\",\"fingerprint\":null"
        ",\"signin\":\"password\",\"command\":null,\"store\":\"file\",\"localpassword\":false}\n"
        "{\"name\":\"work\",\"host\":\"pop.example\",\"port\":110,\"user\":\"taro\","
        "\"apop\":false,\"stay\":true,\"security\":\"none\",\"fingerprint\":null"
        ",\"signin\":\"password\",\"command\":null,\"store\":\"file\",\"localpassword\":false}\n");
    EXPECT_EQ(list.Out.find("se cret"), std::string::npos);
    EXPECT_EQ(*platform::ReadFile(Msgbox() + "accounts.dat"),
              "home,taro,\"se cret\",pop.example,995,1,0,0\r\n"
              "work,taro,\"se cret\",pop.example,110,0,1,0\r\n");

    platform::WriteFile(Msgbox() + "mbx.home/kept.eml", "x");
    EXPECT_EQ(Tool({"accounts", "--folder", dir, "remove", "HOME"}).Status, 0);
    EXPECT_TRUE(platform::FileExists(Msgbox() + "mbx.home/kept.eml"));
    EXPECT_EQ(Tool({"accounts", "--folder", dir, "remove", "work", "--purge"}).Status, 0);
    EXPECT_FALSE(platform::DirectoryExists(Msgbox() + "mbx.work"));
    EXPECT_EQ(Tool({"accounts", "--folder", dir}).Out, "");

    ToolRun unknown = Tool({"accounts", "--folder", dir, "remove", "nobody"});
    EXPECT_EQ(unknown.Status, 1);
    EXPECT_NE(unknown.Err.find("no account named nobody"), std::string::npos);
}

TEST_F(ToolStore, AccountsAddWithTls) {
    const std::string fp =
        "9D:30:09:E1:BE:89:63:E4:67:30:BF:32:23:66:57:27:85:D3:B8:7F:2B:56:8B:49:"
        "5C:9B:78:7F:6D:79:74:D8";
    EXPECT_EQ(AddAccount("pops", {"--tls"}).Status, 0);
    EXPECT_EQ(
        AddAccount("stls", {"--starttls", "--tls-fingerprint",
                            "9d3009e1be8963e46730bf322366572785d3b87f2b568b495c9b787f6d7974d8"})
            .Status,
        0);
    EXPECT_EQ(AddAccount("own", {"--tls", "--port", "1995"}).Status, 0);
    EXPECT_EQ(*platform::ReadFile(Msgbox() + "accounts.dat"),
              "pops,taro,\"se cret\",pop.example,995,0,0,1\r\n"
              "stls,taro,\"se cret\",pop.example,110,0,0,2," +
                  fp +
                  "\r\n"
                  "own,taro,\"se cret\",pop.example,1995,0,0,1\r\n");
    std::string list = Tool({"accounts", "--folder", dir}).Out;
    EXPECT_NE(list.find("\"port\":995,\"user\":\"taro\",\"apop\":false,\"stay\":false,"
                        "\"security\":\"tls\",\"fingerprint\":null,"),
              std::string::npos)
        << list;
    EXPECT_NE(list.find("\"security\":\"starttls\",\"fingerprint\":\"" + fp + "\","),
              std::string::npos)
        << list;

    struct Case {
        TToolArgs extra;
        std::string message;
    } refused[] = {
        {{"--tls", "--starttls"}, "--tls and --starttls exclude each other"},
        {{"--tls-fingerprint", fp}, "--tls-fingerprint needs --tls or --starttls"},
        {{"--tls", "--tls-fingerprint", "9D:30"},
         "--tls-fingerprint must be a SHA-256 fingerprint: 64 hexadecimal digits, colons optional"},
    };
    for (const auto& c : refused) {
        ToolRun run = AddAccount("bad", c.extra);
        EXPECT_EQ(run.Status, 2) << c.message;
        EXPECT_EQ(run.Err, "marrowby-tool accounts add: " + c.message + "\n");
    }
    EXPECT_EQ(Tool({"accounts", "--folder", dir}).Out.find("\"name\":\"bad\""), std::string::npos);
}

// The sign-in options: what each way writes to the file (never a password
// kept elsewhere), what the listing shows (never a secret), and refusals.
TEST_F(ToolStore, AccountsAddSignIn) {
    auto add = [&](const std::string& name, TToolArgs extra) {
        TToolArgs args = {"accounts", "--folder",    dir,      "add", name,
                          "--host",   "pop.example", "--user", "taro"};
        args.insert(args.end(), extra.begin(), extra.end());
        return Tool(args);
    };
    ASSERT_EQ(add("oauth", {"--tls", "--sign-in", "xoauth2", "--command", "get-token 'taro x'",
                            "--local-password", "loc al"})
                  .Status,
              0);
    ASSERT_EQ(add("cmd", {"--password-store", "command", "--command", "pass show pop",
                          "--local-password", "l2"})
                  .Status,
              0);
    ASSERT_EQ(add("file", {"--password-store", "file", "--password", "pw"}).Status, 0);
    EXPECT_EQ(*platform::ReadFile(Msgbox() + "accounts.dat"),
              "oauth,taro,,pop.example,995,0,0,1,,1,\"get-token 'taro x'\",,\"loc al\"\r\n"
              "cmd,taro,,pop.example,110,0,0,0,,,\"pass show pop\",2,l2\r\n"
              "file,taro,pw,pop.example,110,0,0,0\r\n");
    std::string list = Tool({"accounts", "--folder", dir}).Out;
    EXPECT_NE(list.find("\"signin\":\"xoauth2\",\"command\":\"get-token 'taro x'\","
                        "\"store\":\"file\",\"localpassword\":true}"),
              std::string::npos)
        << list;
    EXPECT_NE(list.find("\"signin\":\"password\",\"command\":\"pass show pop\","
                        "\"store\":\"command\",\"localpassword\":true}"),
              std::string::npos)
        << list;
    for (const char* secret : {"loc al", "l2", "pw"})
        EXPECT_EQ(list.find(secret), std::string::npos) << secret;

    // No secret service on this bus: the account is not added.
    setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + dir + "/no-bus").c_str(), 1);
    ToolRun secret =
        add("kept", {"--password-store", "secret", "--password", "pw", "--local-password", "l"});
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    EXPECT_EQ(secret.Status, 1);
    EXPECT_NE(secret.Err.find("secret store"), std::string::npos) << secret.Err;
    EXPECT_FALSE(platform::DirectoryExists(Msgbox() + "mbx.kept"));

    struct Case {
        TToolArgs extra;
        std::string message;
    } refused[] = {
        {{"--sign-in", "oauth"}, "--sign-in must be password or xoauth2"},
        {{"--password-store", "wallet"}, "--password-store must be file, secret or command"},
        {{"--sign-in", "xoauth2", "--command", "t", "--local-password", "l"},
         "--sign-in xoauth2 needs --tls or --starttls"},
        {{"--tls", "--sign-in", "xoauth2", "--command", "t"},
         "--local-password is required with this sign-in"},
        {{"--tls", "--sign-in", "xoauth2", "--command", "t", "--local-password", "l", "--password",
          "p"},
         "--password does not apply to this sign-in"},
        {{"--tls", "--sign-in", "xoauth2", "--password-store", "secret"},
         "--password-store is for --sign-in password"},
        {{"--tls", "--sign-in", "xoauth2", "--command", "'t", "--local-password", "l"},
         "--command has an unclosed quote or no word"},
        {{"--password-store", "command", "--command", "t", "--local-password", "l\tx"},
         "--local-password may not hold control characters"},
        {{"--password-store", "secret", "--local-password", "l"},
         "--password is required with this sign-in"},
        {{"--password", "p", "--local-password", "l"},
         "--local-password does not apply to this sign-in"},
        {{}, "--password is required with this sign-in"},
    };
    for (const auto& c : refused) {
        ToolRun run = add("bad", c.extra);
        EXPECT_EQ(run.Status, 2) << c.message;
        EXPECT_EQ(run.Err, "marrowby-tool accounts add: " + c.message + "\n");
    }
    EXPECT_EQ(Tool({"accounts", "--folder", dir}).Out.find("\"name\":\"bad\""), std::string::npos);
}

TEST_F(ToolStore, AccountsAddRefusesWhatTheDialogRefuses) {
    ASSERT_EQ(AddAccount("home").Status, 0);
    struct Case {
        std::string name;
        int status;
        std::string message;
    } cases[] = {
        {"  ", 1, "設定名は 1 文字以上を入力してください"},
        {"a%b", 1, "設定名は半角英数字を指定してください"},
        {"a/b", 1, "設定名は半角英数字を指定してください"},
        {"home", 1, "設定名「home」は、すでに登録されています"},
        {"HOME", 1, "設定名「HOME」は、すでに登録されています"},
        {"a\tb", 1, "設定名に改行やﾀﾌﾞなどの制御文字は使えません"},
    };
    for (const auto& c : cases) {
        ToolRun run = AddAccount(c.name);
        EXPECT_EQ(run.Status, c.status) << c.name;
        EXPECT_EQ(run.Err, "marrowby-tool accounts add: " + c.message + "\n");
    }
    EXPECT_EQ(AddAccount("p", {"--port", "http"}).Status, 2);
    ToolRun split = Tool({"accounts", "--folder", dir, "add", "q", "--host", "h", "--user", "u",
                          "--password", "p\r\nq,u,p,evil"});
    EXPECT_EQ(split.Status, 2);
    EXPECT_EQ(split.Err,
              "marrowby-tool accounts add: --password may not hold control characters\n");
    EXPECT_EQ(Tool({"accounts", "--folder", dir, "add", "q", "--host", "h"}).Status, 2);
    EXPECT_EQ(Tool({"accounts", "--folder", dir, "add"}).Status, 2);
    EXPECT_EQ(Tool({"accounts", "--folder", dir, "--bogus"}).Status, 2);
    EXPECT_EQ(Tool({"accounts", "--folder="}).Status, 2);
    EXPECT_EQ(Tool({"accounts", "--folder", dir + "/none"}).Status, 2);
    EXPECT_EQ(Tool({"accounts", "--folder", dir}).Out.find("\"name\":\"p\""), std::string::npos);
}

TEST_F(ToolStore, MailboxPrintsTheEntries) {
    ASSERT_EQ(AddAccount("home").Status, 0);
    platform::ForceDirectories(dir + "/Dustbox");
    platform::WriteFile(Msgbox() + "mbx.home/messages.idx",
                        "\"u1.0.home,s=5\",a.eml,5,2,text/plain,\"\x89\xEF\x8B\x63\","
                        "s@example.com,\"2024/04/30 09:00:00\",2024/05/01,12:00:00,srv1,\r\n");
    platform::WriteFile(dir + "/Dustbox/messages.idx", "t1,b.eml,7,3,,spam,,2024/05/01,,,,,\r\n");

    const std::string home =
        "{\"uid\":\"u1.0.home,s=5\",\"file\":\"" + Msgbox() +
        "mbx.home/a.eml\",\"size\":5,\"kind\":2,\"mime_type\":\"text/plain\","
        "\"subject\":\"会議\",\"from\":\"s@example.com\",\"sent\":\"2024/04/30 09:00:00\","
        "\"received\":\"2024/05/01\",\"stored\":\"12:00:00\",\"server_uid\":\"srv1\","
        "\"comment\":\"\"}\n";
    EXPECT_EQ(Tool({"mailbox", "--folder", dir, "--account", "home"}).Out, home);
    EXPECT_EQ(Tool({"mailbox", "--folder", dir}).Out, home);
    ToolRun trash = Tool({"mailbox", "--folder", dir, "--trash"});
    EXPECT_EQ(trash.Status, 0);
    EXPECT_NE(trash.Out.find("\"uid\":\"t1\",\"file\":\"" + dir + "/Dustbox/b.eml\""),
              std::string::npos);
    EXPECT_EQ(Tool({"mailbox", "--folder", dir, "--account", "x"}).Status, 1);
    EXPECT_EQ(Tool({"mailbox", "--folder", dir, "--account", "home", "--trash"}).Status, 2);
}

TEST_F(ToolStore, RestructRebuildsAndSavesEveryIndex) {
    ASSERT_EQ(AddAccount("home").Status, 0);
    const std::string text =
        "Subject: hello\r\nDate: Tue, 30 Apr 2024 09:00:00 +0900\r\n\r\nbody\r\n";
    platform::WriteFile(Msgbox() + "mbx.home/one.eml", text);
    platform::WriteFile(Msgbox() + "mbx.home/two.eml", text);
    platform::WriteFile(Msgbox() + "mbx.home/messages.idx", "stale,gone.eml\r\n");

    ToolRun run = Tool({"restruct", "--folder", dir});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, "ごみ箱: 0 messages\nhome: 2 messages\n");
    TPop3AccountList list;
    SetupAccountList(list, dir);
    list.Load();
    ASSERT_EQ(list.GetCount(), 1);
    EXPECT_EQ(list.GetAccounts(0)->Mailbox.GetCount(), 2);
    EXPECT_EQ(list.GetAccounts(0)->Mailbox.IndexOf("stale"), -1);
    EXPECT_TRUE(platform::FileExists(dir + "/Dustbox/messages.idx"));
}

TEST_F(ToolStore, WritingCommandsRefuseWhileTheGatewayRuns) {
    ASSERT_EQ(AddAccount("home").Status, 0);
    TInstanceLock gateway;
    ASSERT_EQ(gateway.Acquire(), TInstanceLock::TState::Acquired);
    for (const TToolArgs& args : {TToolArgs{"restruct", "--folder", dir},
                                  TToolArgs{"accounts", "--folder", dir, "remove", "home"}}) {
        ToolRun run = Tool(args);
        EXPECT_EQ(run.Status, 1);
        EXPECT_NE(run.Err.find("Marrowby is running"), std::string::npos) << run.Err;
    }
    EXPECT_EQ(AddAccount("work").Status, 1);
    // Reading goes on.
    EXPECT_EQ(Tool({"accounts", "--folder", dir}).Status, 0);
    EXPECT_EQ(Tool({"mailbox", "--folder", dir}).Status, 0);
    EXPECT_FALSE(platform::DirectoryExists(Msgbox() + "mbx.work"));
}

TEST_F(ToolStore, WithoutFolderTheGatewaysDefaultFolderIsUsed) {
    // This test program's folder holds no layout, so the user's data folder serves.
    const std::string folder = dir + "/data/Marrowby";
    EXPECT_EQ(Tool({"accounts"}).Status, 0);
    EXPECT_TRUE(platform::DirectoryExists(folder));
    ASSERT_EQ(
        Tool({"accounts", "add", "home", "--host", "h", "--user", "u", "--password", "p"}).Status,
        0);
    EXPECT_TRUE(platform::FileExists(folder + "/Msgbox/accounts.dat"));
    EXPECT_NE(Tool({"accounts", "--folder", folder}).Out.find("\"name\":\"home\""),
              std::string::npos);
    EXPECT_EQ(Tool({"mailbox", "--account", "home"}).Status, 0);
    ASSERT_TRUE(platform::ForceDirectories(folder + "/cgi"));
    ASSERT_TRUE(platform::WriteFile(dir + "/m.eml", "Subject: hi\r\n\r\nbody\r\n"));
    EXPECT_EQ(Tool({"verdict", dir + "/m.eml"}).Out, dir + "/m.eml\taccept\t\n");
}

} // namespace
