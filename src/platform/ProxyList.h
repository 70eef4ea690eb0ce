// The system's proxy list text ("http=p1:8080;https=p2:8443", "p1:3128", ...) read into a
// ProxySetting. Pure: no system calls, so it is shared by every backend and fuzzed.
#pragma once

#include <string>

#include "platform/CommonIntf.h"

// Pieces separated by ";"; each is [scheme=]host[:port]. A piece with an empty host, or a
// scheme other than "http" (exact) or none, is skipped. Every accepted piece sets type 1, host
// and port (decimal, kept as 16 bits, unreadable gives 0), so the last accepted one wins.
// Returns whether any piece was accepted; `setting` is left alone otherwise.
bool ParseProxyList(const std::string& utf8List, ProxySetting& setting);
