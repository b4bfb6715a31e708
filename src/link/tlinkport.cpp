#include "tlinkport.h"

TLinkPort::~TLinkPort() = default;
