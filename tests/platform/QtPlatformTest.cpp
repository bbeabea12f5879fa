#include "platform/QtPlatform.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

using namespace platform;

TEST(FileDialogFilters, FilterBecomesQtNameFiltersAndASelectionIsOnePathOrFolderAndNames)
{
    const QString filter = u"Text Files (*.txt)|*.txt|Comma Delimited Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"_qs;
    EXPECT_EQ(parseFilter(filter)[1].description, u"Comma Delimited Text Files (*.txt)"_qs);
    EXPECT_EQ(qtNameFilters(filter),
              (QStringList{u"Text Files (*.txt)"_qs, u"Comma Delimited Text Files (*.txt)"_qs, u"All Files (*)"_qs}));
    EXPECT_EQ(qtNameFilters(u"Stores|*.pst;*.ost|"_qs), QStringList{u"Stores (*.pst *.ost)"_qs});
    EXPECT_TRUE(qtNameFilters(QString()).isEmpty());

    // One file is its path; several are the folder and the names, separated by NUL.
    EXPECT_EQ(joinSelection({u"/mail/a.dbx"_qs}), u"/mail/a.dbx"_qs);
    EXPECT_EQ(joinSelection({u"/mail/a.dbx"_qs, u"/mail/b c.dbx"_qs}), u"/mail\0a.dbx\0b c.dbx"_qs);
}

// A help text with a line of sample HTML reads as written: not rendered, nothing hidden behind a link.
TEST(MessageBoxes, ShowTheirTextAsPlainText)
{
    const QString help = u"Example:\r<a href=\"x\" remove=\"y\" target=\"_blank\">x</a>"_qs;
    Qt::TextFormat format = Qt::AutoText;
    QString label;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        format = box->textFormat();
        label = box->findChild<QLabel*>(u"qt_msgbox_label"_qs)->text();
        box->accept();
    });
    EXPECT_EQ(QtDialogs().messageBox(help, Buttons::Ok, Icon::None, u"Quillmere"_qs), Answer::Ok);
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_EQ(label, help);
}
