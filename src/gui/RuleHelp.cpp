#include "gui/RuleHelp.h"

#include <QStringList>

namespace gui {

QString betweenHelp()
{
    // An empty piece stands for an empty line; lines are joined by a lone CR.
    return QStringList{
        QStringLiteral("If one of the files has this for content:"),
        QString(),
        QStringLiteral("The rain in spain falls mainly on the plain."),
        QString(),
        QStringLiteral("and your input is: "),
        QStringLiteral("p"),
        QStringLiteral("n"),
        QString(),
        QStringLiteral("then "),
        QString(),
        QStringLiteral("ai"),
        QStringLiteral("lai"),
        QString(),
        QStringLiteral("will be extracted."),
        QString(),
        QStringLiteral("If one of the files has this for content:"),
        QString(),
        QStringLiteral("<p>You receive this note because you asked Tallow &amp; Finch Bookbinders for news. "
                       "<a href=\"https://news.tallowfinch.example/leave?list=autumn&remove=ruth.okafor@example.net\" "
                       "target=\"_blank\">Unsubscribe</a></p>"),
        QString(),
        QStringLiteral("and your input is: "),
        QStringLiteral("remove="),
        QStringLiteral(" target"),
        QString(),
        QStringLiteral("then "),
        QString(),
        QStringLiteral("ruth.okafor@example.net"),
        QString(),
        QStringLiteral("will be extracted."),
    }
        .join(u'\r');
}

QString textSetsHelp()
{
    const QStringList paragraphs{
        QStringLiteral("A text set is a set of words or characters."),
        QStringLiteral("Add what you want to search for into the set by selecting \"Add Text\""),
        QStringLiteral("Sample Execution:"),
        QStringList{
            QStringLiteral("Sample File:"),
            QStringLiteral("The lantern swings above the quay,"),
            QStringLiteral("   the tide runs slow and grey;"),
            QStringLiteral("A heron stands where waters turn,"),
            QStringLiteral("   then lifts and drifts away."),
            QString(),
            QStringLiteral("The boats ride home on the evening tide,"),
            QStringLiteral("   the gulls fold into night;"),
            QStringLiteral("And every window on the hill"),
            QStringLiteral("   keeps one small quiet light."),
            QStringLiteral("      (Harbour Evening, anonymous)"),
        }
            .join(u'\r'),
        QStringList{QStringLiteral("Containing Text:"), QStringLiteral("q"), QStringLiteral("tide"),
                    QStringLiteral("gulls")}
            .join(u'\r'),
        QStringList{
            QStringLiteral("Results:"),
            QStringLiteral("The lantern swings above the quay,"),
            QStringLiteral("the tide runs slow and grey;"),
            QStringLiteral("The boats ride home on the evening tide,"),
            QStringLiteral("the gulls fold into night;"),
            QStringLiteral("keeps one small quiet light."),
        }
            .join(u'\r'),
    };
    return paragraphs.join(QStringLiteral("\r\r"));
}

} // namespace gui
