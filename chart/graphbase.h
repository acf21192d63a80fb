#pragma once

#include <cstdint>

#include <QPoint>
#include <QRect>
#include <QString>

class QPainter;
class TChartPanel;
class TElementReader;
class TElementWriter;

// Type ids of the chart classes; every record carries its own.
namespace GraphTypeId {
constexpr int DrawedElement = 1;
constexpr int GraphItem = 2;
constexpr int BaseArea = 3;
constexpr int OxyArea = 5;
constexpr int OxyXArea = 6;
constexpr int OxyYArea = 7;
constexpr int SplitterArea = 8;
constexpr int GraphArea = 9;
constexpr int ZoomElement = 10;
constexpr int SimpleLine = 11;
constexpr int FibbArc = 12;
constexpr int FibbFan = 13;
constexpr int FibbLine = 14;
constexpr int HLine = 15;
constexpr int VLine = 16;
constexpr int FibbZone = 17;
constexpr int MainIndicator = 999;
constexpr int FirstCatalogue = 1000;  // 1000 + catalogue entry
} // namespace GraphTypeId

// Base of everything a chart draws. The virtual operations keep the order
// the element records and the later element classes are written against:
// 0 hint text, 1 display name, 2 save, 3 load.
class TGraphBase {
public:
    explicit TGraphBase(int typeId) : TypeId(typeId) {}
    virtual ~TGraphBase() = default;
    TGraphBase(const TGraphBase &) = delete;
    TGraphBase &operator=(const TGraphBase &) = delete;

    int TypeId;
    QString Name;

    // 0: the hint for a bar index (base: the name).
    virtual QString HintText(int bar) const;
    // 1: the name the user sees (base: the name).
    virtual QString DisplayName() const;
    // 2/3: the record; `full` adds the per-chart fields, a style record
    // (pattern store) leaves them out. Base: the common header.
    virtual void Save(TElementWriter &w, bool full) const;
    virtual void Load(TElementReader &r, bool full);

    // "ID:%4d" of the type id, always 7 characters.
    static QByteArray Tag(int typeId);
};

// A rectangular part of the panel: an axis, a splitter or an area. Bounds are
// panel coordinates, Left ≤ x < Right, Top ≤ y < Bottom.
class TGraphBaseArea : public TGraphBase {
public:
    TGraphBaseArea(int typeId, TChartPanel *panel) : TGraphBase(typeId), Panel(panel) {}

    QPoint DownPoint;       // where the last press on this part was
    QPoint SavedOrigin;     // painter origin while painting this part
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    TChartPanel *Panel;

    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    QRect Rect() const { return QRect(Left, Top, Right - Left, Bottom - Top); }
    bool Contains(QPoint p) const { return p.x() >= Left && p.x() < Right && p.y() >= Top && p.y() < Bottom; }
    void SetBounds(int left, int top, int right, int bottom);

    // Mouse hooks, panel coordinates. Base: remember the press.
    virtual void MouseDown(QPoint p);
    virtual void MouseMove(QPoint p);
    virtual void MouseUp(QPoint p);
    // Paints the part (panel coordinates). Base: nothing.
    virtual void Paint(QPainter &painter);
};
