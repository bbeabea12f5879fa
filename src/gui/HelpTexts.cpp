#include "gui/HelpTexts.h"

#include <QStringList>

namespace gui {

QString outlookAccessAdvice(const QString& foldersFrameCaption)
{
    return QStringList{
        QStringLiteral("If you are getting a query message that says"),
        QStringLiteral("\"Allow access for x minutes Yes No Help\""),
        QStringLiteral("You may want to deactivate it so that my software can work with Outlook for a longer "
                       "period of time."),
        QStringLiteral("To deactivate this query message, look for an option resembling:"),
        QStringLiteral("Outlook > Tools > Trust Center > Allow programmatic access"),
        QStringLiteral("If You have International Outlook Folders names, please try to check all checkboxes in ") +
            foldersFrameCaption + QStringLiteral(" area."),
    }
        .join(QStringLiteral("\r\n\r\n"));
}

QString linesByNumberHelp()
{
    return QStringList{QStringLiteral("If one of the files has this for content:"),
                       QString(),
                       QStringLiteral("A"),
                       QStringLiteral("B"),
                       QStringLiteral("C"),
                       QStringLiteral("D"),
                       QStringLiteral("E"),
                       QStringLiteral("F"),
                       QStringLiteral("G"),
                       QString(),
                       QStringLiteral("and your input is: 1,3,4"),
                       QString(),
                       QStringLiteral("then "),
                       QString(),
                       QStringLiteral("A"),
                       QStringLiteral("C"),
                       QStringLiteral("D"),
                       QString(),
                       QStringLiteral("will be extracted."),
                       QString(),
                       QStringLiteral("The same lines will be extracted throughout all the files you add to the list.")}
        .join(u'\r');
}

} // namespace gui
