#ifndef TWORKWINDOW_H
#define TWORKWINDOW_H

#include <QWidget>

// A work window of the main window's work area. It never closes itself: it emits
// reqClose(), true when it has a result to keep, and the main window closes it. When the
// window goes, its close request goes with it.
class TWorkWindow : public QWidget
{
    Q_OBJECT

public:
    ~TWorkWindow() override;

signals:
    void reqClose(bool ok);

public slots:
    // The close button: most windows have nothing to keep.
    virtual void Quit();

protected:
    enum Closing { DeleteOnClose, KeepOnClose };
    explicit TWorkWindow(QWidget *parent = nullptr, Closing closing = DeleteOnClose);
};

#endif // TWORKWINDOW_H
