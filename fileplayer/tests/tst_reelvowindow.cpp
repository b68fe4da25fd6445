// Runs the Reelvo window tests on the real imaging library, with the engine prepared as
// the program's start-up prepares it.
#include <zelkir/zelkir.h>

#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <QApplication>
#include <QtQuickTest>

/// Drops data on a window the way the window system delivers a finished drag.
class Dropper : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    /// Drops `urls` (may be empty) and, when not empty, `text` on the centre of `target`.
    Q_INVOKABLE void drop(QObject* target, const QStringList& urls, const QString& text)
    {
        auto* window = qobject_cast<QQuickWindow*>(target);
        if (!window)
            return;
        QMimeData data;
        QList<QUrl> list;
        for (const QString& url : urls)
            list.append(QUrl(url));
        if (!list.isEmpty())
            data.setUrls(list);
        if (!text.isEmpty())
            data.setText(text);
        const QPoint centre(window->width() / 2, window->height() / 2);
        QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &enter);
        QDragMoveEvent move(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &move);
        QDropEvent drop(QPointF(centre), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &drop);
    }
};

/// Changes files under an open window, as another program writing to them would.
class FileChanger : public QObject
{
    Q_OBJECT

public:
    explicit FileChanger(const QString& dir, QObject* parent = nullptr)
        : QObject(parent)
        , m_dir(dir)
    {
    }

    /// A fresh copy of the file at `url` in the test's folder, as a URL; empty on failure.
    Q_INVOKABLE QString copy(const QString& url, const QString& name)
    {
        const QString target = m_dir + QLatin1Char('/') + name;
        QFile::remove(target);
        return QFile::copy(QUrl(url).toLocalFile(), target) ? QUrl::fromLocalFile(target).toString() : QString();
    }

    /// Cuts the file at `url` to `fraction` of its size.
    Q_INVOKABLE bool truncate(const QString& url, double fraction)
    {
        QFile file(QUrl(url).toLocalFile());
        return file.resize(qint64(double(file.size()) * fraction));
    }

private:
    const QString m_dir;
};

class Setup : public QObject
{
    Q_OBJECT

public Q_SLOTS:
    void applicationAvailable()
    {
        QStandardPaths::setTestModeEnabled(true);
        QQuickStyle::setFallbackStyle(QStringLiteral("Basic"));
        QQuickStyle::setStyle(QStringLiteral("qeltstyle"));
        QFile broken(m_dir.filePath(QStringLiteral("broken.fits")));
        m_ok = m_dir.isValid() && QFile::exists(QStringLiteral(SAMPLE_MOVIE))
            && QFile::exists(QStringLiteral(SAMPLE_SEQUENCING_MOVIE))
            && QFile::exists(QStringLiteral(SAMPLE_SUPERFRAME_MOVIE)) && broken.open(QIODevice::WriteOnly)
            && broken.write("SIMPLE  = T broken") > 0;
    }

    void qmlEngineAvailable(QQmlEngine* engine)
    {
        engine->addImportPath(QStringLiteral(":/"));
        engine->addImportPath(QStringLiteral("qrc:/common"));
        engine->addImportPath(QStringLiteral("qrc:/controls/"));
        zelkirInitPlugin(engine);
        QQmlContext* context = engine->rootContext();
        context->setContextProperty(QStringLiteral("samplesReady"), m_ok);
        context->setContextProperty(QStringLiteral("sampleUrl"), fileUrl(QStringLiteral(SAMPLE_MOVIE)));
        context->setContextProperty(
            QStringLiteral("sequencingUrl"), fileUrl(QStringLiteral(SAMPLE_SEQUENCING_MOVIE)));
        context->setContextProperty(
            QStringLiteral("superframeUrl"), fileUrl(QStringLiteral(SAMPLE_SUPERFRAME_MOVIE)));
        context->setContextProperty(
            QStringLiteral("brokenUrl"), fileUrl(m_dir.filePath(QStringLiteral("broken.fits"))));
        context->setContextProperty(QStringLiteral("dropper"), &m_dropper);
        context->setContextProperty(QStringLiteral("fileChanger"), &m_changer);
    }

private:
    static QString fileUrl(const QString& path) { return QUrl::fromLocalFile(path).toString(); }

    QTemporaryDir m_dir;
    Dropper m_dropper;
    FileChanger m_changer { m_dir.path() };
    bool m_ok = false;
};

int main(int argc, char** argv)
{
    // The measurement panel's charts draw through a widgets graphics scene, as in the program.
    QApplication app(argc, argv);
    QTEST_SET_MAIN_SOURCE_PATH
    Setup setup;
    return quick_test_main_with_setup(argc, argv, "tst_reelvowindow", QUICK_TEST_SOURCE_DIR, &setup);
}

#include "tst_reelvowindow.moc"
