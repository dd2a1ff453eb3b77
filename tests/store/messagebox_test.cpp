#include "store/messagebox.h"

#include <gtest/gtest.h>
#include <set>

#include "foundation/datafile.h"
#include "message/multipartmessage.h"
#include "platform/file.h"
#include "storefixture.h"

namespace {

// 2024-05-01 00:00:00 UTC plus the given hours.
std::time_t At(int hours) {
    return 1714521600 + hours * 3600;
}

} // namespace

class MessageBoxTest : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        box.Caption = "home";
        box.Path = dir + "messages.idx";
    }

    // Stores a message file named after its subject and adds its entry.
    TMBXItem* Store(TMessageBox& target, const std::string& subject) {
        std::string path =
            TMessageBox::MakeMessagePath(platform::ExtractFilePath(target.Path), subject);
        EXPECT_TRUE(platform::WriteFile(path, MessageText(subject)));
        TMultipartMessage message;
        EXPECT_TRUE(message.LoadFromFile(path));
        return target.Add(message, *platform::FileDateTime(path), "");
    }

    TMessageBox box;
};

TEST_F(MessageBoxTest, SaveAndLoadKeepEveryEntryInOrder) {
    for (const char* subject : {"one", "two, with comma", "\"three\""})
        Store(box, subject)->Comment = "ok";
    box.GetMessages(1)->ServerUID = "uidl-2";
    ASSERT_TRUE(box.Save());
    std::string text = *platform::ReadFile(box.Path);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");

    TMessageBox loaded;
    loaded.LoadFromFile(box.Path);
    ASSERT_EQ(loaded.GetCount(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(loaded.GetMessages(i)->GetCSV(), box.GetMessages(i)->GetCSV());
        EXPECT_EQ(loaded.GetMessages(i)->Parent, &loaded);
    }
    EXPECT_EQ(loaded.GetMessages(1)->ServerUID, "uidl-2");
    EXPECT_EQ(loaded.GetTotal(), box.GetTotal());
    EXPECT_EQ(loaded.IndexOf(box.GetMessages(2)->UID), 2);
}

TEST_F(MessageBoxTest, LoadCountsEveryLineAndMissingFileIsEmpty) {
    ASSERT_TRUE(platform::WriteFile(box.Path, "a,f1,1\r\n\r\nb,f2,2\n"));
    box.Load();
    ASSERT_EQ(box.GetCount(), 3);
    EXPECT_EQ(box.GetMessages(1)->UID, "");
    EXPECT_EQ(box.GetMessages(1)->Kind, 0);
    EXPECT_EQ(box.GetTotal(), 3);

    box.LoadFromFile(dir + "missing.idx");
    EXPECT_EQ(box.GetCount(), 0);
    EXPECT_EQ(box.GetTotal(), 0);
    EXPECT_EQ(box.IndexOf("nothing"), -1);
}

TEST_F(MessageBoxTest, FailedSaveKeepsTheOldFileAndSaysWhy) {
    ASSERT_TRUE(platform::WriteFile(box.Path, "old index\r\n"));
    Store(box, "new");
    std::string error;
    {
        FileSizeLimit full(16); // a disk that fills up in the middle of the save
        EXPECT_FALSE(box.Save(&error));
    }
    EXPECT_NE(error.find(box.Path), std::string::npos);
    EXPECT_EQ(*platform::ReadFile(box.Path), "old index\r\n");
    EXPECT_EQ(platform::FindFiles(dir, "").size(), 2u); // no temporary file left behind

    box.Path = dir + "no-such-folder/messages.idx";
    EXPECT_FALSE(box.Save(&error));

    TMessageBox noPath;
    EXPECT_TRUE(noPath.Save());
}

TEST_F(MessageBoxTest, RemoveDeletesTheFileExtractDoesNot) {
    TMBXItem* a = Store(box, "a");
    TMBXItem* b = Store(box, "b");
    TMBXItem* c = Store(box, "c");
    std::string pathA = a->GetPath(), pathB = b->GetPath(), pathC = c->GetPath();

    EXPECT_EQ(box.Remove(b), 1);
    EXPECT_FALSE(platform::FileExists(pathB));
    EXPECT_EQ(box.Remove(b), -1);

    std::unique_ptr<TMBXItem> taken = box.Extract(c);
    ASSERT_EQ(taken.get(), c);
    EXPECT_TRUE(platform::FileExists(pathC));
    EXPECT_EQ(box.Extract(c), nullptr);

    box.Remove(0);
    EXPECT_FALSE(platform::FileExists(pathA));
    EXPECT_EQ(box.GetCount(), 0);
}

TEST_F(MessageBoxTest, ClearDeletesEveryFileButNeedsAPath) {
    std::string path = Store(box, "x")->GetPath();
    TMessageBox loose;
    loose.LoadFromStrings({"u," + platform::ExtractFileName(path)});
    loose.Clear(); // no Path: nothing happens
    EXPECT_EQ(loose.GetCount(), 1);
    EXPECT_TRUE(platform::FileExists(path));
    box.Clear();
    EXPECT_EQ(box.GetCount(), 0);
    EXPECT_FALSE(platform::FileExists(path));
}

TEST_F(MessageBoxTest, RestructRebuildsFromTheFilesOldestFirst) {
    WriteAt(dir + "late.eml", MessageText("late"), At(5));
    WriteAt(dir + "early.EML", MessageText("early"), At(1));
    WriteAt(dir + "middle.eml", MessageText("middle"), At(3));
    WriteAt(dir + "notes.txt", "not a message", At(2));
    ASSERT_TRUE(platform::ForceDirectories(dir + "folder.eml"));
    box.LoadFromStrings({"old,gone.eml"});

    box.Restruct();
    ASSERT_EQ(box.GetCount(), 3);
    std::set<std::string> counts; // the number of entries when each file was added
    const char* order[] = {"early", "middle", "late"};
    for (int i = 0; i < 3; ++i) {
        const TMBXItem* item = box.GetMessages(i);
        EXPECT_EQ(item->Subject, order[i]);
        EXPECT_EQ(item->StoredDate, UnixToDateTime(At(1 + 2 * i)));
        EXPECT_NE(item->UID.find(".home,s="), std::string::npos) << item->UID;
        counts.insert(item->UID.substr(16, 3));
        EXPECT_TRUE(item->ServerUID.empty());
    }
    EXPECT_EQ(counts, (std::set<std::string>{".0.", ".1.", ".2."}));
    EXPECT_EQ(box.GetMessages(0)->FileName, "early.EML");
    EXPECT_EQ(box.IndexOf("old"), -1);

    TMessageBox noPath;
    noPath.LoadFromStrings({"kept,k.eml"});
    noPath.Restruct();
    EXPECT_EQ(noPath.GetCount(), 1);
}

TEST_F(MessageBoxTest, SetParentMovesEntryAndFileAndKeepsTheUid) {
    TMessageBox trash;
    trash.Caption = "trash";
    trash.Path = dir + "Dustbox/messages.idx";
    ASSERT_TRUE(platform::ForceDirectories(dir + "Dustbox"));
    platform::WriteFile(dir + "Dustbox/a_b.eml", "already there");

    TMBXItem* item = Store(box, "a/b");
    item->ServerUID = "srv";
    item->Comment = "note";
    const std::string before = item->GetCSV();
    const std::string oldPath = item->GetPath();
    const std::string uid = item->UID;

    EXPECT_TRUE(item->SetParent(&trash));
    EXPECT_EQ(box.GetCount(), 0);
    ASSERT_EQ(trash.GetCount(), 1);
    EXPECT_EQ(trash.GetMessages(0), item);
    EXPECT_EQ(item->Parent, &trash);
    EXPECT_EQ(item->UID, uid);
    EXPECT_EQ(item->ServerUID, "srv");
    EXPECT_EQ(item->Comment, "note");
    EXPECT_EQ(item->FileName, "a_b (2).eml");
    EXPECT_EQ(item->GetPath(), dir + "Dustbox/a_b (2).eml");
    EXPECT_FALSE(platform::FileExists(oldPath));
    EXPECT_EQ(*platform::ReadFile(item->GetPath()), MessageText("a/b"));
    EXPECT_EQ(*platform::ReadFile(dir + "Dustbox/a_b.eml"), "already there");
    EXPECT_FALSE(item->SetParent(&trash)); // already there
}
