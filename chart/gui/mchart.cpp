#include "mchart.h"

#include <QActionGroup>
#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <QtEndian>

#include "barfile.h"
#include "catalogue.h"
#include "chartpanel.h"
#include "chartpanelwidget.h"
#include "chartstate.h"
#include "elementstream.h"
#include "extratexts.h"
#include "frmchoise.h"
#include "frmprop.h"
#include "inifile.h"
#include "languagetables.h"
#include "mainindicator.h"
#include "otherindicator.h"
#include "serdata.h"
#include "serieslist.h"
#include "sixbittext.h"

namespace {

const QString kGeometryKey = QStringLiteral("geometry");
const QString kStateKey = QStringLiteral("state");

bool usableSectionName(const QString &name)
{
    if (name.isEmpty())
        return false;
    for (QChar c : name)
        if (c < QChar(0x20) || c == QChar(0x7F) || c == u'[' || c == u']' || c == u'=' || c == u';' || c == u'#')
            return false;
    return true;
}

} // namespace

TMChart::TMChart(std::unique_ptr<TCurrencyParam> p, TChartContext ctx, QWidget *parent,
                 std::optional<QByteArrayView> record)
    : TFrmParam(nullptr, parent), context(std::move(ctx))
{
    Timeframe = p->Timeframe;
    InstrumentId = p->InstrumentId;
    SetTag(p->Key);
    param = std::move(p);
    series = context.Series ? context.Series->FindOrCreate(InstrumentId, Timeframe) : nullptr;
    InstrumentName = series ? series->InstrumentName : QString();

    // A stored chart is loaded into an empty panel; a new one starts with
    // the price on its own.
    auto panel = std::make_unique<TChartPanel>(series, [] { return MakeMainIndicator(); }, context.Patterns,
                                               record ? TChartPanel::Creation::Empty
                                                      : TChartPanel::Creation::NewChart);
    panel->ConfirmDelete = [this](const QString &name) {
        const QString question = QStringLiteral("Are you sure to delete \"%1\"?").arg(name);
        if (context.Confirm)
            return context.Confirm(this, question);
        return QMessageBox::question(this, QStringLiteral("Подтверждение"), question,
                                     QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
    };
    // Stored charts bring back the catalogue's indicators.
    panel->SetElementFactory([](int id) -> std::unique_ptr<TDrawedElement> {
        if (id >= GraphTypeId::FirstCatalogue)
            return CreateIndicator(id - GraphTypeId::FirstCatalogue);
        return nullptr;
    });
    panel->ChooseIndicatorPlacement = [this] {
        return context.ChoosePlacement ? context.ChoosePlacement(this) : TfrmChoise::Choose(this);
    };
    panel->OnIndicatorFailure = [this](const QString &text) {
        if (context.ShowStatus)
            context.ShowStatus(text);
    };
    // The properties dialog: a double click edits the selected element or
    // the axis (with "Accept"), a new indicator is edited before it joins.
    const auto properties = [this](TGraphBase *element, bool detached, bool showAccept) {
        return TfrmProp::Edit(TPropTarget(element, Panel(), this, detached), showAccept, this, context.RunProperties,
                              context.ShowError);
    };
    panel->OpenElementProperties = [properties](TDrawedElement *e) { properties(e, false, true); };
    panel->OpenAxisProperties = [properties](TOxyArea *axis) { properties(axis, false, true); };
    panel->EditNewIndicator = [properties](TGraphIndicator *ind) { return properties(ind, true, false); };
    if (record)
        loadRecord(panel, *record);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    if (panel) {
        panelWidget = new TChartPanelWidget(std::move(panel), this);
        layout->addWidget(panelWidget);
        panelWidget->Panel().SetCrosshair(context.Crosshair);
        connect(panelWidget, &TChartPanelWidget::crosshairChanged, this, [this] {
            if (context.CrosshairMoved)
                context.CrosshairMoved(this);
        });
    }
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    resize(614, 274);

    buildActions();
    if (panelWidget) {
        panelWidget->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(panelWidget, &QWidget::customContextMenuRequested, this,
                [this](const QPoint &at) { pm->popup(panelWidget->mapToGlobal(at)); });
    }
    if (panelWidget) {
        historyBox = new QWidget(panelWidget);
        historyBox->setAutoFillBackground(true);
        historyBox->setPalette(QToolTip::palette());
        auto *row = new QHBoxLayout(historyBox);
        row->setContentsMargins(4, 1, 1, 1);
        historyNote = new QLabel(historyBox);
        retryButton = new QToolButton(historyBox);
        retryButton->setAutoRaise(true);
        row->addWidget(historyNote);
        row->addWidget(retryButton);
        connect(retryButton, &QToolButton::clicked, this, [this] {
            if (context.Series && series)
                context.Series->RequestHistory(*series);
            UpdateHistoryNote();
        });
    }
    Retranslate();
    updateCaption();
    if (panelWidget)
        panelWidget->Refresh();
}

void TMChart::UpdateHistoryNote()
{
    if (!historyBox)
        return;
    const bool waiting = series && series->Ready == 0;
    const bool failed = series && !waiting && !series->HistoryError.isEmpty();
    if (!waiting && !failed) {
        historyBox->hide();
        return;
    }
    historyNote->setText(waiting ? ExtraText(TExtraText::HistoryLoading)
                                 : ExtraText(TExtraText::HistoryFailed).arg(series->HistoryError));
    retryButton->setText(ExtraText(TExtraText::HistoryRetry));
    retryButton->setVisible(failed);
    historyBox->adjustSize();
    historyBox->move(4, 4);
    historyBox->show();
    historyBox->raise();
}

void TMChart::loadRecord(std::unique_ptr<TChartPanel> &panel, QByteArrayView record)
{
    try {
        storedWindow = LoadChart(*panel, record);
        panel->Loaded();
    } catch (const std::exception &e) {
        // The window stays, empty, with the message; its stored value is
        // written back as it was, so nothing of it is lost.
        panel.reset();
        const QString text = QString::fromUtf8(e.what());
        QTimer::singleShot(0, this, [this, text] {
            if (context.ShowError)
                context.ShowError(this, text);
            else
                QMessageBox::critical(this, windowTitle(), text);
        });
    }
}

TMChart *TMChart::Restore(QMdiArea *mdi, const QString &text, const TChartContext &context)
{
    const std::vector<uint8_t> bytes = DecodeSixBitText(text.toStdString());
    if (bytes.size() < StateHeaderSize)
        return nullptr;
    const auto int32At = [&](size_t at) { return qFromLittleEndian<qint32>(bytes.data() + at); };
    const int timeframe = int32At(8);
    const int instrumentId = int32At(12);
    // The Tag is recomputed: the window's key is its instrument and timeframe.
    if (timeframe < 1 || timeframe > 6 || instrumentId <= 0)
        return nullptr;
    const int key = TCurrencyParam::KeyOf(instrumentId, timeframe);
    for (TMChart *other : Charts(mdi))
        if (other->Tag() == key)
            return nullptr;  // a second value for the same chart
    const QByteArrayView record(reinterpret_cast<const char *>(bytes.data()) + StateHeaderSize,
                                qsizetype(std::min<size_t>(bytes.size() - StateHeaderSize, MaxRecordSize)));
    auto *chart = new TMChart(std::make_unique<TCurrencyParam>(instrumentId, timeframe), context, nullptr, record);
    if (chart->InstrumentName.isEmpty()) {
        delete chart;
        return nullptr;
    }
    chart->restoreText = text;
    QMdiSubWindow *frame = mdi->addSubWindow(chart);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    const QRect screen = mdi->screen() ? mdi->screen()->availableGeometry() : QRect(0, 0, 4096, 4096);
    const TChartWindowState &w = chart->storedWindow;
    if (w.Width >= 100 && w.Height >= 60)
        frame->resize(std::min(int(w.Width), screen.width()), std::min(int(w.Height), screen.height()));
    else
        frame->resize(chart->size());
    chart->RestorePlacement();
    if (w.WindowState == 2)
        frame->showMaximized();
    else if (w.WindowState == 1)
        frame->showMinimized();
    else
        frame->show();
    return chart;
}

QString TMChart::SaveState() const
{
    // A record that did not load goes back exactly as it came.
    if (!panelWidget)
        return restoreText;
    QByteArray bytes(StateHeaderSize, '\0');
    qToLittleEndian<qint32>(Tag(), bytes.data());
    qToLittleEndian<qint32>(Timeframe, bytes.data() + 8);
    qToLittleEndian<qint32>(InstrumentId, bytes.data() + 12);
    TChartWindowState window;
    if (QMdiSubWindow *frame = Frame()) {
        window.WindowState = frame->isMaximized() ? 2 : frame->isMinimized() ? 1 : 0;
        const QRect g = window.WindowState ? frame->normalGeometry() : frame->geometry();
        window.Height = g.height();
        window.Width = g.width();
    }
    bytes += SaveChart(*Panel(), window);
    return QString::fromStdString(EncodeSixBitText(std::vector<uint8_t>(bytes.begin(), bytes.end())));
}

TMChart::~TMChart() = default;

TChartPanel *TMChart::Panel() const { return panelWidget ? &panelWidget->Panel() : nullptr; }

QList<TMChart *> TMChart::Charts(QMdiArea *mdi)
{
    QList<TMChart *> charts;
    for (TFrmParam *w : Windows(mdi))
        if (auto *c = qobject_cast<TMChart *>(w))
            charts << c;
    return charts;
}

TMChart *TMChart::Open(QMdiArea *mdi, int instrumentId, int timeframe, const TChartContext &context)
{
    TFrmParam *shown = ShowForParam(
        mdi, std::make_unique<TCurrencyParam>(instrumentId, timeframe),
        [](TFrmParam *w) { return qobject_cast<TMChart *>(w) != nullptr; },
        [mdi, &context](std::unique_ptr<TbaseParam> p) -> TFrmParam * {
            auto *currency = static_cast<TCurrencyParam *>(p.release());
            auto *chart = new TMChart(std::unique_ptr<TCurrencyParam>(currency), context);
            QMdiSubWindow *frame = mdi->addSubWindow(chart);
            frame->setAttribute(Qt::WA_DeleteOnClose);
            frame->resize(chart->size());
            chart->RestorePlacement();
            return chart;
        });
    return qobject_cast<TMChart *>(shown);
}

void TMChart::buildActions()
{
    pm = new QMenu(this);
    const auto add = [this](int captionIndex, std::function<void()> run) {
        auto *a = new QAction(this);
        captions.emplace_back(a, captionIndex);
        connect(a, &QAction::triggered, this, std::move(run));
        pm->addAction(a);
        return a;
    };
    ActionZoomIn = add(2, [this] {
        if (Panel())
            Panel()->ZoomIn();
    });
    ActionZoomOut = add(3, [this] {
        if (Panel())
            Panel()->ZoomOut();
    });
    pm->addSeparator();
    // The series holds bids only: the other price views have nothing to show.
    ActionViewAsk = add(82, [] {});
    ActionViewBid = add(83, [] {});
    ActionViewAskBid = add(81, [] {});
    ActionViewLast = add(84, [] {});
    for (QAction *a : {ActionViewAsk, ActionViewBid, ActionViewAskBid, ActionViewLast})
        a->setEnabled(false);
    pm->addSeparator();
    timeframes = new QActionGroup(this);
    const auto timeframe = [this, &add](int captionIndex, int code) {
        QAction *a = add(captionIndex, [this, code] { SwitchTimeframe(code); });
        a->setCheckable(true);
        a->setData(code);
        timeframes->addAction(a);
        return a;
    };
    AShowMinute = timeframe(59, 1);
    AShow5Minute = timeframe(11, 2);
    Ashow1hour = timeframe(9, 3);
    Ashow4hour = timeframe(10, 4);
    AShowDay = timeframe(40, 5);
    AShowWeek = timeframe(60, 6);
    pm->addSeparator();
    ActionToClipBoard = add(54, [this] {
        if (panelWidget)
            QGuiApplication::clipboard()->setImage(panelWidget->ChartImage());
    });
    addActions(pm->actions());
    updateTimeframeActions();
}

void TMChart::Retranslate()
{
    for (const auto &[action, index] : captions)
        action->setText(CaptionTextIn(IsEnglish(), index));
    UpdateHistoryNote();
}

void TMChart::updateCaption()
{
    setWindowTitle(QStringLiteral("%1, %2").arg(InstrumentName, timeframeSuffix(Timeframe)));
}

void TMChart::updateTimeframeActions()
{
    for (QAction *a : timeframes->actions())
        a->setChecked(a->data().toInt() == Timeframe);
}

void TMChart::Refresh()
{
    if (!panelWidget)
        return;
    try {
        panelWidget->Refresh();
    } catch (...) {
        // A chart must never break the other handlers of the same tick.
    }
}

bool TMChart::SwitchTimeframe(int timeframe)
{
    if (timeframe == Timeframe) {
        updateTimeframeActions();
        return true;
    }
    const int key = TCurrencyParam::KeyOf(InstrumentId, timeframe);
    if (auto *mdi = Frame() ? Frame()->mdiArea() : nullptr)
        for (TMChart *other : Charts(mdi))
            if (other != this && other->Tag() == key) {
                updateTimeframeActions();
                Open(mdi, InstrumentId, timeframe, context);
                return false;
            }
    SavePlacement();
    Timeframe = timeframe;
    SetTag(key);
    TakeParam(std::make_unique<TCurrencyParam>(InstrumentId, timeframe));
    series = context.Series ? context.Series->FindOrCreate(InstrumentId, timeframe) : nullptr;
    InstrumentName = series ? series->InstrumentName : QString();
    // Each indicator gives its buffers back to the old series and is
    // computed on the new one.
    if (panelWidget) {
        Panel()->SetSeries(series);
        panelWidget->Refresh();
    }
    updateCaption();
    UpdateHistoryNote();
    updateTimeframeActions();
    return true;
}

QString TMChart::PlacementSection() const
{
    const QString section = InstrumentName + timeframeSuffix(Timeframe);
    return usableSectionName(InstrumentName) ? section : QString();
}

void TMChart::SavePlacement()
{
    const QString section = PlacementSection();
    QMdiSubWindow *frame = Frame();
    if (section.isEmpty() || !context.Ini || !frame)
        return;
    const QRect g = frame->isMaximized() || frame->isMinimized() ? frame->normalGeometry() : frame->geometry();
    if (g.isValid())
        context.Ini->WriteString(section, kGeometryKey,
                                 QStringLiteral("%1,%2,%3,%4").arg(g.x()).arg(g.y()).arg(g.width()).arg(g.height()));
    context.Ini->WriteInteger(section, kStateKey, frame->isMaximized() ? 2 : frame->isMinimized() ? 1 : 0);
}

void TMChart::RestorePlacement()
{
    const QString section = PlacementSection();
    QMdiSubWindow *frame = Frame();
    if (section.isEmpty() || !context.Ini || !frame)
        return;
    const QStringList parts = context.Ini->ReadString(section, kGeometryKey).split(u',');
    if (parts.size() == 4) {
        bool ok[4];
        const QRect g(parts[0].toInt(&ok[0]), parts[1].toInt(&ok[1]), parts[2].toInt(&ok[2]), parts[3].toInt(&ok[3]));
        if (ok[0] && ok[1] && ok[2] && ok[3] && g.width() >= 100 && g.height() >= 60 && g.width() <= 20000 &&
            g.height() <= 20000)
            frame->setGeometry(g);
    }
    const int state = context.Ini->ReadInteger(section, kStateKey, 0);
    if (state == 2)
        frame->showMaximized();
}

void TMChart::closeEvent(QCloseEvent *event)
{
    SavePlacement();
    TFrmParam::closeEvent(event);
}
