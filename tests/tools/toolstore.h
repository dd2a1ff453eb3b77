#pragma once
// A temporary program folder for the tool's store commands, with a private
// lock folder and data folder, and the tool run on it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/file.h"
#include "toolrun.h"

class ToolStore : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/mb-tool-store-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        // A private lock folder, so that a gateway running for the user does not interfere.
        ASSERT_TRUE(platform::ForceDirectories(dir + "/run"));
        setenv("XDG_RUNTIME_DIR", (dir + "/run").c_str(), 1);
        // The default program folder, for commands without --folder.
        setenv("XDG_DATA_HOME", (dir + "/data").c_str(), 1);
    }
    void TearDown() override {
        unsetenv("XDG_DATA_HOME");
        std::filesystem::remove_all(dir);
    }

    ToolRun AddAccount(const std::string& name, TToolArgs extra = {}) {
        TToolArgs args = {"accounts",    "--folder", dir,    "add",        name,     "--host",
                          "pop.example", "--user",   "taro", "--password", "se cret"};
        args.insert(args.end(), extra.begin(), extra.end());
        return Tool(args);
    }

    std::string Msgbox() const { return dir + "/Msgbox/"; }

    std::string dir;
};
