// The filter dialog with a few rules, on the white-list tab with a rule
// selected and on the header tab, each at 1x and 2x scale.
#include <QLineEdit>
#include <QTabWidget>
#include <QTreeWidget>

#include "platform/file.h"
#include "tools/screens/screens.h"
#include "ui/marrowfilterform.h"
#include "ui/widgettext.h"

namespace {

void WriteRules(const std::string& folder) {
    const std::string cgi = folder + "cgi/";
    platform::ForceDirectories(cgi);
    const std::pair<const char*, const char*> files[] = {
        {"sender1.cgi", "boss@example.co.jp,0,1,0,1\r\n@partner.example.jp,0,1,0,0\r\n"
                        "\"山田 太郎\",0,0,0,1\r\n"},
        {"sender2.cgi", "^bulk-.*@,1,1,1,1\r\n"},
        {"subject.cgi", "未承諾広告,0,1\r\n\"free money\",0,1\r\n"},
        {"header.cgi", "X-Spam-Flag,YES,0,1\r\nX-Mailer|X-Library,\"Bulk Mailer\",0,1\r\n"
                       "Content-Type,charset=(gb2312|big5),1,1\r\n"},
        {"attach.cgi", "exe\r\nscr\r\n"},
    };
    for (const auto& [name, utf8] : files)
        platform::WriteFile(cgi + name, Sjis(utf8));
}

} // namespace

MARROWBY_SCENE(filters) {
    WriteRules(context.Folder);
    TMarrowFilterForm form(context.Folder);
    form.show();
    auto* white = form.findChild<QTreeWidget*>("LVWhite");
    white->setCurrentItem(white->topLevelItem(2));
    form.AppIdle();
    context.Save(form, "filters.png");
    context.Save(form, "filters@2x.png", 2);
    // A new header rule being typed.
    form.PanelFilterBody->setCurrentIndex(6);
    for (const auto& [name, text] : {std::pair{"EditHeaderName", "X-Virus-Status"},
                                     std::pair{"EditHeaderKeyword", "Infected"}}) {
        auto* edit = form.findChild<QLineEdit*>(name);
        edit->insert(QString::fromLatin1(text));
    }
    form.AppIdle();
    context.Save(form, "filters-header.png");
    context.Save(form, "filters-header@2x.png", 2);
}
