#pragma once

#include <memory>

#include <QStringList>

class TOtherIndicator;

// The fixed list of technical indicators a user can put on a chart. Entry n
// has the type id 1000 + n.
constexpr int CatalogueCount = 31;

// "Moving Average", "Parabolic SAR", …: the main window's indicator list and
// each new indicator's display name.
const QStringList &CatalogueLongNames();
// "MA", "P SAR", …: the titles of the chart areas.
const QStringList &CatalogueShortNames();
// Entry n's short name; empty outside the catalogue.
QString CatalogueShortName(int n);
// The choices of every "Method" parameter; the index is TA-Lib's moving-
// average type.
const QStringList &MovingAverageMethods();

// A new indicator of entry n with its defaults, named by entry n of `names`
// (the long names); null when n is outside the catalogue.
std::unique_ptr<TOtherIndicator> CreateIndicator(int n, const QStringList &names = CatalogueLongNames());
