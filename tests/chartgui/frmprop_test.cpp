#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "catalogue.h"
#include "chartpanel.h"
#include "chartpanelwidget.h"
#include "clientsession.h"
#include "colorbox.h"
#include "elementstream.h"
#include "fibbelements.h"
#include "frmprop.h"
#include "grapharea.h"
#include "hvlines.h"
#include "inifile.h"
#include "itemfactory.h"
#include "languagetables.h"
#include "mainindicator.h"
#include "mchart.h"
#include "patternstore.h"
#include "penpicker.h"
#include "pendingslot.h"
#include "periodindicators.h"
#include "serdata.h"
#include "serieslist.h"
#include "simpleindicators.h"
#include "widgetapp.h"

namespace {

QByteArray recordOf(const TGraphBase &e)
{
    TElementWriter w;
    e.Save(w, true);
    return w.Take();
}

QStringList visiblePages(const TfrmProp &dialog)
{
    QStringList pages;
    for (int i = 0; i < dialog.pc->count(); ++i)
        if (dialog.pc->isTabVisible(i))
            pages << dialog.pc->widget(i)->objectName();
    return pages;
}

// Chart windows whose properties dialog runs through `onDialog` (shown, not
// modal): what it does is what the user does while the dialog is up.
class PropertiesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureWidgetApp();
        SetEnglish(true);
        TPatternMenager::Instance().Clear();
        series = std::make_unique<TSeriesList>(session, home.path(),
                                               [](int id) { return id == 1 ? QStringLiteral("EURUSD") : QString(); });
        context.Series = series.get();
        context.Patterns = &TPatternMenager::Instance();
        context.ChoosePlacement = [this](QWidget *) { return placement; };
        context.ShowError = [this](QWidget *, const QString &text) { errors << text; };
        context.RunProperties = [this](QDialog &d) {
            const QPointer<TfrmProp> dialog = &static_cast<TfrmProp &>(d);
            ++runs;
            dialog->show();
            if (onDialog)
                onDialog(*dialog);
            if (!dialog)
                return int(QDialog::Rejected);  // went with its window
            if (dialog->isVisible())
                dialog->reject();
            return dialog->result();
        };
        mdi.resize(1000, 700);
        mdi.show();
    }
    void TearDown() override
    {
        TPendingSlot::Clear();
        TPatternMenager::Instance().Clear();
        for (QMdiSubWindow *w : mdi.subWindowList())
            delete w;
    }
    TMChart *open()
    {
        TSerData *s = series->FindOrCreate(1, 3);
        for (int i = s->Count(); i < 200; ++i) {
            const int32_t open = 12000 + 10 * (i % 9);
            const int32_t close = i % 2 ? open - 7 : open + 7;
            s->AddBar(100000 * 60 + i * 60, open, std::max(open, close) + 4, std::min(open, close) - 4, close);
        }
        TMChart *chart = TMChart::Open(&mdi, 1, 3, context);
        chart->Frame()->resize(700, 400);
        QApplication::processEvents();
        return chart;
    }
    // A line across the area at the value of pixel row `row`, bound to the price.
    static TSimpleLine *addLine(TChartPanel &panel, int row)
    {
        TGraphArea *area = panel.Area(0);
        const TAxisTransform &t = area->RightAxis->T;
        auto line = std::make_unique<TSimpleLine>();
        line->Bound = panel.PriceIndicator();
        line->OwnerAxis = area->RightAxis.get();
        const double value = t.YToValue(row);
        line->P1().SetBar(panel.FirstVisible + 5);
        line->P2().SetBar(panel.FirstVisible + 40);
        line->P1().Value = line->P2().Value = value;
        return static_cast<TSimpleLine *>(panel.AttachItem(area, std::move(line), false));
    }
    static void click(QWidget *w) { QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center()); }

    QTemporaryDir home;
    ClientSession session;
    std::unique_ptr<TSeriesList> series;
    TChartContext context;
    QMdiArea mdi;
    std::function<void(TfrmProp &)> onDialog;
    int runs = 0;
    int placement = 3;
    QStringList errors;
};

} // namespace

// A double click on an axis shows the axis pages only; a price axis has no
// year, time or date; what the pages apply changes the whole panel.
TEST_F(PropertiesTest, AxisPagesAndTheirSettings)
{
    TMChart *chart = open();
    TChartPanel &panel = *chart->Panel();
    TGraphArea *area = panel.Area(0);
    QStringList pages;
    bool timeBoxes = true;
    onDialog = [&](TfrmProp &d) {
        pages = visiblePages(d);
        timeBoxes = !d.oxViewYear->isHidden() && !d.oxViewTime->isHidden() && !d.oxViewDate->isHidden();
        EXPECT_EQ(d.pc->currentWidget(), d.tabOy);
        EXPECT_FALSE(d.btnAccept->isHidden());
        EXPECT_TRUE(d.windowTitle().endsWith(QStringLiteral(" propertes")));
    };
    const QPoint onRightAxis(area->RightAxis->Left + 5, area->Top + area->Height() / 2);
    QTest::mouseDClick(chart->PanelWidget(), Qt::LeftButton, {}, onRightAxis);
    QTest::mouseRelease(chart->PanelWidget(), Qt::LeftButton, {}, onRightAxis);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(pages, (QStringList{QStringLiteral("tabOy"), QStringLiteral("tabOxyVis")}));
    EXPECT_FALSE(timeBoxes);

    const int leftBefore = area->Left;
    const int xAxisHeight = panel.XAxis()->Height();
    onDialog = [&](TfrmProp &d) {
        pages = visiblePages(d);
        timeBoxes = !d.oxViewYear->isHidden() && !d.oxViewTime->isHidden() && !d.oxViewDate->isHidden();
        d.oxViewDate->setChecked(false);
        d.oxyShowYL->setChecked(false);
        d.oyGridColor->SetColor(ChartColors::Red);
        d.oybColor->SetColor(0x202020);
        click(d.Button1);
    };
    const QPoint onTimeAxis(panel.XAxis()->Left + 50, panel.XAxis()->Top + 3);
    QTest::mouseDClick(chart->PanelWidget(), Qt::LeftButton, {}, onTimeAxis);
    QTest::mouseRelease(chart->PanelWidget(), Qt::LeftButton, {}, onTimeAxis);
    EXPECT_EQ(pages, (QStringList{QStringLiteral("tabOy"), QStringLiteral("tabOxyVis")}));
    EXPECT_TRUE(timeBoxes);
    EXPECT_EQ(panel.XAxis()->ShowDate, 0);
    EXPECT_EQ(panel.XAxis()->GridColor, ChartColors::Red);
    EXPECT_EQ(panel.Color, 0x202020u);
    EXPECT_EQ(panel.Settings.LeftVisible, 0);
    EXPECT_LT(area->Left, leftBefore);                  // laid out again
    EXPECT_LT(panel.XAxis()->Height(), xAxisHeight);  // one row less without the date
}

// "Left axis" on the price moves it and the lines bound to it to the left
// axis of the same area, in place; an indicator alone in its area keeps
// its area. A new indicator is not moved by its dialog: its placement
// decides, and the chart is not refreshed meanwhile.
TEST_F(PropertiesTest, AxisSideMovesTheIndicatorAndItsLines)
{
    TMChart *chart = open();
    TChartPanel &panel = *chart->Panel();
    TGraphArea *area = panel.Area(0);
    TGraphIndicator *price = panel.PriceIndicator();
    TSimpleLine *line = addLine(panel, 8);
    TGraphIndicator *rsi = panel.AttachIndicator(panel.AddArea(), CreateIndicator(22), 0);
    auto hline = std::make_unique<THLine>();
    hline->Bound = rsi;
    hline->OwnerAxis = rsi->OwnerAxis;
    THLine *level = static_cast<THLine *>(panel.AttachItem(panel.Area(1), std::move(hline), false));
    panel.Refresh();

    onDialog = [&](TfrmProp &d) {
        EXPECT_EQ(d.AxisItem(), 0);
        d.rgAxisItems->button(1)->click();
        click(d.Button1);
    };
    const TAxisTransform &t = area->RightAxis->T;
    const int bar = panel.FirstVisible + panel.VisibleCount / 2;
    const TSerData &s = *panel.Series();
    const QPoint onBar = area->ToPanel(QPoint(t.BarToX(bar), t.ValueToY((s.High()[bar] + s.Low()[bar]) / 2)));
    QTest::mouseClick(chart->PanelWidget(), Qt::LeftButton, {}, onBar);   // selects
    EXPECT_EQ(panel.Selected(), price);
    QTest::mouseDClick(chart->PanelWidget(), Qt::LeftButton, {}, onBar);
    QTest::mouseRelease(chart->PanelWidget(), Qt::LeftButton, {}, onBar);
    ASSERT_EQ(runs, 1);
    EXPECT_EQ(price->AxisSide, 1);
    EXPECT_EQ(price->OwnerAxis, area->LeftAxis.get());
    EXPECT_EQ(line->OwnerAxis, area->LeftAxis.get());
    EXPECT_EQ(area->Indicators[0].get(), price);
    EXPECT_TRUE(area->LeftAxis->HasRange);   // the ranges follow
    EXPECT_FALSE(area->RightAxis->HasRange);

    panel.SetIndicatorSide(rsi, 1);
    ASSERT_EQ(panel.AreaCount(), 2);
    EXPECT_TRUE(panel.Area(1)->HoldsIndicator(rsi));
    EXPECT_EQ(rsi->OwnerAxis, panel.Area(1)->LeftAxis.get());
    EXPECT_EQ(level->OwnerAxis, panel.Area(1)->LeftAxis.get());

    // Placing: "Left axis" in the dialog, the scale on the right in the
    // placement: the placement wins.
    placement = 2;
    quint64 revisionBefore = 0, revisionAfter = 0;
    onDialog = [&](TfrmProp &d) {
        EXPECT_TRUE(d.btnAccept->isHidden());
        d.rgAxisItems->button(1)->click();
        revisionBefore = panel.Revision();
        click(d.Button1);
        revisionAfter = panel.Revision();
    };
    TPendingSlot::Set(CreateIndicator(0));
    const QPoint inside = area->ToPanel(QPoint(100, 50));
    QTest::mousePress(chart->PanelWidget(), Qt::LeftButton, {}, inside);
    QTest::mouseRelease(chart->PanelWidget(), Qt::LeftButton, {}, inside);
    ASSERT_EQ(area->Indicators.size(), 2u);
    EXPECT_EQ(area->Indicators[1]->AxisSide, 0);
    EXPECT_EQ(area->Indicators[1]->OwnerAxis, area->RightAxis.get());
    EXPECT_EQ(revisionAfter, revisionBefore);
}

// "Default" on a red, width-3 line gives every later line that style, also
// from the pattern file of the next start.
TEST_F(PropertiesTest, DefaultStylesEveryLaterLine)
{
    TMChart *chart = open();
    TChartPanel &panel = *chart->Panel();
    TSimpleLine *line = addLine(panel, 8);
    panel.Repaint();
    QApplication::processEvents();
    onDialog = [&](TfrmProp &d) {
        EXPECT_EQ(visiblePages(d), (QStringList{QStringLiteral("tabColorStyle"), QStringLiteral("tabLine")}));
        EXPECT_FALSE(d.cbLEx->isHidden());
        d.cbColor->SetColor(ChartColors::Red);
        d.cbW->setCurrentIndex(2);
        click(d.Button2);
        EXPECT_TRUE(d.isVisible());  // "Default" leaves the dialog open
        click(d.Button3);
    };
    const QPoint onLine = panel.Area(0)->ToPanel(QPoint(panel.Area(0)->Width() / 2, 8));
    QTest::mouseClick(chart->PanelWidget(), Qt::LeftButton, {}, onLine);
    EXPECT_EQ(panel.Selected(), line);
    QTest::mouseDClick(chart->PanelWidget(), Qt::LeftButton, {}, onLine);
    QTest::mouseRelease(chart->PanelWidget(), Qt::LeftButton, {}, onLine);
    ASSERT_EQ(runs, 1);
    EXPECT_EQ(line->Color, ChartColors::Red);
    EXPECT_EQ(line->PenWidth, 3);

    std::unique_ptr<TGraphItem> next = CreateToolElement(5);
    TPatternMenager::Instance().Apply(*next);
    EXPECT_EQ(next->Color, ChartColors::Red);
    EXPECT_EQ(next->PenWidth, 3);

    const QString file = home.filePath(QStringLiteral("kelvra.pat"));
    ASSERT_TRUE(TPatternMenager::Instance().SaveFile(file));
    TPatternMenager restarted;
    ASSERT_TRUE(restarted.LoadFile(file));
    std::unique_ptr<TGraphItem> afterRestart = CreateToolElement(5);
    restarted.Apply(*afterRestart);
    EXPECT_EQ(afterRestart->Color, ChartColors::Red);
    EXPECT_EQ(afterRestart->PenWidth, 3);
    EXPECT_FALSE(restarted.Has(GraphTypeId::HLine));
}

// Parameters: the rows follow the descriptors; a value that is empty, not
// a number or outside its limits is refused with its message (22 and 38
// with the limits), the dialog stays open and nothing changes, not even
// what other pages hold. The up-down never leaves the limits.
TEST_F(PropertiesTest, ParameterChecksKeepTheDialogOpen)
{
    TMChart *chart = open();
    TChartPanel &panel = *chart->Panel();
    auto *rsi = static_cast<T_RSI_Indicator *>(panel.AttachIndicator(panel.AddArea(), CreateIndicator(22), 0));
    auto *sar = static_cast<T_SAR_Indicator *>(panel.AttachIndicator(panel.Area(0), CreateIndicator(1), 0));
    panel.Refresh();
    const QByteArray rsiRecord = recordOf(*rsi);

    TfrmProp dialog;
    dialog.ShowError = [this](QWidget *, const QString &text) { errors << text; };
    dialog.Fill(TPropTarget(rsi, &panel));
    dialog.show();
    EXPECT_EQ(dialog.pc->currentWidget(), dialog.tabParams);
    ASSERT_EQ(dialog.ParamRows().Rows().size(), 1u);
    const TParamRows::Row &row = dialog.ParamRows().Rows()[0];
    EXPECT_EQ(row.Label->x(), 20);
    EXPECT_EQ(row.Edit->x(), 100);
    EXPECT_EQ(row.UpDown->x(), row.Edit->geometry().right() + 1);
    EXPECT_EQ(row.Edit->text(), QStringLiteral("6"));

    dialog.cbColor->SetColor(ChartColors::Red);
    const auto typeAndConfirm = [&](QLineEdit *edit, const QString &text) {
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
        click(dialog.Button1);
    };
    typeAndConfirm(row.Edit, QStringLiteral("3"));
    typeAndConfirm(row.Edit, QString());
    typeAndConfirm(row.Edit, QStringLiteral("six"));
    EXPECT_EQ(errors, (QStringList{RangeMessage(MessageText(22), QStringLiteral("5"), QStringLiteral("100")),
                                   MessageText(10), MessageText(21)}));
    EXPECT_TRUE(errors[0].contains(QStringLiteral("5")) && errors[0].contains(QStringLiteral("100")));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(recordOf(*rsi), rsiRecord);

    // The up-down steps from what the edit holds, within 5..100.
    row.Edit->setText(QStringLiteral("300"));
    row.UpDown->UpButton->click();
    EXPECT_EQ(row.Edit->text(), QStringLiteral("100"));
    row.Edit->setText(QStringLiteral("5"));
    row.UpDown->DownButton->click();
    EXPECT_EQ(row.Edit->text(), QStringLiteral("5"));
    QTest::keyClick(row.Edit, Qt::Key_Up);
    EXPECT_EQ(row.Edit->text(), QStringLiteral("6"));

    typeAndConfirm(row.Edit, QStringLiteral("14"));
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(rsi->TimePeriod, 14);
    EXPECT_EQ(rsi->Color, ChartColors::Red);
    EXPECT_EQ(rsi->FirstComputed, 14);  // computed again

    // A real number: read in the C locale, message 38 with the limits.
    errors.clear();
    TfrmProp sarDialog;
    sarDialog.ShowError = dialog.ShowError;
    sarDialog.Fill(TPropTarget(sar, &panel));
    sarDialog.show();
    ASSERT_EQ(sarDialog.ParamRows().Rows().size(), 2u);
    QLineEdit *step = sarDialog.ParamRows().Rows()[0].Edit;
    EXPECT_EQ(step->text(), QStringLiteral("0.02"));
    step->setText(QStringLiteral("-0.5"));
    click(sarDialog.btnAccept);
    EXPECT_EQ(errors, QStringList{RangeMessage(MessageText(38), QStringLiteral("0"), QStringLiteral("100000"))});
    step->setText(QStringLiteral("0,05"));
    click(sarDialog.btnAccept);
    EXPECT_TRUE(sarDialog.isVisible());  // "Accept" applies without closing
    EXPECT_DOUBLE_EQ(sar->Step, 0.05);

    // A method below the descriptor's minimum ("Simple" for Fast-K) is
    // not offered, nor taken.
    errors.clear();
    TGraphIndicator *stoch = panel.AttachIndicator(panel.Area(1), CreateIndicator(30), 0);
    TfrmProp stochDialog;
    stochDialog.ShowError = dialog.ShowError;
    stochDialog.Fill(TPropTarget(stoch, &panel));
    QComboBox *fastKMethod = stochDialog.ParamRows().Rows()[2].Methods;
    ASSERT_NE(fastKMethod, nullptr);
    EXPECT_EQ(fastKMethod->currentText(), QStringLiteral("Exponential"));
    EXPECT_FALSE(qobject_cast<QStandardItemModel *>(fastKMethod->model())->item(0)->isEnabled());
    fastKMethod->setCurrentIndex(0);
    EXPECT_EQ(stochDialog.Apply(), TfrmProp::ApplyResult::Refused);
    EXPECT_EQ(errors, QStringList{RangeMessage(MessageText(22), QStringLiteral("1"), QStringLiteral("7"))});
}

// An indicator without parameters opens on "Lines"; the level list adds
// checked numbers in the program's format and deletes the selected line.
TEST_F(PropertiesTest, LevelsAndAnIndicatorWithoutParameters)
{
    TMChart *chart = open();
    TChartPanel &panel = *chart->Panel();
    QStringList pages;
    QWidget *current = nullptr;
    QStringList lines;
    onDialog = [&](TfrmProp &d) {
        pages = visiblePages(d);
        current = d.pc->currentWidget() == d.tabLines ? d.tabLines : nullptr;
        for (const QString &typed : {QStringLiteral("70"), QStringLiteral("-1.234567"), QStringLiteral("abc"),
                                     QStringLiteral("100000"), QStringLiteral("  ")}) {
            d.edLinesAdd->setText(typed);
            click(d.btAdd);
        }
        for (int i = 0; i < d.lbLines->count(); ++i)
            lines << d.lbLines->item(i)->text();
        click(d.btDel);  // nothing selected: nothing goes
        d.lbLines->setCurrentRow(0);
        click(d.btDel);
        click(d.Button1);
    };
    TPendingSlot::Set(CreateIndicator(8));  // True Range
    const QPoint inside = panel.Area(0)->ToPanel(QPoint(100, 50));
    QTest::mousePress(chart->PanelWidget(), Qt::LeftButton, {}, inside);
    QTest::mouseRelease(chart->PanelWidget(), Qt::LeftButton, {}, inside);
    ASSERT_EQ(runs, 1);
    EXPECT_EQ(pages, (QStringList{QStringLiteral("tabColorStyle"), QStringLiteral("tabLines"), QStringLiteral("tabOxyY")}));
    EXPECT_NE(current, nullptr);
    EXPECT_EQ(lines, (QStringList{QStringLiteral("   70.000"), QStringLiteral("   -1.2345")}));
    EXPECT_EQ(errors, (QStringList{MessageText(21), RangeMessage(MessageText(38), QStringLiteral("-99999.9999"),
                                                                 QStringLiteral("99999.99999"))}));
    ASSERT_EQ(panel.AreaCount(), 2);
    auto *tr = dynamic_cast<TOtherIndicator *>(panel.Area(1)->Indicators[0].get());
    ASSERT_NE(tr, nullptr);
    EXPECT_EQ(tr->Levels, std::vector<double>{-1.234567});
}

// "Ok" without touching anything leaves every record as it was: styles and
// widths beyond the pickers, colours outside the named ones (system colours
// too), levels with more digits than the list shows, a line whose snapping
// is on but whose points are off the prices.
TEST_F(PropertiesTest, OkWithoutChangesKeepsTheRecord)
{
    TMChart *chart = open();
    TChartPanel &panel = *chart->Panel();
    TGraphArea *area = panel.Area(0);
    auto *price = static_cast<TMainIndicator *>(panel.PriceIndicator());
    price->FallingColor = ChartColors::BtnFace;
    price->RisingColor = 0x123456;
    price->FallingFill = 0x00FF00;
    price->RisingFill = 0xABCDEF;
    price->ChartStyle = TMainIndicator::Line;
    price->PenStyle = 5;
    price->PenWidth = 20;
    auto *bands = static_cast<TOtherIndicator *>(panel.AttachIndicator(area, CreateIndicator(3), 1));
    bands->Levels = {0.123456, 70, -12.5};
    bands->LevelWidth = 7;
    bands->LevelColor = 0x010203;
    bands->LevelStyle = 5;
    TSimpleLine *line = addLine(panel, 30);
    line->Color = 0x0A0B0C;
    line->PenStyle = 5;
    line->PenWidth = 9;
    line->LeftExtension = 0;
    line->P1().Value += 0.00017;  // off every price, snapping on
    auto zone = std::make_unique<TFibbZone>();
    zone->ShowInAllAreas = 0;
    zone->Point.SetBar(panel.FirstVisible + 3);
    TGraphItem *zoneItem = panel.AttachItem(area, std::move(zone), false);
    auto arc = std::make_unique<TFibbArc>();
    arc->SnapToPrice = 0;
    arc->PenWidth = 4;
    TGraphItem *arcItem = panel.AttachItem(area, std::move(arc), false);
    area->RightAxis->GridColor = 0x0A0B0C;
    area->RightAxis->LineColor = ChartColors::BtnShadow;
    area->RightAxis->GridVisible = 0;
    panel.XAxis()->ShowYear = 0;
    panel.Color = 0x111111;
    panel.Settings.LeftVisible = 0;
    panel.Layout();

    onDialog = [&](TfrmProp &d) { click(d.Button1); };
    for (TGraphBase *e : std::initializer_list<TGraphBase *>{price, bands, line, zoneItem, arcItem,
                                                             area->RightAxis.get(), panel.XAxis()}) {
        const QByteArray before = recordOf(*e);
        EXPECT_TRUE(TfrmProp::Edit(TPropTarget(e, &panel, chart), true, chart, context.RunProperties));
        EXPECT_EQ(recordOf(*e), before) << e->TypeId;
    }
    EXPECT_EQ(runs, 7);
    EXPECT_TRUE(errors.isEmpty());
}

// The chart goes on while the dialog is open: an element deleted or a
// window closed meanwhile is not touched again.
TEST_F(PropertiesTest, ElementOrWindowGoneWhileTheDialogIsOpen)
{
    TMChart *chart = open();
    TChartPanel &panel = *chart->Panel();
    TSimpleLine *line = addLine(panel, 8);
    onDialog = [&](TfrmProp &d) {
        d.cbW->setCurrentIndex(3);
        panel.DeleteElement(line);
        chart->Refresh();
        click(d.btnAccept);   // nothing left to edit: the dialog closes
        EXPECT_FALSE(d.isVisible());
    };
    EXPECT_FALSE(TfrmProp::Edit(TPropTarget(line, &panel, chart), true, chart, context.RunProperties));

    TSimpleLine *other = addLine(panel, 12);
    onDialog = [&](TfrmProp &) { delete chart->Frame(); };
    EXPECT_FALSE(TfrmProp::Edit(TPropTarget(other, &panel, chart), true, chart, context.RunProperties));
    EXPECT_TRUE(mdi.subWindowList().isEmpty());
}

// The pickers: a colour outside the named ones and a width beyond the list
// get an entry of their own; "Custom..." asks for a colour; the closed
// pickers show their sample line.
TEST_F(PropertiesTest, ColourBoxAndPenPicker)
{
    TColorBox box;
    box.SetColor(ChartColors::Red);
    EXPECT_EQ(box.OtherIndex(), -1);
    EXPECT_EQ(box.currentText(), QStringLiteral("Red"));
    box.SetColor(0x8000000F);
    EXPECT_EQ(box.Color(), 0x8000000Fu);
    const int other = box.OtherIndex();
    box.SetColor(0x123456);
    EXPECT_EQ(box.OtherIndex(), other);  // one such entry, reused
    QColor offered;
    box.ChooseColor = [&](QWidget *, const QColor &initial) {
        offered = initial;
        return QColor(0x10, 0x20, 0x30);
    };
    box.setCurrentIndex(box.count() - 1);
    emit box.activated(box.count() - 1);
    EXPECT_EQ(offered, QColor(0x56, 0x34, 0x12));
    EXPECT_EQ(box.Color(), 0x302010u);
    box.ChooseColor = [](QWidget *, const QColor &) { return QColor(); };
    box.setCurrentIndex(box.count() - 1);
    emit box.activated(box.count() - 1);
    EXPECT_EQ(box.Color(), 0x302010u);

    TPenPicker width(TPenPicker::Width);
    EXPECT_EQ(width.count(), 4);
    width.SetValue(12);
    EXPECT_EQ(width.Value(), 12);
    width.SetValue(3);
    EXPECT_EQ(width.currentIndex(), 2);
    width.SetValue(7);
    EXPECT_EQ(width.count(), 5);
    width.resize(120, 24);
    const QImage image = width.grab().toImage();
    int dark = 0;
    for (int x = 0; x < image.width(); ++x)
        dark += qGray(image.pixel(x, image.height() / 2)) < 64;
    EXPECT_GT(dark, 40);
}
