#include "qttranslations.h"

#include <memory>

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace {
std::unique_ptr<QTranslator> russian;
}

bool ApplyQtTranslations(bool english)
{
    if (english) {
        if (russian)
            QCoreApplication::removeTranslator(russian.get());
        russian.reset();
        return true;
    }
    if (russian)
        return true;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    QCoreApplication::installTranslator(translator.get());
    russian = std::move(translator);
    return true;
}
