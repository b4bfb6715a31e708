#include "service.h"

Service::Service(QWidget *parent) : QDialog(parent) {}
