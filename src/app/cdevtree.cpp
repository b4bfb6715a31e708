#include "app/cdevtree.h"

CDevTree::CDevTree(QWidget *parent) : QTreeWidget(parent) {}

QSize CDevTree::sizeHint() const
{
    return QSize(190, height());
}
