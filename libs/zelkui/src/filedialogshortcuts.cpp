#include "filedialogshortcuts.h"

#include <QStandardPaths>

namespace {

QUrl FolderUrl(QStandardPaths::StandardLocation location)
{
    const QString path = QStandardPaths::writableLocation(location);
    return path.isEmpty() ? QUrl() : QUrl::fromLocalFile(path);
}

} // namespace

FileDialogShortcuts::FileDialogShortcuts(QObject* parent)
    : QObject(parent)
    , m_documents(FolderUrl(QStandardPaths::DocumentsLocation))
    , m_home(FolderUrl(QStandardPaths::HomeLocation))
    , m_pictures(FolderUrl(QStandardPaths::PicturesLocation))
{
}
