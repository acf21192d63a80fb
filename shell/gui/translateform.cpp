#include "translateform.h"

#include <QAbstractButton>
#include <QAction>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMetaObject>
#include <QTabWidget>
#include <QTreeView>
#include <QVariant>

#include "languagetables.h"

namespace {

constexpr char kTagProperty[] = "tag";
constexpr int kTranslated = 65536;  // a tag above this carries a language index

bool translatable(const QObject *o) { return Tag(o) > kTranslated; }

void translateMenu(QMenu *menu)
{
    if (translatable(menu))
        menu->setTitle(CaptionText(Tag(menu)));
    for (QAction *a : menu->actions()) {
        if (translatable(a))
            a->setText(CaptionText(Tag(a)));
        if (QMenu *sub = a->menu())
            translateMenu(sub);
    }
}

void translateControl(QObject *o)
{
    if (auto *dialog = qobject_cast<QFileDialog *>(o)) {
        // Whatever the tag: no language index gives the system's own title.
        dialog->setWindowTitle(CaptionText(Tag(dialog)));
        return;
    }
    if (auto *menu = qobject_cast<QMenu *>(o)) {
        translateMenu(menu);
        return;
    }
    if (auto *action = qobject_cast<QAction *>(o)) {
        if (translatable(action))
            action->setText(CaptionText(Tag(action)));
        return;
    }
    if (auto *tabs = qobject_cast<QTabWidget *>(o)) {
        for (int i = 0; i < tabs->count(); ++i)
            if (translatable(tabs->widget(i)))
                tabs->setTabText(i, CaptionText(Tag(tabs->widget(i))));
        return;
    }
    // A list control translates its own column captions.
    if (o->metaObject()->indexOfMethod("RetranslateColumns()") >= 0) {
        QMetaObject::invokeMethod(o, "RetranslateColumns");
        return;
    }
    if (!translatable(o))
        return;
    const QString text = CaptionText(Tag(o));
    if (auto *edit = qobject_cast<QLineEdit *>(o))
        edit->setText(text);
    else if (auto *label = qobject_cast<QLabel *>(o))
        label->setText(text);
    else if (auto *button = qobject_cast<QAbstractButton *>(o))
        button->setText(text);
}

void translateTree(QObject *root)
{
    for (QObject *child : root->children()) {
        if (qobject_cast<QMdiSubWindow *>(child))
            continue;  // child windows have their own pass
        translateControl(child);
        translateTree(child);
    }
}

} // namespace

void SetTag(QObject *object, int tag) { object->setProperty(kTagProperty, tag); }

int Tag(const QObject *object)
{
    const QVariant v = object ? object->property(kTagProperty) : QVariant();
    return v.isValid() ? v.toInt() : 0;
}

void TranslateForm(QWidget *form, bool withCaption)
{
    if (!form)
        return;
    if (withCaption && Tag(form) >= kTranslated + 1)
        form->setWindowTitle(CaptionText(Tag(form)));
    translateTree(form);
    for (QMdiArea *area : form->findChildren<QMdiArea *>())
        for (QMdiSubWindow *sub : area->subWindowList())
            if (sub->widget())
                TranslateForm(sub->widget(), false);
}
