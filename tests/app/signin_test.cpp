// The check cycle with passwords kept out of the account file: one from the
// secret store goes to its session, and an account whose password cannot be
// had (a failing command, nothing in the store) ends its own session only.
#include <QPlainTextEdit>

#include "store/secretstore.h"
#include "tests/app/formfixture.h"
#include "tests/net/pop3scriptserver.h"
#include "tests/support/fakesecretstore.h"

namespace {

using Lines = std::vector<std::string>;

TEST_F(FormTest, PasswordsKeptElsewhereSignInAndFailuresEndOnlyTheirSession) {
    TPop3ScriptServer failing({"S: +OK ready"}, std::chrono::milliseconds(2000));
    TPop3ScriptServer kept({"S: +OK ready", "C: USER user", "S: +OK", "C: PASS kept pw", "S: +OK",
                            "C: STAT", "S: +OK 0 0", "C: QUIT", "S: +OK"});
    TPop3ScriptServer old({"S: +OK ready", "C: USER user", "S: +OK", "C: PASS secret", "S: +OK",
                           "C: STAT", "S: +OK 0 0", "C: QUIT", "S: +OK"});
    auto store = std::make_unique<TFakeSecretStore>();
    {
        TPop3AccountList list;
        SetupAccountList(list, Folder());
        auto add = [&](const char* name, int port, TPasswordStore where) {
            TPop3AccountItem* a = list.Add(name, "user", "secret", "127.0.0.1", port, false, false);
            a->PasswordStore = where;
            a->LocalPassword = "local";
            EXPECT_TRUE(platform::ForceDirectories(a->GetFolder()));
            return a;
        };
        add("alpha", failing.GetPort(), TPasswordStore::Command)->SecretCommand = "false";
        add("gamma", failing.GetPort(), TPasswordStore::Secret); // nothing stored for it
        store->Secrets[SecretKey(*add("beta", kept.GetPort(), TPasswordStore::Secret))] = "kept pw";
        add("delta", old.GetPort(), TPasswordStore::File);
        std::string error;
        ASSERT_TRUE(list.Save(&error)) << error;
    }
    auto form = MakeForm();
    form->SetSecretStore(std::move(store));
    form->FormShow();
    form->ButtonExecClick();
    TMarrowbyFormAccess a{*form};
    EXPECT_TRUE(ProcessUntil([&] { return !a.Checking(); }));
    EXPECT_EQ(kept.Received(), kept.Expected());
    EXPECT_EQ(old.Received(), old.Expected());
    const std::string log = form->MemoLog->toPlainText().toStdString();
    for (const char* line :
         {">ERROR:alpha: The password command: the command false failed: it ended with "
          "exit status 1",
          ">ERROR:gamma: the secret store holds no password for the account", "== END beta",
          "== END delta"})
        EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
    EXPECT_EQ(log.find("kept pw"), std::string::npos) << log;
}

} // namespace
