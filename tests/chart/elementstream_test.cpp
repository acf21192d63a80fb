#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "chartfixture.h"
#include "elementstream.h"

namespace {

TEST(ElementStream, ReadsLittleEndianAndNeverPastTheEnd)
{
    TElementWriter w;
    w.WriteInt32(-2);
    w.WriteDouble(1.25);
    w.WriteByte(7);
    const QByteArray bytes = w.Data();
    EXPECT_EQ(bytes.left(4), QByteArray("\xFE\xFF\xFF\xFF", 4));

    TElementReader r(bytes);
    EXPECT_EQ(r.PeekInt32(), -2);
    EXPECT_EQ(r.ReadInt32(), -2);
    EXPECT_DOUBLE_EQ(r.ReadDouble(), 1.25);
    EXPECT_THROW(r.ReadInt32(), EChartLoadError);
    EXPECT_EQ(r.Position(), 12);  // a failed read moves nothing
    EXPECT_EQ(r.ReadByte(), 7);
    EXPECT_TRUE(r.AtEnd());
    EXPECT_THROW(r.ReadByte(), EChartLoadError);
    EXPECT_THROW(r.ReadBytes(-1), EChartLoadError);
    EXPECT_THROW(r.Seek(14), EChartLoadError);
    try {
        r.ReadDouble();
    } catch (const EChartLoadError &e) {
        EXPECT_STREQ(e.what(), "load error");
    }
}

TEST(ElementStream, HeaderCarriesTheTypeIdAndItsTag)
{
    EXPECT_EQ(TGraphBase::Tag(9), QByteArray("ID:   9"));
    EXPECT_EQ(TGraphBase::Tag(999), QByteArray("ID: 999"));
    EXPECT_EQ(TGraphBase::Tag(1030), QByteArray("ID:1030"));

    TOxyYArea axis(nullptr, nullptr, 1);
    axis.GridColor = 0x123456;
    axis.VScale = 2.5;
    TElementWriter w;
    axis.Save(w, true);
    EXPECT_EQ(w.Data().size(), 4 + 7 + 1 + 1 + 4 + 4 + 8);
    EXPECT_EQ(w.Data().mid(4, 7), QByteArray("ID:   7"));

    TOxyYArea copy(nullptr, nullptr, 0);
    TElementReader r(w.Data());
    copy.Load(r, true);
    EXPECT_EQ(copy.GridColor, 0x123456u);
    EXPECT_DOUBLE_EQ(copy.VScale, 2.5);
    EXPECT_TRUE(r.AtEnd());

    // A record of another class is refused by its tag.
    TOxyXArea x(nullptr);
    TElementReader wrong(w.Data());
    try {
        x.Load(wrong, false);
        FAIL();
    } catch (const EChartLoadError &e) {
        EXPECT_STREQ(e.what(), "load error");
    }
}

TEST(ElementStream, TimeAxisRecordCarriesThePanelsLook)
{
    PanelFixture f(10);
    f.panel->Settings.LeftVisible = 0;
    f.panel->Color = 0x202020;
    f.panel->XAxis()->ShowYear = 0;
    TElementWriter w;
    f.panel->XAxis()->Save(w, false);

    PanelFixture g(10);
    TElementReader r(w.Data());
    g.panel->XAxis()->Load(r, false);
    EXPECT_EQ(g.panel->Settings.LeftVisible, 0);
    EXPECT_EQ(g.panel->Color, 0x202020u);
    EXPECT_EQ(g.panel->XAxis()->DateFormat, QStringLiteral("dd.mm"));
}

// A panel whose loader knows the fake indicators.
void useFakeFactory(TChartPanel &panel)
{
    panel.SetElementFactory([](int id) -> std::unique_ptr<TDrawedElement> {
        if (id == GraphTypeId::MainIndicator)
            return std::make_unique<FakePrice>();
        if (id >= 1000)
            return std::make_unique<FakeIndicator>(id);
        return nullptr;
    });
}

QByteArray areaRecord(PanelFixture &f)
{
    TGraphArea *second = f.panel->AddArea();
    f.panel->AttachIndicator(second, std::make_unique<FakeIndicator>(1003), 1);
    f.panel->AttachIndicator(second, std::make_unique<FakeIndicator>(1004), 0);
    second->Indicators[0]->Color = 0x00FF00;
    second->LeftAxis->VScale = 3;
    TElementWriter w;
    second->Save(w, true);
    return w.Take();
}

TEST(ElementStream, AreaRecordRebuildsItsIndicatorsOnTheirSides)
{
    PanelFixture f(50);
    const QByteArray bytes = areaRecord(f);

    PanelFixture g(50);
    useFakeFactory(*g.panel);
    // A loading chart never takes stored styles.
    FakeIndicator styled(1003);
    styled.Color = 0x0000FF;
    g.patterns.Store(styled);
    auto area = std::make_unique<TGraphArea>(g.panel.get());
    TElementReader r(bytes);
    area->Load(r, true);
    EXPECT_TRUE(r.AtEnd());
    ASSERT_EQ(area->Indicators.size(), 2u);
    EXPECT_EQ(area->Indicators[0]->TypeId, 1003);
    EXPECT_EQ(area->Indicators[0]->AxisSide, 1);
    EXPECT_EQ(area->Indicators[0]->OwnerAxis, area->LeftAxis.get());
    EXPECT_EQ(area->Indicators[0]->Color, 0x00FF00u);
    EXPECT_EQ(area->Indicators[1]->OwnerAxis, area->RightAxis.get());
    EXPECT_EQ(area->Current, area->Indicators[1].get());
    EXPECT_EQ(area->Indicators[1]->Series, g.series.get());
    EXPECT_DOUBLE_EQ(area->LeftAxis->VScale, 3);
    EXPECT_NEAR(area->RelHeight, 0.5, 1e-12);
}

TEST(ElementStream, DamagedAreaRecordsRaiseLoadError)
{
    PanelFixture f(50);
    const QByteArray bytes = areaRecord(f);
    PanelFixture g(50);
    useFakeFactory(*g.panel);

    // Every cut short of the whole record fails cleanly.
    for (qsizetype n = 0; n < bytes.size(); ++n) {
        TGraphArea area(g.panel.get());
        TElementReader r(QByteArrayView(bytes).first(n));
        EXPECT_THROW(area.Load(r, true), EChartLoadError) << n;
    }

    // An id nothing can be built for, and an absurd count.
    const qsizetype countAt = 4 + 7 + 8 + 2 * (4 + 7 + 10 + 8);
    QByteArray unknown = bytes;
    unknown[countAt + 4] = 42;
    unknown[countAt + 5] = 0;
    {
        TGraphArea area(g.panel.get());
        TElementReader r(unknown);
        EXPECT_THROW(area.Load(r, true), EChartLoadError);
    }
    QByteArray huge = bytes;
    huge.replace(countAt, 4, QByteArray("\xFF\xFF\xFF\x7F", 4));
    {
        TGraphArea area(g.panel.get());
        TElementReader r(huge);
        EXPECT_THROW(area.Load(r, true), EChartLoadError);
    }
}

TEST(ElementStream, PanelSettingsBlockIsFourteenBytes)
{
    TPanelSettings s;
    s.LeftVisible = 0;
    s.LineHeight = 13;
    s.AxisWidth = 56;
    TElementWriter w;
    s.Save(w);
    ASSERT_EQ(w.Data().size(), TPanelSettings::BlockSize);
    TPanelSettings t;
    TElementReader r(w.Data());
    t.Load(r);
    EXPECT_EQ(t.LeftVisible, 0);
    EXPECT_EQ(t.RightVisible, 1);
    EXPECT_EQ(t.LineHeight, 13);
    EXPECT_EQ(t.AxisWidth, 56);
}

TEST(PatternStore, StoredStylesGoToTheNextNewChart)
{
    EnsureGuiApp();
    TPatternMenager store;
    {
        PanelFixture f(50, QSize(800, 600), &store);
        f.panel->XAxis()->ShowDate = 0;
        f.panel->XAxis()->GridColor = 0x00FFFF;
        f.area().RightAxis->LineColor = 0x0000FF;
        f.area().RightAxis->VScale = 4;  // per chart, not a style
        store.Store(*f.panel->XAxis());
        store.Store(*f.area().RightAxis);
        FakePrice styled;
        styled.Color = 0x808080;
        styled.AxisSide = 1;
        store.Store(styled);
    }
    PanelFixture g(50, QSize(800, 600), &store);
    EXPECT_EQ(g.panel->XAxis()->ShowDate, 0);
    EXPECT_EQ(g.panel->XAxis()->GridColor, 0x00FFFFu);
    EXPECT_EQ(g.area().LeftAxis->LineColor, 0x0000FFu);
    EXPECT_EQ(g.area().RightAxis->LineColor, 0x0000FFu);
    EXPECT_DOUBLE_EQ(g.area().RightAxis->VScale, 1.0);
    // The new price takes the colour but stays on the side it was put on.
    TGraphIndicator *price = g.area().Indicators[0].get();
    EXPECT_EQ(price->Color, 0x808080u);
    EXPECT_EQ(price->AxisSide, 0);
    EXPECT_EQ(price->OwnerAxis, g.area().RightAxis.get());
    // New areas take the axis style too.
    EXPECT_EQ(g.panel->AddArea()->RightAxis->LineColor, 0x0000FFu);
}

TEST(PatternStore, FileKeepsEntriesSortedAsTextAndSurvivesDamage)
{
    TPatternMenager store;
    TOxyYArea axis(nullptr, nullptr, 0);
    axis.LineColor = 0x112233;
    store.Store(axis);
    FakeIndicator ind(1000);
    ind.PenWidth = 3;
    store.Store(ind);
    ind.PenWidth = 4;
    store.Store(ind);  // replaces
    EXPECT_EQ(store.Count(), 2);

    const QByteArray bytes = store.Serialize();
    EXPECT_EQ(bytes.mid(4, 4), QByteArray("1000"));  // "1000" sorts before "   7"'s "7"
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("kelvra.pat"));
    ASSERT_TRUE(store.SaveFile(path));

    TPatternMenager loaded;
    ASSERT_TRUE(loaded.LoadFile(path));
    FakeIndicator fresh(1000);
    loaded.Apply(fresh);
    EXPECT_EQ(fresh.PenWidth, 4);
    TOxyYArea freshAxis(nullptr, nullptr, 0);
    loaded.Apply(freshAxis);
    EXPECT_EQ(freshAxis.LineColor, 0x112233u);

    // A cut file keeps the entries read before the damage.
    TPatternMenager partial;
    EXPECT_FALSE(partial.Deserialize(bytes.left(bytes.size() - 3)));
    EXPECT_TRUE(partial.Has(1000));
    EXPECT_FALSE(partial.Has(7));
    TPatternMenager none;
    EXPECT_FALSE(none.LoadFile(dir.filePath(QStringLiteral("missing.pat"))));
    EXPECT_EQ(none.Count(), 0);
    // A length beyond the data is refused without reading it.
    QByteArray lying = bytes;
    lying.replace(8, 4, QByteArray("\xFF\xFF\xFF\xFF", 4));
    EXPECT_FALSE(none.Deserialize(lying));
}

} // namespace
