#include "platform/Dialogs.h"

namespace platform {

QString appTitle()
{
    return QStringLiteral("Quillmere");
}

void Dialogs::message(const QString& text)
{
    messageBox(text, Buttons::Ok, Icon::None, appTitle());
}

bool Dialogs::askYesNo(const QString& text)
{
    return messageBox(text, Buttons::YesNo, Icon::None, appTitle()) == Answer::Yes;
}

QString Dialogs::input(const QString& prompt)
{
    return inputBox(prompt, appTitle(), QString());
}

QList<FilterEntry> parseFilter(const QString& filter)
{
    const QStringList parts = filter.split(u'|');
    QList<FilterEntry> entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (!parts[i].isEmpty())
            entries.append({parts[i], parts[i + 1]});
    }
    return entries;
}

} // namespace platform
