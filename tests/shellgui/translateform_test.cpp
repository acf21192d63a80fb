#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>

#include "cmlistview.h"
#include "languagetables.h"
#include "translateform.h"
#include "widgetapp.h"

TEST(TranslateForm, OnlyTagsWithALanguageIndexAreTouched)
{
    EnsureWidgetApp();
    SetEnglish(true);
    QWidget form;
    SetTag(&form, MakeTag(27));
    auto *exact = new QLabel(QStringLiteral("design"), &form);
    SetTag(exact, 65536);  // index 1 << 16 exactly: kept
    auto *noIndex = new QLabel(QStringLiteral("kept"), &form);
    SetTag(noIndex, MakeTag(0, 5));
    auto *nested = new QWidget(&form);
    auto *box = new QCheckBox(nested);
    SetTag(box, MakeTag(98));
    auto *button = new QPushButton(nested);
    SetTag(button, MakeTag(19, 999));
    auto *tabs = new QTabWidget(&form);
    auto *page = new QWidget;
    SetTag(page, MakeTag(95));
    tabs->addTab(page, QStringLiteral("x"));
    auto *menu = new QMenu(&form);
    QAction *item = menu->addAction(QStringLiteral("x"));
    SetTag(item, MakeTag(105));
    QMenu *sub = menu->addMenu(QStringLiteral("sub"));
    QAction *deep = sub->addAction(QStringLiteral("y"));
    SetTag(deep, MakeTag(15));
    auto *list = new TCMListView(&form);
    list->SetColumns({{18, Qt::AlignLeft, 60, 0}});

    TranslateForm(&form, true);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Authorization"));
    EXPECT_EQ(exact->text(), QStringLiteral("design"));
    EXPECT_EQ(noIndex->text(), QStringLiteral("kept"));
    EXPECT_EQ(box->text(), QStringLiteral("Save password"));
    EXPECT_EQ(button->text(), QStringLiteral("Ok"));
    EXPECT_EQ(TagParameter(button), 999);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("Connection"));
    EXPECT_EQ(item->text(), QStringLiteral("Setup"));
    EXPECT_EQ(deep->text(), QStringLiteral("Cancel"));

    // To Russian and back: every text follows, without the title when asked.
    SetEnglish(false);
    form.setWindowTitle(QStringLiteral("same"));
    TranslateForm(&form, false);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("same"));
    EXPECT_EQ(box->text(), CaptionTextIn(false, 98));
    EXPECT_EQ(list->Rows().headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), CaptionTextIn(false, 18));
    SetEnglish(true);
    TranslateForm(&form, true);
    EXPECT_EQ(box->text(), QStringLiteral("Save password"));
    EXPECT_EQ(list->Rows().headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Id"));
}
