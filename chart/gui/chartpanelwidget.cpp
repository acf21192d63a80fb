#include "chartpanelwidget.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QToolTip>
#include <QWheelEvent>

namespace {

Qt::CursorShape QtCursor(ChartCursor c)
{
    switch (c) {
    case ChartCursor::VSplit:
        return Qt::SplitVCursor;
    case ChartCursor::SizeNS:
        return Qt::SizeVerCursor;
    case ChartCursor::SizeEW:
        return Qt::SizeHorCursor;
    case ChartCursor::SizeAll:
        return Qt::SizeAllCursor;
    case ChartCursor::Cross:
        return Qt::CrossCursor;
    case ChartCursor::Drag:
        return Qt::DragMoveCursor;
    case ChartCursor::Arrow:
        break;
    }
    return Qt::ArrowCursor;
}

} // namespace

TChartPanelWidget::TChartPanelWidget(std::unique_ptr<TChartPanel> p, QWidget *parent)
    : QWidget(parent), panel(std::move(p)), scrollBar(new QScrollBar(Qt::Horizontal, this))
{
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    scrollBar->setFocusPolicy(Qt::NoFocus);
    scrollBar->setFixedHeight(TChartPanel::ScrollBarHeight);
    connect(scrollBar, &QScrollBar::valueChanged, this, [this](int value) {
        if (!panel->ScrollUpdating())
            panel->ScrollBarChanged(value);
    });
    panel->OnRepaint = [this] { update(); };
    panel->OnOverlay = [this](const QRect &r) { update(r.adjusted(-1, -1, 1, 1)); };
    panel->OnScrollChanged = [this] { mirrorScrollBar(); };
    panel->OnCrosshair = [this] {
        update();
        emit crosshairChanged();
    };
    layoutChildren();
    mirrorScrollBar();
}

TChartPanelWidget::~TChartPanelWidget()
{
    // The model may call back while it is torn down: nothing of this widget
    // is reached from there any more.
    panel->OnRepaint = nullptr;
    panel->OnOverlay = nullptr;
    panel->OnScrollChanged = nullptr;
    panel->OnCrosshair = nullptr;
}

void TChartPanelWidget::layoutChildren()
{
    const int h = TChartPanel::ScrollBarHeight;
    scrollBar->setGeometry(0, qMax(0, height() - h), width(), h);
    panel->SetClientSize(QSize(width(), qMax(0, height() - h)));
}

void TChartPanelWidget::mirrorScrollBar()
{
    const QSignalBlocker block(scrollBar);
    scrollBar->setRange(panel->ScrollMinimum(), qMax(panel->ScrollMinimum(), panel->ScrollMaximum()));
    scrollBar->setPageStep(qMax(1, panel->ScrollPageStep()));
    scrollBar->setValue(panel->ScrollPosition());
}

void TChartPanelWidget::Refresh()
{
    panel->Refresh();
    mirrorScrollBar();
    update();
}

void TChartPanelWidget::updateCache()
{
    const qreal ratio = devicePixelRatioF();
    const QSize size = panel->ClientSize();
    if (!cache.isNull() && cacheRevision == panel->Revision() && cache.deviceIndependentSize().toSize() == size)
        return;
    cache = panel->Render(ratio);
    cacheRevision = panel->Revision();
}

QImage TChartPanelWidget::ChartImage()
{
    updateCache();
    return cache;
}

void TChartPanelWidget::paintEvent(QPaintEvent *event)
{
    updateCache();
    QPainter painter(this);
    painter.setClipRect(event->rect());
    if (!cache.isNull())
        painter.drawImage(QPoint(0, 0), cache);
    panel->PaintOverlay(painter);
    panel->PaintCrosshair(painter);
}

void TChartPanelWidget::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutChildren();
    update();
}

void TChartPanelWidget::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (const QScreen *s = screen())
        panel->SetPixelAspect(TChartPanel::PixelAspectFromDpi(s->physicalDotsPerInchX(), s->physicalDotsPerInchY()));
}

void TChartPanelWidget::afterMouse()
{
    const ChartCursor shape = panel->CursorShape();
    setCursor(QtCursor(panel->CrosshairShown() && shape == ChartCursor::Arrow ? ChartCursor::Cross : shape));
    if (panel->HintVisible() && !panel->HintText().isEmpty()) {
        QString text = panel->HintText();
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        if (text != shownHint || !QToolTip::isVisible()) {
            shownHint = text;
            QToolTip::showText(mapToGlobal(panel->HintPoint()), text.trimmed(), this);
        }
    } else if (!shownHint.isEmpty()) {
        shownHint.clear();
        QToolTip::hideText();
    }
    mirrorScrollBar();
}

void TChartPanelWidget::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    panel->MouseDown(event->position().toPoint(), event->button(), event->modifiers());
    afterMouse();
}

void TChartPanelWidget::mouseMoveEvent(QMouseEvent *event)
{
    panel->MouseMove(event->position().toPoint(), event->buttons(), event->modifiers());
    afterMouse();
}

void TChartPanelWidget::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    panel->MouseUp(event->position().toPoint(), event->button(), event->modifiers());
    afterMouse();
}

void TChartPanelWidget::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseDoubleClickEvent(event);
        return;
    }
    panel->DoubleClick(event->position().toPoint(), event->button());
    afterMouse();
}

void TChartPanelWidget::keyPressEvent(QKeyEvent *event)
{
    if (panel->KeyPress(event->key(), event->modifiers())) {
        mirrorScrollBar();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TChartPanelWidget::wheelEvent(QWheelEvent *event)
{
    panel->Wheel(event->angleDelta().y(), event->modifiers());
    mirrorScrollBar();
    event->accept();
}

void TChartPanelWidget::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    panel->CrosshairLeave();
    if (!shownHint.isEmpty()) {
        shownHint.clear();
        QToolTip::hideText();
    }
}
