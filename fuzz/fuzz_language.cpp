// The about window's language tables: lines "N=text". Any bytes give a table whose texts are whole
// characters (no surrogate cut in half) of at most 253 bytes in UTF-8, each from one line of the file.
#include "fuzzsupport.h"
#include "languagetable.h"

#include <QBuffer>

using namespace quillet;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QBuffer device;
    device.setData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    device.open(QIODevice::ReadOnly);
    const QMap<int, QString> table = ReadLanguageTable(device);
    for (auto it = table.cbegin(); it != table.cend(); ++it) {
        const QString& text = it.value();
        FUZZ_CHECK(text.toUtf8().size() <= 253);
        FUZZ_CHECK(!text.contains(QLatin1Char('\n')));
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text[i].isHighSurrogate()) FUZZ_CHECK(i + 1 < text.size() && text[i + 1].isLowSurrogate());
            if (text[i].isLowSurrogate()) FUZZ_CHECK(i > 0 && text[i - 1].isHighSurrogate());
        }
    }
    return 0;
}
