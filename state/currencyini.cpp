#include <vector>

#include "clientlists.h"
#include "inifile.h"
#include "languagetables.h"
#include "sixbittext.h"

namespace {
const QString CurrencySection = QStringLiteral("currency");
const QString DesktopSection = QStringLiteral("desktop");
const QString LangKey = QStringLiteral("Lang");
}

void TListCurrency::SaveToIni(TIniFile &ini) const
{
    ini.EraseSection(CurrencySection);
    for (int i = 0; i < Count(); ++i) {
        const auto image = Item(i)->SaveImage();
        const std::string text = EncodeSixBitText(std::vector<uint8_t>(image.begin(), image.end()));
        ini.WriteString(CurrencySection, QString::number(i), QString::fromStdString(text));
    }
    ini.WriteInteger(DesktopSection, LangKey, IsEnglish() ? 1 : 0);
}

int TListCurrency::LoadFromIni(TIniFile &ini)
{
    SetEnglish(ini.ReadBool(DesktopSection, LangKey, IsEnglish()));
    int added = 0;
    for (const auto &[key, value] : ini.SectionValues(CurrencySection)) {
        const std::vector<uint8_t> image = DecodeSixBitText(value.toStdString());
        if (image.size() != TUserCurrency::ImageSize)
            continue;
        auto instrument = std::make_unique<TUserCurrency>(this);
        instrument->LoadImage(image);
        // A stored line whose id is already loaded is skipped: one damaged
        // line must not stop the start.
        if (Find(instrument->Id))
            continue;
        AddInstrument(std::move(instrument));
        ++added;
    }
    return added;
}
