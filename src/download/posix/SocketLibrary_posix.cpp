#include "download/SocketLibrary.h"

bool StartSocketLibrary() {
    return false;
}
void EndSocketLibrary() {}
