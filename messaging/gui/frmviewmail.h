#pragma once

#include <QWidget>

class QLabel;
class QTextEdit;
class TUserMail;

// The mail viewer: a tool window above the others with sender, date and
// subject over the text (formatted when it is rich text).
class TfrmViewMail : public QWidget {
    Q_OBJECT
public:
    explicit TfrmViewMail(QWidget *parent = nullptr);

    // Shows the mail and gives the window the focus; none hides it.
    void Show(const TUserMail *mail);
    // Hides the window when it shows the mail with that id.
    void HideIfShowing(qint32 id);
    qint32 ShownId() const { return shownId; }
    void Retranslate();

    QWidget *Panel1;
    QLabel *Label1, *Label2, *Label3, *lfrom, *ldate, *lSubject;
    QTextEdit *reContent;

private:
    qint32 shownId = 0;
};
