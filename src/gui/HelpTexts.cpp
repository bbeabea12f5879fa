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

QString addressesHelp()
{
    return QStringList{
        QStringLiteral("Lists every e-mail address in the mail, one result each, as it is written."),
        QString(),
        QStringLiteral("An address is a name, \"@\" and a domain. The name has letters and digits of any language "
                       "and . _ % + - (no dot at either end, no two dots in a row); the domain has two or more "
                       "parts of letters, digits and inner hyphens, joined by dots, the last of at least two "
                       "letters. \"mailto:\", brackets, quotes and punctuation around an address are left out."),
        QString(),
        QStringLiteral("If one of the files has this for content:"),
        QString(),
        QStringLiteral("Write to <ann.lee@example.com>, bob@example.org; or j\u00FCrgen@b\u00FCcher.de."),
        QStringLiteral("<a href=\"mailto:cy@example.net?subject=Hi\">Cy</a>"),
        QStringLiteral("user@localhost, a@b"),
        QString(),
        QStringLiteral("then "),
        QString(),
        QStringLiteral("ann.lee@example.com"),
        QStringLiteral("bob@example.org"),
        QStringLiteral("j\u00FCrgen@b\u00FCcher.de"),
        QStringLiteral("cy@example.net"),
        QString(),
        QStringLiteral("will be extracted."),
    }
        .join(u'\r');
}

QString patternHelp()
{
    return QStringList{
        QStringLiteral("Lists the lines that match a pattern, written as for grep -E (POSIX extended regular "
                       "expressions):"),
        QString(),
        QStringLiteral(". any character    [abc] a, b or c    [^0-9] anything but a digit    [[:alpha:]] a letter"),
        QStringLiteral("* + ? {2,5} repeat what comes before    | either side    ( ) a group"),
        QStringLiteral("^ the start of a line    $ its end    \\ before any of these: the character itself"),
        QStringLiteral("\\d a digit    \\w a letter, digit or _    \\s a space    \\b the start or end of a word "
                       "(of a-z, 0-9 and _)"),
        QString(),
        QStringLiteral("If one of the files has this for content:"),
        QString(),
        QStringLiteral("Order PO-12345 shipped"),
        QStringLiteral("Order PO-9 has too few digits"),
        QStringLiteral("Call 555-0147 today"),
        QString(),
        QStringLiteral("and your input is: PO-[0-9]{5}|[0-9]{3}-[0-9]{4}"),
        QString(),
        QStringLiteral("then "),
        QString(),
        QStringLiteral("Order PO-12345 shipped"),
        QStringLiteral("Call 555-0147 today"),
        QString(),
        QStringLiteral("will be extracted."),
        QString(),
        QStringLiteral("With case sensitivity turned off, letters match in either case, in any language. A "
                       "pattern that cannot be used is reported with the place and the reason."),
    }
        .join(u'\r');
}

} // namespace gui
