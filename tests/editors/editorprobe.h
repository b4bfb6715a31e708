#ifndef EDITORPROBE_H
#define EDITORPROBE_H

#include <QByteArray>
#include <QList>
#include <QWidget>
#include <QtTest>

#include "teditor.h"

// One task as live control posted it: the type and the bytes it carried.
struct PostedTask {
    int type;
    QByteArray data;
    bool operator==(const PostedTask &o) const { return type == o.type && data == o.data; }
};

inline char *toString(const PostedTask &t)
{
    return QTest::toString(QByteArray::number(t.type) + ":" + t.data.toHex(' '));
}

inline PostedTask codec(std::initializer_list<int> bytes)
{
    QByteArray d;
    for (int b : bytes)
        d.append(char(b));
    return {TEditor::TaskCodec, d};
}

inline PostedTask ctl(int type, int flags)
{
    return {type, QByteArray(1, char(flags))};
}

// Records what an editor posts instead of the link thread's queue.
struct TaskLog {
    QList<PostedTask> tasks;
    void attach(TEditor *e)
    {
        e->setTaskSink([this](int type, const quint8 *data, int count) {
            const int len = type == TEditor::TaskCodec ? count * 2 : count;
            tasks.append({type, QByteArray(reinterpret_cast<const char *>(data), len)});
        });
    }
};

template <typename T> T *child(QWidget *w, const char *name)
{
    T *c = w->findChild<T *>(QLatin1String(name));
    if (!c)
        qFatal("no control %s", name);
    return c;
}

#endif // EDITORPROBE_H
