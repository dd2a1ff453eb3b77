// The account dialog with three accounts, the second selected, at 1x and
// 2x scale; an account that signs in with OAuth 2.0 and one whose password
// the secret store keeps; and the dialog on a desktop without a secret
// service.
#include <QTreeWidget>

#include "platform/file.h"
#include "platform/text.h"
#include "platform/tls.h"
#include "store/pop3accountlist.h"
#include "store/storelayout.h"
#include "tests/support/fakesecretstore.h"
#include "tools/screens/screens.h"
#include "ui/marrowaccountform.h"

namespace {

// The accounts of the scenes, on file with their folders.
bool WriteAccounts(const std::string& folder) {
    TPop3AccountList list;
    SetupAccountList(list, folder);
    auto text = [](const char* utf8) { return platform::Utf8ToCp932(utf8); };
    list.Add("home", "taro", "secret", "pop.example.jp", 110, true, false);
    list.Add(text("仕事"), "t.yamada", "secret", "mail.example.co.jp", 995, false, true)->Security =
        platform::TTlsMode::Implicit;
    list.Add("mobile", "taro.m", "secret", "#pop.example.net", 110, false, false);
    TPop3AccountItem* oauth =
        list.Add("outlook", "taro@example.com", "", "outlook.office365.com", 995, false, false);
    oauth->Security = platform::TTlsMode::Implicit;
    oauth->SignIn = TSignInMethod::XOAuth2;
    oauth->SecretCommand = "marrowby-oauth2-token taro@example.com";
    oauth->LocalPassword = "local";
    TPop3AccountItem* kept = list.Add("kept", "jiro", "", "pop.example.org", 995, false, false);
    kept->Security = platform::TTlsMode::Implicit;
    kept->PasswordStore = TPasswordStore::Secret;
    kept->LocalPassword = "local";
    for (int i = 0; i < list.GetCount(); ++i)
        platform::ForceDirectories(list.GetAccounts(i)->GetFolder());
    return list.Save();
}

void Show(TSceneContext& context, TSecretStore* store, int row, const QString& file,
          bool twice = false) {
    TMarrowAccountForm form(context.Folder);
    form.SetSecretStore(store);
    form.show();
    form.LVAccounts->setCurrentItem(form.LVAccounts->topLevelItem(row));
    form.AppIdle();
    context.Save(form, file + ".png");
    if (twice) context.Save(form, file + "@2x.png", 2);
}

} // namespace

MARROWBY_SCENE(accounts) {
    if (!WriteAccounts(context.Folder)) return;
    TFakeSecretStore store;
    Show(context, &store, 1, "accounts", true);
    Show(context, &store, 3, "accounts-oauth");
    Show(context, nullptr, 4, "accounts-nosecret");
}
