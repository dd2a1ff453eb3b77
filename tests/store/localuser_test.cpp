#include "store/localuser.h"

#include <gtest/gtest.h>

#include "store/pop3accountlist.h"

TEST(LocalUser, ResolvesTheThreeForms) {
    TPop3AccountList list;
    list.Add("home", "taro", "p", "pop.example.jp", 110, false, false);
    list.Add("work", "hanako", "p", "mail.example.com", 110, false, false);
    list.Add("Taro", "taro", "p", "mail.example.com", 110, false, false);
    struct Case {
        const char* name;
        int index;
    } cases[] = {
        {"taro%tarn%mail.example.com", 2},
        {"hanako%tarn%mail.example.com", 1},
        {"TARO%tarn%mail.example.com", -1}, // user and host compare exactly; then the whole name
        {"taro%tarn%nowhere", -1},
        {"%tarn%pop.example.jp", -1}, // no user: the whole text is looked up as a name
        {"anything%%WORK", 1},
        {"%%home", 0},
        {"home", 0},
        {"taro", 2}, // names ignore letter case
        {"", -1},
        {"nobody", -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindAccountByLocalUser(list, c.name), c.index) << c.name;
}
