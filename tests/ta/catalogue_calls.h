#pragma once

// Every catalogue function behind one calling shape, with parameter sets
// that TA-Lib accepts and ones it refuses, and sample bars to feed them.

#include <functional>
#include <string>
#include <vector>

namespace kelvra::ta::test {

struct Bars
{
    std::vector<double> high, low, close;
    int size() const { return static_cast<int>(close.size()); }
};

// A deterministic EUR-like random walk with flat stretches and doji bars.
Bars sampleBars(int count, unsigned seed = 7, double base = 1.2345);
Bars constantBars(int count, double price);

struct Inputs
{
    const double *high;
    const double *low;
    const double *close;
};

struct Invocation
{
    std::string label;   // function and parameters, for messages
    std::string func;    // name without the TA_ prefix
    int outputs = 1;
    bool refused = false; // parameters outside TA-Lib's ranges
    bool singleInput = false; // reads only the closes
    int period = 0;      // the main period, 0 where none applies
    std::function<int()> lookback;
    std::function<int(int start, int end, Inputs in, int *beg, int *nb, double *o0, double *o1,
                      double *o2)>
        call;
};

const std::vector<Invocation> &invocations();

} // namespace kelvra::ta::test
