#include <gtest/gtest.h>

#include <QApplication>
#include <QSignalSpy>

#include "cmlistview.h"
#include "languagetables.h"
#include "listicons.h"
#include "listrowdelegate.h"
#include "theme.h"
#include "widgetapp.h"

namespace {

// A data list as the records drive it: fills rows on attach, writes the
// footer, forgets its rows on detach.
struct FakeList {
    QStringList names{QStringLiteral("EURUSD"), QStringLiteral("GBPUSD"), QStringLiteral("USDJPY")};
    QString summary = QStringLiteral(" Balans: 10000.00; Equty: 10000.00; Free margin: 10000.00");
    std::vector<TRowItem *> rows;
    TRowView *view = nullptr;
    void attach(TRowView *v)
    {
        view = v;
        for (const QString &n : names) {
            TRowItem *r = v->AddRow();
            r->SetCaption(n);
            r->SetImage(2);
            r->SetSubItem(0, QStringLiteral("1.2345"));
            rows.push_back(r);
        }
        if (TRowItem *f = v->FooterRow()) {
            f->SetCaption(summary);
            f->SetImage(6);
        }
    }
    void detach()
    {
        rows.clear();
        view = nullptr;
    }
};

// The application and the language come before any widget.
struct EnglishWidgets {
    EnglishWidgets()
    {
        EnsureWidgetApp();
        SetEnglish(true);
    }
};

class ListViewTest : public ::testing::Test {
protected:
    ListViewTest()
    {
        view.SetColumns({{46, Qt::AlignLeft, 80, 100}, {13, Qt::AlignRight, 30, 60}, {12, Qt::AlignRight, 30, 60, false, 45}});
        view.SetSmallImages(PositionIcons());
        view.SetDataList([this](TRowView *v) { list.attach(v); }, [this] { list.detach(); });
        view.resize(400, 200);
    }
    QString texts()
    {
        QString out;
        for (int r = 0; r < view.RowCount(); ++r)
            out += (view.Row(r)->IsFooter() ? QStringLiteral("[F]") : QString()) + view.Row(r)->Caption() + u'|';
        return out;
    }
    EnglishWidgets app;
    FakeList list;
    TCMListView view;
};

} // namespace

TEST_F(ListViewTest, FooterStaysLastAndClearingKeepsIt)
{
    view.SetHasFooter(true);
    view.Attach();
    ASSERT_EQ(view.RowCount(), 4);
    EXPECT_TRUE(view.Row(3)->IsFooter());
    view.AddRow()->SetCaption(QStringLiteral("NEW"));
    EXPECT_EQ(texts(), QStringLiteral("EURUSD|GBPUSD|USDJPY|NEW|[F]") + list.summary + u'|');
    EXPECT_EQ(view.AddFooter(), nullptr);  // only one footer
    view.ClearRows();
    ASSERT_EQ(view.RowCount(), 1);
    EXPECT_EQ(view.Rows().FooterRow()->Caption(), list.summary);
    EXPECT_TRUE(view.isFirstColumnSpanned(0, QModelIndex()));
}

TEST_F(ListViewTest, DetachDropsRowsAndReattachRebuildsThem)
{
    view.SetHasFooter(true);
    view.Attach();
    view.Detach();
    EXPECT_EQ(view.RowCount(), 0);
    EXPECT_EQ(list.view, nullptr);
    list.summary = QStringLiteral(" Balans: 9000.00; Equty: 9100.00; Free margin: 8000.00");
    view.Attach();
    EXPECT_EQ(texts(), QStringLiteral("EURUSD|GBPUSD|USDJPY|[F]") + list.summary + u'|');
    EXPECT_EQ(view.Rows().FooterRow()->Image(), 6);
}

TEST_F(ListViewTest, FooterIsNeitherSelectedNorActivated)
{
    view.SetHasFooter(true);
    view.Attach();
    QSignalSpy activated(&view, &TCMListView::rowActivated);
    const QModelIndex footer = view.Rows().index(3, 0);
    EXPECT_FALSE(view.Rows().flags(footer) & Qt::ItemIsSelectable);
    view.selectionModel()->select(footer, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    EXPECT_EQ(view.SelectedRow(), nullptr);
    emit view.activated(footer);
    EXPECT_EQ(activated.count(), 0);
    emit view.activated(view.Rows().index(1, 0));
    ASSERT_EQ(activated.count(), 1);
    EXPECT_EQ(activated.at(0).at(0).value<TListRow *>(), view.Row(1));
    view.ShowRow(view.Row(2));
    EXPECT_EQ(view.SelectedRow(), view.Row(2));
}

TEST_F(ListViewTest, OnlyChangedCellsAreReported)
{
    view.Attach();
    QSignalSpy changed(&view.Rows(), &QAbstractItemModel::dataChanged);
    TRowItem *row = list.rows[1];
    row->SetSubItem(0, QStringLiteral("1.2345"));  // same text
    row->SetImage(2);
    EXPECT_EQ(changed.count(), 0);
    row->SetSubItem(1, QStringLiteral("1.2347"));
    ASSERT_EQ(changed.count(), 1);
    const QModelIndex cell = changed.at(0).at(0).toModelIndex();
    EXPECT_EQ(cell.row(), 1);
    EXPECT_EQ(cell.column(), 2);
    EXPECT_EQ(changed.at(0).at(1).toModelIndex(), cell);
}

TEST_F(ListViewTest, ColumnsFitTheirTextsWithinTheirLimits)
{
    view.Attach();
    view.AutoSizeColumns();
    EXPECT_EQ(view.columnWidth(0), 80);  // short names: the minimum
    EXPECT_EQ(view.columnWidth(2), 45);  // fixed width
    list.rows[0]->SetSubItem(0, QStringLiteral("a very long bid text that cannot fit"));
    view.AutoSizeColumns();
    EXPECT_EQ(view.columnWidth(1), 60);  // clamped at the maximum
    list.rows[0]->SetCaption(QStringLiteral("SIX"));
    // A footer never widens a column.
    view.AddFooter()->SetCaption(QString(200, u'W'));
    view.AutoSizeColumns();
    EXPECT_EQ(view.columnWidth(0), 80);

    // Rows drawn in another font (unread mail in bold) are measured in it.
    for (int n = 1; n < 20 && view.columnWidth(0) <= 80; ++n) {  // just above the minimum
        list.rows[0]->SetCaption(QString(n, u'W'));
        view.AutoSizeColumns();
    }
    const int plain = view.columnWidth(0);
    ASSERT_LT(plain, 100);
    view.RowFont = [](const TListRow &, const QFont &base) {
        QFont bold(base);
        bold.setBold(true);
        bold.setPointSize(base.pointSize() * 2);
        return bold;
    };
    view.AutoSizeColumns();
    EXPECT_GT(view.columnWidth(0), plain);
}

TEST_F(ListViewTest, StripesFooterAndFocusedSelectionArePainted)
{
    const QPalette palette = QApplication::palette();
    EXPECT_EQ(TListRowDelegate::RowBackground(1, false, false, false, palette), QColor(226, 226, 226));
    EXPECT_EQ(TListRowDelegate::RowBackground(0, false, false, false, palette), palette.color(QPalette::Base));
    EXPECT_EQ(TListRowDelegate::RowBackground(2, true, false, true, palette), QColor(192, 192, 192));
    EXPECT_EQ(TListRowDelegate::RowBackground(2, true, true, true, palette), QColor(192, 192, 192));
    EXPECT_EQ(TListRowDelegate::RowBackground(1, false, true, true, palette),
              palette.color(QPalette::Active, QPalette::Highlight));
    EXPECT_EQ(TListRowDelegate::RowBackground(1, false, true, false, palette), QColor(226, 226, 226));

    view.SetHasFooter(true);
    view.Attach();
    view.show();
    const QImage image = view.viewport()->grab().toImage();
    const int x = view.columnWidth(0) + 10;  // inside the bid column, clear of text
    const auto rowY = [&](int r) { return view.visualRect(view.Rows().index(r, 0)).top() + 1; };
    EXPECT_EQ(image.pixelColor(x + 30, rowY(1)), QColor(226, 226, 226));
    EXPECT_EQ(image.pixelColor(x + 30, rowY(0)), palette.color(QPalette::Base));
    // The footer spans the row: its colour reaches past the first column.
    EXPECT_EQ(image.pixelColor(view.columnWidth(0) + view.columnWidth(1) + 5, rowY(3)), QColor(192, 192, 192));
}

// A dark theme: no light row anywhere, the stripe and the footer still
// apart from the rows; going back to the light theme brings the classic
// colours back, and System the desktop's palette.
TEST_F(ListViewTest, DarkThemeRowsAreDarkAndTheFooterStandsOut)
{
    const QPalette desktop = QApplication::palette();
    ApplyTheme(TTheme::Dark);
    const QPalette dark = QApplication::palette();
    ASSERT_TRUE(IsDarkPalette(dark));
    view.SetHasFooter(true);
    view.Attach();
    view.show();
    const QImage image = view.viewport()->grab().toImage();
    const int x = view.columnWidth(0) + 40;
    const auto rowColour = [&](int r) { return image.pixelColor(x, view.visualRect(view.Rows().index(r, 0)).top() + 1); };
    const QColor plain = rowColour(0), stripe = rowColour(1), footer = rowColour(3);
    for (const QColor &c : {plain, stripe, footer})
        EXPECT_LT(c.lightness(), 100) << c.name().toStdString();
    EXPECT_GT(std::abs(stripe.lightness() - plain.lightness()), 5);
    EXPECT_GT(std::abs(footer.lightness() - stripe.lightness()), 10);
    EXPECT_NE(ContentBackground(dark), QColor(Qt::white));
    EXPECT_NE(DockCaptionBackground(dark), QColor(0, 0, 128));

    ApplyTheme(TTheme::Light);
    const QPalette light = QApplication::palette();
    EXPECT_EQ(TListRowDelegate::RowBackground(1, false, false, false, light), QColor(226, 226, 226));
    EXPECT_EQ(TListRowDelegate::RowBackground(2, true, false, false, light), QColor(192, 192, 192));
    EXPECT_EQ(ContentBackground(light), QColor(Qt::white));
    EXPECT_EQ(DockCaptionBackground(light), QColor(0, 0, 128));
    ApplyTheme(TTheme::System);
    EXPECT_EQ(QApplication::palette().color(QPalette::Base), desktop.color(QPalette::Base));
    EXPECT_EQ(ThemeFromText(QStringLiteral("Dark")), TTheme::Dark);
    EXPECT_EQ(ThemeFromText(QStringLiteral("nonsense")), TTheme::System);
}

TEST_F(ListViewTest, SortKeepsTheFooterLast)
{
    view.SetHasFooter(true);
    view.Attach();
    list.rows[0]->SetSubItem(0, QStringLiteral("10.5"));
    list.rows[1]->SetSubItem(0, QStringLiteral("9.25"));
    list.rows[2]->SetSubItem(0, QStringLiteral("100"));
    view.SortBy(1, true);
    EXPECT_EQ(texts(), QStringLiteral("GBPUSD|EURUSD|USDJPY|[F]") + list.summary + u'|');
    view.SortBy(0, false, false);
    EXPECT_EQ(texts(), QStringLiteral("USDJPY|GBPUSD|EURUSD|[F]") + list.summary + u'|');
    EXPECT_TRUE(view.isFirstColumnSpanned(3, QModelIndex()));
}
