#include <winsock2.h>

#include "download/SocketLibrary.h"

bool StartSocketLibrary() {
    WSADATA data;
    return WSAStartup(MAKEWORD(1, 1), &data) == 0;
}

void EndSocketLibrary() {
    WSACleanup();
}
