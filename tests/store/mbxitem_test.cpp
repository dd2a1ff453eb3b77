#include "store/mbxitem.h"

#include <gtest/gtest.h>

#include "foundation/csvline.h"
#include "message/multipartmessage.h"
#include "platform/file.h"
#include "store/messagebox.h"
#include "storefixture.h"

namespace {

TDateTime Date(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return *EncodeDateTime({y, mo, d, h, mi, s, 0});
}

void ExpectSameFields(const TMBXItem& a, const TMBXItem& b) {
    EXPECT_EQ(a.UID, b.UID);
    EXPECT_EQ(a.FileName, b.FileName);
    EXPECT_EQ(a.Size, b.Size);
    EXPECT_EQ(a.Kind, b.Kind);
    EXPECT_EQ(a.MimeType, b.MimeType);
    EXPECT_EQ(a.Subject, b.Subject);
    EXPECT_EQ(a.From, b.From);
    EXPECT_EQ(a.SentDate, b.SentDate);
    EXPECT_EQ(a.RecvDate, b.RecvDate);
    EXPECT_EQ(a.StoredDate, b.StoredDate);
    EXPECT_EQ(a.ServerUID, b.ServerUID);
    EXPECT_EQ(a.Comment, b.Comment);
}

} // namespace

TEST(MBXItem, IndexLineRoundTrip) {
    TMessageBox box;
    const std::string texts[] = {
        "plain",
        "with blank",
        "a,b",
        "say \"hi\", now",
        "",
        " leading and trailing ",
        "\x95\x5c\x83\x7c", // 表 and ポ: trail bytes 0x5C and 0x7C
        "\x82\"x,y",        // a stray lead byte before a quote and a comma
        "\x82",             // a stray lead byte at the end
        "tab\tand\x01control",
    };
    for (const std::string& text : texts) {
        TMBXItem item(&box, "");
        item.UID = "01234567abcdef01.3.home,s=12";
        item.FileName = text + ".eml";
        item.Size = -5;
        item.Kind = 3;
        item.MimeType = "text/html";
        item.Subject = text;
        item.From = text;
        item.SentDate = Date(2024, 4, 30, 9, 0, 1);
        item.RecvDate = Date(2024, 5, 1);
        item.StoredDate = 0.5;
        item.ServerUID = text;
        item.Comment = text;
        TMBXItem back(&box, item.GetCSV());
        SCOPED_TRACE(item.GetCSV());
        ExpectSameFields(item, back);
    }
}

TEST(MBXItem, UidAndEmptyTailAreWrittenAsTheFormatSays) {
    TMessageBox box;
    TMBXItem item(&box, "");
    item.UID = "0a0b0c0d01d9a1b2.0.home,s=100";
    item.Size = 100;
    item.Kind = 2;
    item.SentDate = Date(2024, 4, 30, 9, 0, 0);
    item.RecvDate = Date(2024, 5, 1);
    item.StoredDate = 0.75;
    EXPECT_EQ(item.GetCSV(), "\"0a0b0c0d01d9a1b2.0.home,s=100\",,100,2,,,,\"2024/04/30 "
                             "09:00:00\",2024/05/01,18:00:00,,");
}

TEST(MBXItem, ReadingStopsOrDefaults) {
    TMessageBox box;
    struct Case {
        std::string line;
        std::int32_t size;
        std::int8_t kind;
        TDateTime sent, recv;
        std::string from, comment;
    } cases[] = {
        // An unreadable SentDate keeps the texts before it; dates and the rest stay empty.
        {"u,f,10,1,text/plain,s,fr,yesterday,2024/05/01,2024/05/01,srv,cmt", 10, 1, 0, 0, "fr", ""},
        {"u,f,10,1,m,s,fr,2024/04/30,bad,2024/05/01,srv,cmt", 10, 1, Date(2024, 4, 30), 0, "fr",
         ""},
        // Numbers that are no numbers read as 0 and 2; Kind keeps 8 bits.
        {"u,f,ten,x,m,s,fr,2024/04/30,2024/05/01,2024/05/01,srv,cmt", 0, 2, Date(2024, 4, 30),
         Date(2024, 5, 1), "fr", "cmt"},
        {"u,f,99999999999,258", 0, 2, 0, 0, "", ""},
        {"u,f,+7,-1", 7, -1, 0, 0, "", ""},
        // A blank line gives an entry with empty texts, Size 0 and Kind 0.
        {"", 0, 0, 0, 0, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        TMBXItem item(&box, c.line);
        EXPECT_EQ(item.Size, c.size);
        EXPECT_EQ(item.Kind, c.kind);
        EXPECT_EQ(item.SentDate, c.sent);
        EXPECT_EQ(item.RecvDate, c.recv);
        EXPECT_EQ(item.From, c.from);
        EXPECT_EQ(item.Comment, c.comment);
    }
}

TEST(MBXItem, Comparisons) {
    TMessageBox box;
    TMBXItem a(&box, ""), b(&box, "");
    a.Subject = "Apple";
    b.Subject = "apple";
    a.Size = 10;
    b.Size = 20;
    a.RecvDate = 2.0;
    b.RecvDate = 1.0;
    EXPECT_LT(a.CompareSubject(b), 0); // case-sensitive: capitals first
    EXPECT_GT(b.CompareSubject(a), 0);
    EXPECT_EQ(a.CompareSubject(a), 0);
    EXPECT_EQ(a.CompareSize(b), -1);
    EXPECT_EQ(b.CompareSize(a), 1);
    EXPECT_EQ(a.CompareSize(a), 0);
    EXPECT_EQ(a.CompareRecvDate(b), 1);
    EXPECT_EQ(b.CompareRecvDate(a), -1);
    EXPECT_EQ(TMessageBox::Compare(a, b), 0);
}

class MBXItemFromMessage : public StoreTest {};

TEST_F(MBXItemFromMessage, FieldsAndUid) {
    TMessageBox box;
    box.Caption = "home";
    box.Path = dir + "messages.idx";
    box.LoadFromStrings({"", ""}); // two entries already
    const std::string text = MessageText("Hello", true);
    const std::string path = dir + "Hello.eml";
    ASSERT_TRUE(platform::WriteFile(path, text));
    TMultipartMessage message;
    ASSERT_TRUE(message.LoadFromFile(path));
    TMBXItem* item = box.Add(message, Date(2024, 5, 2, 12, 0, 0), "");
    EXPECT_EQ(item->FileName, "Hello.eml");
    EXPECT_EQ(item->GetPath(), path);
    EXPECT_EQ(item->Size, static_cast<std::int32_t>(text.size()));
    EXPECT_EQ(item->Kind, 2);
    EXPECT_EQ(item->MimeType, "text/plain");
    EXPECT_EQ(item->Subject, "Hello");
    EXPECT_EQ(item->SentDate, Date(2024, 4, 30, 9, 0, 0));
    EXPECT_EQ(item->RecvDate, Date(2024, 5, 1, 10, 0, 0));
    EXPECT_EQ(item->StoredDate, Date(2024, 5, 2, 12, 0, 0));
    EXPECT_TRUE(item->ServerUID.empty());
    EXPECT_TRUE(item->Comment.empty());
    // 16 hex digits, the count before the entry, the name, the size.
    const std::string tail = ".2.home,s=" + std::to_string(text.size());
    ASSERT_EQ(item->UID.size(), 16 + tail.size());
    EXPECT_EQ(item->UID.substr(16), tail);
    EXPECT_EQ(item->UID.find_first_not_of("0123456789abcdef"), 16u);
    // The UID always holds a comma, so it is always quoted.
    EXPECT_EQ(item->GetCSV().substr(0, 18), "\"" + item->UID.substr(0, 17));

    TMBXItem* named = box.Add(message, 1.0, "other");
    EXPECT_NE(named->UID.find(".3.other,s="), std::string::npos);
}

TEST_F(MBXItemFromMessage, NoReceivedHeaderGivesTheCurrentTime) {
    TMessageBox box;
    box.Path = dir + "messages.idx";
    TMultipartMessage message;
    message.Create(MessageText("no hops"));
    message.SetPath("/elsewhere/x.eml");
    TDateTime before = Now();
    TMBXItem* item = box.Add(message, 1.0, "n");
    EXPECT_GE(item->RecvDate, before - 1.0 / 86400);
    EXPECT_LE(item->RecvDate, Now() + 1.0 / 86400);
    // A file outside the box's folder keeps its full path, which is no file
    // name of the folder: the entry leads to no file.
    EXPECT_EQ(item->FileName, "/elsewhere/x.eml");
    EXPECT_EQ(item->GetPath(), "");
}
