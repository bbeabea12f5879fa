#include "platform/QtPlatform.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(FileDialogFilters, CommonDialogFilterBecomesQtNameFilters)
{
    const QString filter = u"Text Files (*.txt)|*.txt|Comma Delimited Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"_qs;
    EXPECT_EQ(parseFilter(filter)[1].description, u"Comma Delimited Text Files (*.txt)"_qs);
    EXPECT_EQ(qtNameFilters(filter),
              (QStringList{u"Text Files (*.txt)"_qs, u"Comma Delimited Text Files (*.txt)"_qs, u"All Files (*.*)"_qs}));
    EXPECT_EQ(qtNameFilters(u"Stores|*.pst;*.ost|"_qs), QStringList{u"Stores (*.pst *.ost)"_qs});
    EXPECT_TRUE(qtNameFilters(QString()).isEmpty());
}

// One file is its path; several are the folder and the names, separated by NUL.
TEST(FileDialogFilters, SelectionIsOnePathOrFolderAndNamesSeparatedByNul)
{
    EXPECT_EQ(joinSelection({u"/mail/a.dbx"_qs}), u"/mail/a.dbx"_qs);
    EXPECT_EQ(joinSelection({u"/mail/a.dbx"_qs, u"/mail/b c.dbx"_qs}), u"/mail\0a.dbx\0b c.dbx"_qs);
}
