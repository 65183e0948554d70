// Runs the built velkpack in a scratch folder and captures its exit code, stdout and stderr.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace velk_test {

struct TVelkpackResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class TVelkpackTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/velkpack-test.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

    std::string Write(const std::string& name, const std::string& content) {
        std::string path = dir_ + "/" + name;
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }
    std::string ReadBack(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    TVelkpackResult Run(const std::string& args) { return RunProgram(VELKPACK_PATH, args); }
    TVelkpackResult RunProgram(const std::string& program, const std::string& args) {
        std::string command =
            "'" + program + "' " + args + " >'" + dir_ + "/stdout' 2>'" + dir_ + "/stderr'";
        int status = std::system(command.c_str());
        TVelkpackResult r;
        r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.out = ReadBack(dir_ + "/stdout");
        r.err = ReadBack(dir_ + "/stderr");
        return r;
    }

    std::string dir_;
};

} // namespace velk_test
