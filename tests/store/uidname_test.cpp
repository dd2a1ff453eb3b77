#include <gtest/gtest.h>

#include "message/multipartmessage.h"
#include "store/messagebox.h"
#include "store/uidname.h"

TEST(UIDName, TheNameAMessageWasStoredUnder) {
    TMessageBox box;
    box.Caption = "box";
    TMultipartMessage message;
    for (const char* name : {"home", "with.dots,s=and commas", "\x93\xFA\x96\x7B"}) // 日本
        EXPECT_EQ(UIDName(box.Add(message, 0, name)->UID), name);
    EXPECT_EQ(UIDName("0a0b0c0d01d9a1b2.0.home,s=100"), "home");
    for (const char* uid : {"", "nodots", "0a.1,s=5", "0a.1.name", "0a.1.,s=5"})
        EXPECT_EQ(UIDName(uid), "") << uid;
}
