#include "tools/deflint/lint.h"

#include "support/child_process.h"
#include "support/temp_folder.h"
#include "support/test_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace gb {
namespace {

namespace fs = std::filesystem;

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Every <name>.ini in tests/data/definitions has <name>.expected beside it (the report of a normal
// run) and may have <name>.all.expected (the report with --all).
TEST(LintGolden, ReportsMatchTheExpectedFiles) {
    const fs::path folder = test::dataPath("definitions");
    std::vector<fs::path> inputs;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".ini") inputs.push_back(entry.path());
    std::sort(inputs.begin(), inputs.end());
    ASSERT_GE(inputs.size(), 10u);

    int compared = 0;
    for (const fs::path& input : inputs) {
        for (const bool all : {false, true}) {
            fs::path expected = input;
            expected.replace_extension(all ? ".all.expected" : ".expected");
            if (!fs::exists(expected)) {
                EXPECT_TRUE(all) << "no expected report for " << input;
                continue;
            }
            SCOPED_TRACE(expected.filename().string());
            const LintReport report = lintDefinitionFile(input.string().c_str(), all);
            EXPECT_EQ(report.output, readBytes(expected));
            ++compared;
        }
    }
    EXPECT_GE(compared, static_cast<int>(inputs.size()));
}

TEST(Lint, MissingFileShowsTheOpenMessageAndExitStatus2) {
    const std::string missing = test::dataPath("definitions/missing.ini");
    const LintReport report = lintDefinitionFile(missing.c_str(), false);
    EXPECT_EQ(report.result, -2);
    EXPECT_EQ(report.exitStatus, 2);
    EXPECT_EQ(report.output, "message box \"Definitionfile error\":\n    Can't find/open \"" +
                                 missing + "\"!\nresult -2, exit status 2\n");
}

TEST(Lint, ExitStatusMapsLoaderResults) {
    EXPECT_EQ(lintExitStatus(1000), 0);
    EXPECT_EQ(lintExitStatus(1), 0);
    EXPECT_EQ(lintExitStatus(0), 9);
    for (int code = -1; code >= -8; --code)
        EXPECT_EQ(lintExitStatus(code), -code);
}

// The program around the report: what it prints quotes the file's lines and the arguments, so
// control and high bytes are escaped (line ends and tabs of the report itself stay).
TEST(LintProgram, QuotedBytesAreEscapedAndVersionIsShown) {
    auto run = [](const std::vector<std::string>& args, std::vector<std::string>& lines) {
        test::ChildProcess lint;
        if (!lint.start(test::hostPath(GB_LINT_EXE), args, test::ChildOutput::CapturedWithErrors))
            return -2;
        for (std::string line; lint.readLine(line, 10000);)
            lines.push_back(line);
        return lint.wait(10000);
    };
    test::TempFolder scratch("gb-lint");
    const std::string file = scratch.file("defs.ini");
    {
        std::ofstream out(file, std::ios::binary);
        out << "[Caution Lights]\nHo\x1b[2Jok=1\n";
    }
    std::vector<std::string> lines;
    EXPECT_EQ(run({file}, lines), 3);
    bool quoted = false;
    for (const std::string& line : lines) {
        EXPECT_EQ(line.find('\x1b'), std::string::npos) << line;
        quoted = quoted || line.find("Ho\\x1B[2Jok") != std::string::npos;
    }
    EXPECT_TRUE(quoted) << testing::PrintToString(lines);

    // JSON escapes by its own rules, so it is left as the loader's report wrote it.
    lines.clear();
    EXPECT_EQ(run({"--json", file}, lines), 3);
    for (const std::string& line : lines) {
        EXPECT_EQ(line.find('\x1b'), std::string::npos) << line;
        EXPECT_EQ(line.find("\\x1B"), std::string::npos) << line;
    }

    lines.clear();
    EXPECT_EQ(run({"--\x1b[2J"}, lines), kLintUsageStatus);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "glowbridge-lint: unknown option --\\x1B[2J");

    lines.clear();
    EXPECT_EQ(run({"--version"}, lines), 0);
    ASSERT_EQ(lines.size(), 1u) << testing::PrintToString(lines);
    EXPECT_TRUE(std::regex_match(lines[0], std::regex("glowbridge-lint [0-9]+\\.[0-9]+\\.[0-9]+")))
        << lines[0];
}

} // namespace
} // namespace gb
