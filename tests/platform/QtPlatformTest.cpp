#include "platform/QtPlatform.h"
#include "platform/ScriptedPlatform.h"
#include "platform/WindowPointer.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace platform;

TEST(FileDialogFilters, CommonDialogFilterBecomesQtNameFilters)
{
    const QString filter =
        QStringLiteral("Text Files (*.txt)|*.txt|Comma Delimited Text Files (*.txt)|*.txt|All Files (*.*)|*.*|");
    ASSERT_EQ(parseFilter(filter).size(), 3);
    EXPECT_EQ(parseFilter(filter)[1].description, QStringLiteral("Comma Delimited Text Files (*.txt)"));
    EXPECT_EQ(qtNameFilters(filter),
              (QStringList{QStringLiteral("Text Files (*.txt)"), QStringLiteral("Comma Delimited Text Files (*.txt)"),
                           QStringLiteral("All Files (*.*)")}));
    EXPECT_EQ(qtNameFilters(QStringLiteral("Stores|*.pst;*.ost|")),
              QStringList{QStringLiteral("Stores (*.pst *.ost)")});
    EXPECT_TRUE(qtNameFilters(QString()).isEmpty());
}

TEST(FileDialogFilters, SelectionIsOnePathOrFolderAndNamesSeparatedByNul)
{
    EXPECT_EQ(joinSelection({QStringLiteral("/mail/a.dbx")}), QStringLiteral("/mail/a.dbx"));
    const QString several = joinSelection({QStringLiteral("/mail/a.dbx"), QStringLiteral("/mail/b c.dbx")});
    EXPECT_EQ(several.split(QChar(u'\0')),
              (QStringList{QStringLiteral("/mail"), QStringLiteral("a.dbx"), QStringLiteral("b c.dbx")}));
}

TEST(Cursor, ShippedHandCursorLoadsWithItsHotSpot)
{
    const auto cursor =
        loadCursorFile(QDir(QStringLiteral(QUILLMERE_PROGRAM_DIR)).filePath(QStringLiteral("HAND-M.CUR")));
    ASSERT_TRUE(cursor.has_value());
    EXPECT_EQ(cursor->hotSpot(), QPoint(11, 0));
    EXPECT_FALSE(cursor->pixmap().isNull());
    EXPECT_FALSE(loadCursorFile(QStringLiteral(QUILLMERE_PROGRAM_DIR "/no-such.cur")).has_value());
}

TEST(ScriptedDialogs, AnswersFromTheScriptThenDefaults)
{
    ScriptedDialogs dialogs;
    dialogs.answerMessage(Answer::Yes);
    EXPECT_TRUE(dialogs.askYesNo(QStringLiteral("Overwrite?")));
    EXPECT_FALSE(dialogs.askYesNo(QStringLiteral("Again?")));
    EXPECT_TRUE(dialogs.input(QStringLiteral("Enter text:")).isEmpty());
    EXPECT_EQ(dialogs.messages()[0].title, QStringLiteral("Quillmere"));
    EXPECT_EQ(dialogs.inputPrompts(), QStringList{QStringLiteral("Enter text:")});
}
