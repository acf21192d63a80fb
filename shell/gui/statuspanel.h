#pragma once

#include <QWidget>

// One panel of the main window's status bar. A long text is elided to the
// width the bar gives the panel instead of widening the window; the whole
// text is always in the panel's tooltip.
class TStatusPanel : public QWidget {
    Q_OBJECT
public:
    TStatusPanel(int minimumWidth, QWidget *parent = nullptr);

    void setText(const QString &text);
    // The whole text, as it was set.
    QString text() const { return fullText; }
    // What the panel shows at its present width.
    QString shownText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString fullText;
    int minWidth;
};
