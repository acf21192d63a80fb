#include <gtest/gtest.h>

#include <cmath>

#include <QClipboard>
#include <QLabel>
#include <QToolButton>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QRadioButton>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTest>

#include "catalogue.h"
#include "chartpanel.h"
#include "chartpanelwidget.h"
#include "clientsession.h"
#include "frmchoise.h"
#include "frmprop.h"
#include "grapharea.h"
#include "inifile.h"
#include "languagetables.h"
#include "mainindicator.h"
#include "mchart.h"
#include "patternstore.h"
#include "periodindicators.h"
#include "pendingslot.h"
#include "serdata.h"
#include "serieslist.h"
#include "units.h"
#include "widgetapp.h"
#include "zoomelement.h"
#include "fibbelements.h"
#include "itemfactory.h"
#include "simpleline.h"
#include "sixbittext.h"
#include <QtEndian>

namespace {

// Bars of one instrument, oldest first, rising and falling in turn.
void FillSeries(TSerData &s, int bars)
{
    const int minutes = s.Timeframe == 1 ? 1 : s.Timeframe == 3 ? 60 : 1440;
    for (int i = 0; i < bars; ++i) {
        const int32_t open = 12000 + 10 * (i % 7);
        const int32_t close = i % 2 ? open - 8 : open + 8;
        s.AddBar(100000 * 60 + i * minutes, open, std::max(open, close) + 5, std::min(open, close) - 5, close);
    }
}

class ChartWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureWidgetApp();
        series = std::make_unique<TSeriesList>(session, home.path(), [](int id) {
            return id == 1 ? QStringLiteral("EURUSD") : id == 2 ? QStringLiteral("EUR[USD") : QString();
        });
        context.Series = series.get();
        context.Ini = &ini;
        context.Patterns = &TPatternMenager::Instance();
        context.Confirm = [this](QWidget *, const QString &question) {
            questions << question;
            return true;
        };
        // The properties dialog (double clicks, new indicators) confirmed as it stands.
        context.RunProperties = [](QDialog &dialog) {
            static_cast<TfrmProp &>(dialog).Button1->click();
            return dialog.result();
        };
        mdi.resize(1000, 700);
        mdi.show();
    }
    void TearDown() override
    {
        TPendingSlot::Clear();
        for (QMdiSubWindow *w : mdi.subWindowList())
            delete w;
    }
    TMChart *open(int id, int timeframe)
    {
        TSerData *s = series->FindOrCreate(id, timeframe);
        if (s->Count() == 0)
            FillSeries(*s, 300);
        return TMChart::Open(&mdi, id, timeframe, context);
    }
    QTemporaryDir home;
    ClientSession session;
    TIniFile ini{home.filePath(QStringLiteral("kelvra.ini"))};
    std::unique_ptr<TSeriesList> series;
    TChartContext context;
    QMdiArea mdi;
    QStringList questions;
};

} // namespace

// One window per instrument and timeframe; each follows its own series.
TEST_F(ChartWindowTest, OneWindowPerKeyRefreshedByItsOwnSeries)
{
    TMChart *h1 = open(1, 3);
    ASSERT_NE(h1, nullptr);
    EXPECT_EQ(h1->windowTitle(), QStringLiteral("EURUSD, H1"));
    EXPECT_EQ(h1->Tag(), (3 << 16) | 1);
    TMChart *m1 = open(1, 1);
    EXPECT_NE(m1, h1);
    EXPECT_EQ(m1->windowTitle(), QStringLiteral("EURUSD, M1"));
    h1->Frame()->showMinimized();
    EXPECT_EQ(open(1, 3), h1);  // brought forward, restored
    EXPECT_FALSE(h1->Frame()->isMinimized());
    EXPECT_EQ(mdi.activeSubWindow(), h1->Frame());
    EXPECT_EQ(mdi.subWindowList().size(), 2);

    // A new bar on the H1 series: the H1 chart at the end follows it, the M1 chart stays.
    TSerData *h1Series = h1->Series();
    const quint64 m1Revision = m1->Panel()->Revision();
    const int lastBefore = h1->Panel()->FirstVisible + h1->Panel()->VisibleCount;
    h1Series->AddBar(h1Series->Time()[h1Series->Last] + 60, 12000, 12010, 11990, 12005);
    for (TMChart *c : TMChart::Charts(&mdi))
        if (uint32_t(c->Tag()) == h1Series->Key)
            c->Refresh();
    EXPECT_EQ(h1->Panel()->FirstVisible + h1->Panel()->VisibleCount, lastBefore + 1);
    EXPECT_EQ(m1->Panel()->Revision(), m1Revision);
    EXPECT_EQ(h1->PanelWidget()->ScrollBar()->value(), h1->Panel()->ScrollPosition());
}

// The timeframe entries switch the window in place; a timeframe that has its
// own window brings that one forward instead.
TEST_F(ChartWindowTest, TimeframeSwitchesInPlace)
{
    TMChart *chart = open(1, 3);
    FillSeries(*series->FindOrCreate(1, 5), 50);
    chart->AShowDay->trigger();
    EXPECT_EQ(chart->Timeframe, 5);
    EXPECT_EQ(chart->Tag(), (5 << 16) | 1);
    EXPECT_EQ(chart->windowTitle(), QStringLiteral("EURUSD, D1"));
    EXPECT_EQ(chart->Panel()->Series(), series->FindOrCreate(1, 5));
    EXPECT_EQ(chart->PlacementSection(), QStringLiteral("EURUSDD1"));
    EXPECT_TRUE(chart->AShowDay->isChecked());
    EXPECT_EQ(chart->Panel()->ScrollPosition(), chart->Panel()->ScrollMaximum());  // the newest bars

    TMChart *minute = open(1, 1);
    chart->AShowMinute->trigger();
    EXPECT_EQ(chart->Timeframe, 5);  // unchanged: the minute chart came forward
    EXPECT_TRUE(chart->AShowDay->isChecked());
    EXPECT_EQ(mdi.activeSubWindow(), minute->Frame());

    // The menu's other entries: zoom keeps the right edge, the copy is the picture.
    const int count = minute->Panel()->VisibleCount;
    const int right = minute->Panel()->FirstVisible + count;
    minute->ActionZoomIn->trigger();
    EXPECT_LT(minute->Panel()->VisibleCount, count);
    EXPECT_EQ(minute->Panel()->FirstVisible + minute->Panel()->VisibleCount, right);
    EXPECT_FALSE(minute->ActionViewAsk->isEnabled());
    minute->ActionToClipBoard->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), minute->Panel()->ClientSize());
}

// The window's placement is kept under its instrument and timeframe; a name
// that cannot be a section name keeps none.
TEST_F(ChartWindowTest, PlacementIsKeptPerInstrumentAndTimeframe)
{
    TMChart *chart = open(1, 3);
    chart->Frame()->setGeometry(30, 40, 500, 300);
    chart->Frame()->close();
    EXPECT_EQ(ini.ReadString(QStringLiteral("EURUSDH1"), QStringLiteral("geometry")), QStringLiteral("30,40,500,300"));
    TMChart *again = open(1, 3);
    EXPECT_EQ(again->Frame()->geometry(), QRect(30, 40, 500, 300));

    TMChart *odd = open(2, 3);
    EXPECT_TRUE(odd->PlacementSection().isEmpty());
    odd->Frame()->close();
    for (const QString &section : ini.Sections())
        EXPECT_FALSE(section.contains(u'[')) << section.toStdString();
}

// The widget hands the mouse, the keyboard and the wheel to the model.
TEST_F(ChartWindowTest, MouseKeyboardAndWheel)
{
    TMChart *chart = open(1, 3);
    chart->Frame()->resize(700, 400);
    TChartPanelWidget *widget = chart->PanelWidget();
    QApplication::processEvents();
    TChartPanel &panel = *chart->Panel();
    TGraphArea *area = panel.Area(0);
    const TAxisTransform &t = area->RightAxis->T;
    const int bar = panel.FirstVisible + panel.VisibleCount / 2;
    const TSerData &s = *chart->Series();
    const QPoint onBar = area->ToPanel(QPoint(t.BarToX(bar), t.ValueToY((s.High()[bar] + s.Low()[bar]) / 2)));

    // Hovering a bar shows its prices; an empty spot hides the hint.
    QTest::mouseMove(widget, onBar);
    EXPECT_TRUE(panel.HintVisible());
    EXPECT_TRUE(panel.HintText().startsWith(QStringLiteral("Price\r")));
    EXPECT_TRUE(panel.HintText().contains(DoublePriceText(s.Close()[bar])));
    QTest::mouseMove(widget, area->ToPanel(QPoint(t.BarToX(bar), 2)));
    EXPECT_FALSE(panel.HintVisible());

    // A double click (press, release, double click, release, as Qt delivers
    // it) swallows nothing of the user's next click, which selects.
    QTest::mouseDClick(widget, Qt::LeftButton, {}, onBar);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, onBar);
    EXPECT_FALSE(panel.IgnoreNextDown());
    panel.Select(nullptr);
    QTest::mouseClick(widget, Qt::LeftButton, {}, onBar);
    EXPECT_EQ(panel.Selected(), panel.PriceIndicator());
    // Delete on the price does nothing and is left to others.
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(widget, &del);
    EXPECT_FALSE(del.isAccepted());
    EXPECT_TRUE(questions.isEmpty());

    // Keys and the wheel scroll and zoom through the model.
    const int count = panel.VisibleCount;
    QTest::keyClick(widget, Qt::Key_Plus);
    EXPECT_LT(panel.VisibleCount, count);
    QTest::keyClick(widget, Qt::Key_Home);
    EXPECT_EQ(panel.FirstVisible, 0);
    EXPECT_EQ(widget->ScrollBar()->value(), 0);
    QTest::keyClick(widget, Qt::Key_End);
    EXPECT_EQ(widget->ScrollBar()->value(), panel.ScrollMaximum());
    const int first = panel.FirstVisible;
    QWheelEvent wheel(QPointF(onBar), widget->mapToGlobal(QPointF(onBar)), {}, QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &wheel);
    EXPECT_NE(panel.FirstVisible, first);
    // The scroll bar moved by the user moves the chart.
    widget->ScrollBar()->setValue(10);
    EXPECT_EQ(panel.FirstVisible, 10);
}

// The zoom tool: pressed, dragged over a range of bars and released, it
// zooms there and leaves the slot empty; released where it was pressed, it
// is dropped without zooming.
TEST_F(ChartWindowTest, ZoomToolAndDiscardedTool)
{
    TMChart *chart = open(1, 3);
    chart->Frame()->resize(700, 400);
    QApplication::processEvents();
    TChartPanelWidget *widget = chart->PanelWidget();
    TChartPanel &panel = *chart->Panel();
    TGraphArea *area = panel.Area(0);
    const TAxisTransform &t = area->RightAxis->T;
    int emptied = 0;
    TPendingSlot::SetOnEmptied([&] { ++emptied; });

    TPendingSlot::Set(std::make_unique<TZoomElement>());
    const int from = panel.FirstVisible + 10, to = panel.FirstVisible + 30;
    const QPoint a = area->ToPanel(QPoint(t.BarToX(from), 20));
    const QPoint b = area->ToPanel(QPoint(t.BarToX(to), area->Height() - 20));
    QTest::mousePress(widget, Qt::LeftButton, {}, a);
    QTest::mouseMove(widget, b);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, b);
    EXPECT_TRUE(TPendingSlot::Empty());
    EXPECT_GE(emptied, 1);
    EXPECT_LE(std::abs(panel.FirstVisible - from), 1);
    EXPECT_LE(std::abs(panel.VisibleCount - (to - from + 1)), 2);

    const int count = panel.VisibleCount;
    TPendingSlot::Set(std::make_unique<TZoomElement>());
    QTest::mouseClick(widget, Qt::LeftButton, {}, a);
    EXPECT_TRUE(TPendingSlot::Empty());
    EXPECT_EQ(panel.VisibleCount, count);
    TPendingSlot::SetOnEmptied(nullptr);
}

// The placement dialog: "New chart window" at first; the first checked
// button's Tag when confirmed, 0 when cancelled (also with Escape).
TEST_F(ChartWindowTest, PlacementDialogChoices)
{
    TfrmChoise dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Scaling options"));
    EXPECT_TRUE(dialog.RadioButton3->isChecked());
    EXPECT_EQ(dialog.CheckedTag(), 3);
    dialog.show();
    dialog.RadioButton1->click();
    EXPECT_FALSE(dialog.RadioButton2->isChecked());
    EXPECT_FALSE(dialog.RadioButton3->isChecked());
    dialog.Button1->click();
    EXPECT_EQ(dialog.Result(), 1);
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.Result(), 0);
}

namespace {
// Answers the next placement dialog once it is up: the button of `tag`
// (0 cancels).
void answerPlacementDialog(int tag)
{
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, tag] {
        auto *dialog = qobject_cast<TfrmChoise *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        poll->deleteLater();
        poll->stop();
        if (tag == 0) {
            dialog->Button2->click();
            return;
        }
        QRadioButton *buttons[] = {dialog->RadioButton1, dialog->RadioButton2, dialog->RadioButton3};
        buttons[tag - 1]->click();
        dialog->Button1->click();
    });
    poll->start(10);
}
} // namespace

// The indicator tool released on a chart opens the placement dialog; the
// indicator joins the chart as chosen, follows the timeframe switch, and a
// failure shows one status text.
TEST_F(ChartWindowTest, IndicatorPlacedThroughTheDialog)
{
    QStringList statuses;
    context.ShowStatus = [&](const QString &text) { statuses << text; };
    TMChart *chart = open(1, 3);
    chart->Frame()->resize(700, 400);
    QApplication::processEvents();
    TChartPanel &panel = *chart->Panel();
    TChartPanelWidget *widget = chart->PanelWidget();
    const QPoint inside = panel.Area(0)->ToPanel(QPoint(100, 50));
    const auto release = [&](int entry, int answer) {
        TPendingSlot::Set(CreateIndicator(entry));
        answerPlacementDialog(answer);
        QTest::mousePress(widget, Qt::LeftButton, {}, inside);
        QTest::mouseRelease(widget, Qt::LeftButton, {}, inside);
    };

    release(22, 0);
    EXPECT_TRUE(TPendingSlot::Empty());
    EXPECT_EQ(panel.AreaCount(), 1);
    EXPECT_EQ(panel.Area(0)->Indicators.size(), 1u);

    release(0, 1);
    ASSERT_EQ(panel.Area(0)->Indicators.size(), 2u);
    auto *ma = dynamic_cast<TOtherIndicator *>(panel.Area(0)->Indicators[1].get());
    ASSERT_NE(ma, nullptr);
    EXPECT_EQ(ma->OwnerAxis, panel.Area(0)->LeftAxis.get());

    release(22, 3);
    ASSERT_EQ(panel.AreaCount(), 2);
    auto *rsi = dynamic_cast<T_RSI_Indicator *>(panel.Area(1)->Indicators[0].get());
    ASSERT_NE(rsi, nullptr);
    EXPECT_EQ(rsi->FirstComputed, 6);

    // Another timeframe: the buffers go from the old series to the new one.
    TSerData *hourly = chart->Series();
    FillSeries(*series->FindOrCreate(1, 5), 50);
    const int rsiBuffer = rsi->BufferIndex;
    chart->AShowDay->trigger();
    EXPECT_EQ(hourly->ArrayByIndex(rsiBuffer), nullptr);
    EXPECT_EQ(rsi->Series, chart->Series());
    EXPECT_NE(chart->Series()->ArrayByIndex(rsi->BufferIndex), nullptr);
    EXPECT_EQ(rsi->FirstComputed, 6);
    EXPECT_EQ(ma->FirstComputed, 9);

    rsi->TimePeriod = 1;
    chart->Refresh();
    chart->Refresh();
    EXPECT_EQ(statuses, QStringList{QStringLiteral("TA: Internal error")});
    EXPECT_EQ(rsi->FirstComputed, -1);
}

// A drawing tool placed with the mouse: one attached item at the pressed
// bars, snapped to the prices; a style stored as default reaches a new item
// in another window; a timeframe switch keeps the item at its times.
TEST_F(ChartWindowTest, DrawingToolPlacesAnItemThatKeepsItsTimes)
{
    TPatternMenager::Instance().Clear();
    TMChart *chart = open(1, 3);
    chart->Frame()->resize(700, 400);
    QApplication::processEvents();
    TChartPanelWidget *widget = chart->PanelWidget();
    TChartPanel &panel = *chart->Panel();
    TGraphArea *area = panel.Area(0);
    const TAxisTransform &t = area->RightAxis->T;
    const TSerData *s = panel.Series();
    const int from = panel.FirstVisible + 10, to = panel.FirstVisible + 30;
    const QPoint a = area->ToPanel(QPoint(t.BarToX(from), t.ValueToY(s->High()[from]) - 2));
    const QPoint b = area->ToPanel(QPoint(t.BarToX(to), t.ValueToY(s->Low()[to]) + 2));

    TPendingSlot::Set(CreateToolElement(9));
    QTest::mousePress(widget, Qt::LeftButton, {}, a);
    QTest::mouseMove(widget, (a + b) / 2);
    QTest::mouseMove(widget, b);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, b);
    EXPECT_TRUE(TPendingSlot::Empty());
    ASSERT_EQ(area->Items.size(), 1u);
    auto *fib = dynamic_cast<TFibbLine *>(area->Items[0].get());
    ASSERT_TRUE(fib);
    EXPECT_DOUBLE_EQ(fib->P1().Bar, from);
    EXPECT_DOUBLE_EQ(fib->P1().Value, s->High()[from]);
    EXPECT_DOUBLE_EQ(fib->P2().Bar, to);
    EXPECT_DOUBLE_EQ(fib->P2().Value, s->Low()[to]);

    fib->Color = 0x00FFFF;
    TPatternMenager::Instance().Store(*fib);
    TMChart *daily = open(1, 5);
    daily->Frame()->resize(700, 400);
    QApplication::processEvents();
    TGraphArea *dailyArea = daily->Panel()->Area(0);
    std::unique_ptr<TGraphItem> armed = CreateToolElement(9);
    TPatternMenager::Instance().Apply(*armed);
    TPendingSlot::Set(std::move(armed));
    const QPoint c = dailyArea->ToPanel(QPoint(dailyArea->Width() / 3, dailyArea->Height() / 3));
    QTest::mousePress(daily->PanelWidget(), Qt::LeftButton, {}, c);
    QTest::mouseMove(daily->PanelWidget(), c + QPoint(40, 40));
    QTest::mouseRelease(daily->PanelWidget(), Qt::LeftButton, {}, c + QPoint(40, 40));
    ASSERT_EQ(dailyArea->Items.size(), 1u);
    EXPECT_EQ(dailyArea->Items[0]->Color, 0x00FFFFu);
    delete daily->Frame();

    const double time = s->IndexToTime(from);
    FillSeries(*series->FindOrCreate(1, 4), 100);
    chart->Ashow4hour->trigger();
    const TSerData *h4 = chart->Panel()->Series();
    ASSERT_EQ(h4->Timeframe, 4);
    EXPECT_DOUBLE_EQ(fib->P1().Bar, h4->TimeToIndex(time));
    TPatternMenager::Instance().Clear();
}

// A chart window's saved state opens it again as it was; a value that
// cannot be a chart opens nothing; a record that does not load leaves the
// window open and empty, and its value goes back unchanged.
TEST_F(ChartWindowTest, SavedStateReopensTheWindowAndKeepsBadValues)
{
    TMChart *chart = open(1, 3);
    chart->Frame()->resize(650, 330);
    auto line = std::make_unique<TSimpleLine>();
    line->P1().SetBar(250);
    line->P2().SetBar(270);
    chart->Panel()->AttachItem(chart->Panel()->Area(0), std::move(line), false);
    chart->Panel()->ZoomTo(200, 60);
    const QString text = chart->SaveState();
    delete chart->Frame();

    TMChart *back = TMChart::Restore(&mdi, text, context);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->Tag(), (3 << 16) | 1);
    EXPECT_EQ(back->windowTitle(), QStringLiteral("EURUSD, H1"));
    EXPECT_EQ(back->Frame()->size(), QSize(650, 330));
    ASSERT_EQ(back->Panel()->Area(0)->Items.size(), 1u);
    EXPECT_EQ(back->Panel()->FirstVisible, 200);
    EXPECT_EQ(back->SaveState(), text);
    EXPECT_EQ(TMChart::Restore(&mdi, text, context), nullptr);  // already open

    const auto encode = [](QByteArray bytes) {
        return QString::fromStdString(EncodeSixBitText(std::vector<uint8_t>(bytes.begin(), bytes.end())));
    };
    const auto header = [](qint32 timeframe, qint32 instrument) {
        QByteArray h(20, '\0');
        qToLittleEndian<qint32>(timeframe, h.data() + 8);
        qToLittleEndian<qint32>(instrument, h.data() + 12);
        return h;
    };
    EXPECT_EQ(TMChart::Restore(&mdi, encode(header(3, 1).left(19)), context), nullptr);
    EXPECT_EQ(TMChart::Restore(&mdi, encode(header(9, 1) + "GR01"), context), nullptr);
    EXPECT_EQ(TMChart::Restore(&mdi, encode(header(3, 3) + "GR01"), context), nullptr);  // no such instrument

    QStringList errors;
    context.ShowError = [&](QWidget *, const QString &t) { errors << t; };
    const QString bad = encode(header(4, 1) + "GR02 from a later version");
    TMChart *broken = TMChart::Restore(&mdi, bad, context);
    ASSERT_NE(broken, nullptr);
    EXPECT_EQ(broken->Panel(), nullptr);
    EXPECT_EQ(broken->windowTitle(), QStringLiteral("EURUSD, H4"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !errors.isEmpty(); }, 5000));
    EXPECT_EQ(errors, QStringList{QStringLiteral("Invalid file")});
    EXPECT_EQ(broken->SaveState(), bad);
    broken->AShowDay->trigger();  // nothing to show it in, nothing breaks
    broken->ActionZoomIn->trigger();
}

// The corner note follows the series' history state: loading, failed with a
// retry (which asks again), or nothing.
TEST_F(ChartWindowTest, HistoryNoteShowsLoadingAndFailureWithRetry)
{
    SetEnglish(true);
    TMChart *chart = open(1, 3);
    ASSERT_NE(chart, nullptr);
    EXPECT_FALSE(chart->HistoryNote()->isVisible());
    TSerData *s = chart->Series();
    s->Ready = 0;
    chart->UpdateHistoryNote();
    EXPECT_TRUE(chart->HistoryNote()->isVisible());
    EXPECT_EQ(chart->HistoryNote()->text(), QStringLiteral("Loading history…"));
    EXPECT_FALSE(chart->RetryButton()->isVisible());

    s->Ready = 1;
    s->HistoryError = QStringLiteral("Market offline");
    chart->UpdateHistoryNote();
    EXPECT_EQ(chart->HistoryNote()->text(), QStringLiteral("History not received: Market offline"));
    ASSERT_TRUE(chart->RetryButton()->isVisible());
    // Not connected: the retry cannot be sent, the note stays.
    chart->RetryButton()->click();
    EXPECT_EQ(s->Ready, 1);
    EXPECT_TRUE(chart->HistoryNote()->isVisible());
    EXPECT_FALSE(session.PanelText(ClientSession::PanelStatus).isEmpty());

    s->HistoryError.clear();
    chart->UpdateHistoryNote();
    EXPECT_FALSE(chart->HistoryNote()->isVisible());
}
