#include "sources/outlook/PstApplication.h"

#include "core/AppError.h"
#include "sources/BodyText.h"
#include "core/TextFiles.h"

#include <QFile>
#include <QFileInfo>
#include <libpff.h>

#include <algorithm>
#include <optional>
#include <vector>

namespace sources::outlook {

namespace {

// Nothing read from a store is allowed to grow past these, whatever sizes the file claims.
constexpr size_t kMaxStringBytes = size_t{1} << 20;
constexpr size_t kMaxBodyBytes = size_t{64} << 20;

// PR_IPM_SUBTREE_ENTRYID of the message store: where the folders the user sees begin.
constexpr uint32_t kIpmSubtreeEntryId = 0x35e0;
// The node of the IPM subtree in every PST written by Outlook, for stores without the entry above.
constexpr uint32_t kIpmSubtreeNode = 0x8022;
// The fixed names of an offline store's roots, which are not translated.
constexpr QStringView kSubtreeName = u"IPM_SUBTREE";
constexpr QStringView kMailboxRootName = u"Root - Mailbox";
constexpr QStringView kPublicRootName = u"Root - Public";

constexpr int kSubscriptOutOfRange = 9;
constexpr int kBadFileFormat = 321;

// Outlook's Class values for the message classes that are not mail.
struct ClassValue
{
    const char* prefix;
    int value;
};
constexpr ClassValue kOtherClasses[] = {
    {"IPM.Appointment", 26}, {"IPM.Contact", 40}, {"IPM.DistList", 69}, {"IPM.Activity", 42},
    {"IPM.StickyNote", 44},  {"IPM.Post", 45},    {"IPM.Task", 48},     {"IPM.Schedule.Meeting", 53},
    {"IPM.Document", 41},    {"REPORT.", 46},     {"IPM.Sharing", 104}, {"IPM.Recall", 46},
};
constexpr int kUnknownClass = 0;

// Collects a libpff error and frees it, whatever path the caller leaves by.
class PffError
{
public:
    ~PffError()
    {
        if (m_error)
            libpff_error_free(&m_error);
    }
    libpff_error_t** out() { return &m_error; }
    QString text() const
    {
        if (!m_error)
            return {};
        char buffer[512] = {};
        if (libpff_error_sprint(m_error, buffer, sizeof buffer) < 0)
            return {};
        // libpff joins its whole backtrace; the last line is the closest to the cause.
        const QStringList lines = QString::fromLocal8Bit(buffer).split(u'\n', Qt::SkipEmptyParts);
        return lines.isEmpty() ? QString() : lines.last().trimmed();
    }

private:
    libpff_error_t* m_error = nullptr;
};

[[noreturn]] void failRead(const PffError& error, const QString& what)
{
    const QString cause = error.text();
    throw core::AppError(core::errors::kDeviceIo, cause.isEmpty() ? what : what + QStringLiteral(" (") + cause + u')');
}

QString fromUtf8Buffer(const QByteArray& bytes)
{
    qsizetype length = bytes.size();
    while (length > 0 && bytes.at(length - 1) == '\0')
        --length;
    return QString::fromUtf8(bytes.constData(), length);
}

// The bytes of a value that libpff hands out in two steps (size, then data). Nothing when the value is
// absent; AppError when it cannot be read or is larger than cap.
template <class SizeFn, class ReadFn>
std::optional<QByteArray> readValue(SizeFn sizeFn, ReadFn readFn, size_t cap, const QString& what)
{
    PffError error;
    size_t size = 0;
    const int found = sizeFn(&size, error.out());
    if (found < 0)
        failRead(error, what);
    if (found == 0)
        return std::nullopt;
    if (size == 0)
        return QByteArray();
    if (size > cap)
        throw core::AppError(core::errors::kOverflow, what + QStringLiteral(": value too large"));
    QByteArray bytes(static_cast<qsizetype>(size), '\0');
    if (readFn(reinterpret_cast<uint8_t*>(bytes.data()), size, error.out()) != 1)
        failRead(error, what);
    return bytes;
}

// A property of an item's first record set, handed to read; nothing when the item lacks it.
template <class Read>
auto withEntry(libpff_item_t* item, uint32_t type, const QString& what, Read read)
    -> std::optional<decltype(read(static_cast<libpff_record_entry_t*>(nullptr)))>
{
    PffError error;
    libpff_record_set_t* set = nullptr;
    if (libpff_item_get_record_set_by_index(item, 0, &set, error.out()) != 1)
        failRead(error, what);
    libpff_record_entry_t* entry = nullptr;
    const int found = libpff_record_set_get_entry_by_type(set, type, 0, &entry,
                                                          LIBPFF_ENTRY_VALUE_FLAG_MATCH_ANY_VALUE_TYPE, error.out());
    libpff_record_set_free(&set, nullptr);
    if (found < 0)
        failRead(error, what);
    if (found == 0 || !entry)
        return std::nullopt;
    struct EntryFree
    {
        libpff_record_entry_t* entry;
        ~EntryFree() { libpff_record_entry_free(&entry, nullptr); }
    } release{entry};
    return read(entry);
}

QString itemString(libpff_item_t* item, uint32_t type, const QString& what)
{
    const auto bytes = withEntry(item, type, what, [&](libpff_record_entry_t* entry) {
        return readValue(
            [&](size_t* size, libpff_error_t** error) {
                return libpff_record_entry_get_data_as_utf8_string_size(entry, size, error);
            },
            [&](uint8_t* data, size_t size, libpff_error_t** error) {
                return libpff_record_entry_get_data_as_utf8_string(entry, data, size, error);
            },
            kMaxStringBytes, what);
    });
    return bytes && *bytes ? fromUtf8Buffer(**bytes) : QString();
}

// Message strings go through the message's own code page when the store is ANSI.
QString messageString(libpff_item_t* item, uint32_t type, const QString& what)
{
    const auto bytes = readValue(
        [&](size_t* size, libpff_error_t** error) {
            return libpff_message_get_entry_value_utf8_string_size(item, type, size, error);
        },
        [&](uint8_t* data, size_t size, libpff_error_t** error) {
            return libpff_message_get_entry_value_utf8_string(item, type, data, size, error);
        },
        kMaxStringBytes, what);
    return bytes ? fromUtf8Buffer(*bytes) : QString();
}

struct ItemDeleter
{
    void operator()(libpff_item_t* item) const
    {
        if (item)
            libpff_item_free(&item, nullptr);
    }
};
using ItemPtr = std::unique_ptr<libpff_item_t, ItemDeleter>;

QString readFolderName(libpff_item_t* folder)
{
    const auto bytes = readValue(
        [&](size_t* size, libpff_error_t** error) { return libpff_folder_get_utf8_name_size(folder, size, error); },
        [&](uint8_t* data, size_t size, libpff_error_t** error) {
            return libpff_folder_get_utf8_name(folder, data, size, error);
        },
        kMaxStringBytes, QStringLiteral("Folder name"));
    return bytes ? fromUtf8Buffer(*bytes) : QString();
}

// One open store file; folders and items keep it open as long as they live.
class PstFile
{
public:
    explicit PstFile(const QString& path) : m_path(path)
    {
        const QString what = QStringLiteral("Cannot open the Outlook data file \"%1\"").arg(path);
        if (!QFileInfo(path).isFile())
            throw core::AppError(core::errors::kFileNotFound, QStringLiteral("File not found: ") + path);
        PffError error;
        if (libpff_file_initialize(&m_file, error.out()) != 1)
            failRead(error, what);
        if (libpff_file_open(m_file, QFile::encodeName(path).constData(), LIBPFF_OPEN_READ, error.out()) != 1) {
            libpff_file_free(&m_file, nullptr);
            const QString cause = error.text();
            throw core::AppError(kBadFileFormat,
                                 what + QStringLiteral(": not a PST or OST file, or damaged") +
                                     (cause.isEmpty() ? QString() : QStringLiteral(" (") + cause + u')'));
        }
    }
    ~PstFile()
    {
        if (m_file) {
            libpff_file_close(m_file, nullptr);
            libpff_file_free(&m_file, nullptr);
        }
    }
    PstFile(const PstFile&) = delete;
    PstFile& operator=(const PstFile&) = delete;

    libpff_file_t* handle() const { return m_file; }
    const QString& path() const { return m_path; }

    // The store's display name, or the file's name when the store has none.
    QString displayName() const
    {
        QString name;
        if (ItemPtr store = messageStore())
            name = itemString(store.get(), LIBPFF_ENTRY_TYPE_DISPLAY_NAME, QStringLiteral("Store name"));
        return name.isEmpty() ? QFileInfo(m_path).completeBaseName() : name;
    }

    // The folder the user sees as the store's top: the IPM subtree that the message store names, else the
    // one its folder tree holds. A store without either has no folders to show, which is a failure.
    ItemPtr ipmSubtree() const
    {
        if (const std::optional<uint32_t> node = subtreeNodeOfStore()) {
            if (ItemPtr folder = folderByNode(*node))
                return folder;
        }
        if (ItemPtr folder = subtreeInFolderTree())
            return folder;
        throw core::AppError(kBadFileFormat, QStringLiteral("No mail folders were found in \"%1\"").arg(m_path));
    }

private:
    // The node of PR_IPM_SUBTREE_ENTRYID; nothing when the store does not name its subtree.
    std::optional<uint32_t> subtreeNodeOfStore() const
    {
        ItemPtr store = messageStore();
        if (!store)
            return std::nullopt;
        const QString what = QStringLiteral("Store folders");
        std::optional<std::optional<QByteArray>> entryId;
        try {
            entryId = withEntry(store.get(), kIpmSubtreeEntryId, what, [&](libpff_record_entry_t* entry) {
                return readValue(
                    [&](size_t* size, libpff_error_t** error) {
                        return libpff_record_entry_get_data_size(entry, size, error);
                    },
                    [&](uint8_t* data, size_t size, libpff_error_t** error) {
                        return libpff_record_entry_get_data(entry, data, size, error);
                    },
                    kMaxStringBytes, what);
            });
        } catch (const core::AppError&) {
            // A damaged store record leaves the folder tree to decide.
            return std::nullopt;
        }
        // An entry ID is 4 flag bytes, the 16-byte provider UID, then the node ID.
        if (!entryId || !*entryId || (*entryId)->size() != 24)
            return std::nullopt;
        const auto* id = reinterpret_cast<const uint8_t*>((*entryId)->constData());
        return uint32_t{id[20]} | uint32_t{id[21]} << 8 | uint32_t{id[22]} << 16 | uint32_t{id[23]} << 24;
    }

    // The folder with that node ID; nothing when there is none or the node is not a folder.
    ItemPtr folderByNode(uint32_t node) const
    {
        libpff_item_t* item = nullptr;
        if (libpff_file_get_item_by_identifier(m_file, node, &item, nullptr) != 1 || !item)
            return nullptr;
        ItemPtr owned(item);
        uint8_t type = 0;
        if (libpff_item_get_type(item, &type, nullptr) != 1 || type != LIBPFF_ITEM_TYPE_FOLDER)
            return nullptr;
        return owned;
    }

    // A store that does not name its subtree keeps it in a known place of the folder tree: a PST below its
    // root, at the node every PST uses; an Exchange or outlook.com OST as "IPM_SUBTREE" below the mailbox
    // root ("Root - Mailbox"), next to a public-folder root ("Root - Public") that has one too.
    ItemPtr subtreeInFolderTree() const
    {
        libpff_item_t* rootItem = nullptr;
        if (libpff_file_get_root_folder(m_file, &rootItem, nullptr) != 1 || !rootItem)
            return nullptr;
        const ItemPtr root(rootItem);
        std::vector<ItemPtr> children = subfolders(root.get());
        for (ItemPtr& child : children) {
            uint32_t node = 0;
            if ((libpff_item_get_identifier(child.get(), &node, nullptr) == 1 && node == kIpmSubtreeNode) ||
                folderName(child.get()) == kSubtreeName)
                return std::move(child);
        }
        // The mailbox root first, then any other root that is not the public folders'.
        std::stable_partition(children.begin(), children.end(),
                              [](const ItemPtr& child) { return folderName(child.get()) == kMailboxRootName; });
        for (const ItemPtr& child : children) {
            if (folderName(child.get()) == kPublicRootName)
                continue;
            for (ItemPtr& grandchild : subfolders(child.get())) {
                if (folderName(grandchild.get()) == kSubtreeName)
                    return std::move(grandchild);
            }
        }
        return nullptr;
    }

    // The subfolders that can be read; a damaged one is passed over.
    static std::vector<ItemPtr> subfolders(libpff_item_t* folder)
    {
        std::vector<ItemPtr> children;
        int count = 0;
        if (libpff_folder_get_number_of_sub_folders(folder, &count, nullptr) != 1)
            return children;
        for (int i = 0; i < count; ++i) {
            libpff_item_t* child = nullptr;
            if (libpff_folder_get_sub_folder(folder, i, &child, nullptr) == 1 && child)
                children.emplace_back(child);
        }
        return children;
    }

    // A folder's name for finding the known folders; "" when it cannot be read.
    static QString folderName(libpff_item_t* folder)
    {
        try {
            return readFolderName(folder);
        } catch (const core::AppError&) {
            return {};
        }
    }

    ItemPtr messageStore() const
    {
        PffError error;
        libpff_item_t* item = nullptr;
        if (libpff_file_get_message_store(m_file, &item, error.out()) != 1)
            return nullptr;
        return ItemPtr(item);
    }

    QString m_path;
    libpff_file_t* m_file = nullptr;
};

using FilePtr = std::shared_ptr<PstFile>;

class PstMailItem : public MailItem
{
public:
    PstMailItem(FilePtr file, ItemPtr item) : m_file(std::move(file)), m_item(std::move(item)) {}

    int Class() const override
    {
        const QString messageClass =
            messageString(m_item.get(), LIBPFF_ENTRY_TYPE_MESSAGE_CLASS, QStringLiteral("Message class"));
        // MAPI compares message classes without regard to case.
        if (messageClass.compare(u"IPM.Note", Qt::CaseInsensitive) == 0 ||
            messageClass.startsWith(u"IPM.Note.", Qt::CaseInsensitive))
            return kMailItemClass;
        for (const ClassValue& other : kOtherClasses) {
            if (messageClass.startsWith(QLatin1StringView(other.prefix), Qt::CaseInsensitive))
                return other.value;
        }
        return kUnknownClass;
    }

    QString SenderEmailType() const override
    {
        return messageString(m_item.get(), LIBPFF_ENTRY_TYPE_MESSAGE_SENDER_ADDRESS_TYPE,
                             QStringLiteral("Sender address type"));
    }

    QString SenderEmailAddress() const override
    {
        return messageString(m_item.get(), LIBPFF_ENTRY_TYPE_MESSAGE_SENDER_EMAIL_ADDRESS,
                             QStringLiteral("Sender address"));
    }

    QString SenderName() const override
    {
        return messageString(m_item.get(), LIBPFF_ENTRY_TYPE_MESSAGE_SENDER_NAME, QStringLiteral("Sender name"));
    }

    // The plain-text body, else the HTML body as text, else the RTF body as text. Each form is read on its
    // own: a damaged RTF body must not hide a good plain one.
    QString Body() const override
    {
        libpff_item_t* item = m_item.get();
        std::optional<core::AppError> firstFailure;
        const auto attempt = [&](auto sizeFn, auto readFn, const QString& what) -> std::optional<QByteArray> {
            try {
                return readValue(
                    [&](size_t* size, libpff_error_t** error) { return sizeFn(item, size, error); },
                    [&](uint8_t* data, size_t size, libpff_error_t** error) { return readFn(item, data, size, error); },
                    kMaxBodyBytes, what);
            } catch (const core::AppError& failure) {
                if (!firstFailure)
                    firstFailure = failure;
                return std::nullopt;
            }
        };

        if (auto plain = attempt(libpff_message_get_plain_text_body_size, libpff_message_get_plain_text_body,
                                 QStringLiteral("Message body")))
            return toCrLf(fromUtf8Buffer(*plain));
        if (auto html =
                attempt(libpff_message_get_html_body_size, libpff_message_get_html_body, QStringLiteral("HTML body"))) {
            // The HTML body is stored in the message's own character set; old ones are rarely UTF-8.
            const QString decoded = core::decodeText(*html);
            return toCrLf(HtmlToText(decoded.toUtf8()));
        }
        if (auto rtf =
                attempt(libpff_message_get_rtf_body_size, libpff_message_get_rtf_body, QStringLiteral("RTF body")))
            return toCrLf(RtfToText(*rtf));
        if (firstFailure)
            throw *firstFailure;
        return {};
    }

private:
    FilePtr m_file;
    ItemPtr m_item;
};

class PstFolder;

class PstFolderList : public FolderList
{
public:
    PstFolderList(const FilePtr& file, libpff_item_t* folder) : m_file(file), m_folder(folder) {}

    int count() const override
    {
        PffError error;
        int n = 0;
        if (libpff_folder_get_number_of_sub_folders(m_folder, &n, error.out()) != 1)
            failRead(error, QStringLiteral("The subfolders cannot be read"));
        return n;
    }

    std::unique_ptr<Folder> Item(int index) override;

    std::unique_ptr<Folder> GetLast() override { return Item(count()); }

private:
    const FilePtr& m_file;
    libpff_item_t* m_folder;
};

class PstItemList : public ItemList
{
public:
    PstItemList(const FilePtr& file, libpff_item_t* folder) : m_file(file), m_folder(folder) {}

    int count() const override
    {
        PffError error;
        int n = 0;
        if (libpff_folder_get_number_of_sub_messages(m_folder, &n, error.out()) != 1)
            failRead(error, QStringLiteral("The items of the folder cannot be read"));
        return n;
    }

    std::unique_ptr<MailItem> Item(int index) override
    {
        PffError error;
        libpff_item_t* message = nullptr;
        if (index < 1 || libpff_folder_get_sub_message(m_folder, index - 1, &message, error.out()) != 1 || !message)
            failRead(error, QStringLiteral("Item %1 of the folder cannot be read").arg(index));
        return std::make_unique<PstMailItem>(m_file, ItemPtr(message));
    }

private:
    const FilePtr& m_file;
    libpff_item_t* m_folder;
};

class PstFolder : public Folder
{
public:
    // name overrides the folder's own name (a store's top folder is named after the store).
    PstFolder(FilePtr file, ItemPtr item, std::optional<QString> name = std::nullopt)
        : m_file(std::move(file)), m_item(std::move(item)), m_name(std::move(name)), m_folders(m_file, m_item.get()),
          m_items(m_file, m_item.get())
    {
    }

    QString Name() const override
    {
        if (m_name)
            return *m_name;
        return readFolderName(m_item.get());
    }

    FolderList& Folders() override { return m_folders; }
    ItemList& Items() override { return m_items; }
    const FilePtr& file() const { return m_file; }

private:
    FilePtr m_file;
    ItemPtr m_item;
    std::optional<QString> m_name;
    PstFolderList m_folders;
    PstItemList m_items;
};

std::unique_ptr<Folder> PstFolderList::Item(int index)
{
    PffError error;
    libpff_item_t* folder = nullptr;
    if (index < 1 || libpff_folder_get_sub_folder(m_folder, index - 1, &folder, error.out()) != 1 || !folder)
        failRead(error, QStringLiteral("Subfolder %1 cannot be read").arg(index));
    return std::make_unique<PstFolder>(m_file, ItemPtr(folder));
}

std::unique_ptr<Folder> topFolderOf(const FilePtr& file)
{
    return std::make_unique<PstFolder>(file, file->ipmSubtree(), file->displayName());
}

// The profile's stores, opened one at a time as the walk reaches them, then the stores attached by
// AddStore, which stay open until RemoveStore.
class PstStoreList : public FolderList
{
public:
    explicit PstStoreList(QStringList profile) : m_profile(std::move(profile)) {}

    int count() const override { return static_cast<int>(m_profile.size() + m_attached.size()); }

    std::unique_ptr<Folder> Item(int index) override
    {
        if (index < 1 || index > count())
            throw core::AppError(kSubscriptOutOfRange, QStringLiteral("Subscript out of range"));
        if (index <= m_profile.size())
            return topFolderOf(std::make_shared<PstFile>(m_profile.at(index - 1)));
        return topFolderOf(m_attached.at(static_cast<size_t>(index - m_profile.size() - 1)));
    }

    std::unique_ptr<Folder> GetLast() override { return Item(count()); }

    void attach(const QString& path)
    {
        auto file = std::make_shared<PstFile>(path);
        // Fail here rather than in the walk: a file without folders is no store.
        file->ipmSubtree();
        m_attached.push_back(std::move(file));
    }

    void detach(Folder& topFolder)
    {
        const auto* folder = dynamic_cast<const PstFolder*>(&topFolder);
        for (auto it = m_attached.begin(); it != m_attached.end(); ++it) {
            if (folder && folder->file() == *it) {
                m_attached.erase(it);
                return;
            }
        }
        throw core::AppError(core::errors::kInvalidPropertyValue,
                             QStringLiteral("The folder is not a store attached in this session"));
    }

private:
    QStringList m_profile;
    std::vector<FilePtr> m_attached;
};

class PstNamespace : public Namespace
{
public:
    explicit PstNamespace(QStringList profile) : m_stores(std::move(profile)) {}
    FolderList& Folders() override { return m_stores; }
    void AddStore(const QString& path) override { m_stores.attach(path); }
    void RemoveStore(Folder& topFolder) override { m_stores.detach(topFolder); }

private:
    PstStoreList m_stores;
};

class PstApplication : public Application
{
public:
    explicit PstApplication(StoreListSource stores) : m_stores(std::move(stores)) {}

    QString Version() const override { return QString::fromLatin1(kPstBackendVersion); }

    std::unique_ptr<Namespace> GetNamespace(const QString& type) override
    {
        if (type.compare(u"MAPI", Qt::CaseInsensitive) != 0)
            throw core::AppError(core::errors::kInvalidPropertyValue, QStringLiteral("Invalid procedure call"));
        return std::make_unique<PstNamespace>(m_stores ? m_stores() : QStringList());
    }

private:
    StoreListSource m_stores;
};

} // namespace

PstApplicationFactory::PstApplicationFactory(StoreListSource stores) : m_stores(std::move(stores)) {}

std::unique_ptr<Application> PstApplicationFactory::create()
{
    return std::make_unique<PstApplication>(m_stores);
}

QString toCrLf(QString text)
{
    const qsizetype n = text.size();
    const QChar* d = text.constData();
    bool clean = true;
    for (qsizetype i = 0; i < n && clean; ++i) {
        if (d[i] == u'\n')
            clean = i > 0 && d[i - 1] == u'\r';
        else if (d[i] == u'\r')
            clean = i + 1 < n && d[i + 1] == u'\n';
    }
    if (clean)
        return text;
    QString out;
    out.reserve(n + n / 16 + 2);
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = d[i];
        if (c == u'\r') {
            out.append(u"\r\n");
            if (i + 1 < n && d[i + 1] == u'\n')
                ++i;
        } else if (c == u'\n') {
            out.append(u"\r\n");
        } else {
            out.append(c);
        }
    }
    return out;
}

} // namespace sources::outlook
