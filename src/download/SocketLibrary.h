// The socket library's start-up and clean-up, paired with each downloader's lifetime (Winsock
// counts them). Nothing to do where sockets need no start-up.
#pragma once

// True when a matching EndSocketLibrary is owed; a start-up that failed must not be cleaned up,
// or it would end someone else's.
bool StartSocketLibrary();
void EndSocketLibrary();
