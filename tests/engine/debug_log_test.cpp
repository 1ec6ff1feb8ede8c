#include "engine/debug_log.h"
#include "scratch_dir.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <gtest/gtest.h>
#include <string>

using gb::DebugFileIo;
using gb::DebugLog;
using gb::test::ScratchDir;

namespace {

const std::string kSeparator = std::string(99, '-');

// The line end the C runtime's text mode writes: CR LF on Windows, LF elsewhere. Learnt from the
// runtime itself so the expectations hold on both builds.
std::string textLineEnd(const ScratchDir& dir) {
    const std::string probe = dir.file("line-end-probe");
    std::FILE* file = std::fopen(probe.c_str(), "wt");
    std::fputs("\n", file);
    std::fclose(file);
    return ScratchDir::read(probe);
}

// Refuses the first `failOpens` opens, and makes write number `failWrite` (1-based) fail.
class FaultyIo : public DebugFileIo {
public:
    int failOpens = 0;
    int failWrite = 0;
    int writes = 0;
    int opens = 0;

    std::FILE* openForAppend(const char* path) override {
        ++opens;
        if (failOpens > 0) {
            --failOpens;
            return nullptr;
        }
        return DebugFileIo::openForAppend(path);
    }
    bool write(std::FILE* file, const char* text, std::size_t length) override {
        if (++writes == failWrite) return false;
        return DebugFileIo::write(file, text, length);
    }
};

class DebugLogTest : public ::testing::Test {
protected:
    ScratchDir dir;
    std::string path = dir.file("Glowbridge.txt");
    std::string nl = textLineEnd(dir);

    std::string lines(std::initializer_list<std::string> texts) const {
        std::string out;
        for (const std::string& t : texts)
            out += t + nl;
        return out;
    }
};

} // namespace

TEST_F(DebugLogTest, NumbersLinesAfterOneSeparatorPerRun) {
    {
        DebugLog run;
        EXPECT_EQ(run.lineCount(), 0);
        EXPECT_TRUE(run.writeLine(path.c_str(), "%s=%s\n", "MasterCaution", "On"));
        EXPECT_TRUE(run.writeLine(path.c_str(), "%s=[%d,%d,0x%08X (%d)] (%f)\n", "KIAS", 10, 2,
                                  0xFFFFFFFFu, -1, -0.5));
        EXPECT_EQ(run.lineCount(), 2);
    }
    DebugLog secondRun;
    EXPECT_TRUE(secondRun.writeLine(path.c_str(), "Read-Check too slow\n"));
    EXPECT_EQ(ScratchDir::read(path), lines({kSeparator, "00000001: MasterCaution=On",
                                             "00000002: KIAS=[10,2,0xFFFFFFFF (-1)] (-0.500000)",
                                             kSeparator, "00000001: Read-Check too slow"}));
}

TEST_F(DebugLogTest, MessageIsWrittenUnchangedAndNumbersKeepEightDigits) {
    DebugLog log;
    // No line end of its own: the next line continues it, as the message says.
    EXPECT_TRUE(log.writeLine(path.c_str(), "no end"));
    EXPECT_TRUE(log.writeLine(path.c_str(), "%s|%d|%d\n",
                              "a\x1A"
                              "b\r",
                              INT_MIN, INT_MAX));
    EXPECT_TRUE(log.writeLine(path.c_str(), "%f %f\n", INFINITY, -INFINITY));
    const std::string text = ScratchDir::read(path);
    EXPECT_NE(text.find("00000001: no end00000002: a\x1A"
                        "b\r|-2147483648|2147483647" +
                        nl),
              std::string::npos)
        << text;
    EXPECT_NE(text.find(std::string("00000003: inf -inf").append(nl)), std::string::npos) << text;

    for (int i = 4; i <= 10; ++i)
        log.writeLine(path.c_str(), "x\n");
    EXPECT_NE(ScratchDir::read(path).find("00000010: x"), std::string::npos);
}

TEST_F(DebugLogTest, LongMessagesAreCutTo2047Characters) {
    DebugLog log;
    const std::string huge(5000, 'm');
    EXPECT_TRUE(log.writeLine(path.c_str(), "%s\n", huge.c_str()));
    EXPECT_EQ(ScratchDir::read(path), lines({kSeparator}).append("00000001: ").append(2047, 'm'));
}

TEST_F(DebugLogTest, FailedOpenLeavesTheCountSoTheFirstWrittenLineIsOne) {
    FaultyIo io;
    io.failOpens = 2;
    DebugLog log(io);
    EXPECT_FALSE(log.writeLine(path.c_str(), "lost\n"));
    EXPECT_FALSE(log.writeLine(path.c_str(), "lost\n"));
    EXPECT_EQ(log.lineCount(), 0);
    EXPECT_TRUE(log.writeLine(path.c_str(), "kept\n"));
    EXPECT_EQ(log.lineCount(), 1);
    EXPECT_EQ(ScratchDir::read(path), lines({kSeparator, "00000001: kept"}));
}

TEST_F(DebugLogTest, FailedWriteIsReportedAndNotCounted) {
    FaultyIo io;
    io.failWrite = 3; // separator, number, then the message fails
    DebugLog log(io);
    EXPECT_FALSE(log.writeLine(path.c_str(), "half\n"));
    EXPECT_EQ(log.lineCount(), 0);
    EXPECT_TRUE(log.writeLine(path.c_str(), "whole\n"));
    EXPECT_EQ(log.lineCount(), 1);
    // The broken line's number stays in the file; the next line takes the number again.
    EXPECT_EQ(ScratchDir::read(path),
              lines({kSeparator, std::string("00000001: ").append(kSeparator), "00000001: whole"}));
}

TEST_F(DebugLogTest, UnopenableFilesReturnFalseQuietly) {
    DebugLog log;
    EXPECT_FALSE(log.writeLine("", "x\n"));
    EXPECT_FALSE(log.writeLine(nullptr, "x\n"));
    EXPECT_FALSE(log.writeLine(dir.file("missing-folder/log.txt").c_str(), "x\n"));
    // A folder where the file is expected.
    std::filesystem::create_directory(dir.file("folder.txt"));
    EXPECT_FALSE(log.writeLine(dir.file("folder.txt").c_str(), "x\n"));
    EXPECT_EQ(log.lineCount(), 0);
}

TEST_F(DebugLogTest, TwoLogsOnOneFileAppendTheirOwnRuns) {
    // Two programs at once: each has its own numbering and separator; nothing is overwritten.
    DebugLog first;
    DebugLog second;
    EXPECT_TRUE(first.writeLine(path.c_str(), "a\n"));
    EXPECT_TRUE(second.writeLine(path.c_str(), "b\n"));
    EXPECT_TRUE(first.writeLine(path.c_str(), "c\n"));
    EXPECT_EQ(ScratchDir::read(path),
              lines({kSeparator, "00000001: a", kSeparator, "00000001: b", "00000002: c"}));
}

TEST_F(DebugLogTest, ProcessLogIsOneInstance) {
    EXPECT_EQ(&DebugLog::process(), &DebugLog::process());
    const int before = gb::debugLineCount();
    EXPECT_TRUE(gb::writeDebugLine(path.c_str(), "%d\n", 7));
    EXPECT_EQ(gb::debugLineCount(), before + 1);
    EXPECT_FALSE(gb::writeDebugLine("", "%d\n", 7));
    EXPECT_EQ(gb::debugLineCount(), before + 1);
}
