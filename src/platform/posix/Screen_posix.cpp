#include "platform/CommonIntf.h"

// No screen in the native build: 96 logical pixels per inch.
double QueryScreenScale() { return 1.0; }
