#pragma once

// The chart panel model: one quote series shown in stacked areas with price
// axes on both sides, a time axis along the bottom and 4-pixel splitters.
// It is not a widget; a widget drives it like this:
//
// - Size: SetClientSize(size of the panel without its scroll bar), and
//   SetPixelAspect(PixelAspectFromDpi(physical dpi x, y)) once shown.
// - Painting: keep a QImage cache at the device's resolution. Rebuild it with
//   Paint(painter) when Revision() differs from the cache's revision or the
//   size changed; every paintEvent blits the cache and then calls
//   PaintOverlay(painter), which draws the transient things (element being
//   placed or dragged, splitter band) with RasterOp_SourceXorDestination.
//   Never draw the overlay into the cache.
// - Hooks: OnRepaint (model or view changed: update the whole widget),
//   OnOverlay(rect) (only these panel pixels changed: update(rect); called
//   once per rectangle of the changed region, an outline being thin strips),
//   OnScrollChanged (mirror ScrollMinimum/Maximum/Position/PageStep into the
//   QScrollBar with its signals blocked). On a user move of the scroll bar
//   call ScrollBarChanged(value).
// - Mouse (panel coordinates): MouseDown/MouseUp for the left button,
//   MouseMove always (mouse tracking on), DoubleClick for the double-click
//   event (it replaces the second press). Afterwards read CursorShape(),
//   HintText()/HintVisible()/HintPoint(); the hint's "\r" are line breaks.
// - Keyboard and wheel: KeyPress(key, modifiers) returns whether the key was
//   consumed (Delete on the price is not); Wheel(angleDeltaY, modifiers).
// - ConfirmDelete(name) asks the user (default: yes); OpenElementProperties
//   and OpenAxisProperties open the dialogs on a double click.
// - Refresh() on every change of the series; SetSeries to switch series.
// - Tools: TPendingSlot::Set(element) arms a tool (give a new element the
//   pattern store's style first); TPendingSlot::SetOnEmptied tells when the
//   slot empties (placed, discarded on release, zoom done) so the Pointer
//   tool can be checked again. A pending indicator released on an area runs
//   PlaceNewIndicator: ChooseIndicatorPlacement asks where (the placement
//   dialog), EditNewIndicator lets the user edit it before it is attached.
//   TMainIndicator::SetDefaultServerTime gives the price hints the server's
//   clock.
// - OnIndicatorFailure(text) reports an indicator whose recalculation
//   failed (once, when it starts failing); it stays uncomputed meanwhile.
// - Every view operation (scroll, zoom, areas) ends in OnRepaint itself.

#include <functional>
#include <memory>
#include <vector>

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QSize>
#include <QString>

#include "axes.h"
#include "chartdraw.h"
#include "drawedelement.h"
#include "grapharea.h"

class QPainter;
class TPatternMenager;
class TSerData;

// The panel settings block kept in a chart's record (14 bytes).
struct TPanelSettings {
    uint8_t LeftVisible = 1;
    uint8_t RightVisible = 1;
    int32_t LineHeight = 0;
    int32_t DigitWidth = 0;
    int32_t AxisWidth = 0;

    static constexpr int BlockSize = 14;
    void Save(TElementWriter &w) const;
    void Load(TElementReader &r);
};

enum class ChartCursor { Arrow, VSplit, SizeNS, SizeEW, SizeAll, Cross, Drag };

class TChartPanel {
public:
    using IndicatorFactory = std::function<std::unique_ptr<TGraphIndicator>()>;
    // Builds the element of a type id for a record being loaded (null when
    // the id is unknown).
    using ElementFactory = std::function<std::unique_ptr<TDrawedElement>(int typeId)>;

    enum class Creation { NewChart, Empty };

    static constexpr int DefaultRightMargin = 10;
    static constexpr int DefaultVisibleCount = 100;
    static constexpr int MinVisibleCount = 3;
    static constexpr int ScrollBarHeight = 14;

    // NewChart: time axis and one area with the pattern store's styles, the
    // price indicator from `makePrice` on its right axis, the newest bars in
    // view. Empty: no areas (a saved chart is loaded into it).
    TChartPanel(TSerData *series, IndicatorFactory makePrice,
                TPatternMenager *patterns, Creation creation = Creation::NewChart);
    ~TChartPanel();
    TChartPanel(const TChartPanel &) = delete;
    TChartPanel &operator=(const TChartPanel &) = delete;

    // ---- configuration
    TSerData *Series() const { return series; }
    // Shows another series (a timeframe switch): indicators take it, the view
    // goes to the newest bar.
    void SetSeries(TSerData *s);
    TPatternMenager *Patterns() const { return patterns; }
    void SetElementFactory(ElementFactory f) { elementFactory = std::move(f); }
    std::unique_ptr<TDrawedElement> MakeElement(int typeId) const;
    std::unique_ptr<TGraphIndicator> MakePriceIndicator() const;
    void SetFont(const QFont &f);
    QFont Font() const { return font; }
    void SetPixelAspect(double aspect) { pixelAspect = aspect; }
    double PixelAspect() const { return pixelAspect; }
    // (vertical mm per pixel) / (horizontal mm per pixel), 1.0 when the
    // screen reports a ratio outside 0.8 … 1.25 or nonsense.
    static double PixelAspectFromDpi(double dpiX, double dpiY);

    // ---- fields
    TColor Color = ChartColors::Black;   // background
    int RightMargin = DefaultRightMargin;
    TPanelSettings Settings;
    int FirstVisible = 0;
    int VisibleCount = DefaultVisibleCount;

    TOxyXArea *XAxis() const { return xAxis.get(); }
    int AreaCount() const { return int(areas.size()); }
    TGraphArea *Area(int i) const { return areas[size_t(i)].get(); }
    int IndexOfArea(const TGraphArea *a) const;
    int SplitterCount() const { return int(splitters.size()); }
    TSplitterArea *Splitter(int i) const { return splitters[size_t(i)].get(); }
    QRect ChartRect() const { return chartRect; }
    QSize ClientSize() const { return clientSize; }
    const std::vector<TGraphItem *> &EverywhereItems() const { return everywhere; }

    // ---- geometry
    void SetClientSize(QSize size);   // lays out
    void Layout();                    // metrics, axes, areas
    void CalcScales();                // horizontal, then every Y axis
    // Indicators recomputed, scroll bar, ranges, scales; skipped while the
    // pending element is being placed here. Never throws.
    void Recalculate();
    // Recalculate, lay out, repaint: on every change of the series.
    void Refresh();
    static double NiceStep(double s);
    int BarCount() const;

    // ---- scrolling and zoom
    void SetFirstVisible(int n);
    void SetVisibleCount(int n);
    void ZoomKeepRight(int n);
    // First visible bar and visible count in one step (the zoom rectangle).
    void ZoomTo(int first, int count);
    void ScrollBy(int bars);            // positive: towards newer bars
    void ZoomIn();                      // 1.5× fewer bars, right edge kept
    void ZoomOut();                     // 1.5× more bars
    void ScrollHome();                  // oldest bar
    void ScrollEnd();                   // newest bar
    int ScrollMinimum() const { return 0; }
    int ScrollMaximum() const { return scrollMax; }
    int ScrollPosition() const { return scrollPos; }
    int ScrollPageStep() const { return VisibleCount; }
    bool ScrollUpdating() const { return scrollUpdating; }
    // The user moved the scroll bar.
    void ScrollBarChanged(int position);

    // ---- areas and indicators
    TGraphArea *AddArea();   // below the others, with the pattern store's styles
    void RemoveArea(TGraphArea *area);
    // Attaches an indicator on the axis of `side` (1 left, 0 right); items of
    // other areas bound to it follow. Returns the attached indicator.
    TGraphIndicator *AttachIndicator(TGraphArea *area, std::unique_ptr<TGraphIndicator> ind,
                                     uint8_t side, bool applyPattern = true);
    void MoveIndicator(TGraphIndicator *ind, TGraphArea *target);
    // Puts an attached indicator on its area's left (1) or right (0) axis;
    // the items bound to it follow within the area.
    void SetIndicatorSide(TGraphIndicator *ind, uint8_t side);
    // Where a new indicator goes (the indicator tool released on `area`):
    // it takes the series, the user chooses the place and edits it, and it
    // joins `area` on the left (1) or right (2) axis or a new area below the
    // others (3); a cancel frees it and leaves the chart as it was.
    // Returns the attached indicator or null.
    TGraphIndicator *PlaceNewIndicator(std::unique_ptr<TGraphIndicator> ind, TGraphArea *area);
    // Joins an item to an area (placing ends).
    TGraphItem *AttachItem(TGraphArea *area, std::unique_ptr<TGraphItem> item, bool applyPattern = true);
    // Deletes an element and drops every reference the panel holds to it;
    // removes its area when it was the area's last indicator.
    void DeleteElement(TDrawedElement *e);
    // The first area holding the price indicator (null when none).
    TGraphArea *PriceArea() const;
    TGraphIndicator *PriceIndicator() const;
    // Appends an area built elsewhere (loading), with its splitter.
    TGraphArea *AppendArea(std::unique_ptr<TGraphArea> area);
    // A stored chart was loaded into this empty panel: the view stands as
    // stored (scroll bar, layout, indicators computed) and it repaints.
    void Loaded();

    // ---- selection and the parts under the mouse
    TDrawedElement *Selected() const { return selected; }
    void Select(TDrawedElement *e);   // null clears
    TGraphBaseArea *Captured() const { return captured; }
    TGraphIndicator *DraggedIndicator() const { return dragCandidate; }
    void SetDraggedIndicator(TGraphIndicator *ind) { dragCandidate = ind; }
    // Areas (area, right axis, left axis), splitters, the X axis.
    TGraphBaseArea *PartAt(QPoint p) const;
    TGraphArea *AreaAt(QPoint p) const;
    // The area at the panel's horizontal middle on row y.
    TGraphArea *AreaAtRow(int y) const;
    bool PlacingHere() const;   // the pending element started placing here

    // ---- painting
    void Paint(QPainter &painter);          // the whole chart
    void PaintOverlay(QPainter &painter);   // transient, inverting
    QRect OverlayRect() const;              // panel pixels the overlay covers
    QRegion OverlayRegion() const;          // the same, as the pixels touched
    QImage Render(qreal devicePixelRatio = 1.0);  // Paint into a new image
    quint64 Revision() const { return revision; }

    // ---- mouse and keyboard (panel coordinates)
    void MouseDown(QPoint p, Qt::MouseButton button = Qt::LeftButton,
                   Qt::KeyboardModifiers mods = Qt::NoModifier);
    void MouseMove(QPoint p, Qt::MouseButtons buttons = Qt::NoButton,
                   Qt::KeyboardModifiers mods = Qt::NoModifier);
    void MouseUp(QPoint p, Qt::MouseButton button = Qt::LeftButton,
                 Qt::KeyboardModifiers mods = Qt::NoModifier);
    void DoubleClick(QPoint p, Qt::MouseButton button = Qt::LeftButton);
    // Delete the selected element after confirmation; false (not consumed)
    // when nothing or the price is selected.
    bool KeyDelete();
    // Delete, Left/Right (one bar), Page Up/Down (a page), Home/End, +/-.
    bool KeyPress(int key, Qt::KeyboardModifiers mods = Qt::NoModifier);
    // Scrolls by 120ths of a notch; with Ctrl zooms.
    void Wheel(int angleDeltaY, Qt::KeyboardModifiers mods = Qt::NoModifier);

    ChartCursor CursorShape() const { return cursor; }
    QString HintText() const { return hint; }
    bool HintVisible() const { return hintVisible; }
    QPoint HintPoint() const { return hintPoint; }
    bool IgnoreNextDown() const { return ignoreNextDown; }

    // ---- crosshair (off by default; chartcrosshair.cpp)
    // Dotted lines through the mouse with the price at the mouse on the
    // price axis and the bar's time on the time axis, in highlighted labels.
    // The widget paints it after the overlay, never into the cached image.
    void SetCrosshair(bool on);
    bool Crosshair() const { return crosshairOn; }
    void CrosshairLeave();                 // the mouse left the panel
    bool CrosshairShown() const;           // on, and the mouse over an area
    QPoint CrosshairPoint() const { return crosshairAt; }
    // The bar under the crosshair within the series, else -1.
    int CrosshairBar() const;
    // The value at the crosshair on its area's right axis (the left one
    // when the right has no scale); false when neither has one.
    bool CrosshairValue(double &value) const;
    void PaintCrosshair(QPainter &painter) const;
    // The data window's rows for a bar: time, open, high, low, close, then
    // every computed indicator line by its short name. Empty outside the series.
    std::vector<std::pair<QString, QString>> DataAt(int bar) const;

    // ---- hooks
    std::function<void()> OnRepaint;
    std::function<void()> OnCrosshair;  // moved, shown or hidden
    std::function<void(const QRect &)> OnOverlay;
    std::function<void()> OnScrollChanged;
    std::function<bool(const QString &displayName)> ConfirmDelete;   // default yes
    std::function<void(TDrawedElement *)> OpenElementProperties;
    std::function<void(TOxyArea *)> OpenAxisProperties;
    // 0 cancelled, 1 scale on the left, 2 on the right, 3 new area; unset:
    // a new area.
    std::function<int()> ChooseIndicatorPlacement;
    // The new indicator's properties, before it is attached; false cancels.
    // Unset: confirmed.
    std::function<bool(TGraphIndicator *)> EditNewIndicator;
    std::function<void(const QString &text)> OnIndicatorFailure;

    // ---- for the parts (not for the widget)
    void Repaint();                          // revision++ and OnRepaint
    void OverlayChanged(const QRegion &before); // repaint old and new overlay
    void SetCursor(ChartCursor c) { cursor = c; }
    void ShowHint(const QString &text, QPoint p);
    void HideHint();
    void SetCaptured(TGraphBaseArea *part) { captured = part; }
    TSplitterArea *DraggedSplitter() const;
    // Applies a vertical scale to an axis, clamped; an axis sharing its
    // partner's range shares its scale too.
    void SetAxisScale(TOxyYArea *axis, double scale);
    // Reference drops when something goes (area removed, element freed).
    void Forget(const TDrawedElement *e);
    void ForgetArea(const TGraphArea *area);

private:
    void createNew();
    void updateScrollBar(bool toEndIfAtEnd);
    void recalcIndicators();
    void layoutAreas();
    void notifyScroll();
    int maxVisibleCount() const;
    void paintSplitterBand(QPainter &painter, const TSplitterArea &s) const;

    TSerData *series;
    IndicatorFactory makePrice;
    ElementFactory elementFactory;
    TPatternMenager *patterns;
    QFont font;
    double pixelAspect = 1.0;
    QSize clientSize;
    QRect chartRect;

    std::unique_ptr<TOxyXArea> xAxis;
    std::vector<std::unique_ptr<TGraphArea>> areas;
    std::vector<std::unique_ptr<TSplitterArea>> splitters;
    std::vector<TGraphItem *> everywhere;   // not owning

    TGraphBaseArea *captured = nullptr;
    TDrawedElement *selected = nullptr;
    TGraphIndicator *dragCandidate = nullptr;
    bool ignoreNextDown = false;
    bool scrollUpdating = false;
    int scrollMax = 0;
    int scrollPos = 0;

    ChartCursor cursor = ChartCursor::Arrow;
    QString hint;
    bool hintVisible = false;
    QPoint hintPoint;
    quint64 revision = 1;
    int wheelRest = 0;
    bool crosshairOn = false;
    bool crosshairInside = false;
    QPoint crosshairAt;
    void crosshairMoved(QPoint p);
    TOxyYArea *crosshairAxis(const TGraphArea *area) const;
};
