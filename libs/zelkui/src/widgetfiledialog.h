#pragma once

#include "filedialogshortcuts.h"

#include <QFileDialog>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QUrl>
#include <qqmlregistration.h>

/// A file dialog for QML backed by the widgets QFileDialog, so programs running a
/// QApplication get the desktop's usual dialog. open() never blocks: the outcome comes
/// later through accepted() or rejected(). The chosen files, filter and folder are
/// updated before accepted() is emitted and keep their values until the next acceptance.
class WidgetFileDialog : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QUrl folder READ folder WRITE setFolder NOTIFY folderChanged)
    Q_PROPERTY(FileDialogShortcuts* shortcuts READ shortcuts CONSTANT)
    Q_PROPERTY(bool selectExisting READ selectExisting WRITE setSelectExisting NOTIFY selectExistingChanged)
    Q_PROPERTY(bool selectMultiple READ selectMultiple WRITE setSelectMultiple NOTIFY selectMultipleChanged)
    Q_PROPERTY(bool selectFolder READ selectFolder WRITE setSelectFolder NOTIFY selectFolderChanged)
    Q_PROPERTY(QString title READ title WRITE setTitle NOTIFY titleChanged)
    Q_PROPERTY(QStringList nameFilters READ nameFilters WRITE setNameFilters NOTIFY nameFiltersChanged)
    Q_PROPERTY(QString selectedNameFilter READ selectedNameFilter WRITE setSelectedNameFilter NOTIFY
            selectedNameFilterChanged)
    Q_PROPERTY(QUrl fileUrl READ fileUrl NOTIFY fileUrlChanged)
    Q_PROPERTY(QList<QUrl> fileUrls READ fileUrls NOTIFY fileUrlsChanged)
    Q_PROPERTY(bool visible READ isVisible NOTIFY visibleChanged)

public:
    explicit WidgetFileDialog(QObject* parent = nullptr);
    ~WidgetFileDialog() override;

    QUrl folder() const { return m_folder; }
    void setFolder(const QUrl& folder);
    FileDialogShortcuts* shortcuts() const { return m_shortcuts; }
    /// True (the default) to pick files that exist; false to name a file to save.
    bool selectExisting() const { return m_selectExisting; }
    void setSelectExisting(bool selectExisting);
    /// Allows several existing files at once; ignored when saving or picking a folder.
    bool selectMultiple() const { return m_selectMultiple; }
    void setSelectMultiple(bool selectMultiple);
    /// Picks a folder instead of files.
    bool selectFolder() const { return m_selectFolder; }
    void setSelectFolder(bool selectFolder);
    QString title() const { return m_title; }
    void setTitle(const QString& title);
    /// Filters in QFileDialog's form, e.g. "Images (*.png *.jpg)".
    QStringList nameFilters() const { return m_nameFilters; }
    void setNameFilters(const QStringList& nameFilters);
    /// The filter shown first when opening; after an acceptance, the one the user chose.
    QString selectedNameFilter() const { return m_selectedNameFilter; }
    void setSelectedNameFilter(const QString& filter);
    /// The first chosen file or folder; empty before the first acceptance.
    QUrl fileUrl() const { return m_fileUrls.value(0); }
    QList<QUrl> fileUrls() const { return m_fileUrls; }
    bool isVisible() const { return m_dialog != nullptr; }

    /// Shows the dialog, or raises it when it is already showing. Without a
    /// QApplication no dialog can exist; rejected() then follows from the event loop.
    Q_INVOKABLE void open();
    /// Closes a showing dialog as if the user had cancelled it.
    Q_INVOKABLE void close();

signals:
    void folderChanged();
    void selectExistingChanged();
    void selectMultipleChanged();
    void selectFolderChanged();
    void titleChanged();
    void nameFiltersChanged();
    void selectedNameFilterChanged();
    void fileUrlChanged();
    void fileUrlsChanged();
    void visibleChanged();
    void accepted();
    void rejected();

private:
    void configure(QFileDialog& dialog) const;
    void finish(int result);
    void takeResults(const QFileDialog& dialog);

    FileDialogShortcuts* m_shortcuts;
    QPointer<QFileDialog> m_dialog;
    QUrl m_folder;
    QString m_title;
    QStringList m_nameFilters;
    QString m_selectedNameFilter;
    QList<QUrl> m_fileUrls;
    bool m_selectExisting = true;
    bool m_selectMultiple = false;
    bool m_selectFolder = false;
};
