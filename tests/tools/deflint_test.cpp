#include "tools/deflint/lint.h"

#include "support/test_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
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

} // namespace
} // namespace gb
