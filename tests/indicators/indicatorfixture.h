#pragma once

#include <memory>

#include "chartfixture.h"
#include "otherindicator.h"

// Bars of a seeded random walk around 1.2345, with flat and doji bars, so
// that every function of the catalogue has something to chew on.
std::unique_ptr<TSerData> RandomSeries(int bars, unsigned seed = 7);
void AppendRandomBars(TSerData &s, int bars, unsigned seed = 11);

// Catalogue entry n with its defaults on a series, computed over every bar.
std::unique_ptr<TOtherIndicator> Computed(int n, TSerData &s);

// The output values of an indicator over its computed range.
std::vector<double> ComputedValues(const TOtherIndicator &ind, int output);
