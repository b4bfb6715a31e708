#include "tport.h"

TPort::TPort(QWidget *parent, const QString &current) : QDialog(parent), chosen(current) {}
