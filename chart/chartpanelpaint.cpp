#include <QFontMetrics>
#include <QPainter>

#include "chartpanel.h"
#include "pendingslot.h"

void TChartPanel::Paint(QPainter &painter)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setFont(font);
    painter.fillRect(QRect(QPoint(0, 0), clientSize), toQColor(Color));
    xAxis->Paint(painter);
    for (const auto &area : areas) {
        area->LeftAxis->Paint(painter);
        area->RightAxis->Paint(painter);
        area->Paint(painter);
    }
    for (const auto &s : splitters)
        s->Paint(painter);
    painter.restore();
}

void TGraphArea::Paint(QPainter &painter)
{
    if (Width() <= 0 || Height() <= 0)
        return;
    painter.save();
    SavedOrigin = QPoint(Left, Top);
    painter.setClipRect(Rect());
    painter.translate(Left, Top);
    TDrawedElement *selected = Panel->Selected();
    TDrawedElement *heldBack = nullptr;
    const auto draw = [&](TDrawedElement *e) {
        if (e == selected) {
            heldBack = e;
            return;
        }
        // What is dragged or placed lives in the overlay, never in the picture.
        if (e->Has(ElementState::Dragging))
            return;
        painter.save();
        e->Draw(painter, *this);
        painter.restore();
    };
    for (const auto &ind : Indicators)
        draw(ind.get());
    for (const auto &item : Items)
        if (!item->Has(ElementState::Everywhere))
            draw(item.get());
    for (TGraphItem *item : Panel->EverywhereItems())
        draw(item);

    const QString title = Title();
    if (!title.isEmpty()) {
        QFont bold = painter.font();
        bold.setBold(true);
        painter.setFont(bold);
        painter.setPen(toQColor(LeftAxis->GridColor));
        painter.setBackgroundMode(Qt::TransparentMode);
        const QFontMetrics fm(bold);
        painter.drawText(2 * Panel->Settings.DigitWidth, Panel->Settings.LineHeight + fm.ascent(), title);
        painter.setFont(Panel->Font());
    }

    if (heldBack && !heldBack->Has(ElementState::Dragging)) {
        heldBack->SetState(ElementState::PenPrepared, false);
        painter.save();
        heldBack->Draw(painter, *this);
        painter.restore();
    }
    painter.restore();
}

QRect TChartPanel::OverlayRect() const
{
    return OverlayRegion().boundingRect();
}

QRegion TChartPanel::OverlayRegion() const
{
    QRegion r;
    const auto addElement = [&](const TDrawedElement *e) {
        const TGraphArea *own = e->Area();
        if (!own || IndexOfArea(own) < 0)
            return;
        if (e->Has(ElementState::Everywhere)) {
            for (const auto &area : areas)
                r += e->OverlayRegion(*area).translated(area->Left, area->Top) & area->Rect();
        } else {
            r += e->OverlayRegion(*own).translated(own->Left, own->Top) & own->Rect();
        }
    };
    if (PlacingHere())
        addElement(TPendingSlot::Get());
    if (selected && selected->Has(ElementState::Dragging) && dynamic_cast<const TGraphItem *>(selected))
        addElement(selected);
    if (const TSplitterArea *s = DraggedSplitter())
        r += QRect(chartRect.left(), s->Top + s->DragOffset, chartRect.width(), TSplitterArea::Thickness);
    return r;
}

void TChartPanel::paintSplitterBand(QPainter &painter, const TSplitterArea &s) const
{
    painter.fillRect(QRect(chartRect.left(), s.Top + s.DragOffset, chartRect.width(), TSplitterArea::Thickness),
                     QBrush(Qt::white, Qt::Dense4Pattern));
}

void TChartPanel::PaintOverlay(QPainter &painter)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setFont(font);
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    const auto drawIn = [&](TDrawedElement *e, TGraphArea &area) {
        painter.save();
        painter.setClipRect(area.Rect());
        painter.translate(area.Left, area.Top);
        e->Draw(painter, area);
        painter.restore();
    };
    const auto drawElement = [&](TDrawedElement *e) {
        TGraphArea *own = e->Area();
        if (!own || IndexOfArea(own) < 0)
            return;
        if (e->Has(ElementState::Everywhere)) {
            for (const auto &area : areas)
                drawIn(e, *area);
        } else {
            drawIn(e, *own);
        }
    };
    if (PlacingHere())
        drawElement(TPendingSlot::Get());
    if (selected && selected->Has(ElementState::Dragging) && dynamic_cast<TGraphItem *>(selected))
        drawElement(selected);
    if (const TSplitterArea *s = DraggedSplitter())
        paintSplitterBand(painter, *s);
    painter.restore();
}

QImage TChartPanel::Render(qreal devicePixelRatio)
{
    const QSize size = clientSize.isValid() ? clientSize : QSize(0, 0);
    QImage image((QSizeF(size) * devicePixelRatio).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(devicePixelRatio);
    if (image.isNull())
        return image;
    QPainter painter(&image);
    Paint(painter);
    return image;
}
