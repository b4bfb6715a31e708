#ifndef ABOUT_H
#define ABOUT_H

#include <QWidget>

namespace Ui
{
class AboutClass;
}

// The program's name, version and the maker's logo.
class About : public QWidget
{
    Q_OBJECT

public:
    explicit About(QWidget *parent);
    ~About() override;

signals:
    void reqClose(bool ok);

public slots:
    void Quit();

private:
    Ui::AboutClass *ui;
};

#endif // ABOUT_H
