// Where a report's bytes go, as the program's own code sees it: a file
// replaced whole, what is refused and why, the same file under two names, and
// a report never half written; no test leaves a temporary file behind. (FIFOs,
// links, full devices, modes, other users and signals through the whole
// program: scripts/check-output-files.)
#include "ProgramRunner.h"
#include "TestUtil.h"
#include "batch/OutputFile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <fstream>
#include <functional>
#include <new>
#include <string>

namespace {

namespace fs = std::filesystem;
using batch::OutputFile;

void Put(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

class OutputFileTest : public ::testing::Test {
protected:
    // Opens path, failing the test on an error.
    OutputFile Open(const fs::path& path) {
        auto opened = OutputFile::Open(path.string());
        if (auto* why = std::get_if<std::string>(&opened)) ADD_FAILURE() << *why;
        return std::move(std::get<OutputFile>(opened));
    }
    // No name in the scratch folder, or one level below, starts with a dot.
    void TearDown() override {
        for (const auto& entry : fs::recursive_directory_iterator(root)) EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
    }
    ScratchFolder scratch{"velquor-output"};
    const fs::path& root = scratch.path();
};

TEST_F(OutputFileTest, AnExistingFileIsReplacedWholeAndKeepsItsModeAndOwner) {
    const fs::path file = root / "report.json";
    Put(file, "an old report that is longer than the new one");
    ::chmod(file.c_str(), 0600);
    const bool rootUser = ::geteuid() == 0;
    if (rootUser) {
        ASSERT_EQ(::chown(file.c_str(), 65534, 65534), 0);
    }
    struct stat before {};
    ::stat(file.c_str(), &before);

    OutputFile out = Open(file);
    EXPECT_EQ(ReadFile(file), "an old report that is longer than the new one") << "nothing is touched before the write";
    EXPECT_EQ(std::distance(fs::directory_iterator(root), {}), 1) << "no temporary file before the report is written";
    ASSERT_EQ(out.Write("new"), "");
    EXPECT_EQ(ReadFile(file), "new");
    struct stat after {};
    ::stat(file.c_str(), &after);
    EXPECT_EQ(after.st_mode & 07777, 0600u);
    EXPECT_NE(after.st_ino, before.st_ino) << "replaced by rename, not rewritten in place";
    if (rootUser) {
        EXPECT_EQ(after.st_uid, 65534u);
    }
}

TEST_F(OutputFileTest, WhatCannotBeWrittenIsRefusedWithItsCause) {
    fs::create_directory(root / "folder");
    Put(root / "plain", "keep");
    fs::create_symlink("folder", root / "to-folder");
    fs::create_symlink("loop", root / "loop");
    const struct {
        fs::path path;
        std::string cause;
    } cases[] = {
        {root / "folder", "Is a directory"},
        {root / "to-folder", "Is a directory"},
        {root.string() + "/new/", "Is a directory"},
        {root / "missing" / "r.json", "folder " + (root / "missing").string() + " does not exist"},
        {root / "plain" / "r.json", "Not a directory"},
        {root / "loop", "Too many levels of symbolic links"},
        {root / std::string(256, 'a'), "File name too long"},
        {"", "No such file or directory"},
    };
    for (const auto& c : cases) {
        auto opened = OutputFile::Open(c.path.string());
        const auto* why = std::get_if<std::string>(&opened);
        EXPECT_EQ(why ? *why : "", "cannot write " + c.path.string() + ": " + c.cause);
    }
    EXPECT_TRUE(fs::is_directory(root / "folder"));
    EXPECT_EQ(ReadFile(root / "plain"), "keep");
}

TEST_F(OutputFileTest, TheSameFileIsRecognisedThroughLinksAndHardLinks) {
    Put(root / "a.png", "");
    fs::create_hard_link(root / "a.png", root / "hard.png");
    fs::create_symlink("a.png", root / "soft.png");
    fs::create_directory(root / "sub");
    fs::create_symlink("sub", root / "subdir-link");
    ASSERT_EQ(::mkfifo((root / "pipe").c_str(), 0600), 0);
    const struct {
        fs::path first, second;
        bool same;
    } cases[] = {
        {root / "a.png", root / "hard.png", true},
        {root / "soft.png", root / "a.png", true},
        {root / "new.png", root / "new.png", true},
        {root / "sub" / "new.png", root / "subdir-link" / "new.png", true},  // a new file through a linked folder
        {root / "pipe", root / "pipe", true},
        {root / "new.png", root / "sub" / "new.png", false},
        {root / "a.png", root / "new.png", false},
        {"/dev/null", "/dev/null", false},  // a character device takes both
    };
    for (const auto& c : cases) {
        const OutputFile first = Open(c.first), second = Open(c.second);
        EXPECT_EQ(first.SameFileAs(second), c.same) << c.first << " " << c.second;
        EXPECT_EQ(second.SameFileAs(first), c.same) << c.second << " " << c.first;
    }
    // Standard output redirected to a file is that file.
    const int saved = ::dup(STDOUT_FILENO);
    const int file = ::open((root / "a.png").c_str(), O_WRONLY);
    ::dup2(file, STDOUT_FILENO);
    const OutputFile standardOutput = OutputFile::StandardOutput();
    ::dup2(saved, STDOUT_FILENO);
    ::close(file);
    ::close(saved);
    EXPECT_TRUE(standardOutput.SameFileAs(Open(root / "soft.png")));
    EXPECT_FALSE(standardOutput.SameFileAs(Open(root / "new.png")));
}

// A report stream that ran out of memory (a string stream that cannot grow
// sets badbit and drops the rest; other allocations throw) is no report; nor
// is one whose target something else replaced during the run. A file never
// written is never created.
TEST_F(OutputFileTest, AReportThatCouldNotBeBuiltOrPlacedWholeIsNeverWritten) {
    const fs::path file = root / "report.json";
    const std::function<void(std::ostream&)> cutShort[] = {
        [](std::ostream& out) { out << "[{\"half"; out.setstate(std::ios::badbit); },
        [](std::ostream& out) { out << "[{\"half"; throw std::bad_alloc(); },
    };
    for (const auto& produce : cutShort) {
        Put(file, "{\"old\": 1}");
        EXPECT_EQ(Open(file).WriteReport(produce),
                  "cannot write " + file.string() + ": out of memory while the report was built; nothing was written");
        EXPECT_EQ(ReadFile(file), "{\"old\": 1}");
    }
    EXPECT_EQ(Open(file).WriteReport([](std::ostream& report) { report << "[]"; }), "");
    EXPECT_EQ(ReadFile(file), "[]");

    OutputFile replaced = Open(root / "report.txt");
    fs::create_directory(root / "report.txt");
    EXPECT_EQ(replaced.Write("report"), "cannot write " + (root / "report.txt").string() +
                                             ": something other than a regular file took its place");
    EXPECT_TRUE(fs::is_directory(root / "report.txt"));
    { const OutputFile unused = Open(root / "never.txt"); }
    EXPECT_FALSE(fs::exists(root / "never.txt"));
}

// A signal while the report is written removes the temporary file: here
// SIGXFSZ, which the file-size limit raises in the middle of the write.
TEST_F(OutputFileTest, ASignalWhileTheReportIsWrittenRemovesTheTemporaryFile) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_DFL);
        const rlimit small{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &small);
        auto opened = OutputFile::Open((root / "report.txt").string());
        if (!std::holds_alternative<OutputFile>(opened)) ::_exit(3);
        std::get<OutputFile>(opened).Write(std::string(100000, 'x'));
        ::_exit(4);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << "status " << status;
    EXPECT_FALSE(fs::exists(root / "report.txt"));
}

}  // namespace
