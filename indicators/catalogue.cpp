#include "catalogue.h"

#include "multiindicators.h"
#include "periodindicators.h"
#include "simpleindicators.h"

const QStringList &CatalogueLongNames()
{
    static const QStringList names{
        QStringLiteral("Moving Average"),
        QStringLiteral("Parabolic SAR"),
        QStringLiteral("Trix"),
        QStringLiteral("Bollinger Bands"),
        QStringLiteral("Hilbert Transform"),
        QStringLiteral("Midle Price over period"),
        QStringLiteral("Midle Point over period"),
        QStringLiteral("Average True Range"),
        QStringLiteral("True Range"),
        QStringLiteral("Average Directional Movement Index"),
        QStringLiteral("Average Directional Movement Index Rating"),
        QStringLiteral("Commodity Channel Index"),
        QStringLiteral("Directional Movement Index"),
        QStringLiteral("Minus Directional Indicator"),
        QStringLiteral("Minus Directional Movement"),
        QStringLiteral("Momentum"),
        QStringLiteral("Plus Directional Indicator"),
        QStringLiteral("Plus Directional Movement"),
        QStringLiteral("Rate of change : ((price/prevPrice)-1)*100"),
        QStringLiteral("Rate of change Percentage: (price-prevPrice)/prevPrice"),
        QStringLiteral("Rate of change ratio: (price/prevPrice)"),
        QStringLiteral("Rate of change ratio 100 scale: (price/prevPrice)*100"),
        QStringLiteral("Relative Strength Index"),
        QStringLiteral("Linear Regression"),
        QStringLiteral("Linear Regression Slope"),
        QStringLiteral("Linear Regression Angle"),
        QStringLiteral("Linear Regression Intercept"),
        QStringLiteral("Time Series Forecast"),
        QStringLiteral("Williams' %R"),
        QStringLiteral("Moving Average Convergence"),
        QStringLiteral("Stochastic"),
    };
    return names;
}

const QStringList &CatalogueShortNames()
{
    static const QStringList names{
        QStringLiteral("MA"),     QStringLiteral("P SAR"), QStringLiteral("Trix"),  QStringLiteral("BBands"),
        QStringLiteral("HilbT"),  QStringLiteral("MPrOP"), QStringLiteral("MPOP"),  QStringLiteral("ATR"),
        QStringLiteral("TR"),     QStringLiteral("ADMI"),  QStringLiteral("ADMIR"), QStringLiteral("CCI"),
        QStringLiteral("DMI"),    QStringLiteral("MDI"),   QStringLiteral("MDM"),   QStringLiteral("Momentum"),
        QStringLiteral("PDI"),    QStringLiteral("PDM"),   QStringLiteral("ROC"),   QStringLiteral("ROCP"),
        QStringLiteral("ROCR"),   QStringLiteral("RCR100"), QStringLiteral("RSI"),  QStringLiteral("LR"),
        QStringLiteral("LRS"),    QStringLiteral("LRA"),   QStringLiteral("LRI"),   QStringLiteral("TSF"),
        QStringLiteral("WR"),     QStringLiteral("MAC"),   QStringLiteral("Stoch"),
    };
    return names;
}

QString CatalogueShortName(int n)
{
    return n >= 0 && n < CatalogueShortNames().size() ? CatalogueShortNames()[n] : QString();
}

const QStringList &MovingAverageMethods()
{
    static const QStringList methods{
        QStringLiteral("Simple"),
        QStringLiteral("Exponential"),
        QStringLiteral("Weighted"),
        QStringLiteral("Double Exponential"),
        QStringLiteral("Triple Exponential"),
        QStringLiteral("Triangular"),
        QStringLiteral("Kaufman Adaptive"),
        QStringLiteral("MESA Adaptive"),
    };
    return methods;
}

namespace {
std::unique_ptr<TOtherIndicator> make(int n)
{
    switch (n) {
    case 0: return std::make_unique<T_MA_Indicator>();
    case 1: return std::make_unique<T_SAR_Indicator>();
    case 2: return std::make_unique<T_TRIX_Indicator>();
    case 3: return std::make_unique<T_BBANDS_Indicator>();
    case 4: return std::make_unique<T_HT_TRENDLINE_Indicator>();
    case 5: return std::make_unique<T_MIDPRICE_Indicator>();
    case 6: return std::make_unique<T_MIDPOINT_Indicator>();
    case 7: return std::make_unique<T_ATR_Indicator>();
    case 8: return std::make_unique<T_TRANGE_Indicator>();
    case 9: return std::make_unique<T_ADX_Indicator>();
    case 10: return std::make_unique<T_ADXR_Indicator>();
    case 11: return std::make_unique<T_CCI_Indicator>();
    case 12: return std::make_unique<T_DX_Indicator>();
    case 13: return std::make_unique<T_MINUS_DI_Indicator>();
    case 14: return std::make_unique<T_MINUS_DM_Indicator>();
    case 15: return std::make_unique<T_MOM_Indicator>();
    case 16: return std::make_unique<T_PLUS_DI_Indicator>();
    case 17: return std::make_unique<T_PLUS_DM_Indicator>();
    case 18: return std::make_unique<T_ROC_Indicator>();
    case 19: return std::make_unique<T_ROCP_Indicator>();
    case 20: return std::make_unique<T_ROCR_Indicator>();
    case 21: return std::make_unique<T_ROCR100_Indicator>();
    case 22: return std::make_unique<T_RSI_Indicator>();
    case 23: return std::make_unique<T_LINEARREG_Indicator>();
    case 24: return std::make_unique<T_LINEARREG_SLOPE_Indicator>();
    case 25: return std::make_unique<T_LINEARREG_ANGLE_Indicator>();
    case 26: return std::make_unique<T_LINEARREG_INTERCEPT_Indicator>();
    case 27: return std::make_unique<T_TSF_Indicator>();
    case 28: return std::make_unique<T_WILLR_Indicator>();
    case 29: return std::make_unique<T_MACD_Indicator>();
    case 30: return std::make_unique<T_STOCH_Indicator>();
    default: return nullptr;
    }
}
} // namespace

std::unique_ptr<TOtherIndicator> CreateIndicator(int n, const QStringList &names)
{
    std::unique_ptr<TOtherIndicator> ind = make(n);
    if (!ind)
        return nullptr;
    ind->ResetDefaults();
    ind->Name = n < names.size() ? names[n] : QString();
    return ind;
}
