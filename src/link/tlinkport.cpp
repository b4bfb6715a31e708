#include "link/tlinkport.h"

TLinkPort::~TLinkPort() = default;
