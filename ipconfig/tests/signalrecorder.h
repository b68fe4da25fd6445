#pragma once

#include <QMetaMethod>
#include <QObject>
#include <QStringList>

// Records the names of every signal an object emits, in order.
class SignalRecorder : public QObject
{
    Q_OBJECT
public:
    explicit SignalRecorder(QObject* watched) : m_watched(watched)
    {
        const QMetaObject* meta = watched->metaObject();
        const QMetaMethod record = metaObject()->method(metaObject()->indexOfSlot("record()"));
        for (int i = QObject::staticMetaObject.methodCount(); i < meta->methodCount(); ++i)
            if (meta->method(i).methodType() == QMetaMethod::Signal)
                connect(watched, meta->method(i), this, record);
    }

    QStringList names() const { return m_names; }
    void clear() { m_names.clear(); }

private slots:
    void record()
    {
        m_names.append(QString::fromLatin1(m_watched->metaObject()->method(senderSignalIndex()).name()));
    }

private:
    QObject* m_watched;
    QStringList m_names;
};
