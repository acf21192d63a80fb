#include "itemfactory.h"

#include "fibbelements.h"
#include "hvlines.h"
#include "zoomelement.h"

std::unique_ptr<TGraphItem> CreateDrawnItem(int typeId)
{
    switch (typeId) {
    case GraphTypeId::SimpleLine: return std::make_unique<TSimpleLine>();
    case GraphTypeId::FibbArc: return std::make_unique<TFibbArc>();
    case GraphTypeId::FibbFan: return std::make_unique<TFibbFan>();
    case GraphTypeId::FibbLine: return std::make_unique<TFibbLine>();
    case GraphTypeId::HLine: return std::make_unique<THLine>();
    case GraphTypeId::VLine: return std::make_unique<TVLine>();
    case GraphTypeId::FibbZone: return std::make_unique<TFibbZone>();
    default: return nullptr;
    }
}

std::unique_ptr<TGraphItem> CreateToolElement(int toolCode)
{
    switch (toolCode) {
    case 2: return std::make_unique<TZoomElement>();
    case 3: return CreateDrawnItem(GraphTypeId::HLine);
    case 4: return CreateDrawnItem(GraphTypeId::VLine);
    case 5: return CreateDrawnItem(GraphTypeId::SimpleLine);
    case 6: return CreateDrawnItem(GraphTypeId::FibbArc);
    case 7: return CreateDrawnItem(GraphTypeId::FibbFan);
    case 8: return CreateDrawnItem(GraphTypeId::FibbZone);
    case 9: return CreateDrawnItem(GraphTypeId::FibbLine);
    default: return nullptr;
    }
}
