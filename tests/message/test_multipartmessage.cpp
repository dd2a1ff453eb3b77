// The parsed message: header fields, sent date, hop order, files.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "message/multipartmessage.h"

namespace {

bool IsAboutNow(TDateTime value) {
    return std::fabs(value - Now()) < 1.0 / 1440;
}

const std::string kMessage =
    "Received: from r3 (r3.example [10.0.0.3]) by top; Mon, 5 Jul 2004 13:02:05 +0900\r\n"
    "Received: from r2 (r2.example [10.0.0.2]) by mid; Mon, 5 Jul 2004 13:02:04 +2400\r\n"
    "Received: from r1 (r1.example [10.0.0.1]) by low; Mon, 5 Jul 2004 13:02:03 +0900\r\n"
    "Return-Path: <bounce@example.com>\r\n"
    "From: =?ISO-2022-JP?B?GyRCJCIkJCQmGyhC?= <a@example.com>\r\n"
    "Subject: =?ISO-2022-JP?B?GyRCJCIkJCQmGyhC?=\r\n"
    " =?ISO-2022-JP?B?GyRCRnxLXDhsGyhC?=\r\n"
    "Date: Mon, 5 Jul 2004 13:02:03 -0500\r\n"
    "X-Mailer: Tool 1.0\r\n"
    "\r\n"
    "body\r\n";

TEST(MultipartMessage, FillsHeaderFields) {
    TMultipartMessage message;
    message.Create(kMessage);
    EXPECT_EQ(message.Size, static_cast<int>(kMessage.size()));
    EXPECT_EQ(message.Subject, "\x82\xa0\x82\xa2\x82\xa4\x93\xfa\x96\x7b\x8c\xea");
    EXPECT_EQ(message.From, "\x82\xa0\x82\xa2\x82\xa4 <a@example.com>");
    EXPECT_EQ(message.ReturnPath, "<bounce@example.com>");
    EXPECT_EQ(message.Mailer, ": Tool 1.0");
    EXPECT_EQ(DateTimeToStr(message.SentDate), "2004/07/06 03:02:03");
    EXPECT_EQ(message.GetRoot().Body, "body\r\n");
}

TEST(MultipartMessage, HopsOldestFirstWithoutImpossibleDates) {
    TMultipartMessage message;
    message.Create(kMessage);
    ASSERT_EQ(message.GetCountReceived(), 2);
    EXPECT_EQ(message.GetReceived(0).ComputerName, "r1");
    EXPECT_EQ(message.GetReceived(1).ComputerName, "r3");
    EXPECT_EQ(DateTimeToStr(message.GetReceived(0).Date), "2004/07/05 13:02:03");
}

TEST(MultipartMessage, HopOrderIsReverseHeaderOrder) {
    TMultipartMessage message;
    message.Create("Received: from R3 by x; Mon, 5 Jul 2004 13:02:03 +0900\r\n"
                   "Received: from R2 by x; Mon, 5 Jul 2004 13:02:03 +0900\r\n"
                   "Received: from R1 by x; Mon, 5 Jul 2004 13:02:03 +0900\r\n\r\n");
    ASSERT_EQ(message.GetCountReceived(), 3);
    EXPECT_EQ(message.GetReceived(0).ComputerName, "R1");
    EXPECT_EQ(message.GetReceived(1).ComputerName, "R2");
    EXPECT_EQ(message.GetReceived(2).ComputerName, "R3");
}

TEST(MultipartMessage, MissingHeadersGiveEmptyFieldsAndNow) {
    TMultipartMessage message;
    message.Create(kMessage);
    message.Create("X-Other: 1\r\nDate: Mon, 5 Jul 2004 13:02:03 +2400\r\n\r\nx");
    EXPECT_EQ(message.Subject, "");
    EXPECT_EQ(message.From, "");
    EXPECT_EQ(message.ReturnPath, "");
    EXPECT_EQ(message.Mailer, "");
    EXPECT_EQ(message.GetCountReceived(), 0);
    EXPECT_TRUE(IsAboutNow(message.SentDate));
    message.Create("");
    EXPECT_EQ(message.Size, 0);
    EXPECT_TRUE(IsAboutNow(message.SentDate));
    EXPECT_EQ(message.GetRoot().MimeType, "text/plain");
}

TEST(MultipartMessage, SubjectsAsMailersFoldThem) {
    struct Case {
        const char* Name;
        std::string Header, Subject;
    } cases[] = {
        {"value on the next line", "Subject:\r\n =?UTF-8?B?44OG44K544OI?=\r\n",
         "\x83\x65\x83\x58\x83\x67"}, // テスト
        {"raw JIS folded in double-byte mode", "Subject: \x1b$B0!0\"\r\n 0#\x1b(B\r\n",
         "\x88\x9f\x88\xa0\x88\xa1"}, // 亜唖娃
        {"no empty line before the body", "Subject: hi\r\nBuy viagra now\r\n", "hi"},
    };
    for (const Case& c : cases) {
        TMultipartMessage message;
        message.Create(c.Header + "From: a@example.com\r\n\r\nbody");
        EXPECT_EQ(message.Subject, c.Subject) << c.Name;
    }
}

TEST(MultipartMessage, KeepIsTheRootsFlag) {
    TMultipartMessage message;
    EXPECT_FALSE(message.GetKeep());
    message.SetKeep(true);
    EXPECT_TRUE(message.GetRoot().Keep);
    message.Create(kMessage);
    EXPECT_EQ(message.GetRoot().RawBody, "body\r\n");
}

class TempDir : public ::testing::Test {
protected:
    void SetUp() override {
        FDir = std::filesystem::temp_directory_path() /
               ("mb-msg-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(FDir);
    }
    void TearDown() override { std::filesystem::remove_all(FDir); }
    std::string Write(const std::string& name, const std::string& bytes) {
        std::string path = (FDir / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    std::filesystem::path FDir;
};

TEST_F(TempDir, LoadFromFileStopsAtNulByte) {
    std::string path = Write("nul.eml", std::string("Subject: cut\r\n\r\nab\0cd", 20));
    TMultipartMessage message;
    EXPECT_TRUE(message.LoadFromFile(path));
    EXPECT_EQ(message.Path, path);
    EXPECT_EQ(message.Subject, "cut");
    EXPECT_EQ(message.Size, 18);
    EXPECT_EQ(message.GetRoot().Body, "ab");
}

TEST_F(TempDir, UnreadableFileParsesAsEmptyMessage) {
    TMultipartMessage message;
    message.Create(kMessage);
    std::string path = (FDir / "missing.eml").string();
    EXPECT_FALSE(message.LoadFromFile(path));
    EXPECT_EQ(message.Path, path);
    EXPECT_EQ(message.Size, 0);
    EXPECT_EQ(message.Subject, "");
    EXPECT_EQ(message.GetCountReceived(), 0);
}

} // namespace
