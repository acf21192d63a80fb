// The rich-text reader of mail texts, as the mail viewer loads a text.
#include <QTextDocument>

#include "fuzzsupport.h"
#include "rtfreader.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::InitApp(true);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QTextDocument document;
    LoadMailContent(document, fuzz::Bytes({data, size}));
    document.toPlainText();
    return 0;
}
