#include "link/tlinkport.h"

TLinkPort::~TLinkPort() = default;

void TLinkPort::expect(qint64) {}
