#include "platform/QtPlatform.h"

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QProgressBar>
#include <QUrl>
#include <algorithm>

namespace platform {

namespace {

QWidget* activeWindow()
{
    return QApplication::activeWindow();
}

// Opening a folder chooses it instead of entering it (a double click still enters it).
class FileOrFolderDialog : public QFileDialog
{
public:
    using QFileDialog::QFileDialog;
    QString folder;

    void accept() override
    {
        const QStringList files = selectedFiles();
        const QString chosen = files.isEmpty() ? directory().absolutePath() : files.constFirst();
        if (files.size() <= 1 && QFileInfo(chosen).isDir()) {
            folder = chosen;
            QDialog::accept();
            return;
        }
        QFileDialog::accept();
    }
};

FileDialogAnswer runFileDialog(const FileDialogRequest& request, QFileDialog::AcceptMode mode)
{
    FileOrFolderDialog dialog(activeWindow(), request.title);
    const bool fileOrFolder = mode == QFileDialog::AcceptOpen && (request.flags & kFileOrFolder);
    // A desktop's own dialog would never ask accept().
    if (fileOrFolder)
        dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(mode);
    // The commands ask about overwriting themselves.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    const bool multiple = mode == QFileDialog::AcceptOpen && (request.flags & kAllowMultiSelect);
    dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile
                       : multiple                      ? QFileDialog::ExistingFiles
                                                       : QFileDialog::ExistingFile);
    const QStringList filters = qtNameFilters(request.filter);
    dialog.setNameFilters(filters);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    if (fileOrFolder && !dialog.folder.isEmpty())
        return {dialog.folder, 1};
    if (dialog.selectedFiles().isEmpty())
        return {};
    const qsizetype chosen = filters.indexOf(dialog.selectedNameFilter());
    return {joinSelection(dialog.selectedFiles()), chosen < 0 ? 1 : int(chosen) + 1};
}

} // namespace

QStringList qtNameFilters(const QString& filter)
{
    QStringList filters;
    for (const FilterEntry& entry : parseFilter(filter)) {
        QString patterns = entry.pattern;
        patterns.replace(u';', u' ');
        QString description = entry.description;
        // "*.*" means every file, also one without a dot in its name, which only "*" matches here.
        if (patterns == QLatin1String("*.*")) {
            patterns = QStringLiteral("*");
            if (description.endsWith(QLatin1String("(*.*)"))) {
                description.chop(5);
                description += QLatin1String("(*)");
            }
        }
        // Qt reads the patterns from the last parentheses; add them unless the description already ends so.
        const QString suffix = QStringLiteral("(%1)").arg(patterns);
        filters.append(description.endsWith(suffix) ? description : QStringLiteral("%1 %2").arg(description, suffix));
    }
    return filters;
}

QString joinSelection(const QStringList& paths)
{
    if (paths.size() == 1)
        return paths.first();
    QStringList parts{QFileInfo(paths.first()).absolutePath()};
    for (const QString& path : paths)
        parts.append(QFileInfo(path).fileName());
    return parts.join(QChar(u'\0'));
}

Answer QtDialogs::messageBox(const QString& text, Buttons buttons, Icon icon, const QString& title)
{
    QMessageBox box(icon == Icon::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon, title, text,
                    buttons == Buttons::YesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, activeWindow());
    // Messages and help are plain text, also when they hold a line of sample HTML.
    box.setTextFormat(Qt::PlainText);
    const int result = box.exec();
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    return result == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

QString QtDialogs::inputBox(const QString& prompt, const QString& title, const QString& defaultText)
{
    bool accepted = false;
    const QString text =
        QInputDialog::getText(activeWindow(), title, prompt, QLineEdit::Normal, defaultText, &accepted);
    return accepted ? text : QString();
}

FileDialogAnswer QtDialogs::openFile(const FileDialogRequest& request)
{
    return runFileDialog(request, QFileDialog::AcceptOpen);
}

FileDialogAnswer QtDialogs::saveFile(const FileDialogRequest& request)
{
    return runFileDialog(request, QFileDialog::AcceptSave);
}

void QtEventLoop::yieldOnce()
{
    QCoreApplication::processEvents();
}

void QtEventLoop::endProgram()
{
    m_ended = true;
    QApplication::closeAllWindows();
    QCoreApplication::exit(0);
}

QtProgressBar::QtProgressBar(QProgressBar& bar) : m_bar(bar)
{
    m_bar.setRange(0, 100);
    m_bar.setTextVisible(true);
    m_bar.setValue(0); // a bar that was never set shows no text
    setText(QStringLiteral("Progress Bar"));
}

void QtProgressBar::setText(const QString& text)
{
    m_text = text;
    QString format = text;
    m_bar.setFormat(format.replace(u'%', QStringLiteral("%%"))); // the bar reads % as a placeholder
}

int QtProgressBar::value() const
{
    return m_bar.value();
}

void QtProgressBar::setValue(int value)
{
    m_bar.setValue(std::clamp(value, 0, 100));
}

bool QtClipboard::clear()
{
    QGuiApplication::clipboard()->clear();
    return true;
}

bool QtClipboard::setText(const QString& text)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(text);
    return clipboard->text() == text;
}

bool QtOpener::open(const QString& address)
{
    const QUrl url = QUrl::fromUserInput(address, QDir::currentPath());
    return QDesktopServices::openUrl(url);
}

ClockRandom::ClockRandom() : m_engine(static_cast<std::mt19937::result_type>(QDateTime::currentMSecsSinceEpoch())) {}

int ClockRandom::between(int low, int high)
{
    return std::uniform_int_distribution<int>(low, high)(m_engine);
}

} // namespace platform
