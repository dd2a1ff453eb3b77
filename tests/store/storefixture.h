#pragma once
// A private temporary folder per test and helpers that put messages in it.
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/resource.h>
#include <utime.h>

#include "platform/file.h"

// While it lives, files cannot grow past the given size (as on a full disk):
// writes beyond it fail with EFBIG instead of raising SIGXFSZ.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &FSaved);
        FHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = FSaved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &FSaved);
        std::signal(SIGXFSZ, FHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit FSaved{};
    void (*FHandler)(int);
};

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/mb-store-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = std::string(tmpl) + '/';
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    // A small message with the given subject; Received adds one hop dated 2024-05-01.
    static std::string MessageText(const std::string& subject, bool received = false) {
        std::string text;
        if (received)
            text += "Received: from a.example ([192.0.2.1]) by b.example; "
                    "Wed, 01 May 2024 10:00:00 +0900\r\n";
        text += "From: sender@example.com\r\nSubject: " + subject +
                "\r\nDate: Tue, 30 Apr 2024 09:00:00 +0900\r\nContent-Type: text/plain\r\n\r\n"
                "body\r\n";
        return text;
    }

    // Writes the file and sets its modification time (seconds since 1970).
    static void WriteAt(const std::string& path, const std::string& text, std::time_t when) {
        ASSERT_TRUE(platform::WriteFile(path, text));
        utimbuf times{when, when};
        ASSERT_EQ(utime(platform::NativePath(path).c_str(), &times), 0);
    }

    std::string dir;
};
