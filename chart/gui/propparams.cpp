#include "propparams.h"

#include <algorithm>
#include <cmath>

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QStandardItemModel>
#include <QToolButton>
#include <QVBoxLayout>

#include "catalogue.h"
#include "languagetables.h"
#include "otherindicator.h"
#include "penpicker.h"
#include "textformat.h"

namespace {

constexpr int kLabelX = 20;
constexpr int kInputX = 100;
constexpr int kEditWidth = 60;
constexpr int kMethodWidth = 120;
constexpr int kUpDownWidth = 16;

[[noreturn]] void refuse(const QString &message, QWidget *control) { throw TPropInputError{message, control}; }

// The text of an edit that must hold something.
QString requiredText(QLineEdit *edit)
{
    const QString text = edit->text().trimmed();
    if (text.isEmpty())
        refuse(CachedTexts().ValueRequired, edit);
    return text;
}

[[noreturn]] void refuseRange(int32_t minimum, int32_t maximum, QWidget *control)
{
    refuse(RangeMessage(CachedTexts().IntegerOutOfRange, QString::number(minimum), QString::number(maximum)), control);
}

int32_t readInteger(QLineEdit *edit, int32_t minimum, int32_t maximum)
{
    bool ok = false;
    const qlonglong value = requiredText(edit).toLongLong(&ok);
    if (!ok)
        refuse(CachedTexts().IncorrectValue, edit);
    if (value < minimum || value > maximum)
        refuseRange(minimum, maximum, edit);
    return int32_t(value);
}

} // namespace

QString RangeMessage(const QString &text, const QString &minimum, const QString &maximum)
{
    const QString filled = FormatText(text, {minimum, maximum});
    if (filled != text)
        return filled;
    return QStringLiteral("%1 (%2 .. %3)").arg(text, minimum, maximum);
}

double ReadRealInput(QLineEdit *edit, double minimum, double maximum, const QString &minText, const QString &maxText)
{
    QString text = requiredText(edit);
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        refuse(CachedTexts().IncorrectValue, edit);
    if (value < minimum || value > maximum)
        refuse(RangeMessage(CachedTexts().PriceOutOfRange, minText, maxText), edit);
    return value;
}

// ---- the up-down

TParamUpDown::TParamUpDown(QLineEdit *associate, QWidget *parent) : QWidget(parent), edit(associate)
{
    UpButton = new QToolButton(this);
    DownButton = new QToolButton(this);
    UpButton->setArrowType(Qt::UpArrow);
    DownButton->setArrowType(Qt::DownArrow);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QToolButton *b : {UpButton, DownButton}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRepeat(true);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        layout->addWidget(b);
    }
    connect(UpButton, &QToolButton::clicked, this, [this] { Step(1); });
    connect(DownButton, &QToolButton::clicked, this, [this] { Step(-1); });
    edit->installEventFilter(this);
}

void TParamUpDown::SetRange(int min, int max)
{
    minimum = min;
    maximum = std::max(min, max);
    position = std::clamp(position, minimum, maximum);
}

void TParamUpDown::SetPosition(int p)
{
    position = std::clamp(p, minimum, maximum);
}

void TParamUpDown::Step(int delta)
{
    bool ok = false;
    const qlonglong typed = edit->text().trimmed().toLongLong(&ok);
    const qlonglong from = ok ? std::clamp<qlonglong>(typed, minimum, maximum) : position;
    position = int(std::clamp<qlonglong>(from + delta, minimum, maximum));
    edit->setText(QString::number(position));
}

bool TParamUpDown::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == edit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            Step(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---- the rows

void TParamRows::Clear()
{
    for (QWidget *w : Controls())
        delete w;
    rows.clear();
}

std::vector<QWidget *> TParamRows::Controls() const
{
    std::vector<QWidget *> controls;
    for (const Row &row : rows)
        for (QWidget *w : {static_cast<QWidget *>(row.Label), static_cast<QWidget *>(row.Edit),
                           static_cast<QWidget *>(row.Methods), static_cast<QWidget *>(row.UpDown)})
            if (w)
                controls.push_back(w);
    return controls;
}

void TParamRows::Build(QWidget *page, TOtherIndicator &ind)
{
    Clear();
    const int count = ind.ParamCount();
    int labelHeight = 0;
    for (int i = 1; i <= count; ++i) {
        TParamDescriptor d;
        try {
            if (!ind.ParamDescriptor(i, d))
                continue;
        } catch (const std::exception &) {
            continue;
        }
        Row row;
        row.Index = i;
        row.Kind = d.Kind;
        row.Minimum = d.Minimum;
        row.Maximum = d.Maximum;
        row.Label = new QLabel(d.Name, page);
        if (labelHeight == 0)
            labelHeight = row.Label->sizeHint().height();
        const int top = labelHeight + int(rows.size()) * 2 * labelHeight;
        row.Label->move(kLabelX, top);
        QWidget *input = nullptr;
        if (d.Kind == TParamKind::Method) {
            row.Methods = new QComboBox(page);
            row.Methods->addItems(MovingAverageMethods());
            for (int k = 0; k < row.Methods->count(); ++k) {
                row.Methods->setItemData(k, k);
                // A method below the descriptor's minimum cannot be chosen.
                if (k < d.Minimum || k > d.Maximum)
                    if (auto *model = qobject_cast<QStandardItemModel *>(row.Methods->model()))
                        model->item(k)->setEnabled(false);
            }
            // A stored method the list does not name stays what it is.
            const int value = d.IntValue ? *d.IntValue : 0;
            SelectByData(row.Methods, value, row.Methods->count(), QString::number(value));
            row.Methods->resize(kMethodWidth, row.Methods->sizeHint().height());
            input = row.Methods;
        } else {
            row.Edit = new QLineEdit(page);
            row.Edit->resize(kEditWidth, row.Edit->sizeHint().height());
            input = row.Edit;
            if (d.Kind == TParamKind::Real) {
                const double value = d.RealValue ? *d.RealValue : 0;
                row.Edit->setText(QString::number(value, 'f', QLocale::FloatingPointShortest));
            } else {
                const int value = d.IntValue ? *d.IntValue : 0;
                row.Edit->setText(QString::number(value));
                row.UpDown = new TParamUpDown(row.Edit, page);
                row.UpDown->SetRange(d.Minimum, d.Maximum);
                row.UpDown->SetPosition(value);
            }
        }
        // The input sits centred on its label's row.
        const int inputTop = top + (labelHeight - input->height()) / 2;
        input->move(kInputX, inputTop);
        if (row.UpDown)
            row.UpDown->setGeometry(kInputX + kEditWidth, inputTop, kUpDownWidth, row.Edit->height());
        rows.push_back(row);
    }
}

std::vector<TParamValue> TParamRows::Read() const
{
    std::vector<TParamValue> values;
    values.reserve(rows.size());
    for (const Row &row : rows) {
        TParamValue v;
        switch (row.Kind) {
        case TParamKind::Real:
            v.Real = ReadRealInput(row.Edit, row.Minimum, row.Maximum, QString::number(row.Minimum),
                                   QString::number(row.Maximum));
            break;
        case TParamKind::Method:
            v.Int = row.Methods->currentData().toInt();
            if (v.Int < row.Minimum || v.Int > row.Maximum)
                refuseRange(row.Minimum, row.Maximum, row.Methods);
            break;
        case TParamKind::Integer:
        case TParamKind::IntegerUpDown:
            v.Int = readInteger(row.Edit, row.Minimum, row.Maximum);
            break;
        }
        values.push_back(v);
    }
    return values;
}

void TParamRows::Store(TOtherIndicator &ind, const std::vector<TParamValue> &values) const
{
    for (size_t k = 0; k < rows.size() && k < values.size(); ++k) {
        TParamDescriptor d;
        try {
            if (!ind.ParamDescriptor(rows[k].Index, d) || d.Kind != rows[k].Kind)
                continue;
        } catch (const std::exception &) {
            continue;
        }
        if (d.Kind == TParamKind::Real) {
            if (d.RealValue)
                *d.RealValue = values[k].Real;
        } else if (d.IntValue) {
            *d.IntValue = values[k].Int;
        }
    }
}
