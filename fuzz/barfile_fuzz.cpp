// Bar files as a chart's series loads them. A loaded series keeps its times
// strictly increasing, and what it writes back reads back bar for bar.
#include <cstdlib>

#include <QDir>

#include "barfile.h"
#include "fuzzsupport.h"
#include "serdata.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString dir = fuzz::ScratchDir();
    TSerData series(3, 1, QStringLiteral("EURUSD"));
    fuzz::WriteScratchFile(series.BarFileName(dir), {data, size});
    series.LoadBarFile(dir);
    for (int i = 1; i <= series.Last; ++i)
        if (series.Time()[i] <= series.Time()[i - 1])
            std::abort();
    if (series.Last < 0)
        return 0;

    const QString out = QDir(dir).filePath(QStringLiteral("out"));
    QDir().mkpath(out);
    series.Modified = true;
    if (!series.SaveBarFile(out))
        std::abort();
    TSerData reread(3, 1, QStringLiteral("EURUSD"));
    reread.LoadBarFile(out);
    if (reread.Count() != series.Count())
        std::abort();
    for (int i = 0; i <= series.Last; ++i)
        if (reread.Bar(i) != series.Bar(i))
            std::abort();
    return 0;
}
