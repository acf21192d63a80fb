#pragma once

// The reference figures: bar series and recorded calls read from the
// .jsonl files of a folder, and a dispatcher that repeats a recorded call
// through the C interface.

#include "json_value.h"

#include <optional>
#include <string>
#include <vector>

namespace kelvra::ta::test {

struct Series
{
    std::vector<double> open, high, low, close;
};

struct ReferenceCase
{
    std::string where; // file:line, for messages
    std::size_t series = 0;
    std::string func;
    JsonValue params;
    std::string paramText;
    int start = 0;
    int end = 0;
    int ret = 0;
    int begin = 0;
    int count = 0;
    std::vector<double> outputs[3];
};

struct ReferenceSet
{
    std::vector<std::string> files;
    std::vector<Series> series;
    std::vector<ReferenceCase> cases;
    std::vector<std::string> problems; // unreadable files or lines
};

// The folder named by KELVRA_TA_REFERENCE_DIR (environment first, then the
// build's setting), read once per test run.
const ReferenceSet &referenceSet();
ReferenceSet loadReferenceSet(const std::string &folder);

struct CallResult
{
    int ret = 0;
    int begin = -1;
    int count = -1;
    int outputCount = 0;
    std::vector<double> outputs[3];
    bool wroteBeyondCount = false; // an output slot past count was touched
};

// Repeats one call; nothing when the function name is unknown.
std::optional<CallResult> callFunction(const std::string &func, const Series &series,
                                       const JsonValue &params, int start, int end);

// The 31 functions of the catalogue, by their names without the TA_ prefix.
const std::vector<std::string> &catalogueFunctions();

// Agreement as the reference folder defines it.
bool closeEnough(double actual, double expected);

} // namespace kelvra::ta::test
