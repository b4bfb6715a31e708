#ifndef CDEVTREE_H
#define CDEVTREE_H

#include <QTreeWidget>

// The device tree: a tree widget that starts 190 pixels wide.
class CDevTree : public QTreeWidget
{
public:
    explicit CDevTree(QWidget *parent = nullptr);
    QSize sizeHint() const override;
};

#endif // CDEVTREE_H
