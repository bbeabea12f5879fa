#include "core/Startup.h"

#include "platform/Desktop.h"

namespace core {

namespace {
QString withoutLastWord(const QString& text)
{
    const qsizetype blank = text.lastIndexOf(u' ');
    return blank < 0 ? text : text.first(blank);
}
} // namespace

QString applicationTitle(const QString& fullName)
{
    QString title = withoutLastWord(fullName);
    while (title.size() > 40 && title.contains(u' '))
        title = withoutLastWord(title);
    return title;
}

QString homePage()
{
    return QStringLiteral(QUILLMERE_HOME_PAGE);
}

void OpenHomePageAtRandom(platform::RandomSource& random, platform::Opener& opener, const QString& page)
{
    if (!page.isEmpty() && random.between(1, 100) == 7)
        opener.open(page);
}

} // namespace core
