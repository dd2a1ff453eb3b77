// The check cycle with passwords kept out of the account file: one from the
// secret store goes to its session, and an account whose password cannot be
// had (a failing command, nothing in the store) ends its own session only;
// XOAUTH2 accounts over TLS.
#include <QPlainTextEdit>

#include "app/sessionpassword.h"
#include "foundation/base64enc.h"
#include "store/secretstore.h"
#include "tests/app/formfixture.h"
#include "tests/net/pop3scriptserver.h"
#include "tests/platform/testcertificates.h"
#include "tests/support/fakesecretstore.h"

namespace {

using Lines = std::vector<std::string>;

Lines Join(std::initializer_list<Lines> parts) {
    Lines all;
    for (const auto& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

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

// A store that asks the user to unlock it and gets no answer: the session is
// given up at the time-out, with a reason, and the late answer is dropped.
TEST_F(FormTest, ASecretStoreThatNeverAnswersIsGivenUpAtItsTimeOut) {
    TPop3AccountList list;
    SetupAccountList(list, Folder());
    TPop3AccountItem* account = list.Add("beta", "user", "", "127.0.0.1", 110, false, false);
    account->PasswordStore = TPasswordStore::Secret;
    TFakeSecretStore store;
    store.Answers = false;
    std::vector<TSessionPassword> answers;
    ReadSessionPassword(
        store, *account, [&](const TSessionPassword& answer) { answers.push_back(answer); },
        std::chrono::milliseconds(50));
    ASSERT_TRUE(ProcessUntil([&] { return !answers.empty(); }));
    ASSERT_EQ(store.Unanswered.size(), 1u);
    store.Unanswered[0]({TSecretStore::TStatus::Ok, "late", {}});
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_FALSE(answers[0].Password);
    EXPECT_EQ(answers[0].Error.rfind("the secret store did not answer within", 0), 0u)
        << answers[0].Error;
}

} // namespace

// XOAUTH2 through the window over TLS: one account signs in, one is refused
// with a failure challenge and ends its session alone; the communication log
// tells the refusal with the decoded challenge, and neither it nor a session
// log holds the token.
TEST_F(FormTest, XOAuth2AccountsSignInOverTlsAndTheTokenStaysOutOfTheLogs) {
    if (!TTestCertificates::Available()) GTEST_SKIP() << "no openssl command";
    const std::string token = "ya29.window-token";
    const std::string response = Base64Encode("user=user\x01"
                                              "auth=Bearer " +
                                              token + "\x01\x01");
    const Lines start = {"T:",   "S: +OK ready",    "C: CAPA", "S: +OK",        "S: SASL XOAUTH2",
                         "S: .", "C: AUTH XOAUTH2", "S: +",    "C: " + response};
    TPop3ScriptServer refused(Join({start,
                                    {"S: + " + Base64Encode(R"({"status":"401"})"),
                                     "C: ", "S: -ERR Authentication failed."}}));
    TPop3ScriptServer accepted(
        Join({start, {"S: +OK in", "C: STAT", "S: +OK 0 0", "C: QUIT", "S: +OK"}}));
    {
        TPop3AccountList list;
        SetupAccountList(list, Folder());
        for (auto [name, port] :
             {std::pair{"refused", refused.GetPort()}, std::pair{"accepted", accepted.GetPort()}}) {
            TPop3AccountItem* a = list.Add(name, "user", "", "127.0.0.1", port, false, false);
            a->Security = platform::TTlsMode::Implicit;
            a->Fingerprint = TTestCertificates::Get().Server.Fingerprint;
            a->SignIn = TSignInMethod::XOAuth2;
            a->SecretCommand = "echo " + token;
            a->LocalPassword = "local";
            EXPECT_TRUE(platform::ForceDirectories(a->GetFolder()));
        }
        std::string error;
        ASSERT_TRUE(list.Save(&error)) << error;
    }
    SetSetting("clientlog", true);
    auto form = MakeForm();
    form->FormShow();
    form->ButtonExecClick();
    TMarrowbyFormAccess a{*form};
    EXPECT_TRUE(ProcessUntil([&] { return !a.Checking(); }));
    EXPECT_EQ(refused.Received(), refused.Expected());
    EXPECT_EQ(accepted.Received(), accepted.Expected());
    const std::string log = form->MemoLog->toPlainText().toStdString();
    EXPECT_NE(log.find(">ERROR:refused: login refused: -ERR Authentication failed. "
                       "({\"status\":\"401\"})"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("== END accepted"), std::string::npos) << log;
    std::string sessions;
    const std::string logs = Folder() + "ClientLog";
    for (const std::string& name : platform::FindFiles(logs, ".log"))
        sessions += platform::ReadFile(logs + "/" + name).value_or("");
    EXPECT_NE(sessions.find(">****"), std::string::npos) << sessions;
    for (const std::string& secret : {token, response, Base64Encode(token)}) {
        EXPECT_EQ(log.find(secret), std::string::npos) << log;
        EXPECT_EQ(sessions.find(secret), std::string::npos) << sessions;
    }
}
