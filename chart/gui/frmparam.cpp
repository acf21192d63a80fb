#include "frmparam.h"

#include <QMdiArea>
#include <QMdiSubWindow>

TFrmParam::TFrmParam(std::unique_ptr<TbaseParam> p, QWidget *parent) : QWidget(parent), param(std::move(p))
{
    setMinimumSize(180, 140);
    resize(186, 192);
}

QMdiSubWindow *TFrmParam::Frame() const { return qobject_cast<QMdiSubWindow *>(parentWidget()); }

QList<TFrmParam *> TFrmParam::Windows(QMdiArea *mdi)
{
    QList<TFrmParam *> found;
    for (QMdiSubWindow *sub : mdi->subWindowList())
        if (auto *w = qobject_cast<TFrmParam *>(sub->widget()))
            found << w;
    return found;
}

TFrmParam *TFrmParam::ShowForParam(QMdiArea *mdi, std::unique_ptr<TbaseParam> p,
                                   const std::function<bool(TFrmParam *)> &isWanted,
                                   const std::function<TFrmParam *(std::unique_ptr<TbaseParam>)> &create)
{
    if (!p)
        return nullptr;
    TFrmParam *window = nullptr;
    for (TFrmParam *w : Windows(mdi))
        if (w->Tag() == p->Key && isWanted(w)) {
            window = w;
            window->TakeParam(std::move(p));
            break;
        }
    if (!window) {
        window = create(std::move(p));
        if (!window)
            return nullptr;
        if (!window->Frame())
            mdi->addSubWindow(window);
    }
    QMdiSubWindow *frame = window->Frame();
    if (frame->isMinimized())
        frame->showNormal();
    else
        frame->show();
    window->show();
    mdi->setActiveSubWindow(frame);
    frame->raise();
    return window;
}
