// marrowby-tool and its parse command, on the fixture messages.
#include <gtest/gtest.h>

#include <algorithm>

#include "toolrun.h"

namespace {

const std::string kData = MESSAGE_TEST_DATA "/eml/";

TEST(ToolParse, PrintsOneJsonLinePerMessage) {
    ToolRun run = Tool({"parse", kData + "forwarded.eml"});
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Err, "");
    EXPECT_EQ(run.Out,
              "{\"file\":\"" + kData +
                  "forwarded.eml\",\"size\":501,\"subject\":\"Fwd: hello\","
                  "\"from\":\"carol@example.net\",\"return_path\":\"\",\"mailer\":\"\","
                  "\"sent\":\"2006/03/01 19:00:00\",\"received\":[],\"parts\":["
                  "{\"depth\":0,\"kind\":0,\"mime_type\":\"multipart/mixed\",\"name\":\"\","
                  "\"file_name\":\"\",\"charset\":\"\",\"body_bytes\":0,\"stream_bytes\":0},"
                  "{\"depth\":1,\"kind\":2,\"mime_type\":\"text/plain\",\"name\":\"\","
                  "\"file_name\":\"\",\"charset\":\"\",\"body_bytes\":10,\"stream_bytes\":0},"
                  "{\"depth\":1,\"kind\":1,\"mime_type\":\"message/rfc822\",\"name\":\"\","
                  "\"file_name\":\"\",\"charset\":\"\",\"body_bytes\":0,\"stream_bytes\":267},"
                  "{\"depth\":2,\"kind\":0,\"mime_type\":\"multipart/alternative\",\"name\":\"\","
                  "\"file_name\":\"\",\"charset\":\"\",\"body_bytes\":0,\"stream_bytes\":0},"
                  "{\"depth\":3,\"kind\":2,\"mime_type\":\"text/plain\",\"name\":\"\","
                  "\"file_name\":\"\",\"charset\":\"us-ascii\",\"body_bytes\":2,"
                  "\"stream_bytes\":0},"
                  "{\"depth\":3,\"kind\":2,\"mime_type\":\"text/html\",\"name\":\"\","
                  "\"file_name\":\"\",\"charset\":\"us-ascii\",\"body_bytes\":9,"
                  "\"stream_bytes\":0}]}\n");
}

TEST(ToolParse, ConvertsJapaneseTextToUtf8) {
    ToolRun run = Tool({"parse", kData + "japanese-jis.eml", kData + "multipart-attachment.eml",
                        kData + "sjis-html.eml"});
    EXPECT_EQ(run.Status, 0);
    for (const char* expected : {
             "\"subject\":\"会議のお知らせ\"",
             "\"from\":\"山田太郎 <taro@example.jp>\"",
             "\"mailer\":\": Example Mailer 1.0\"",
             "\"sent\":\"2004/07/05 13:02:00\"",
             "\"received\":[{\"address\":\"198.51.100.7\",\"computer\":\"sender.example\","
             "\"host\":\"pc01\",\"date\":\"2004/07/05 13:02:03\"},"
             "{\"address\":\"192.0.2.10\",\"computer\":\"mx.example.jp\","
             "\"host\":\"mx.example.jp\",\"date\":\"2004/07/05 13:02:05\"}]",
             "\"subject\":\"Your invoice for December\"",
             "\"kind\":3,\"mime_type\":\"image/png\",\"name\":\"請求書.png\","
             "\"file_name\":\"請求書.png\",\"charset\":\"\",\"body_bytes\":0,"
             "\"stream_bytes\":1024}",
             "\"subject\":\"セール\"",
             "\"mailer\":\"Mail Lib 3\"",
             "\"sent\":\"2005/01/03 21:15:00\"",
         })
        EXPECT_NE(run.Out.find(expected), std::string::npos) << expected;
    EXPECT_EQ(std::count(run.Out.begin(), run.Out.end(), '\n'), 3);
}

TEST(ToolParse, UnreadableFileIsReportedAndOthersPrint) {
    ToolRun run = Tool({"parse", kData + "missing.eml", kData + "euc-plain.eml"});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Err, "marrowby-tool parse: cannot read " + kData + "missing.eml\n");
    EXPECT_NE(run.Out.find("\"subject\":\"EUC body\""), std::string::npos);
    EXPECT_EQ(std::count(run.Out.begin(), run.Out.end(), '\n'), 1);
}

TEST(Tool, HelpAndBadUse) {
    struct Case {
        TToolArgs Args;
        int Status;
        bool HelpOnOut;
    } cases[] = {
        {{"--help"}, 0, true},      {{"parse", "--help"}, 0, true}, {{}, 2, false},
        {{"frobnicate"}, 2, false}, {{"parse"}, 2, false},
    };
    for (const Case& c : cases) {
        ToolRun run = Tool(c.Args);
        EXPECT_EQ(run.Status, c.Status);
        EXPECT_NE((c.HelpOnOut ? run.Out : run.Err).find("Usage: marrowby-tool"),
                  std::string::npos);
    }
}

} // namespace
