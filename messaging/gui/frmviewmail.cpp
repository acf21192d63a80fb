#include "frmviewmail.h"

#include <QLabel>
#include <QTextEdit>
#include <QVBoxLayout>

#include "focusonhover.h"
#include "languagetables.h"
#include "rtfreader.h"
#include "usermail.h"

TfrmViewMail::TfrmViewMail(QWidget *parent) : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("frmViewMail"));
    resize(538, 330);
    Panel1 = new QWidget(this);
    Panel1->setFixedHeight(65);
    QFont bold = font();
    bold.setBold(true);
    const auto label = [this, &bold](int y, bool caption) {
        auto *l = new QLabel(Panel1);
        if (caption) {
            l->setGeometry(8, y, 81, 16);
            l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            l->setFont(bold);
        } else {
            l->setGeometry(96, y, 420, 16);
            l->setTextFormat(Qt::PlainText);
        }
        return l;
    };
    Label1 = label(8, true);
    Label2 = label(24, true);
    Label3 = label(40, true);
    lfrom = label(8, false);
    ldate = label(24, false);
    lSubject = label(40, false);
    reContent = NewContentPane(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);
    layout->addWidget(reContent);
    setFocusPolicy(Qt::StrongFocus);
    auto *hover = new TFocusOnHover(this);
    hover->Watch(Panel1);
    hover->Watch(reContent->viewport());
    Retranslate();
}

void TfrmViewMail::Retranslate()
{
    setWindowTitle(CaptionText(123 << 16));
    Label1->setText(CaptionText(124 << 16));
    Label2->setText(CaptionText(126 << 16));
    Label3->setText(CaptionText(125 << 16));
}

void TfrmViewMail::Show(const TUserMail *mail)
{
    if (!mail) {
        shownId = 0;
        hide();
        return;
    }
    shownId = mail->Id;
    lfrom->setText(mail->FromText());
    lSubject->setText(mail->SubjectText());
    ldate->setText(mail->DateText());
    reContent->clear();
    LoadMailContent(*reContent->document(), mail->Content);
    show();
    raise();
    activateWindow();
    setFocus(Qt::OtherFocusReason);
}

void TfrmViewMail::HideIfShowing(qint32 id)
{
    if (isVisible() && shownId == id)
        Show(nullptr);
}
