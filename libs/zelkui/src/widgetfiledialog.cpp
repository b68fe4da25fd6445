#include "widgetfiledialog.h"

#include <QApplication>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcFileDialog, "zelkui.filedialog")

namespace {

template <typename T, typename Signal>
void Assign(WidgetFileDialog* dialog, T& member, const T& value, Signal changed)
{
    if (member == value)
        return;
    member = value;
    (dialog->*changed)();
}

} // namespace

WidgetFileDialog::WidgetFileDialog(QObject* parent)
    : QObject(parent)
    , m_shortcuts(new FileDialogShortcuts(this))
{
}

WidgetFileDialog::~WidgetFileDialog()
{
    // The dialog has no QObject parent (widgets cannot be children of a QObject), so
    // it goes with us; disconnect first so its closing reports nothing to a dying object.
    if (m_dialog) {
        m_dialog->disconnect(this);
        delete m_dialog;
    }
}

void WidgetFileDialog::setFolder(const QUrl& folder)
{
    Assign(this, m_folder, folder, &WidgetFileDialog::folderChanged);
}

void WidgetFileDialog::setSelectExisting(bool selectExisting)
{
    Assign(this, m_selectExisting, selectExisting, &WidgetFileDialog::selectExistingChanged);
}

void WidgetFileDialog::setSelectMultiple(bool selectMultiple)
{
    Assign(this, m_selectMultiple, selectMultiple, &WidgetFileDialog::selectMultipleChanged);
}

void WidgetFileDialog::setSelectFolder(bool selectFolder)
{
    Assign(this, m_selectFolder, selectFolder, &WidgetFileDialog::selectFolderChanged);
}

void WidgetFileDialog::setTitle(const QString& title)
{
    Assign(this, m_title, title, &WidgetFileDialog::titleChanged);
}

void WidgetFileDialog::setNameFilters(const QStringList& nameFilters)
{
    Assign(this, m_nameFilters, nameFilters, &WidgetFileDialog::nameFiltersChanged);
}

void WidgetFileDialog::setSelectedNameFilter(const QString& filter)
{
    Assign(this, m_selectedNameFilter, filter, &WidgetFileDialog::selectedNameFilterChanged);
}

void WidgetFileDialog::open()
{
    if (m_dialog) {
        m_dialog->raise();
        m_dialog->activateWindow();
        return;
    }
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        qCWarning(lcFileDialog) << "WidgetFileDialog needs a QApplication; reporting the dialog as cancelled";
        QMetaObject::invokeMethod(this, &WidgetFileDialog::rejected, Qt::QueuedConnection);
        return;
    }

    m_dialog = new QFileDialog;
    m_dialog->setAttribute(Qt::WA_DeleteOnClose);
    m_dialog->setWindowModality(Qt::ApplicationModal);
    configure(*m_dialog);
    connect(m_dialog, &QDialog::finished, this, &WidgetFileDialog::finish);
    m_dialog->show();
    emit visibleChanged();
}

void WidgetFileDialog::close()
{
    if (m_dialog)
        m_dialog->reject();
}

void WidgetFileDialog::configure(QFileDialog& dialog) const
{
    if (!m_title.isEmpty())
        dialog.setWindowTitle(m_title);
    if (m_selectFolder) {
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
    } else if (!m_selectExisting) {
        dialog.setFileMode(QFileDialog::AnyFile);
    } else {
        dialog.setFileMode(m_selectMultiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    }
    dialog.setAcceptMode(
        m_selectExisting || m_selectFolder ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    if (!m_nameFilters.isEmpty())
        dialog.setNameFilters(m_nameFilters);
    if (!m_selectedNameFilter.isEmpty())
        dialog.selectNameFilter(m_selectedNameFilter);
    if (m_folder.isValid())
        dialog.setDirectoryUrl(m_folder);
}

void WidgetFileDialog::finish(int result)
{
    // The dialog deletes itself on close; forget it before anyone can reopen.
    QFileDialog* dialog = m_dialog;
    m_dialog = nullptr;
    dialog->disconnect(this);
    emit visibleChanged();

    if (result == QDialog::Accepted) {
        takeResults(*dialog);
        emit accepted();
    } else {
        emit rejected();
    }
}

void WidgetFileDialog::takeResults(const QFileDialog& dialog)
{
    const QList<QUrl> urls = dialog.selectedUrls();
    const QUrl previousFirst = fileUrl();
    if (urls != m_fileUrls) {
        m_fileUrls = urls;
        emit fileUrlsChanged();
    }
    if (fileUrl() != previousFirst)
        emit fileUrlChanged();
    setSelectedNameFilter(dialog.selectedNameFilter());
    setFolder(dialog.directoryUrl());
}
