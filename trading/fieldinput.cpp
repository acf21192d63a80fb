#include "fieldinput.h"

#include <cmath>

#include <QLineEdit>
#include <QVariantList>

#include "languagetables.h"
#include "textformat.h"
#include "units.h"

void RaiseValueRequired(QWidget *control) { throw EInputError(CachedTexts().ValueRequired, control); }

int ReadInteger(QLineEdit *edit, bool required, int min, int max)
{
    const QString text = edit->text().trimmed();
    if (text.isEmpty()) {
        if (required)
            RaiseValueRequired(edit);
        return 0;
    }
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    if (!ok)
        throw EInputError(CachedTexts().IncorrectValue, edit);
    if (value < min || value > max)
        throw EInputError(FormatText(CachedTexts().IntegerOutOfRange, {min, max}), edit);
    return int(value);
}

double ReadPrice(QLineEdit *edit, bool required, double min, double max)
{
    QString text = edit->text().trimmed();
    if (text.isEmpty()) {
        if (required)
            RaiseValueRequired(edit);
        return 0;
    }
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        throw EInputError(CachedTexts().IncorrectValue, edit);
    if (value < min || value > max)
        throw EInputError(FormatText(CachedTexts().PriceOutOfRange,
                                     {QString::number(min, 'f', 4), QString::number(max, 'f', 4)}),
                          edit);
    return value;
}

qint32 ReadPriceUnits(QLineEdit *edit, bool required, double min, double max)
{
    const double value = ReadPrice(edit, required, min, max);
    return value > 0 ? PriceFromDouble(value) : 0;
}
