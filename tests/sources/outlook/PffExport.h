#pragma once

#include "core/TextFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

// Runs pffexport (Debian pff-tools) on a sample store, so tests compare with what an independent reader
// shows for the same messages.
namespace pffexport {

inline bool available()
{
    return !QStandardPaths::findExecutable(u"pffexport"_qs).isEmpty();
}

// Exports the store's items below folder and returns the export folder (empty on failure, which fails the test).
inline QString exportStore(const QString& store, const QString& folder, const QStringList& extra = {})
{
    const QString base = QDir(folder).filePath(QFileInfo(store).completeBaseName());
    QProcess process;
    process.start(u"pffexport"_qs,
                  QStringList{u"-q"_qs, u"-m"_qs, u"items"_qs, u"-t"_qs, base} + extra + QStringList{store});
    const bool done = process.waitForFinished(120000);
    EXPECT_TRUE(done && process.exitCode() == 0) << "pffexport failed on " << store.toStdString();
    return done ? base + u".export"_qs : QString();
}

// The string properties of an ItemValues.txt that pffexport -d writes, by property tag.
inline QMap<quint32, QString> stringValues(const QString& itemValuesPath)
{
    QFile file(itemValuesPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QMap<quint32, QString> values;
    quint32 tag = 0;
    quint32 type = 0;
    QByteArray data;
    const auto finish = [&] {
        if (type == 0x1f || type == 0x1e) {
            QString text =
                type == 0x1f ? QString::fromUtf16(reinterpret_cast<const char16_t*>(data.constData()), data.size() / 2)
                             : core::decodeText(data);
            while (text.endsWith(QChar(u'\0')))
                text.chop(1);
            values.insert(tag, text);
        }
        data.clear();
        type = 0;
    };
    while (!file.atEnd()) {
        const QByteArray line = file.readLine();
        if (line.startsWith("Entry type:")) {
            finish();
            tag = line.mid(line.indexOf("0x")).trimmed().toUInt(nullptr, 16);
        } else if (line.startsWith("Value type:")) {
            type = line.mid(line.indexOf("0x")).trimmed().toUInt(nullptr, 16);
        } else if (line.startsWith("0x") && line.size() > 12) {
            // "0x00000000: 49 00 50 00 ...  4e 00 ...   I.P.M..." : the hex columns, then the characters.
            for (const QByteArray& pair : line.mid(12, 49).simplified().split(' ')) {
                if (pair.size() == 2)
                    data.append(static_cast<char>(pair.toUInt(nullptr, 16)));
            }
        }
    }
    finish();
    return values;
}

} // namespace pffexport
