#include "reference_cases.h"

#include "kelvra/ta_api.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

namespace kelvra::ta::test {
namespace {

constexpr std::size_t kGuard = 8;
constexpr double kSentinel = -123456789.25;

std::string describe(const JsonValue &params)
{
    std::string text;
    for (const auto &[name, value] : params.members) {
        if (!text.empty())
            text += ' ';
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%s=%.17g", name.c_str(), value.number);
        text += buffer;
    }
    return text;
}

int intParam(const JsonValue &params, const char *name)
{
    const JsonValue *value = params.find(name);
    return value ? static_cast<int>(value->number) : TA_INTEGER_DEFAULT;
}

double realParam(const JsonValue &params, const char *name)
{
    const JsonValue *value = params.find(name);
    return value ? value->number : TA_REAL_DEFAULT;
}

TA_MAType maParam(const JsonValue &params, const char *name)
{
    return static_cast<TA_MAType>(intParam(params, name));
}

// Output buffers sized for the requested range plus a guard band that must
// stay untouched past the reported count.
struct Outputs
{
    explicit Outputs(int start, int end)
    {
        const long long span = static_cast<long long>(end) - start + 1;
        size = static_cast<std::size_t>(std::max<long long>(span, 0)) + kGuard;
        for (auto &buffer : buffers)
            buffer.assign(size, kSentinel);
    }
    double *operator[](int i) { return buffers[i].data(); }
    std::size_t size;
    std::vector<double> buffers[3];
};

using Call = std::function<int(const Series &, const JsonValue &, int, int, int *, int *, Outputs &)>;

struct Entry
{
    int outputCount;
    Call call;
};

const std::map<std::string, Entry> &dispatchTable()
{
    static const std::map<std::string, Entry> table = [] {
        std::map<std::string, Entry> t;
        auto closeOnly = [&t](const char *name, auto fn) {
            t[name] = {1, [fn](const Series &s, const JsonValue &p, int a, int b, int *beg, int *nb,
                               Outputs &o) {
                           return static_cast<int>(fn(a, b, s.close.data(), intParam(p, "period"), beg, nb, o[0]));
                       }};
        };
        auto highLow = [&t](const char *name, auto fn) {
            t[name] = {1, [fn](const Series &s, const JsonValue &p, int a, int b, int *beg, int *nb,
                               Outputs &o) {
                           return static_cast<int>(fn(a, b, s.high.data(), s.low.data(), intParam(p, "period"),
                                                      beg, nb, o[0]));
                       }};
        };
        auto highLowClose = [&t](const char *name, auto fn) {
            t[name] = {1, [fn](const Series &s, const JsonValue &p, int a, int b, int *beg, int *nb,
                               Outputs &o) {
                           return static_cast<int>(fn(a, b, s.high.data(), s.low.data(), s.close.data(),
                                                      intParam(p, "period"), beg, nb, o[0]));
                       }};
        };
        t["MA"] = {1, [](const Series &s, const JsonValue &p, int a, int b, int *beg, int *nb, Outputs &o) {
                       return static_cast<int>(TA_MA(a, b, s.close.data(), intParam(p, "period"),
                                                     maParam(p, "method"), beg, nb, o[0]));
                   }};
        t["SAR"] = {1, [](const Series &s, const JsonValue &p, int a, int b, int *beg, int *nb, Outputs &o) {
                        return static_cast<int>(TA_SAR(a, b, s.high.data(), s.low.data(), realParam(p, "step"),
                                                       realParam(p, "maximum"), beg, nb, o[0]));
                    }};
        t["BBANDS"] = {3, [](const Series &s, const JsonValue &p, int a, int b, int *beg, int *nb, Outputs &o) {
                           return static_cast<int>(TA_BBANDS(a, b, s.close.data(), intParam(p, "period"),
                                                             realParam(p, "up"), realParam(p, "down"),
                                                             maParam(p, "method"), beg, nb, o[0], o[1], o[2]));
                       }};
        t["HT_TRENDLINE"] = {1, [](const Series &s, const JsonValue &, int a, int b, int *beg, int *nb,
                                   Outputs &o) {
                                 return static_cast<int>(TA_HT_TRENDLINE(a, b, s.close.data(), beg, nb, o[0]));
                             }};
        t["TRANGE"] = {1, [](const Series &s, const JsonValue &, int a, int b, int *beg, int *nb, Outputs &o) {
                           return static_cast<int>(TA_TRANGE(a, b, s.high.data(), s.low.data(), s.close.data(),
                                                             beg, nb, o[0]));
                       }};
        t["MACD"] = {3, [](const Series &s, const JsonValue &p, int a, int b, int *beg, int *nb, Outputs &o) {
                         return static_cast<int>(TA_MACD(a, b, s.close.data(), intParam(p, "fast"),
                                                         intParam(p, "slow"), intParam(p, "signal"), beg, nb,
                                                         o[0], o[1], o[2]));
                     }};
        t["STOCH"] = {2, [](const Series &s, const JsonValue &p, int a, int b, int *beg, int *nb, Outputs &o) {
                          return static_cast<int>(TA_STOCH(a, b, s.high.data(), s.low.data(), s.close.data(),
                                                           intParam(p, "fastk"), intParam(p, "slowk"),
                                                           maParam(p, "slowk_method"), intParam(p, "slowd"),
                                                           maParam(p, "slowd_method"), beg, nb, o[0], o[1]));
                      }};
        closeOnly("TRIX", TA_TRIX);
        closeOnly("MIDPOINT", TA_MIDPOINT);
        closeOnly("MOM", TA_MOM);
        closeOnly("ROC", TA_ROC);
        closeOnly("ROCP", TA_ROCP);
        closeOnly("ROCR", TA_ROCR);
        closeOnly("ROCR100", TA_ROCR100);
        closeOnly("RSI", TA_RSI);
        closeOnly("LINEARREG", TA_LINEARREG);
        closeOnly("LINEARREG_SLOPE", TA_LINEARREG_SLOPE);
        closeOnly("LINEARREG_ANGLE", TA_LINEARREG_ANGLE);
        closeOnly("LINEARREG_INTERCEPT", TA_LINEARREG_INTERCEPT);
        closeOnly("TSF", TA_TSF);
        highLow("MIDPRICE", TA_MIDPRICE);
        highLow("MINUS_DM", TA_MINUS_DM);
        highLow("PLUS_DM", TA_PLUS_DM);
        highLowClose("ATR", TA_ATR);
        highLowClose("ADX", TA_ADX);
        highLowClose("ADXR", TA_ADXR);
        highLowClose("CCI", TA_CCI);
        highLowClose("DX", TA_DX);
        highLowClose("MINUS_DI", TA_MINUS_DI);
        highLowClose("PLUS_DI", TA_PLUS_DI);
        highLowClose("WILLR", TA_WILLR);
        return t;
    }();
    return table;
}

void readFile(const std::filesystem::path &path, ReferenceSet &set)
{
    std::ifstream stream(path);
    if (!stream) {
        set.problems.push_back(path.string() + ": cannot be read");
        return;
    }
    set.files.push_back(path.string());
    const std::string name = path.filename().string();
    std::string line;
    int lineNo = 0;
    bool haveSeries = false;
    while (std::getline(stream, line)) {
        ++lineNo;
        if (line.find_first_not_of(" \t\r") == std::string::npos)
            continue;
        const std::string where = name + ":" + std::to_string(lineNo);
        std::optional<JsonValue> doc = parseJson(line);
        if (!doc || doc->kind != JsonValue::Kind::Object) {
            set.problems.push_back(where + ": not a JSON object");
            continue;
        }
        if (const JsonValue *series = doc->find("series")) {
            Series s;
            const JsonValue *open = series->find("open");
            const JsonValue *high = series->find("high");
            const JsonValue *low = series->find("low");
            const JsonValue *close = series->find("close");
            if (!high || !low || !close) {
                set.problems.push_back(where + ": series without high, low and close");
                continue;
            }
            s.open = open ? open->numbers() : std::vector<double>{};
            s.high = high->numbers();
            s.low = low->numbers();
            s.close = close->numbers();
            if (s.high.size() != s.close.size() || s.low.size() != s.close.size()) {
                set.problems.push_back(where + ": series arrays differ in length");
                continue;
            }
            set.series.push_back(std::move(s));
            haveSeries = true;
            continue;
        }
        if (!haveSeries) {
            set.problems.push_back(where + ": call before any series");
            continue;
        }
        const JsonValue *func = doc->find("func");
        const JsonValue *start = doc->find("start");
        const JsonValue *end = doc->find("end");
        const JsonValue *ret = doc->find("ret");
        if (!func || !start || !end || !ret) {
            set.problems.push_back(where + ": call without func, start, end or ret");
            continue;
        }
        ReferenceCase c;
        c.where = where;
        c.series = set.series.size() - 1;
        c.func = func->text;
        if (const JsonValue *params = doc->find("params"))
            c.params = *params;
        c.paramText = describe(c.params);
        c.start = static_cast<int>(start->number);
        c.end = static_cast<int>(end->number);
        c.ret = static_cast<int>(ret->number);
        if (c.ret == 0) {
            const JsonValue *begin = doc->find("begin");
            const JsonValue *count = doc->find("count");
            if (!begin || !count) {
                set.problems.push_back(where + ": success without begin and count");
                continue;
            }
            c.begin = static_cast<int>(begin->number);
            c.count = static_cast<int>(count->number);
            for (int i = 0; i < 3; ++i) {
                if (const JsonValue *out = doc->find("out" + std::to_string(i)))
                    c.outputs[i] = out->numbers();
            }
        }
        set.cases.push_back(std::move(c));
    }
}

} // namespace

ReferenceSet loadReferenceSet(const std::string &folder)
{
    ReferenceSet set;
    std::error_code ec;
    std::vector<std::filesystem::path> paths;
    for (const auto &entry : std::filesystem::directory_iterator(folder, ec)) {
        if (entry.is_regular_file() && entry.path().extension() == ".jsonl")
            paths.push_back(entry.path());
    }
    if (ec)
        set.problems.push_back(folder + ": " + ec.message());
    std::sort(paths.begin(), paths.end());
    for (const auto &path : paths)
        readFile(path, set);
    return set;
}

const ReferenceSet &referenceSet()
{
    static const ReferenceSet set = [] {
        const char *env = std::getenv("KELVRA_TA_REFERENCE_DIR");
        std::string folder = env && *env ? env : KELVRA_TA_REFERENCE_DIR_DEFAULT;
        return loadReferenceSet(folder);
    }();
    return set;
}

std::optional<CallResult> callFunction(const std::string &func, const Series &series,
                                       const JsonValue &params, int start, int end)
{
    const auto &table = dispatchTable();
    const auto it = table.find(func);
    if (it == table.end())
        return std::nullopt;
    Outputs outputs(start, end);
    CallResult result;
    result.outputCount = it->second.outputCount;
    result.ret = it->second.call(series, params, start, end, &result.begin, &result.count, outputs);
    if (result.ret != TA_SUCCESS)
        return result;
    const std::size_t count = result.count < 0 ? 0 : std::min<std::size_t>(result.count, outputs.size);
    for (int i = 0; i < result.outputCount; ++i) {
        const std::vector<double> &buffer = outputs.buffers[i];
        result.outputs[i].assign(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(count));
        for (std::size_t j = count; j < buffer.size(); ++j) {
            if (buffer[j] != kSentinel)
                result.wroteBeyondCount = true;
        }
    }
    return result;
}

const std::vector<std::string> &catalogueFunctions()
{
    static const std::vector<std::string> names = {
        "MA", "SAR", "TRIX", "BBANDS", "HT_TRENDLINE", "MIDPRICE", "MIDPOINT", "ATR",
        "TRANGE", "ADX", "ADXR", "CCI", "DX", "MINUS_DI", "MINUS_DM", "MOM",
        "PLUS_DI", "PLUS_DM", "ROC", "ROCP", "ROCR", "ROCR100", "RSI", "LINEARREG",
        "LINEARREG_SLOPE", "LINEARREG_ANGLE", "LINEARREG_INTERCEPT", "TSF", "WILLR", "MACD", "STOCH"};
    return names;
}

bool closeEnough(double actual, double expected)
{
    if (std::isnan(actual) || std::isnan(expected))
        return std::isnan(actual) && std::isnan(expected);
    const double diff = std::fabs(actual - expected);
    return diff <= 1e-12 || diff <= 1e-9 * std::max(std::fabs(actual), std::fabs(expected));
}

} // namespace kelvra::ta::test
