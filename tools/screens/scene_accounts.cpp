// The account dialog with three accounts, the second selected, at 1x and
// 2x scale.
#include <QTreeWidget>

#include "platform/file.h"
#include "platform/text.h"
#include "platform/tls.h"
#include "store/pop3accountlist.h"
#include "store/storelayout.h"
#include "tools/screens/screens.h"
#include "ui/marrowaccountform.h"

MARROWBY_SCENE(accounts) {
    TPop3AccountList list;
    SetupAccountList(list, context.Folder);
    auto text = [](const char* utf8) { return platform::Utf8ToCp932(utf8); };
    list.Add("home", "taro", "secret", "pop.example.jp", 110, true, false);
    list.Add(text("仕事"), "t.yamada", "secret", "mail.example.co.jp", 995, false, true)->Security =
        platform::TTlsMode::Implicit;
    list.Add("mobile", "taro.m", "secret", "#pop.example.net", 110, false, false);
    for (int i = 0; i < list.GetCount(); ++i)
        platform::ForceDirectories(list.GetAccounts(i)->GetFolder());
    if (!list.Save()) return;

    TMarrowAccountForm form(context.Folder);
    form.show();
    form.LVAccounts->setCurrentItem(form.LVAccounts->topLevelItem(1));
    form.AppIdle();
    context.Save(form, "accounts.png");
    context.Save(form, "accounts@2x.png", 2);
}
