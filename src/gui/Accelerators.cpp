#include "gui/Accelerators.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace gui {

namespace {

// The character after a single "&", or -1 when the caption has none.
qsizetype acceleratorPosition(const QString& caption)
{
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != u'&')
            continue;
        if (caption[i + 1] != u'&')
            return i + 1;
        ++i; // "&&" is a literal ampersand
    }
    return -1;
}

// Where an accelerator may go: word-initial characters first, then the rest, each group left to right.
QList<qsizetype> candidatePositions(const QString& caption)
{
    QList<qsizetype> initials;
    QList<qsizetype> others;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (!caption[i].isLetterOrNumber())
            continue;
        const bool startsWord = i == 0 || !caption[i - 1].isLetterOrNumber();
        (startsWord ? initials : others).append(i);
    }
    return initials + others;
}

// The keys the caption offers, in the order of candidatePositions, each once.
QList<QChar> offeredKeys(const QString& caption)
{
    QList<QChar> keys;
    for (const qsizetype at : candidatePositions(caption)) {
        const QChar key = caption[at].toLower();
        if (!keys.contains(key))
            keys.append(key);
    }
    return keys;
}

// Who holds each key: a caption's index, or -1 for a key a caption fixed itself.
using KeyOwners = QHash<QChar, qsizetype>;

// Gives caption i a key: its first free one, else one whose holder can move to another key (an augmenting
// path), so that as many captions as possible get a key.
bool assignKey(qsizetype i, const QList<QList<QChar>>& offered, KeyOwners& owners, QSet<QChar>& tried)
{
    for (const QChar key : offered[i]) {
        if (!owners.contains(key)) {
            owners.insert(key, i);
            return true;
        }
    }
    for (const QChar key : offered[i]) {
        const qsizetype holder = owners.value(key);
        if (holder < 0 || tried.contains(key))
            continue;
        tried.insert(key);
        if (assignKey(holder, offered, owners, tried)) {
            owners.insert(key, i);
            return true;
        }
    }
    return false;
}

} // namespace

QStringList withAccelerators(const QStringList& captions)
{
    QList<QList<QChar>> offered;
    KeyOwners owners;
    QList<qsizetype> open;
    for (qsizetype i = 0; i < captions.size(); ++i) {
        offered.append(offeredKeys(captions[i]));
        if (const qsizetype at = acceleratorPosition(captions[i]); at >= 0)
            owners.insert(captions[i][at].toLower(), -1);
        else
            open.append(i);
    }
    // Captions with few keys ("Help") pick first, so that long ones, which have keys to spare, take the rest.
    std::stable_sort(open.begin(), open.end(),
                     [&](qsizetype a, qsizetype b) { return offered[a].size() < offered[b].size(); });
    for (const qsizetype i : open) {
        QSet<QChar> tried;
        assignKey(i, offered, owners, tried);
    }
    QStringList result = captions;
    for (auto it = owners.cbegin(); it != owners.cend(); ++it) {
        if (it.value() < 0)
            continue;
        QString& caption = result[it.value()];
        for (const qsizetype at : candidatePositions(caption)) {
            if (caption[at].toLower() == it.key()) {
                caption.insert(at, u'&');
                break;
            }
        }
    }
    return result;
}

QString withoutAccelerator(const QString& caption)
{
    QString plain;
    plain.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size())
            ++i;
        plain.append(caption[i]);
    }
    return plain;
}

} // namespace gui
