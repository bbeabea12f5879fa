// Stages the given PST/OST files as the Outlook reader does for the window (every folder, sender and body),
// so that the time of a run can be set beside other tools. Usage: stage_outlook OUTPUT STORE...
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "sources/outlook/OutlookReader.h"
#include "sources/outlook/PstApplication.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>
#include <cstdio>

namespace {

using namespace sources::outlook;

// Shows every message on standard error and answers OK, as nobody is there to press it.
class ConsoleDialogs : public platform::Dialogs
{
public:
    platform::Answer messageBox(const QString& text, platform::Buttons, platform::Icon, const QString&) override
    {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        ++shown;
        return platform::Answer::Ok;
    }
    QString inputBox(const QString&, const QString&, const QString&) override { return {}; }
    platform::FileDialogAnswer openFile(const platform::FileDialogRequest&) override { return {}; }
    platform::FileDialogAnswer saveFile(const platform::FileDialogRequest&) override { return {}; }
    int shown = 0;
};

class NoEventLoop : public platform::EventLoop
{
public:
    void yieldOnce() override {}
    void endProgram() override {}
};

class NoPointer : public platform::PointerControl
{
public:
    platform::Pointer pointer() const override { return m_pointer; }
    void setPointer(platform::Pointer pointer) override { m_pointer = pointer; }

private:
    platform::Pointer m_pointer = platform::Pointer::Default;
};

class AllFoldersBothFields : public ReaderOptions
{
public:
    bool fromField() const override { return true; }
    bool bodyField() const override { return true; }
    bool profileSource() const override { return true; }
    bool pstFileSource() const override { return false; }
    QString pstFile() const override { return {}; }
    std::array<FolderBox, 5> folderBoxes() const override
    {
        return {{{true, QStringLiteral("Inbox")},
                 {true, QStringLiteral("Outbox")},
                 {true, QStringLiteral("Drafts")},
                 {true, QStringLiteral("Sent Items")},
                 {true, QStringLiteral("Deleted Items")}}};
    }
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: stage_outlook OUTPUT STORE...\n");
        return 2;
    }
    const QStringList stores = args.mid(1);
    PstApplicationFactory factory([stores] { return stores; });
    AllFoldersBothFields options;
    ConsoleDialogs dialogs;
    NoEventLoop loop;
    NoPointer pointer;
    OutlookReader reader({factory, options, dialogs, loop, pointer});

    QElapsedTimer timer;
    timer.start();
    const bool staged = reader.stageSelectedMail(args.at(0));
    std::fprintf(stderr, "staged %d store(s) in %lld ms\n", int(stores.size()), timer.elapsed());
    return staged && dialogs.shown == 0 ? 0 : 1;
}
