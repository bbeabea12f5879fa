#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace platform {

// Message boxes without a title of their own show this.
QString appTitle();

enum class Buttons { Ok, YesNo };
enum class Icon { None, Exclamation };
enum class Answer { Ok, Yes, No };

// Common-dialog flags that change what the dialog offers.
inline constexpr quint32 kAllowMultiSelect = 0x200;
// Ours: an open dialog that also takes the folder selected, or the folder shown when nothing is selected.
inline constexpr quint32 kFileOrFolder = 0x10000000;

struct FileDialogRequest
{
    QString fileName;
    quint32 flags = 0;
    QString title;
    // Pairs of description and pattern, each followed by "|": "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|".
    QString filter;
};

struct FileDialogAnswer
{
    // Empty when cancelled. One file: its full path. Several (multiple selection): the folder, then each
    // file name, separated by NUL characters.
    QString fileName;
    int filterIndex = 1; // 1-based position of the filter the user chose
};

// The modal questions a command may ask. Contract: every call blocks until the user answers.
class Dialogs
{
public:
    virtual ~Dialogs() = default;
    virtual Answer messageBox(const QString& text, Buttons buttons, Icon icon, const QString& title) = 0;
    // The answer, or the empty text when the box was cancelled.
    virtual QString inputBox(const QString& prompt, const QString& title, const QString& defaultText) = 0;
    virtual FileDialogAnswer openFile(const FileDialogRequest& request) = 0;
    virtual FileDialogAnswer saveFile(const FileDialogRequest& request) = 0;

    // A plain message: OK button, the application title.
    void message(const QString& text);
    bool askYesNo(const QString& text);
    QString input(const QString& prompt);
};

struct FilterEntry
{
    QString description;
    QString pattern;
};

// Splits a common-dialog filter string into its entries; a trailing "|" and an unpaired description are allowed.
QList<FilterEntry> parseFilter(const QString& filter);

} // namespace platform
