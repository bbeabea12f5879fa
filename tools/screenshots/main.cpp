// Takes the pictures of the windows that the README shows: quillmere-screenshots OUTPUT-FOLDER.
// Run on a real X server (scripts/screenshots uses Xvfb); the windows carry made-up sample contents.
#include "gui/MainWindow.h"
#include "core/Settings.h"
#include "gui/BetweenDialog.h"
#include "gui/TextSetsDialog.h"
#include "platform/ScriptedPlatform.h"
#include "results/ResultsList.h"
#include "sources/outlook/PstApplication.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>

namespace {

bool save(QWidget& window, const QString& folder, const char* name)
{
    QTest::qWait(300); // let the window system map and paint the window
    const QString path = QDir(folder).filePath(QLatin1String(name));
    if (window.grab().save(path))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

void fillResults(results::ResultsList& list)
{
    for (const char* address :
         {"ada.byron@example.org", "orders@bookshop.example", "c.babbage@example.net", "newsletter@museum.example",
          "m.somerville@example.org", "billing@utility.example", "j.herschel@example.net", "events@library.example"})
        list.add({QLatin1String(address), QString(), false});
    list.showPendingRows();
}

// A made-up Thunderbird profile under home: a few folders of one message each.
void writeThunderbirdProfile(const QString& home)
{
    const QDir profile(QDir(home).filePath(QStringLiteral(".thunderbird/ada.default")));
    QDir().mkpath(profile.filePath(QStringLiteral("Mail/Local Folders/Inbox.sbd")));
    QFile ini(QDir(home).filePath(QStringLiteral(".thunderbird/profiles.ini")));
    if (ini.open(QIODevice::WriteOnly))
        ini.write("[Profile0]\nName=default\nIsRelative=1\nPath=ada.default\n");
    const std::pair<const char*, const char*> folders[] = {
        {"Inbox", "Charles Babbage <c.babbage@example.net>"},
        {"Inbox.sbd/Engine", "Mary Somerville <m.somerville@example.org>"},
        {"Sent", "Ada Byron <ada.byron@example.org>"},
        {"Trash", "Bookshop <orders@bookshop.example>"},
    };
    for (const auto& [name, from] : folders) {
        QFile box(profile.filePath(QStringLiteral("Mail/Local Folders/") + QLatin1String(name)));
        if (box.open(QIODevice::WriteOnly))
            box.write(QByteArray("From - Mon Dec  6 10:12:00 2004\nFrom: ") + from + "\nSubject: Notes\n\nHello\n\n");
    }
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: quillmere-screenshots OUTPUT-FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    QTemporaryDir settingsFolder;
    core::Settings settings(QDir(settingsFolder.path()).filePath(QStringLiteral("Brindlewick.ini")));
    // Scripted dialogs, opener and random draw: no message box waits for an answer, no browser opens.
    platform::ScriptedPlatform desktop;
    sources::outlook::PstApplicationFactory outlook([] { return QStringList(); });
    gui::MainWindow form({desktop.platform(), settings, outlook, QCoreApplication::applicationDirPath()});
    form.loadWindow();
    form.panel().containingTextBox->setText(QStringLiteral("@example.org"));
    form.panel().patternTextBox->setText(QStringLiteral("PO-\\d{5}"));
    form.show();
    fillResults(form.panel().results());
    bool saved = save(form, folder, "form1.png");

    form.panel().onBetweenClicked();
    auto* between = form.findChild<gui::BetweenDialog*>();
    between->startTextBox->setText(QStringLiteral("href=\""));
    between->endTextBox->setText(QStringLiteral("\""));
    saved = save(*between, folder, "form2.png") && saved;
    between->hide();

    form.panel().onTextSetsClicked();
    auto* sets = form.findChild<gui::TextSetsDialog*>();
    sets->itemsBox->addItems({QStringLiteral("invoice"), QStringLiteral("receipt"), QStringLiteral("order number")});
    saved = save(*sets, folder, "form3.png") && saved;
    sets->hide();

    // The mailbox source reading a Thunderbird profile, as found under a made-up home folder.
    writeThunderbirdProfile(settingsFolder.path());
    qputenv("HOME", QFile::encodeName(settingsFolder.path()));
    qputenv("TEMP", QFile::encodeName(settingsFolder.path()));
    form.panel().containingTextBox->clear();
    form.mailboxOption->click();
    form.panel().extractAllButton->click();
    saved = save(form, folder, "mailbox.png") && saved;

    // The Outlook Express window is modal: it is pictured and closed from inside its own event loop.
    QTimer::singleShot(0, &form, [&] {
        QWidget* express = QApplication::activeModalWidget();
        if (!express) {
            saved = false;
            return;
        }
        auto* stores = express->findChild<QTreeWidget*>(QStringLiteral("ListView1"));
        auto* row = new QTreeWidgetItem(stores, {QStringLiteral("/home/ada/Mail/Outlook Express/Inbox.dbx")});
        row->setCheckState(0, Qt::Checked);
        auto* messages = express->findChild<QTreeWidget*>(QStringLiteral("ListView3"));
        for (const QStringList& message :
             {QStringList{QStringLiteral("Ada Byron"), QStringLiteral("Charles Babbage"),
                          QStringLiteral("Notes on the engine"), QStringLiteral("Mon, 6 Dec 2004 10:12:00")},
              QStringList{QStringLiteral("Bookshop"), QStringLiteral("Ada Byron"),
                          QStringLiteral("Your order has shipped"), QStringLiteral("Tue, 7 Dec 2004 08:30:41")}})
            (new QTreeWidgetItem(messages, message))->setCheckState(0, Qt::Checked);
        saved = save(*express, folder, "form11.png") && saved;
        express->close();
    });
    form.onShowExpressWindowClicked();
    return saved ? 0 : 1;
}
