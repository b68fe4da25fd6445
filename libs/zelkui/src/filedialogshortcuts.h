#pragma once

#include <QObject>
#include <QUrl>
#include <qqmlregistration.h>

/// Well-known folders offered as starting points to a file dialog, as file URLs.
/// Each is read once from QStandardPaths when the object is created.
class FileDialogShortcuts : public QObject
{
    Q_OBJECT
    QML_ANONYMOUS
    Q_PROPERTY(QUrl documents READ documents CONSTANT)
    Q_PROPERTY(QUrl home READ home CONSTANT)
    Q_PROPERTY(QUrl pictures READ pictures CONSTANT)

public:
    explicit FileDialogShortcuts(QObject* parent = nullptr);

    QUrl documents() const { return m_documents; }
    QUrl home() const { return m_home; }
    QUrl pictures() const { return m_pictures; }

private:
    QUrl m_documents;
    QUrl m_home;
    QUrl m_pictures;
};
