// Every recorded call of the reference folder, repeated through the C
// interface: return code, outBegIdx and outNBElement exactly, values within
// the folder's tolerance.

#include "reference_cases.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

namespace kelvra::ta::test {
namespace {

constexpr int kReportedFailures = 12;

// Compares one call; empty when it agrees, else what differs.
std::string disagreement(const ReferenceCase &c, const Series &series)
{
    const std::optional<CallResult> got = callFunction(c.func, series, c.params, c.start, c.end);
    std::ostringstream why;
    if (!got)
        return "unknown function";
    if (got->ret != c.ret) {
        why << "ret " << got->ret << ", expected " << c.ret;
        return why.str();
    }
    if (c.ret != 0)
        return {};
    if (got->begin != c.begin || got->count != c.count) {
        why << "begin/count " << got->begin << "/" << got->count << ", expected " << c.begin << "/"
            << c.count;
        return why.str();
    }
    if (got->wroteBeyondCount)
        return "wrote past outNBElement";
    for (int i = 0; i < got->outputCount; ++i) {
        const std::vector<double> &expected = c.outputs[i];
        if (expected.size() != static_cast<std::size_t>(c.count)) {
            why << "reference out" << i << " has " << expected.size() << " values";
            return why.str();
        }
        for (std::size_t j = 0; j < expected.size(); ++j) {
            if (!closeEnough(got->outputs[i][j], expected[j])) {
                why.precision(17);
                why << "out" << i << "[" << j << "] (bar " << c.begin + static_cast<int>(j) << ") "
                    << got->outputs[i][j] << ", expected " << expected[j];
                return why.str();
            }
        }
    }
    return {};
}

class ReferenceFigures : public testing::TestWithParam<std::string>
{
};

TEST_P(ReferenceFigures, AgreeWithRecordedCalls)
{
    const ReferenceSet &set = referenceSet();
    ASSERT_FALSE(set.cases.empty()) << "no reference cases found";
    int checked = 0;
    int failed = 0;
    for (const ReferenceCase &c : set.cases) {
        if (c.func != GetParam())
            continue;
        ++checked;
        const std::string why = disagreement(c, set.series[c.series]);
        if (why.empty())
            continue;
        if (++failed <= kReportedFailures)
            ADD_FAILURE() << c.where << " " << c.func << " " << c.paramText << " start=" << c.start
                          << " end=" << c.end << ": " << why;
    }
    EXPECT_EQ(failed, 0) << failed << " of " << checked << " calls disagree";
    EXPECT_GT(checked, 0) << "no reference case for " << GetParam();
}

INSTANTIATE_TEST_SUITE_P(Catalogue, ReferenceFigures, testing::ValuesIn(catalogueFunctions()),
                         [](const testing::TestParamInfo<std::string> &info) { return info.param; });

TEST(ReferenceFolder, IsReadableAndCoversOnlyKnownFunctions)
{
    const ReferenceSet &set = referenceSet();
    ASSERT_FALSE(set.files.empty()) << "no .jsonl files in the reference folder";
    for (const std::string &problem : set.problems)
        ADD_FAILURE() << problem;
    const std::set<std::string> known(catalogueFunctions().begin(), catalogueFunctions().end());
    for (const ReferenceCase &c : set.cases)
        EXPECT_TRUE(known.count(c.func)) << c.where << ": unknown function " << c.func;
}

TEST(ReferenceFolder, MissingFolderYieldsNoCases)
{
    const ReferenceSet set = loadReferenceSet("/nonexistent/kelvra-ta-reference");
    EXPECT_TRUE(set.files.empty());
    EXPECT_TRUE(set.cases.empty());
    EXPECT_FALSE(set.problems.empty());
}

} // namespace
} // namespace kelvra::ta::test
