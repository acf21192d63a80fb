#pragma once

#include <memory>

class TDrawedElement;
class TGraphItem;

// The drawn item of a stored type id (11 to 17); null for any other id.
std::unique_ptr<TGraphItem> CreateDrawnItem(int typeId);

// The element a drawing tool of the toolbar places: 2 zoom rectangle,
// 3 horizontal line, 4 vertical line, 5 line, 6 arc, 7 fan, 8 time zones,
// 9 retracement; null for the pointer and the indicator tool.
std::unique_ptr<TGraphItem> CreateToolElement(int toolCode);
