#pragma once

#include "sources/outlook/OutlookModel.h"

#include <QStringList>
#include <functional>

// Outlook's object model over PST and OST files, read with libpff. Each store of the profile is one file;
// a store's top folder is the root of its IPM subtree, named by the store's display name.
namespace sources::outlook {

// The files of the profile, asked for each time a namespace is made (that is, once per run).
using StoreListSource = std::function<QStringList()>;

class PstApplicationFactory : public ApplicationFactory
{
public:
    explicit PstApplicationFactory(StoreListSource stores);
    // Never nothing: the reader is part of the program.
    std::unique_ptr<Application> create() override;
    // Each store is a file of its own, opened by the walk that reads it.
    bool opensStoresIndependently() const override { return true; }

private:
    StoreListSource m_stores;
};

// The version the PST backend reports: a current Outlook, so senders are staged by SMTP address.
inline constexpr char kPstBackendVersion[] = "16.0.0.0";

// Turns the line breaks of a text into CR LF, leaving CR LF pairs alone.
QString toCrLf(QString text);

} // namespace sources::outlook
