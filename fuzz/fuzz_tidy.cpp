// The tidy pass on any content: it ends, changes only empty lines, never starts with an
// empty line, and a second pass over a log without empty lines changes nothing.

#include "fuzz_check.h"
#include "store/tidy_ini_file.h"
#include "text/code_page.h"

namespace {

QStringList linesOf(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\r' && text[i] != u'\n')
            continue;
        lines.append(text.sliced(start, i - start));
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.append(text.sliced(start));
    return lines;
}

QStringList withoutEmpty(QStringList lines)
{
    lines.removeAll(QString());
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = text::decodeText(QByteArrayView(data, qsizetype(size))).text;
    const QStringList tidied = store::tidyLines(text);
    const QStringList before = linesOf(text);
    FUZZ_CHECK(withoutEmpty(tidied) == withoutEmpty(before));
    FUZZ_CHECK(tidied.isEmpty() || !tidied.first().isEmpty());
    for (const QString &line : tidied)
        FUZZ_CHECK(!line.contains(u'\r') && !line.contains(u'\n'));
    if (!before.contains(QString()))
        FUZZ_CHECK(store::tidyLines(tidied.join(QStringLiteral("\r\n"))) == tidied);
    return 0;
}
